// Printing through a real CUPS queue that writes PDFs: a private cupsd of the test's own (its own
// folder and socket, nothing of the system's queues touched) with a queue of the generic PDF
// printer, whose filters treat the job as a printer driver would. Skipped with a message where
// cupsd cannot be started.
#include "core/draw/calibration_sheet.h"
#include "core/files/sheet_file.h"
#include "core/settings/printer_calibrations.h"
#include "desktop/dialogs/calibration_dialog.h"
#include "desktop/editor/control_names.h"
#include "output/calibrated_pages.h"
#include "support/editor_test_support.h"
#include "support/fake_dialogs.h"
#include "support/printed_page_checks.h"
#include "support/qt_print.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

using calibration::Calibration;

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

    printed::Run lp(const QString& program, const QStringList& args, const QString& configHome = QString()) const
    {
        QProcess p;
        QProcessEnvironment env = environment();
        if (!configHome.isEmpty()) {
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
        }
        p.setProcessEnvironment(env);
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

    QTemporaryDir dir_ {QStringLiteral("/tmp/tanafuda-cups-XXXXXX")};  // short: a socket path has a limit
    QString root_;
    QProcess cupsd_;
    QString problem_;
};

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
    bool qtSeesQueue() { return QPrinterInfo::availablePrinterNames().contains(kQueue); }

    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    PrivateCups cups;
};

// The page printed through the queue, calibrated or not, against the page as drawn directly: every
// barcode where the calibration says, within 0.1 mm, and every one read by a scanner.
void expectBarcodesWhereCalibrationSays(const QString& direct, const QString& printedPdf, const sheet::TagSheet& s,
                                        const Calibration& c, const QStringList& codes, const QString& scratch,
                                        bool scan = true)
{
    const QImage drawn = printed::pageImage(direct, scratch + QStringLiteral("/direct"), kDpi);
    const QImage paper = printed::pageImage(printedPdf, scratch + QStringLiteral("/printed"), kDpi);
    ASSERT_FALSE(drawn.isNull());
    ASSERT_FALSE(paper.isNull());
    for (int row = 0; row < 8; ++row) {
        const int tag = 1 + row * 3;
        SCOPED_TRACE(tag);
        const std::optional<printed::Mm> want = printed::barsCentre(drawn, kDpi, s, tag, {});
        const std::optional<printed::Mm> got = printed::barsCentre(paper, kDpi, s, tag, c);
        ASSERT_TRUE(want && got);
        const calibration::PointMm expected = c.apply({want->x, want->y});
        EXPECT_NEAR(got->x, expected.x, 0.1);
        EXPECT_NEAR(got->y, expected.y, 0.1);
    }
    if (scan) {
        EXPECT_EQ(printed::scanned(printedPdf, scratch + QStringLiteral("/scan")), codes);
    }
}

TEST_F(CupsPrint, EditorPrintsFromThePaperCornerWithThePrintersCalibration)
{
    if (!qtSeesQueue()) {
        GTEST_SKIP() << "Qt already reached another print server in this process; run this test alone (ctest does)";
    }
    const struct {
        const char* name;
        std::optional<Calibration> saved;
        bool damaged;  // the saved value made unusable in the file
        Calibration applied;
    } rows[] = {
        {"none saved", std::nullopt, false, {}},
        {"saved", Calibration {-1, 3, 99, 101.5}, false, {-1, 3, 99, 101.5}},
        {"unusable", Calibration {-1, 3, 99, 101.5}, true, {}},
    };
    bool first = true;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        editor_test::OpenEditor e(sheet::SheetFormat::large);
        QStringList codes;
        e.sheet() = printed::codedSheet(codes);
        const QString ini = path(QStringLiteral("tanafuda.ini"));
        QFile::remove(ini);
        e.w().settingsStore() = settings::SettingsStore(ini);
        if (row.saved) {
            ASSERT_TRUE(
                settings::PrinterCalibrations(e.w().settingsStore()).saveCalibration(kQueue, *row.saved, nullptr));
        }
        if (row.damaged) {
            QFile file(ini);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            const QByteArray text = file.readAll().replace("101.5", "130");
            file.resize(0);
            file.write(text);
        }
        // The page as the PDF output draws it, without a printer in between.
        e.dialogs.pdfPath = path(QStringLiteral("direct.pdf"));
        e.w().menuAction(desktop::names::kPrintMenu)->trigger();
        ASSERT_TRUE(QFile::exists(e.dialogs.pdfPath));

        e.dialogs.printerName = kQueue;
        cups.expectJob();
        e.w().menuAction(desktop::names::kPrintMenu)->trigger();
        ASSERT_TRUE(cups.waitForJob()) << cups.log().toStdString();
        if (row.damaged) {
            ASSERT_EQ(e.dialogs.messages.size(), 1);
            EXPECT_TRUE(e.dialogs.messages.front().contains(QStringLiteral("調整なしで印刷します")));
            EXPECT_EQ(e.dialogs.messageKinds.front().first, desktop::MessageIcon::warning);
        } else {
            EXPECT_TRUE(e.dialogs.messages.isEmpty());
        }
        expectBarcodesWhereCalibrationSays(e.dialogs.pdfPath, cups.output(), e.sheet(), row.applied, codes, dir.path(),
                                           first);
        first = false;
    }
}

TEST_F(CupsPrint, CalibrationSheetMarksLandWhereTheCalibrationSays)
{
    if (!qtSeesQueue()) {
        GTEST_SKIP() << "Qt already reached another print server in this process; run this test alone (ctest does)";
    }
    const Calibration calibrations[] = {{}, {-3.25, 1.5, 100.5, 99.5}};
    for (const Calibration& c : calibrations) {
        SCOPED_TRACE(calibration::formatCalibration(c).toStdString());
        settings::PrinterCalibrations settings {settings::SettingsStore(path(QStringLiteral("tanafuda.ini")))};
        settings.clearCalibration(kQueue, nullptr);
        if (!c.isIdentity()) {
            ASSERT_TRUE(settings.saveCalibration(kQueue, c, nullptr));
        }
        FakeDialogs dialogs;
        dialogs.printerName = kQueue;
        desktop::CalibrationDialog dialog(sheet::SheetFormat::small, dialogs, settings, {kQueue}, kQueue);
        cups.expectJob();
        dialog.findChild<QPushButton*>(QStringLiteral("cmdPrintSheet"))->click();
        ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'\n').toStdString();
        ASSERT_TRUE(cups.waitForJob()) << cups.log().toStdString();
        const QImage paper = printed::pageImage(cups.output(), path(QStringLiteral("sheet")), kDpi);
        ASSERT_FALSE(paper.isNull());
        for (const draw::CalibrationMark& mark : draw::calibrationMarks()) {
            const calibration::PointMm want = c.apply(mark.centre);
            const std::optional<printed::Mm> found = printed::findCross(paper, kDpi, {want.x, want.y});
            ASSERT_TRUE(found.has_value()) << mark.name.toStdString();
            EXPECT_NEAR(found->x, want.x, 0.1) << mark.name.toStdString();
            EXPECT_NEAR(found->y, want.y, 0.1) << mark.name.toStdString();
        }
    }
}

}  // namespace

namespace {

// tanafuda-render --print: the printer's saved calibration, none, or the one given.
TEST_F(CupsPrint, RendererPrintsWithThePrintersCalibration)
{
    QStringList codes;
    const sheet::TagSheet s = printed::codedSheet(codes);
    const QString sheetPath = path(QStringLiteral("coded.csv"));
    ASSERT_TRUE(files::writeSheetFile(s, sheetPath).ok);
    const QString renderer = QStringLiteral(TANAFUDA_BINARY_DIR "/tools/tanafuda-render");
    const QString direct = path(QStringLiteral("direct.pdf"));
    ASSERT_EQ(printed::run(renderer, {sheetPath, QStringLiteral("-o"), direct}).exitCode, 0);

    const QString configHome = path(QStringLiteral("config"));
    const QString ini = configHome + QStringLiteral("/tanafuda/tanafuda.ini");
    const Calibration saved {1.25, -0.75, 100.5, 99.5};
    const Calibration given {-2, 2, 100, 100};
    const struct {
        const char* name;
        bool damaged;
        QStringList args;
        Calibration applied;
        const char* says;  // on standard error
    } rows[] = {
        {"saved", false, {}, saved, ""},
        {"--no-calibration", false, {QStringLiteral("--no-calibration")}, {}, ""},
        {"--calibration", false, {QStringLiteral("--calibration"), calibration::formatCalibration(given)}, given, ""},
        {"out of bounds in the file", true, {}, {}, "使いません"},
    };
    bool first = true;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        settings::PrinterCalibrations settings {settings::SettingsStore(ini)};
        ASSERT_TRUE(settings.saveCalibration(kQueue, saved, nullptr));
        if (row.damaged) {
            QFile file(ini);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            QByteArray text = file.readAll().replace("100.5", "150");
            file.resize(0);
            file.write(text);
        }
        cups.expectJob();
        const printed::Run r = cups.lp(
            renderer,
            QStringList {sheetPath, QStringLiteral("--print"), QStringLiteral("--printer"), kQueue} + row.args,
            configHome);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(row.says))) << r.err.toStdString();
        ASSERT_TRUE(cups.waitForJob()) << cups.log().toStdString();
        expectBarcodesWhereCalibrationSays(direct, cups.output(), s, row.applied, codes, dir.path(), first);
        first = false;
    }
}

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
    printer.printEngine()->setProperty(cupsOptions,
                                       QStringList {QStringLiteral("fit-to-page"), QStringLiteral("true"),
                                                    QStringLiteral("Duplex"), QStringLiteral("None"),
                                                    QStringLiteral("number-up"), QStringLiteral("2"),
                                                    QStringLiteral("scaling"), QStringLiteral("90")});
    output::prepareActualSizePage(printer);
    EXPECT_EQ(output::printJobOptions(printer),
              (QStringList {QStringLiteral("Duplex"), QStringLiteral("None"), QStringLiteral("fit-to-page"),
                            QStringLiteral("false"), QStringLiteral("print-scaling"), QStringLiteral("none"),
                            QStringLiteral("number-up"), QStringLiteral("1")}));
    EXPECT_TRUE(printer.fullPage());
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);
}

}  // namespace

namespace {

// A list the import lays out as a page like codedSheet's: a code on tags 1, 4, 7, ..., 22, names
// only on their neighbours; and a page more of names, so that the dialog can print "all".
QString writeCodedList(const QString& path, QStringList& codes)
{
    const sheet::TagSheet coded = printed::codedSheet(codes);
    QString text = QStringLiteral("JANコード,商品名,売価\n");
    for (int tag = 1; tag <= 48; ++tag) {
        const sheet::TagRecord r = tag <= 24 ? coded.record(tag) : sheet::TagRecord {};
        text += QStringLiteral("%1,%2,%3\n")
                    .arg(r.jan, r.productName.isEmpty() ? QStringLiteral("品%1").arg(tag) : r.productName)
                    .arg(r.price);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0 ? path : QString();
}

// Every way a page reaches a printer applies the printer's saved calibration: the editor's print,
// tanafuda-render --print, the import dialog's "print all" and tanafuda-import --print.
TEST_F(CupsPrint, EveryPrintPathAppliesThePrintersCalibration)
{
    if (!qtSeesQueue()) {
        GTEST_SKIP() << "Qt already reached another print server in this process; run this test alone (ctest does)";
    }
    QStringList codes;
    const QString list = writeCodedList(path(QStringLiteral("coded.csv")), codes);
    ASSERT_FALSE(list.isEmpty());
    const QString tools = QStringLiteral(TANAFUDA_BINARY_DIR "/tools/");
    // The list's first sheet as the import writes it, and that sheet drawn without a printer.
    ASSERT_EQ(printed::run(tools + QStringLiteral("tanafuda-import"),
                           {list, QStringLiteral("-o"), path(QStringLiteral("sheets"))})
                  .exitCode,
              0);
    const QString firstSheet = path(QStringLiteral("sheets/coded-1.csv"));
    const std::optional<sheet::TagSheet> s = files::readAnySheetFile(firstSheet);
    ASSERT_TRUE(s.has_value());
    const QString direct = path(QStringLiteral("direct.pdf"));
    ASSERT_EQ(
        printed::run(tools + QStringLiteral("tanafuda-render"), {firstSheet, QStringLiteral("-o"), direct}).exitCode,
        0);

    const QString configHome = path(QStringLiteral("config"));
    const QString ini = configHome + QStringLiteral("/tanafuda/tanafuda.ini");
    const Calibration saved {1.5, -1.25, 100.5, 99.5};
    ASSERT_TRUE(settings::PrinterCalibrations(settings::SettingsStore(ini)).saveCalibration(kQueue, saved, nullptr));
    const auto command = [&](const QString& program, const QStringList& args) {
        const printed::Run r = cups.lp(tools + program, args, configHome);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    };
    // What was printed is measured against the same page drawn without a printer, on the sheet
    // the program laid it out on.
    struct Printed {
        QString reference;
        sheet::TagSheet sheet;
    };
    // The import dialog's "print all" from a new window, to a PDF file (no calibration) when
    // `pdf` is given, else to the queue; the window's sheet after it.
    const auto importInEditor = [&](const QString& pdf) {
        editor_test::OpenEditor e(sheet::SheetFormat::large);
        e.w().settingsStore() = settings::SettingsStore(ini);
        if (pdf.isEmpty()) {
            e.dialogs.printerName = kQueue;
        } else {
            e.dialogs.pdfPath = pdf;
        }
        e.dialogs.openAnswer = list;
        editor_test::onImportDialog(e.w(), [&](desktop::ImportDialog& dialog) {
            dialog.control<QCheckBox>(QStringLiteral("saveRestBox"))->setChecked(false);
            dialog.control<QCheckBox>(QStringLiteral("printAllBox"))->setChecked(true);
            dialog.accept();
        });
        e.w().menuAction(desktop::names::kImportMenu)->trigger();
        EXPECT_EQ(e.dialogs.messages.size(), 1) << e.dialogs.messages.join(u'\n').toStdString();
        return e.sheet();
    };
    const struct {
        const char* name;
        std::function<Printed()> print;
    } rows[] = {
        {"editor",
         [&] {
             editor_test::OpenEditor e(sheet::SheetFormat::large);
             e.w().settingsStore() = settings::SettingsStore(ini);
             e.dialogs.printerName = kQueue;
             e.sheet() = *s;
             e.w().menuAction(desktop::names::kPrintMenu)->trigger();
             EXPECT_TRUE(e.dialogs.messages.isEmpty()) << e.dialogs.messages.join(u'\n').toStdString();
             return Printed {direct, *s};
         }},
        {"tanafuda-render --print",
         [&] {
             command(QStringLiteral("tanafuda-render"),
                     {firstSheet, QStringLiteral("--print"), QStringLiteral("--printer"), kQueue});
             return Printed {direct, *s};
         }},
        {"import dialog, print all",
         [&] {
             const QString reference = path(QStringLiteral("dialog.pdf"));
             importInEditor(reference);
             return Printed {reference, importInEditor({})};
         }},
        {"tanafuda-import --print",
         [&] {
             command(QStringLiteral("tanafuda-import"),
                     {list, QStringLiteral("-o"), path(QStringLiteral("printed")), QStringLiteral("--print"),
                      QStringLiteral("--printer"), kQueue});
             return Printed {direct, *s};
         }},
    };
    bool first = true;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        cups.expectJob();
        const Printed printed = row.print();
        ASSERT_TRUE(cups.waitForJob()) << cups.log().toStdString();
        expectBarcodesWhereCalibrationSays(printed.reference, cups.output(), printed.sheet, saved, codes, dir.path(),
                                           first);
        first = false;
    }
}

}  // namespace
