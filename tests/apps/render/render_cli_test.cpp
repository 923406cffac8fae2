// Black-box tests of tanafuda-render: the program is run as a user would run it.
#include "core/files/sheet_file.h"
#include "core/sheet/tag_sheet.h"
#include "support/file_bytes.h"
#include "support/qt_print.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>

#include <sys/stat.h>

namespace {

struct ProcessResult {
    int exitCode;
    QByteArray out;
    QByteArray err;
};

ProcessResult runProgram(const QString& program, const QStringList& args, int timeoutMs = 120000,
                         const std::function<void(QProcess&)>& setUp = {})
{
    QProcess p;
    if (setUp) {
        setUp(p);
    }
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return {-1, {}, "timed out"};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

const QString kRenderer = QStringLiteral(TANAFUDA_BINARY_DIR "/tools/tanafuda-render");

ProcessResult render(const QStringList& args)
{
    return runProgram(kRenderer, args);
}

// EAN check digit of the data digits, computed here independently of the program.
QChar checkDigit(const QString& data)
{
    int sum = 0;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const int weight = (data.size() - i) % 2 == 1 ? 3 : 1;  // rightmost data digit weighs 3
        sum += data[i].digitValue() * weight;
    }
    return QChar(u'0' + (10 - sum % 10) % 10);
}

// A full sheet: every tag named, with EAN-13 codes on odd tags and EAN-8 codes on even ones;
// sheets of another `variant` carry other codes.
sheet::TagSheet fullSheet(const sheet::SheetFormat& format, QStringList& codes, int variant = 0)
{
    sheet::TagSheet s(format);
    for (int i = 1; i <= s.tagsPerPage(); ++i) {
        const int n = i + 50 * variant;
        QString data = i % 2 ? QStringLiteral("49%1%2").arg(n % 10).arg(1000000 + 7919 * n, 9, 10, QLatin1Char('0'))
                             : QStringLiteral("45%1").arg(10000 + 37 * n, 5, 10, QLatin1Char('0'));
        data.truncate(i % 2 ? 12 : 7);
        const QString code = data + checkDigit(data);
        codes << code;
        s.record(i) = {code,
                       QStringLiteral("メーカー"),
                       QStringLiteral("商品%1").arg(i),
                       QStringLiteral("二行"),
                       QStringLiteral("1L"),
                       QStringLiteral("ロット"),
                       100 * i};
    }
    return s;
}

// The page as a shelf scanner sees it: they read with red light, in which the red tag frames
// vanish like the white paper.
QString redLightView(const QString& pngPath)
{
    QImageReader reader(pngPath);
    reader.setAllocationLimit(0);  // an A4 page at 600 dpi is larger than the default limit
    const QImage page = reader.read().convertToFormat(QImage::Format_RGB32);
    if (page.isNull()) {
        ADD_FAILURE() << reader.errorString().toStdString();
        return {};
    }
    QImage red(page.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < page.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        uchar* out = red.scanLine(y);
        for (int x = 0; x < page.width(); ++x) {
            out[x] = uchar(qRed(in[x]));
        }
    }
    const QString out = pngPath + QStringLiteral(".red.png");
    return red.save(out) ? out : QString();
}

QStringList decodedCodes(const QByteArray& zbarOutput)
{
    QStringList found;
    const QRegularExpression symbol(QStringLiteral("^EAN-(?:13|8):(\\d+)$"), QRegularExpression::MultilineOption);
    for (auto it = symbol.globalMatch(QString::fromLatin1(zbarOutput)); it.hasNext();) {
        found << it.next().captured(1);
    }
    found.sort();
    return found;
}

class RenderCli : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString save(const sheet::TagSheet& s, const QString& name)
    {
        const QString p = path(name);
        const auto result = files::writeSheetFile(s, p);
        EXPECT_TRUE(result.ok) << result.error.toStdString();
        return p;
    }
    QTemporaryDir dir;
};

}  // namespace

TEST_F(RenderCli, EveryBarcodeOfAPrintedPageIsReadByAScanner)
{
    // Red-light shelf scanners see the page without its red frames; camera readers see it in grey,
    // frames included. Every symbol must read both ways, at a plain and at a fine resolution.
    struct Row {
        const sheet::SheetFormat* format;
        int dpi;
        bool redLight;
    };
    const Row rows[] = {
        {&sheet::SheetFormat::large, 600, true},  {&sheet::SheetFormat::small, 600, true},
        {&sheet::SheetFormat::large, 300, false}, {&sheet::SheetFormat::small, 300, false},
        {&sheet::SheetFormat::large, 600, false}, {&sheet::SheetFormat::small, 600, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(QStringLiteral("%1 at %2 dpi in %3 light")
                         .arg(row.format->windowName)
                         .arg(row.dpi)
                         .arg(row.redLight ? QStringLiteral("red") : QStringLiteral("white"))
                         .toStdString());
        QStringList codes;
        const QString sheetPath = save(fullSheet(*row.format, codes), QStringLiteral("full.csv"));
        const QString pdf = path(QStringLiteral("page.pdf"));
        const QString dpi = QString::number(row.dpi);
        const ProcessResult r = render({sheetPath, QStringLiteral("--dpi"), dpi, QStringLiteral("-o"), pdf});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

        // The page in colour for the red channel, else in grey as a camera gives it.
        QStringList rasterArgs {QStringLiteral("-r"), dpi, QStringLiteral("-png"), QStringLiteral("-singlefile")};
        if (!row.redLight) {
            rasterArgs << QStringLiteral("-gray");
        }
        const ProcessResult raster
            = runProgram(QStringLiteral("pdftoppm"), rasterArgs << pdf << path(QStringLiteral("page")));
        ASSERT_EQ(raster.exitCode, 0) << raster.err.toStdString();
        const QString seen
            = row.redLight ? redLightView(path(QStringLiteral("page.png"))) : path(QStringLiteral("page.png"));
        ASSERT_FALSE(seen.isEmpty());
        const ProcessResult scan
            = runProgram(QStringLiteral("zbarimg"), {QStringLiteral("-q"), QStringLiteral("-Sean8.enable"), seen});
        codes.sort();
        EXPECT_EQ(decodedCodes(scan.out), codes) << scan.out.toStdString();
        EXPECT_EQ(codes.size(), row.format->tagsPerPage);
    }
}

TEST_F(RenderCli, PreviewPageShowsNoRealBarcode)
{
    QStringList codes;
    const QString sheetPath = save(fullSheet(sheet::SheetFormat::large, codes), QStringLiteral("full.csv"));
    const QString png = path(QStringLiteral("preview.png"));
    const ProcessResult r = render({sheetPath, QStringLiteral("--preview"), QStringLiteral("-o"), png});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const ProcessResult scan = runProgram(QStringLiteral("zbarimg"), {QStringLiteral("-q"), png});
    EXPECT_TRUE(decodedCodes(scan.out).isEmpty()) << scan.out.toStdString();
}

TEST_F(RenderCli, ListJsonReadsBackTheSheet)
{
    sheet::TagSheet s(sheet::SheetFormat::small);
    s.record(2) = {QStringLiteral("0123"),
                   QStringLiteral("メーカー,社"),
                   QStringLiteral(" 品名 "),
                   QStringLiteral("二"),
                   QString(),
                   QStringLiteral("lot"),
                   -5};
    const QString sheetPath = save(s, QStringLiteral("small.csv"));
    const ProcessResult r = render({sheetPath, QStringLiteral("--list"), QStringLiteral("--json")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject doc = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(doc.value(QStringLiteral("format")).toString(), QStringLiteral("small"));
    const QJsonArray records = doc.value(QStringLiteral("records")).toArray();
    ASSERT_EQ(records.size(), 40);
    const QJsonObject second = records[1].toObject();
    EXPECT_EQ(second.value(QStringLiteral("slot")).toInt(), 2);
    EXPECT_EQ(second.value(QStringLiteral("jan")).toString(), QStringLiteral("0123"));
    EXPECT_EQ(second.value(QStringLiteral("maker")).toString(), QStringLiteral("メーカー,社"));
    EXPECT_EQ(second.value(QStringLiteral("productName")).toString(), QStringLiteral(" 品名 "));
    EXPECT_EQ(second.value(QStringLiteral("productName2")).toString(), QStringLiteral("二"));
    EXPECT_EQ(second.value(QStringLiteral("price")).toInt(), -5);
}

TEST_F(RenderCli, OpsAreJsonLinesWithTheHeaderAndPixelBarcodes)
{
    sheet::TagSheet s(sheet::SheetFormat::large);
    s.record(1)
        = {QStringLiteral("4901234567894"), QString(), QStringLiteral("品"), QString(), QString(), QString(), 5};
    const QString sheetPath = save(s, QStringLiteral("one.csv"));
    const ProcessResult r
        = render({sheetPath, QStringLiteral("--ops"), QStringLiteral("--offset"), QStringLiteral("3,-2")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    ASSERT_FALSE(lines.isEmpty());
    const QJsonObject header = QJsonDocument::fromJson(lines[0]).object();
    EXPECT_EQ(header.value(QStringLiteral("op")).toString(), QStringLiteral("text"));
    EXPECT_EQ(header.value(QStringLiteral("text")).toString(), QStringLiteral("FileName  ") + sheetPath);
    int fills = 0;
    bool priceMoved = false;
    for (const QByteArray& line : lines) {
        const QJsonObject op = QJsonDocument::fromJson(line).object();
        ASSERT_FALSE(op.isEmpty()) << line.toStdString();
        if (op.value(QStringLiteral("op")).toString() == QStringLiteral("fill")) {
            ++fills;
            EXPECT_EQ(op.value(QStringLiteral("unit")).toString(), QStringLiteral("px"));
            EXPECT_EQ(op.value(QStringLiteral("w")).toInt(), 7);
            EXPECT_EQ(op.value(QStringLiteral("h")).toInt(), 166);
        }
        if (op.value(QStringLiteral("text")).toString() == QStringLiteral(" 5 ")) {
            priceMoved = op.value(QStringLiteral("x")).toDouble() == 10 + 22 + 3
                && op.value(QStringLiteral("y")).toDouble() == 15 + 16 - 2
                && op.value(QStringLiteral("color")).toString() == QStringLiteral("000000FF");
        }
    }
    EXPECT_EQ(fills, 113);
    EXPECT_TRUE(priceMoved);
}

TEST_F(RenderCli, ExitStatusTellsWhatWentWrong)
{
    EXPECT_EQ(render({}).exitCode, 1);
    EXPECT_EQ(render({QStringLiteral("x.csv"), QStringLiteral("--bogus")}).exitCode, 1);

    sheet::TagSheet s(sheet::SheetFormat::large);
    const QString good = save(s, QStringLiteral("large.csv"));
    EXPECT_EQ(render({good, QStringLiteral("-o"), path(QStringLiteral("page.txt"))}).exitCode, 1);
    EXPECT_EQ(render({good, QStringLiteral("--dpi"), QStringLiteral("0"), QStringLiteral("--ops")}).exitCode, 1);
    EXPECT_EQ(render({good, QStringLiteral("--border"), QStringLiteral("red"), QStringLiteral("--ops")}).exitCode, 1);

    QFile foreign(path(QStringLiteral("foreign.csv")));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write("\"hello\",1\r\n");
    foreign.close();
    const ProcessResult rejected = render({foreign.fileName(), QStringLiteral("--ops")});
    EXPECT_EQ(rejected.exitCode, 2);
    EXPECT_TRUE(
        QString::fromLocal8Bit(rejected.err).split(u'\n').contains(QStringLiteral("棚札形式のデータではありません")))
        << rejected.err.toStdString();
    EXPECT_EQ(render({path(QStringLiteral("missing.csv")), QStringLiteral("--ops")}).exitCode, 2);

    const ProcessResult unwritable = render({good, QStringLiteral("-o"), path(QStringLiteral("no/such/dir/page.pdf"))});
    EXPECT_EQ(unwritable.exitCode, 3);
    EXPECT_FALSE(unwritable.err.isEmpty());
}

namespace {

using test_support::fileBytes;

int pdfPages(const QString& pdf)
{
    const ProcessResult info = runProgram(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)$"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = pages.match(QString::fromLatin1(info.out));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The codes that zbarimg reads on each page of `pdf` (rasterised in grey at 300 dpi).
std::vector<QStringList> codesPerPage(const QString& pdf, const QString& workDir)
{
    std::vector<QStringList> pages;
    const int count = pdfPages(pdf);
    for (int page = 1; page <= count; ++page) {
        const QString stem = workDir + QStringLiteral("/scan-%1").arg(page);
        const QString n = QString::number(page);
        const ProcessResult raster
            = runProgram(QStringLiteral("pdftoppm"),
                         {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-gray"), QStringLiteral("-png"),
                          QStringLiteral("-singlefile"), QStringLiteral("-f"), n, QStringLiteral("-l"), n, pdf, stem});
        EXPECT_EQ(raster.exitCode, 0) << raster.err.toStdString();
        const ProcessResult scan
            = runProgram(QStringLiteral("zbarimg"),
                         {QStringLiteral("-q"), QStringLiteral("-Sean8.enable"), stem + QStringLiteral(".png")});
        pages.push_back(decodedCodes(scan.out));
    }
    return pages;
}

// Names of the files in `dir`, hidden ones included.
QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

bool wellFormedXml(const QByteArray& xml, QString& problem)
{
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
    }
    problem = reader.errorString();
    return !reader.hasError();
}

QString svgTitle(const QByteArray& xml)
{
    QXmlStreamReader reader(xml);
    while (reader.readNextStartElement() || !reader.atEnd()) {
        if (reader.isStartElement() && reader.name() == QLatin1String("title")) {
            return reader.readElementText();
        }
        if (reader.isStartElement() && reader.name() != QLatin1String("svg")) {
            reader.skipCurrentElement();
        }
    }
    return {};
}

}  // namespace

TEST_F(RenderCli, ThreeSheetsMakeOnePdfWhosePagesScanInOrder)
{
    QStringList large1;
    QStringList small;
    QStringList large2;
    const QString a = save(fullSheet(sheet::SheetFormat::large, large1, 0), QStringLiteral("a.csv"));
    const QString b = save(fullSheet(sheet::SheetFormat::small, small, 1), QStringLiteral("b.csv"));
    const QString c = save(fullSheet(sheet::SheetFormat::large, large2, 2), QStringLiteral("c.csv"));
    const QString pdf = path(QStringLiteral("all.pdf"));
    const ProcessResult r
        = render({a, b, c, QStringLiteral("--dpi"), QStringLiteral("300"), QStringLiteral("-o"), pdf});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();

    const std::vector<QStringList> pages = codesPerPage(pdf, dir.path());
    ASSERT_EQ(pages.size(), 3u);
    for (QStringList* codes : {&large1, &small, &large2}) {
        codes->sort();
    }
    EXPECT_EQ(pages[0], large1);
    EXPECT_EQ(pages[1], small);
    EXPECT_EQ(pages[2], large2);
    EXPECT_NE(large1, large2);
}

TEST_F(RenderCli, PagesOfSeveralSheetsAreNumberedFilesAndOneSheetKeepsTheName)
{
    sheet::TagSheet s(sheet::SheetFormat::small);
    const QString one = save(s, QStringLiteral("one.csv"));
    const QString two = save(sheet::TagSheet(sheet::SheetFormat::large), QStringLiteral("two.csv"));
    const struct {
        QStringList sheets;
        const char* output;
        QStringList expected;
    } rows[] = {
        {{one, two, one}, "p/tags.png", {"tags-001.png", "tags-002.png", "tags-003.png"}},
        {{two, one}, "s/tags.svg", {"tags-001.svg", "tags-002.svg"}},
        {{one}, "single/tags.png", {"tags.png"}},
    };
    for (const auto& row : rows) {
        const QString output = path(QString::fromLatin1(row.output));
        ASSERT_TRUE(QDir().mkpath(QFileInfo(output).path()));
        const ProcessResult r = render(QStringList(row.sheets) << QStringLiteral("--dpi") << QStringLiteral("30")
                                                               << QStringLiteral("-o") << output);
        EXPECT_EQ(r.exitCode, 0) << row.output << r.err.toStdString();
        EXPECT_EQ(filesIn(QFileInfo(output).path()), row.expected) << row.output;
    }
    // Each PNG is a whole A4 page at the resolution asked for: 30 dpi is 248 x 351 pixels.
    const QImage page(path(QStringLiteral("p/tags-002.png")));
    EXPECT_EQ(page.size(), QSize(248, 351));
}

TEST_F(RenderCli, ARejectedSheetAmongSeveralStopsAllOrIsSkipped)
{
    sheet::TagSheet s(sheet::SheetFormat::large);
    const QString good = save(s, QStringLiteral("good.csv"));
    QFile foreign(path(QStringLiteral("foreign.csv")));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write("\"hello\",1\r\n");
    foreign.close();
    const QString missing = path(QStringLiteral("missing.csv"));

    const struct {
        const char* name;
        QStringList sheets;
        bool skip;
        int exitCode;
        int pages;          // of the PDF; 0 when none is written
        QStringList named;  // in the messages
    } rows[] = {
        {"middle rejected", {good, foreign.fileName(), good}, false, 2, 0, {foreign.fileName()}},
        {"middle skipped", {good, foreign.fileName(), good}, true, 4, 2, {foreign.fileName()}},
        {"two skipped", {missing, good, foreign.fileName()}, true, 4, 1, {missing, foreign.fileName()}},
        {"all rejected", {missing, foreign.fileName()}, true, 2, 0, {missing, foreign.fileName()}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString pdf = path(QStringLiteral("%1.pdf").arg(QString::fromLatin1(row.name).replace(u' ', u'-')));
        QStringList args = row.sheets;
        args << QStringLiteral("-o") << pdf;
        if (row.skip) {
            args << QStringLiteral("--skip-rejected");
        }
        const ProcessResult r = render(args);
        EXPECT_EQ(r.exitCode, row.exitCode) << r.err.toStdString();
        EXPECT_EQ(QFile::exists(pdf), row.pages > 0);
        if (row.pages > 0) {
            EXPECT_EQ(pdfPages(pdf), row.pages);
        }
        const QString err = QString::fromLocal8Bit(r.err);
        for (const QString& rejected : row.named) {
            EXPECT_TRUE(err.contains(rejected)) << err.toStdString();
        }
        EXPECT_FALSE(err.contains(good)) << err.toStdString();
    }
}

TEST_F(RenderCli, ListJsonOfSeveralSheetsIsAnArrayInTheOrderGiven)
{
    sheet::TagSheet small(sheet::SheetFormat::small);
    small.record(3).productName = QStringLiteral("小");
    sheet::TagSheet large(sheet::SheetFormat::large);
    large.record(24).price = 1234;
    const QString a = save(small, QStringLiteral("a.csv"));
    const QString b = save(large, QStringLiteral("b.csv"));
    const ProcessResult r = render({a, b, a, QStringLiteral("--list"), QStringLiteral("--json")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
    ASSERT_TRUE(doc.isArray()) << error.errorString().toStdString();
    const QJsonArray sheets = doc.array();
    ASSERT_EQ(sheets.size(), 3);
    const char* formats[] = {"small", "large", "small"};
    const QString files[] = {a, b, a};
    const int counts[] = {40, 24, 40};
    for (int i = 0; i < 3; ++i) {
        const QJsonObject o = sheets[i].toObject();
        EXPECT_EQ(o.value(QStringLiteral("format")).toString(), QLatin1String(formats[i])) << i;
        EXPECT_EQ(o.value(QStringLiteral("file")).toString(), files[i]) << i;
        EXPECT_EQ(o.value(QStringLiteral("records")).toArray().size(), counts[i]) << i;
    }
    EXPECT_EQ(sheets[0]
                  .toObject()
                  .value(QStringLiteral("records"))
                  .toArray()[2]
                  .toObject()
                  .value(QStringLiteral("productName"))
                  .toString(),
              QStringLiteral("小"));
    EXPECT_EQ(sheets[1]
                  .toObject()
                  .value(QStringLiteral("records"))
                  .toArray()[23]
                  .toObject()
                  .value(QStringLiteral("price"))
                  .toInt(),
              1234);
}

TEST_F(RenderCli, OpsOfSeveralSheetsAreSeparatedByPageLinesAndOneSheetIsUnchanged)
{
    sheet::TagSheet s(sheet::SheetFormat::large);
    s.record(1).jan = QStringLiteral("4901234567894");
    const QString a = save(s, QStringLiteral("a.csv"));
    const QString b = save(sheet::TagSheet(sheet::SheetFormat::small), QStringLiteral("b.csv"));
    const ProcessResult one = render({a, QStringLiteral("--ops")});
    const ProcessResult other = render({b, QStringLiteral("--ops")});
    const ProcessResult both = render({a, b, QStringLiteral("--ops")});
    ASSERT_EQ(both.exitCode, 0) << both.err.toStdString();
    EXPECT_FALSE(one.out.contains("newPage"));
    EXPECT_EQ(both.out, one.out + "{\"op\":\"newPage\"}\n" + other.out);
}

TEST_F(RenderCli, PrintingSeveralSheetsIsOneJobWithAPagePerSheet)
{
    // A CUPS scheduler of the test's own, with one queue that throws the jobs away; the scheduler
    // keeps each job's document in its spool folder.
    const QString cupsd = QStringLiteral("/usr/sbin/cupsd");
    if (!QFile::exists(cupsd) || QStandardPaths::findExecutable(QStringLiteral("lpadmin")).isEmpty()) {
        GTEST_SKIP() << "CUPS (cupsd, lpadmin) is not installed: the print job cannot be checked";
    }
    const QString root = path(QStringLiteral("cups"));
    for (const char* sub : {"spool", "tmp", "cache", "state", "ppd"}) {
        ASSERT_TRUE(QDir().mkpath(root + u'/' + QLatin1String(sub)));
    }
    const QString socket = root + QStringLiteral("/cups.sock");
    auto writeText = [](const QString& file, const QString& text) {
        QFile f(file);
        return f.open(QIODevice::WriteOnly) && f.write(text.toUtf8()) == text.toUtf8().size();
    };
    ASSERT_TRUE(
        writeText(root + QStringLiteral("/cupsd.conf"),
                  QStringLiteral("Listen %1\nLogLevel warn\n<Location />\nOrder allow,deny\nAllow all\n</Location>\n")
                      .arg(socket)));
    ASSERT_TRUE(writeText(root + QStringLiteral("/cups-files.conf"),
                          QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/tmp\nCacheDir %1/cache\n"
                                         "StateDir %1/state\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\n"
                                         "AccessLog %1/access_log\nErrorLog %1/error_log\nPageLog %1/page_log\n"
                                         "FileDevice Yes\n")
                              .arg(root)));
    QProcess scheduler;
    scheduler.start(cupsd,
                    {QStringLiteral("-f"), QStringLiteral("-c"), root + QStringLiteral("/cupsd.conf"),
                     QStringLiteral("-s"), root + QStringLiteral("/cups-files.conf")});
    if (!scheduler.waitForStarted(10000)) {
        GTEST_SKIP() << "cannot start a CUPS scheduler here: " << scheduler.errorString().toStdString();
    }
    auto withServer = [&](QProcess& p) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("CUPS_SERVER"), socket);
        p.setProcessEnvironment(env);
    };
    ProcessResult added {-1, {}, {}};
    for (int attempt = 0; attempt < 50 && added.exitCode != 0; ++attempt) {
        QThread::msleep(100);
        added = runProgram(QStringLiteral("lpadmin"),
                           {QStringLiteral("-p"), QStringLiteral("tanafuda-test"), QStringLiteral("-E"),
                            QStringLiteral("-v"), QStringLiteral("file:///dev/null")},
                           10000, withServer);
    }
    if (added.exitCode != 0) {
        scheduler.kill();
        scheduler.waitForFinished();
        GTEST_SKIP() << "cannot make a print queue here: " << added.err.toStdString();
    }

    QStringList codes;
    const QString a = save(fullSheet(sheet::SheetFormat::large, codes), QStringLiteral("a.csv"));
    const QString b = save(fullSheet(sheet::SheetFormat::small, codes), QStringLiteral("b.csv"));
    const ProcessResult printed = runProgram(
        kRenderer, {a, b, a, QStringLiteral("--print"), QStringLiteral("--printer"), QStringLiteral("tanafuda-test")},
        120000, withServer);
    EXPECT_EQ(printed.exitCode, 0) << printed.err.toStdString();

    // One job, done, whose one document has a page per sheet.
    ProcessResult done {-1, {}, {}};
    for (int attempt = 0; attempt < 300; ++attempt) {
        done = runProgram(QStringLiteral("lpstat"),
                          {QStringLiteral("-W"), QStringLiteral("completed"), QStringLiteral("-o")}, 10000, withServer);
        if (!done.out.trimmed().isEmpty()) {
            break;
        }
        QThread::msleep(100);
    }
    const QList<QByteArray> jobs = done.out.trimmed().split('\n');
    EXPECT_EQ(jobs.size(), 1) << done.out.toStdString();
    const QStringList documents = QDir(root + QStringLiteral("/spool")).entryList({QStringLiteral("d*")}, QDir::Files);
    ASSERT_EQ(documents.size(), 1) << documents.join(u' ').toStdString();
    EXPECT_EQ(pdfPages(root + QStringLiteral("/spool/") + documents.front()), 3);

    scheduler.terminate();
    if (!scheduler.waitForFinished(10000)) {
        scheduler.kill();
        scheduler.waitForFinished();
    }
}

TEST_F(RenderCli, AnOutputThatCannotBeWrittenIsExitThreeAndLeavesTheEarlierFile)
{
    sheet::TagSheet s(sheet::SheetFormat::large);
    s.record(1) = {QStringLiteral("4901234567894"),
                   QStringLiteral("メーカー"),
                   QStringLiteral("品名"),
                   QString(),
                   QStringLiteral("1L"),
                   QStringLiteral("ロット"),
                   980};
    const QString sheetPath = save(s, QStringLiteral("s.csv"));
    if (!QFile::exists(QStringLiteral("/dev/full"))) {
        GTEST_SKIP() << "this system has no /dev/full";
    }
    // Each output kind: to a name that leads to /dev/full (a full disk), and to a file under a
    // size limit of 2 KiB (a disk that fills up during the write) that holds an earlier output.
    const struct {
        const char* name;
        QStringList args;  // the output file is appended after -o
    } kinds[] = {
        {"page.pdf", {}},
        {"page.png", {QStringLiteral("--dpi"), QStringLiteral("96")}},
        {"page.svg", {}},
        {"ops.jsonl", {QStringLiteral("--ops")}},
        {"list.txt", {QStringLiteral("--list")}},
        {"list.json", {QStringLiteral("--list"), QStringLiteral("--json")}},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.name);
        const QString full = path(QStringLiteral("full-") + QLatin1String(kind.name));
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), full));
        const ProcessResult r = render(QStringList {sheetPath} << kind.args << QStringLiteral("-o") << full);
        EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
        EXPECT_TRUE(QString::fromLocal8Bit(r.err).contains(full)) << r.err.toStdString();
        EXPECT_TRUE(QFileInfo(QStringLiteral("/dev/full")).exists());

        const QString limitedDir = path(QStringLiteral("limited-") + QLatin1String(kind.name));
        ASSERT_TRUE(QDir().mkpath(limitedDir));
        const QString earlier = limitedDir + u'/' + QLatin1String(kind.name);
        {
            QFile f(earlier);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("earlier output\n");
        }
        QStringList args {QStringLiteral("-c"), QStringLiteral("trap '' XFSZ; ulimit -f 2; exec \"$@\""),
                          QStringLiteral("sh"), kRenderer, sheetPath};
        args << kind.args << QStringLiteral("-o") << earlier;
        const ProcessResult limited = runProgram(QStringLiteral("bash"), args);
        if (kind.args.contains(QStringLiteral("--list"))) {
            // A sheet's list is smaller than the limit: it is written whole.
            EXPECT_EQ(limited.exitCode, 0) << limited.err.toStdString();
            continue;
        }
        EXPECT_EQ(limited.exitCode, 3) << limited.err.toStdString();
        EXPECT_EQ(fileBytes(earlier), QByteArray("earlier output\n"));
        EXPECT_EQ(filesIn(limitedDir), QStringList {QLatin1String(kind.name)});
    }
}

TEST_F(RenderCli, StandardOutputThatCannotBeWrittenIsExitThree)
{
    if (!QFile::exists(QStringLiteral("/dev/full"))) {
        GTEST_SKIP() << "this system has no /dev/full";
    }
    const QString sheetPath = save(sheet::TagSheet(sheet::SheetFormat::small), QStringLiteral("s.csv"));
    const QStringList modes[]
        = {{QStringLiteral("--list")}, {QStringLiteral("--list"), QStringLiteral("--json")}, {QStringLiteral("--ops")}};
    for (const QStringList& mode : modes) {
        const ProcessResult r = runProgram(kRenderer, QStringList {sheetPath} << mode, 60000,
                                           [](QProcess& p) { p.setStandardOutputFile(QStringLiteral("/dev/full")); });
        EXPECT_EQ(r.exitCode, 3) << mode.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains("standard output")) << r.err.toStdString();
    }
}

TEST_F(RenderCli, TheSheetIsReadOnceFromAFifoAPipeOrStandardInput)
{
    sheet::TagSheet s(sheet::SheetFormat::small);
    s.record(7).maker = QStringLiteral("七");
    const QString sheetPath = save(s, QStringLiteral("s.csv"));
    const QByteArray bytes = fileBytes(sheetPath);
    const ProcessResult direct = render({sheetPath, QStringLiteral("--list")});
    ASSERT_EQ(direct.exitCode, 0);

    const QString fifo = path(QStringLiteral("sheet.fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    std::thread writer([&] {
        QFile f(fifo);
        if (f.open(QIODevice::WriteOnly)) {
            f.write(bytes);
        }
    });
    const ProcessResult fromFifo = runProgram(kRenderer, {fifo, QStringLiteral("--list")}, 20000);
    writer.join();
    EXPECT_EQ(fromFifo.exitCode, 0) << fromFifo.err.toStdString();
    EXPECT_EQ(fromFifo.out, direct.out);

    for (const QString& name : {QStringLiteral("-"), QStringLiteral("/dev/stdin")}) {
        QProcess p;
        p.start(kRenderer, {name, QStringLiteral("--list")});
        ASSERT_TRUE(p.waitForStarted());
        p.write(bytes);
        p.closeWriteChannel();
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitCode(), 0) << name.toStdString() << p.readAllStandardError().toStdString();
        EXPECT_EQ(p.readAllStandardOutput(), direct.out) << name.toStdString();
    }
    EXPECT_EQ(render({QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("--list")}).exitCode, 1);
}

TEST_F(RenderCli, SvgIsWellFormedWhateverThePathAndTheTexts)
{
    const QString folder = path(QStringLiteral("A&B<\"商店'>"));
    ASSERT_TRUE(QDir().mkpath(folder));
    sheet::TagSheet s(sheet::SheetFormat::large);
    s.record(1) = {QStringLiteral("4901234567894"),
                   QStringLiteral("<b>&amp;</b>"),
                   QStringLiteral("品\x01名\x1f]]>"),
                   QString(),
                   QStringLiteral("\"1L\""),
                   QStringLiteral("ロ\tト"),
                   980};
    s.record(2).productName = QStringLiteral("</svg><x>");
    const QString sheetPath = folder + QStringLiteral("/s.csv");
    ASSERT_TRUE(files::writeSheetFile(s, sheetPath).ok);
    for (const bool several : {false, true}) {
        const QString svg = folder + QStringLiteral("/page.svg");
        QStringList args {sheetPath};
        if (several) {
            args << sheetPath;
        }
        const ProcessResult r = render(args << QStringLiteral("-o") << svg);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QStringList pages = several
            ? QStringList {folder + QStringLiteral("/page-001.svg"), folder + QStringLiteral("/page-002.svg")}
            : QStringList {svg};
        for (const QString& page : pages) {
            const QByteArray xml = fileBytes(page);
            QString problem;
            EXPECT_TRUE(wellFormedXml(xml, problem)) << page.toStdString() << ": " << problem.toStdString();
            EXPECT_EQ(svgTitle(xml), QStringLiteral("FileName  ") + sheetPath);
        }
    }
}

TEST_F(RenderCli, ResolutionIsBoundedWithTheLimitNamed)
{
    const QString sheetPath = save(sheet::TagSheet(sheet::SheetFormat::large), QStringLiteral("s.csv"));
    const struct {
        const char* output;
        const char* dpi;
        int exitCode;
        const char* said;
    } rows[] = {
        {"big.png", "2400", 1, "1200 dpi at most"},
        {"big.png", "1201", 1, "1200 dpi at most"},
        {"big.pdf", "2400", 0, ""},
        {"big.svg", "2401", 1, "from 24 to 2400"},
        {"big.pdf", "23", 1, "from 24 to 2400"},
    };
    for (const auto& row : rows) {
        const ProcessResult r = render({sheetPath, QStringLiteral("--dpi"), QLatin1String(row.dpi),
                                        QStringLiteral("-o"), path(QLatin1String(row.output))});
        EXPECT_EQ(r.exitCode, row.exitCode) << row.output << " " << row.dpi << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(row.said)) << r.err.toStdString();
    }
}

TEST_F(RenderCli, ListFieldsKeepEveryRecordOnOneRow)
{
    sheet::TagSheet s(sheet::SheetFormat::large);
    s.record(2) = {QStringLiteral("1\t2"),
                   QStringLiteral("a\nb"),
                   QStringLiteral("c\\d"),
                   QString(),
                   QStringLiteral("e\r\nf"),
                   QStringLiteral("\\t"),
                   5};
    const QString sheetPath = save(s, QStringLiteral("s.csv"));
    const ProcessResult r = render({sheetPath, QStringLiteral("--list")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QList<QByteArray> rows = r.out.split('\n');
    ASSERT_EQ(rows.size(), 1 + 24 + 1);  // header, 24 records, the empty text after the last line break
    EXPECT_EQ(QString::fromUtf8(rows[2]), QStringLiteral("2\t1\\t2\ta\\nb\tc\\\\d\te\\r\\nf\t\\\\t\t5"));
    const ProcessResult help = render({QStringLiteral("--help")});
    EXPECT_TRUE(help.out.contains("\\t, \\n, \\r and \\\\")) << help.out.toStdString();
}

TEST_F(RenderCli, HugeTextsAreCutToWhatThePageCanShow)
{
    sheet::TagSheet s(sheet::SheetFormat::large);
    s.record(1).productName = QString(4 * 1024 * 1024, u'長');
    s.record(2).productName = QStringLiteral("品");  // a tag without a product name is not drawn
    s.record(2).maker = QString(300, u'x') + QStringLiteral("尾");
    const QString sheetPath = save(s, QStringLiteral("huge.csv"));
    const ProcessResult r = render({sheetPath, QStringLiteral("--ops")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_LT(r.out.size(), 1024 * 1024);
    int cut = 0;
    for (const QByteArray& line : r.out.split('\n')) {
        const QString text = QJsonDocument::fromJson(line).object().value(QStringLiteral("text")).toString();
        if (text.startsWith(u'長') || text.startsWith(u'x')) {
            EXPECT_EQ(text.size(), 256) << text.left(8).toStdString();
            ++cut;
        }
    }
    EXPECT_EQ(cut, 2);
    const ProcessResult png = render({sheetPath, QStringLiteral("--dpi"), QStringLiteral("50"), QStringLiteral("-o"),
                                      path(QStringLiteral("huge.png"))});
    EXPECT_EQ(png.exitCode, 0) << png.err.toStdString();
}

TEST_F(RenderCli, ASuccessfulRunWithoutARuntimeFolderSaysNothingOnStandardError)
{
    const QString sheetPath = save(sheet::TagSheet(sheet::SheetFormat::large), QStringLiteral("s.csv"));
    for (const QStringList& args :
         {QStringList {QStringLiteral("--ops")}, QStringList {QStringLiteral("-o"), path(QStringLiteral("p.pdf"))}}) {
        const ProcessResult r = runProgram(kRenderer, QStringList {sheetPath} << args, 60000, [](QProcess& p) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
            p.setProcessEnvironment(env);
        });
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.err, QByteArray()) << args.join(u' ').toStdString();
    }
}

TEST_F(RenderCli, PrintSupportIsLoadedOnlyToPrint)
{
    // The renderer itself does not need the print or widget libraries at start-up.
    const ProcessResult dynamic = runProgram(QStringLiteral("readelf"), {QStringLiteral("-d"), kRenderer});
    if (dynamic.exitCode != 0) {
        GTEST_SKIP() << "readelf is not available: " << dynamic.err.toStdString();
    }
    EXPECT_TRUE(dynamic.out.contains("libQt6Gui")) << dynamic.out.toStdString();
    EXPECT_FALSE(dynamic.out.contains("libQt6PrintSupport")) << dynamic.out.toStdString();
    EXPECT_FALSE(dynamic.out.contains("libQt6Widgets")) << dynamic.out.toStdString();

    // Without its print module a copy of the program reports that it cannot print.
    const QString copy = path(QStringLiteral("tanafuda-render"));
    ASSERT_TRUE(QFile::copy(kRenderer, copy));
    const QString sheetPath = save(sheet::TagSheet(sheet::SheetFormat::large), QStringLiteral("s.csv"));
    if (QFile::exists(QStringLiteral(TANAFUDA_PRINT_MODULE_DIR "/tanafuda-render-print.so"))) {
        GTEST_SKIP() << "the print module is installed on this machine: a copy finds it";
    }
    const ProcessResult r = runProgram(copy, {sheetPath, QStringLiteral("--print")});
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("cannot print: tanafuda-render-print.so is not installed")) << r.err.toStdString();
}

TEST_F(RenderCli, AnOutputNeverReplacesASheetItIsMadeFrom)
{
    sheet::TagSheet s(sheet::SheetFormat::large);
    s.record(1).productName = QStringLiteral("品");
    const QString sheetPath = save(s, QStringLiteral("s.csv"));
    const QString other = save(sheet::TagSheet(sheet::SheetFormat::small), QStringLiteral("t.csv"));
    ASSERT_TRUE(QFile::link(sheetPath, path(QStringLiteral("link.csv"))));
    const QByteArray before = fileBytes(sheetPath);
    const QStringList cases[] = {
        {sheetPath, QStringLiteral("--ops"), QStringLiteral("-o"), sheetPath},
        {other, sheetPath, QStringLiteral("--list"), QStringLiteral("-o"), sheetPath},
        {sheetPath, QStringLiteral("--list"), QStringLiteral("--json"), QStringLiteral("-o"),
         path(QStringLiteral("link.csv"))},
        {sheetPath, QStringLiteral("--ops"), QStringLiteral("-o"), dir.path() + QStringLiteral("/./s.csv")},
    };
    for (const QStringList& args : cases) {
        const ProcessResult r = render(args);
        EXPECT_EQ(r.exitCode, 1) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains("choose another name")) << r.err.toStdString();
        EXPECT_EQ(fileBytes(sheetPath), before);
    }
}

namespace {

// The renderer draws the extra texts the settings file chooses, the options over it, and says on
// standard error (standard output carrying the drawing) which tag could not show its unit price.
TEST_F(RenderCli, TagTextsFollowTheSettingsAndTheOptions)
{
    sheet::TagSheet s(sheet::SheetFormat::large);
    s.record(1) = {{}, QStringLiteral("棚札食品"), QStringLiteral("緑茶"), {}, QStringLiteral("500ml"), {}, 199};
    s.record(2) = {{}, QStringLiteral("棚札食品"), QStringLiteral("詰合せ"), {}, QStringLiteral("大"), {}, 1000};
    const QString sheetPath = save(s, QStringLiteral("texts.csv"));
    const QByteArray unit = QStringLiteral("100mlあたり 39.8円").toUtf8();
    const QByteArray tax = QStringLiteral("（税抜 185円）").toUtf8();  // 199 at 8 %
    const QByteArray mark = QStringLiteral("\"text\":\"※\"").toUtf8();
    const QByteArray note = QStringLiteral("棚札 2: 単位価格なし").toUtf8();
    struct Row {
        const char* name;
        QByteArray settings;  // empty: no settings file
        QStringList options;
        bool unit, tax, mark;
        int exitCode;
    };
    const QByteArray allOn = "[tag-texts]\nunit-price=true\ntax-exclusive=true\nreduced-rate-mark=true\n"
                             "sheet-tax-rate=8\n";
    const Row rows[] = {
        {"no settings", {}, {}, false, false, false, 0},
        {"the settings' texts", allOn, {}, true, true, true, 0},
        {"--no-tag-texts over them", allOn, {QStringLiteral("--no-tag-texts")}, false, false, false, 0},
        {"--tag-texts over them",
         allOn,
         {QStringLiteral("--tag-texts"), QStringLiteral("unit")},
         true,
         false,
         false,
         0},
        {"--tag-texts without settings, at 10 %",
         {},
         {QStringLiteral("--tag-texts"), QStringLiteral("mark,unit")},
         true,
         false,
         false,
         0},
        {"a word it does not know",
         {},
         {QStringLiteral("--tag-texts"), QStringLiteral("price")},
         false,
         false,
         false,
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir config;
        if (!row.settings.isEmpty()) {
            ASSERT_TRUE(QDir(config.path()).mkpath(QStringLiteral("tanafuda")));
            QFile ini(config.filePath(QStringLiteral("tanafuda/tanafuda.ini")));
            ASSERT_TRUE(ini.open(QIODevice::WriteOnly) && ini.write(row.settings) == row.settings.size());
        }
        const ProcessResult r = runProgram(kRenderer, QStringList {QStringLiteral("--ops"), sheetPath} + row.options,
                                           120000, [&config](QProcess& p) {
                                               QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
                                               env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
                                               p.setProcessEnvironment(env);
                                           });
        EXPECT_EQ(r.exitCode, row.exitCode) << r.err.toStdString();
        EXPECT_EQ(r.out.contains(unit), row.unit);
        EXPECT_EQ(r.out.contains(tax), row.tax);
        EXPECT_EQ(r.out.contains(mark), row.mark);
        EXPECT_EQ(r.err.contains(note), row.unit) << r.err.toStdString();
    }
}

}  // namespace
