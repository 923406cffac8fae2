// Printing through a real CUPS queue that writes PDFs: a private cupsd of the test's own (its own
// folder and socket, nothing of the system's queues touched) with a queue of the generic PDF
// printer, whose filters treat the job as a printer driver would. Skipped with a message where
// cupsd cannot be started.
#include "fake_dialogs.h"
#include "editor_test_support.h"
#include "platform/calibration_settings.h"
#include "platform/page_printing.h"
#include "print/calibration_sheet.h"
#include "printed_page_checks.h"
#include "sheetfile/sheet_file.h"
#include "windows/calibration_dialog.h"
#include "windows/control_names.h"
#include "../qt_print.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>

using print::Calibration;

namespace {

constexpr int kDpi = 300;
const QString kQueue = QStringLiteral("tanafuda-test-pdf");
const QString kPpd = QStringLiteral("/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd");

// A cupsd of the test's own, listening on a socket in a temporary folder.
class PrivateCups {
public:
    PrivateCups()
    {
        for (const QString& program : {QStringLiteral("/usr/sbin/cupsd"), QStringLiteral("/usr/sbin/lpadmin")}) {
            if (!QFileInfo(program).isExecutable()) {
                problem_ = program + QStringLiteral(" is missing (Debian packages cups, cups-filters)");
                return;
            }
        }
        if (!QFile::exists(kPpd)) {
            problem_ = kPpd + QStringLiteral(" is missing (Debian package cups-filters)");
            return;
        }
        root_ = dir_.path();
        for (const char* sub : {"spool", "tmp", "cache", "state", "log", "ppd", "out"}) {
            QDir(root_).mkpath(QString::fromLatin1(sub));
        }
        // The filters run as the spooler's own user: the folders must be open to it.
        for (const QString& d : QDir(root_).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile::setPermissions(root_ + u'/' + d, QFileDevice::Permissions(0x7777));
        }
        QFile::setPermissions(root_, QFileDevice::Permissions(0x7777));
        write(QStringLiteral("cups-files.conf"),
              QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/tmp\nCacheDir %1/cache\n"
                             "StateDir %1/state\nAccessLog %1/log/access_log\nErrorLog %1/log/error_log\n"
                             "PageLog %1/log/page_log\nPrintcap %1/printcap\nFileDevice Yes\n")
                  .arg(root_));
        write(QStringLiteral("cupsd.conf"),
              QStringLiteral("Listen %1/cups.sock\nLogLevel info\nBrowsing No\nWebInterface No\n"
                             "<Location />\nOrder allow,deny\nAllow all\n</Location>\n"
                             "<Policy default>\n<Limit All>\nOrder deny,allow\n</Limit>\n</Policy>\n")
                  .arg(root_));
        cupsd_.setProcessChannelMode(QProcess::MergedChannels);
        cupsd_.start(QStringLiteral("/usr/sbin/cupsd"),
                     {QStringLiteral("-f"), QStringLiteral("-c"), root_ + QStringLiteral("/cupsd.conf"),
                      QStringLiteral("-s"), root_ + QStringLiteral("/cups-files.conf")});
        if (!cupsd_.waitForStarted(5000)) {
            problem_ = QStringLiteral("cupsd did not start: ") + cupsd_.errorString();
            return;
        }
        for (int i = 0; i < 100 && !QFile::exists(socket()); ++i) {
            QThread::msleep(100);
        }
        if (!QFile::exists(socket()) || cupsd_.state() != QProcess::Running) {
            problem_ = QStringLiteral("cupsd did not come up: ") + QString::fromLocal8Bit(cupsd_.readAll()) + log();
            return;
        }
        const printed::Run added = lp(QStringLiteral("/usr/sbin/lpadmin"),
                                      {QStringLiteral("-p"), kQueue, QStringLiteral("-E"), QStringLiteral("-v"),
                                       QStringLiteral("file://") + output(), QStringLiteral("-P"), kPpd});
        if (added.exitCode != 0) {
            problem_ = QStringLiteral("lpadmin failed: ") + added.err + log();
        }
    }
    ~PrivateCups()
    {
        if (cupsd_.state() != QProcess::NotRunning) {
            cupsd_.terminate();
            if (!cupsd_.waitForFinished(10000)) {
                cupsd_.kill();
                cupsd_.waitForFinished();
            }
        }
    }

    // Why the queue is not there; empty when it is.
    QString problem() const { return problem_; }
    QString socket() const { return root_ + QStringLiteral("/cups.sock"); }
    // The file the queue writes each job to.
    QString output() const { return root_ + QStringLiteral("/out/job.pdf"); }
    QString log() const
    {
        QFile f(root_ + QStringLiteral("/log/error_log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll().right(3000)) : QString();
    }

    printed::Run lp(const QString& program, const QStringList& args) const
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(program, args);
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
            return {-1, {}, QStringLiteral("timed out")};
        }
        return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()),
                QString::fromLocal8Bit(p.readAllStandardError())};
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("CUPS_SERVER"), socket());
        return env;
    }

    // Empties the output before a job; afterwards waits for the job to be written whole.
    void expectJob() const { QFile::remove(output()); }
    bool waitForJob() const
    {
        for (int i = 0; i < 600; ++i) {
            const bool idle = lp(QStringLiteral("lpstat"), {QStringLiteral("-o"), kQueue}).out.trimmed().isEmpty();
            if (idle && QFileInfo(output()).size() > 0) {
                QThread::msleep(300);
                return true;
            }
            QThread::msleep(100);
        }
        return false;
    }

private:
    void write(const QString& name, const QString& text)
    {
        QFile f(root_ + u'/' + name);
        if (f.open(QIODevice::WriteOnly)) {
            f.write(text.toUtf8());
        }
    }

    QTemporaryDir dir_{QStringLiteral("/tmp/tanafuda-cups-XXXXXX")};  // short: a socket path has a limit
    QString root_;
    QProcess cupsd_;
    QString problem_;
};

// Sheet with codes on the tags of the first column, whose barcodes have no coded neighbour.
sheet::TagSheet codedSheet(QStringList& codes)
{
    sheet::TagSheet s(sheet::SheetFormat::large);
    const char* const jan[] = {"4901234567894", "4512345678906", "4912345678904", "4987654321094",
                               "4900000000016", "4923456789014", "4934567890124", "4945678901234"};
    for (int row = 0; row < 8; ++row) {
        const int tag = 1 + row * 3;
        s.record(tag) = {QString::fromLatin1(jan[row]), QStringLiteral("メーカー"), QStringLiteral("商品%1").arg(tag),
                         QString(), QStringLiteral("1L"), QStringLiteral("ロット"), 100 * tag};
        codes << QString::fromLatin1(jan[row]);
        s.record(tag + 1) = {QString(), QStringLiteral("隣"), QStringLiteral("商品%1").arg(tag + 1), QString(),
                             QString(), QString(), 50};
    }
    codes.sort();
    return s;
}

// The centre of the bars of tag `tag`, in millimetres, on a page drawn with `calibration`: the
// mean of the bars' middles across, and the middle of their common height. (The rasteriser
// widens a thin bar by a pixel here and there, so the middles are used rather than the ink.)
std::optional<printed::Mm> barsCentre(const QImage& page, const sheet::TagSheet& s, int tag, const Calibration& c)
{
    const sheet::CellOrigin o = s.cellOrigin(tag);
    // The bars of a large tag lie between 29 and 59 mm across its cell and 2 and 9 mm down; its
    // code's digits and the neighbour's texts lie outside.
    const print::PointMm topLeft = c.apply({o.xMm + 28.5, o.yMm + 1.5});
    const print::PointMm bottomRight = c.apply({o.xMm + 59.5, o.yMm + 9.7});
    const QRect area = QRect(printed::mmToPx(topLeft.x, kDpi), printed::mmToPx(topLeft.y, kDpi),
                             printed::mmToPx(bottomRight.x - topLeft.x, kDpi),
                             printed::mmToPx(bottomRight.y - topLeft.y, kDpi))
                           .intersected(page.rect());
    std::vector<double> columns(size_t(area.width()), 0.0);
    std::vector<double> rows(size_t(area.height()), 0.0);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const double ink = (255 - qRed(page.pixel(x, y))) / 255.0;  // in red light
            columns[size_t(x - area.left())] += ink;
            rows[size_t(y - area.top())] += ink;
        }
    }
    // Runs of columns (rows) dark along at least half of the most: their middles, in pixels.
    const auto middles = [](const std::vector<double>& profile, int first) {
        const double most = profile.empty() ? 0.0 : *std::max_element(profile.begin(), profile.end());
        std::vector<double> found;
        int start = -1;
        for (int i = 0; i <= int(profile.size()); ++i) {
            const bool on = i < int(profile.size()) && most > 0 && profile[size_t(i)] >= most / 2;
            if (on && start < 0) {
                start = i;
            } else if (!on && start >= 0) {
                found.push_back(first + (start + i) / 2.0);
                start = -1;
            }
        }
        return found;
    };
    const std::vector<double> bars = middles(columns, area.left());
    const std::vector<double> height = middles(rows, area.top());
    if (bars.size() < 20 || height.size() != 1) {
        return std::nullopt;
    }
    double sum = 0;
    for (double b : bars) {
        sum += b;
    }
    return printed::Mm{printed::pxToMm(sum / double(bars.size()), kDpi), printed::pxToMm(height.front(), kDpi)};
}

QStringList scanned(const QString& pdf, const QString& base)
{
    printed::run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("600"), QStringLiteral("-gray"),
                                              QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, base});
    const printed::Run zbar =
        printed::run(QStringLiteral("zbarimg"), {QStringLiteral("-q"), QStringLiteral("--raw"), base + QStringLiteral(".png")});
    QStringList codes = zbar.out.split(u'\n', Qt::SkipEmptyParts);
    codes.sort();
    return codes;
}

class CupsPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The program's own printing talks to the private cupsd too.
        qputenv("CUPS_SERVER", cups.socket().toLocal8Bit());
        if (!cups.problem().isEmpty()) {
            GTEST_SKIP() << "no CUPS queue to print on: " << cups.problem().toStdString();
        }
    }
    void TearDown() override { qunsetenv("CUPS_SERVER"); }

    // Qt reads the print server once per process; when another test of this run reached the
    // system's first, the private queue cannot be seen from here.
    bool qtSeesQueue()
    {
        return QPrinterInfo::availablePrinterNames().contains(kQueue);
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    PrivateCups cups;
};

// The page printed through the queue, calibrated or not, against the page as drawn directly: every
// barcode where the calibration says, within 0.1 mm, and every one read by a scanner.
void expectBarcodesWhereCalibrationSays(const QString& direct, const QString& printedPdf, const sheet::TagSheet& s,
                                        const Calibration& c, const QStringList& codes, const QString& scratch)
{
    const QImage drawn = printed::pageImage(direct, scratch + QStringLiteral("/direct"), kDpi);
    const QImage paper = printed::pageImage(printedPdf, scratch + QStringLiteral("/printed"), kDpi);
    ASSERT_FALSE(drawn.isNull());
    ASSERT_FALSE(paper.isNull());
    for (int row = 0; row < 8; ++row) {
        const int tag = 1 + row * 3;
        SCOPED_TRACE(tag);
        const std::optional<printed::Mm> want = barsCentre(drawn, s, tag, {});
        const std::optional<printed::Mm> got = barsCentre(paper, s, tag, c);
        ASSERT_TRUE(want && got);
        const print::PointMm expected = c.apply({want->x, want->y});
        EXPECT_NEAR(got->x, expected.x, 0.1);
        EXPECT_NEAR(got->y, expected.y, 0.1);
    }
    EXPECT_EQ(scanned(printedPdf, scratch + QStringLiteral("/scan")), codes);
}

TEST_F(CupsPrint, EditorPrintsFromThePaperCornerWithThePrintersCalibration)
{
    if (!qtSeesQueue()) {
        GTEST_SKIP() << "Qt already reached another print server in this process; run this test alone (ctest does)";
    }
    const Calibration calibrations[] = {{}, {-1, 3, 99, 101.5}};
    for (const Calibration& c : calibrations) {
        SCOPED_TRACE(print::formatCalibration(c).toStdString());
        editor_test::OpenEditor e(sheet::SheetFormat::large);
        QStringList codes;
        e.sheet() = codedSheet(codes);
        e.w().calibrationSettings() = platform::CalibrationSettings(path(QStringLiteral("tanafuda.ini")));
        if (!c.isIdentity()) {
            ASSERT_TRUE(e.w().calibrationSettings().save(kQueue, c, nullptr));
        } else {
            e.w().calibrationSettings().clear(kQueue, nullptr);
        }
        // The page as the PDF output draws it, without a printer in between.
        e.dialogs.pdfPath = path(QStringLiteral("direct.pdf"));
        e.w().menuAction(windows::names::kPrintMenu)->trigger();
        ASSERT_TRUE(QFile::exists(e.dialogs.pdfPath));

        e.dialogs.printerName = kQueue;
        cups.expectJob();
        e.w().menuAction(windows::names::kPrintMenu)->trigger();
        ASSERT_TRUE(cups.waitForJob()) << cups.log().toStdString();
        EXPECT_TRUE(e.dialogs.messages.isEmpty());
        expectBarcodesWhereCalibrationSays(e.dialogs.pdfPath, cups.output(), e.sheet(), c, codes, dir.path());
    }
}

TEST_F(CupsPrint, CalibrationSheetMarksLandWhereTheCalibrationSays)
{
    if (!qtSeesQueue()) {
        GTEST_SKIP() << "Qt already reached another print server in this process; run this test alone (ctest does)";
    }
    const Calibration calibrations[] = {{}, {-3.25, 1.5, 100.5, 99.5}};
    for (const Calibration& c : calibrations) {
        SCOPED_TRACE(print::formatCalibration(c).toStdString());
        platform::CalibrationSettings settings(path(QStringLiteral("tanafuda.ini")));
        settings.clear(kQueue, nullptr);
        if (!c.isIdentity()) {
            ASSERT_TRUE(settings.save(kQueue, c, nullptr));
        }
        FakeDialogs dialogs;
        dialogs.printerName = kQueue;
        windows::CalibrationDialog dialog(sheet::SheetFormat::small, dialogs, settings, {kQueue}, kQueue);
        cups.expectJob();
        dialog.findChild<QPushButton*>(QStringLiteral("cmdPrintSheet"))->click();
        ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
        ASSERT_TRUE(cups.waitForJob()) << cups.log().toStdString();
        const QImage paper = printed::pageImage(cups.output(), path(QStringLiteral("sheet")), kDpi);
        ASSERT_FALSE(paper.isNull());
        for (const print::CalibrationMark& mark : print::calibrationMarks()) {
            const print::PointMm want = c.apply(mark.centre);
            const std::optional<printed::Mm> found = printed::findCross(paper, kDpi, {want.x, want.y});
            ASSERT_TRUE(found.has_value()) << mark.name.toStdString();
            EXPECT_NEAR(found->x, want.x, 0.1) << mark.name.toStdString();
            EXPECT_NEAR(found->y, want.y, 0.1) << mark.name.toStdString();
        }
    }
}

}  // namespace

namespace {

// The job asks for the page at 100 %, whatever the printer dialog left in its options.
TEST_F(CupsPrint, JobAsksForActualSize)
{
    if (!qtSeesQueue()) {
        GTEST_SKIP() << "Qt already reached another print server in this process; run this test alone (ctest does)";
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(kQueue);
    ASSERT_EQ(printer.outputFormat(), QPrinter::NativeFormat);
    // As a printer dialog leaves them: the engine's CUPS options, name and value in turn.
    const auto cupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
    printer.printEngine()->setProperty(cupsOptions, QStringList{QStringLiteral("fit-to-page"), QStringLiteral("true"),
                                                                QStringLiteral("Duplex"), QStringLiteral("None"),
                                                                QStringLiteral("number-up"), QStringLiteral("2"),
                                                                QStringLiteral("scaling"), QStringLiteral("90")});
    platform::prepareActualSizePage(printer);
    EXPECT_EQ(platform::printJobOptions(printer),
              (QStringList{QStringLiteral("Duplex"), QStringLiteral("None"), QStringLiteral("fit-to-page"),
                           QStringLiteral("false"), QStringLiteral("print-scaling"), QStringLiteral("none"),
                           QStringLiteral("number-up"), QStringLiteral("1")}));
    EXPECT_TRUE(printer.fullPage());
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);
}

}  // namespace
