// Black-box tests of tanafuda-render: the program is run as a user would run it.
#include "sheet/tag_sheet.h"
#include "sheetfile/sheet_file.h"
#include "../qt_print.h"

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
#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct ProcessResult {
    int exitCode;
    QByteArray out;
    QByteArray err;
};

ProcessResult runProgram(const QString& program, const QStringList& args, int timeoutMs = 120000)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return {-1, {}, "timed out"};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

ProcessResult render(const QStringList& args)
{
    return runProgram(QStringLiteral(TANAFUDA_BINARY_DIR "/tools/tanafuda-render"), args);
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

// A full sheet: every tag named, with EAN-13 codes on odd tags and EAN-8 codes on even ones.
sheet::TagSheet fullSheet(const sheet::SheetFormat& format, QStringList& codes)
{
    sheet::TagSheet s(format);
    for (int i = 1; i <= s.tagsPerPage(); ++i) {
        QString data = i % 2 ? QStringLiteral("49%1%2").arg(i % 10).arg(1000000 + 7919 * i, 9, 10, QLatin1Char('0'))
                             : QStringLiteral("45%1").arg(10000 + 37 * i, 5, 10, QLatin1Char('0'));
        data.truncate(i % 2 ? 12 : 7);
        const QString code = data + checkDigit(data);
        codes << code;
        s.record(i) = {code, QStringLiteral("メーカー"), QStringLiteral("商品%1").arg(i), QStringLiteral("二行"),
                       QStringLiteral("1L"), QStringLiteral("ロット"), 100 * i};
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
        const auto result = sheetfile::writeSheetFile(s, p);
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
        QStringList rasterArgs{QStringLiteral("-r"), dpi, QStringLiteral("-png"), QStringLiteral("-singlefile")};
        if (!row.redLight) {
            rasterArgs << QStringLiteral("-gray");
        }
        const ProcessResult raster = runProgram(QStringLiteral("pdftoppm"), rasterArgs << pdf << path(QStringLiteral("page")));
        ASSERT_EQ(raster.exitCode, 0) << raster.err.toStdString();
        const QString seen = row.redLight ? redLightView(path(QStringLiteral("page.png"))) : path(QStringLiteral("page.png"));
        ASSERT_FALSE(seen.isEmpty());
        const ProcessResult scan = runProgram(QStringLiteral("zbarimg"), {QStringLiteral("-q"), QStringLiteral("-Sean8.enable"), seen});
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
    s.record(2) = {QStringLiteral("0123"), QStringLiteral("メーカー,社"), QStringLiteral(" 品名 "), QStringLiteral("二"),
                   QString(), QStringLiteral("lot"), -5};
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
    s.record(1) = {QStringLiteral("4901234567894"), QString(), QStringLiteral("品"), QString(), QString(), QString(), 5};
    const QString sheetPath = save(s, QStringLiteral("one.csv"));
    const ProcessResult r = render({sheetPath, QStringLiteral("--ops"), QStringLiteral("--offset"), QStringLiteral("3,-2")});
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
    EXPECT_TRUE(QString::fromLocal8Bit(rejected.err).split(u'\n').contains(QStringLiteral("棚札形式のデータではありません")))
        << rejected.err.toStdString();
    EXPECT_EQ(render({path(QStringLiteral("missing.csv")), QStringLiteral("--ops")}).exitCode, 2);

    const ProcessResult unwritable = render({good, QStringLiteral("-o"), path(QStringLiteral("no/such/dir/page.pdf"))});
    EXPECT_EQ(unwritable.exitCode, 3);
    EXPECT_FALSE(unwritable.err.isEmpty());
}
