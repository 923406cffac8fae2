// The settings file of the printers' calibrations, the page transform, and the PDFs marked to
// print at actual size.
#include "core/draw/calibration_sheet.h"
#include "core/sheet/tag_sheet.h"
#include "output/settings_file.h"
#include "output/calibrated_pages.h"
#include "output/pdf_print_scaling.h"
#include "support/file_bytes.h"
#include "support/printed_page_checks.h"
#include "support/qt_print.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTransform>
#include <gtest/gtest.h>

using calibration::Calibration;
using output::SettingsFile;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

struct StoredRow {
    const char* name;
    QByteArray file;  // empty: no settings file at all
    std::optional<Calibration> expected;
    bool problem;
};

const QByteArray kBinary("\x00\xff\xfe[calibration\x00\x01=\x02\n\xc3(", 16);

const StoredRow kStored[] = {
    {"no settings file", {}, std::nullopt, false},
    {"quoted value", "[calibration]\nP1=\"1.5,-2,99.5,100\"\n", Calibration {1.5, -2, 99.5, 100}, false},
    {"hand-edited without quotes", "[calibration]\nP1=1.5, -2, 99.5, 100\n", Calibration {1.5, -2, 99.5, 100}, false},
    {"more decimals than kept", "[calibration]\nP1=\"0.123,0,100.004,100\"\n", Calibration {0.12, 0, 100, 100}, false},
    {"another printer only", "[calibration]\nP2=\"1,1,100,100\"\n", std::nullopt, false},
    {"offset beyond 20 mm", "[calibration]\nP1=\"25,0,100,100\"\n", std::nullopt, true},
    {"scale below 90 %", "[calibration]\nP1=\"0,0,50,100\"\n", std::nullopt, true},
    {"three numbers", "[calibration]\nP1=\"1,2,100\"\n", std::nullopt, true},
    {"not numbers", "[calibration]\nP1=abc\n", std::nullopt, true},
    {"not a number", "[calibration]\nP1=\"nan,0,100,100\"\n", std::nullopt, true},
    {"empty value", "[calibration]\nP1=\n", std::nullopt, true},
    {"binary garbage", kBinary, std::nullopt, true},
};

TEST(SettingsFile, ReadsOnlyWhatIsWholeAndWithinBounds)
{
    for (const StoredRow& row : kStored) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tanafuda.ini"));
        if (!row.file.isEmpty()) {
            writeFile(path, row.file);
        }
        const output::StoredCalibration stored = SettingsFile(path).load(QStringLiteral("P1"));
        EXPECT_EQ(stored.calibration, row.expected);
        EXPECT_EQ(!stored.problem.isEmpty(), row.problem) << stored.problem.toStdString();
        if (row.problem) {
            EXPECT_TRUE(stored.problem.contains(QStringLiteral("P1")));
            EXPECT_TRUE(stored.problem.contains(QStringLiteral("使いません")));
        }
    }
}

TEST(SettingsFile, KeepsEachPrinterApartAndClearsOne)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/folder/tanafuda.ini"));  // folders made as needed
    SettingsFile settings(path);
    const QString office = QStringLiteral("事務所/レーザー 2F");  // a separator and a blank in the name
    const QString shop = QStringLiteral("shop");
    QString problem;
    ASSERT_TRUE(settings.save(office, {1.234, -2, 99.5, 101.006}, &problem)) << problem.toStdString();
    ASSERT_TRUE(settings.save(shop, {0, 0.5, 100, 100}, &problem)) << problem.toStdString();

    const SettingsFile reread(path);
    EXPECT_EQ(reread.load(office).calibration, (Calibration {1.23, -2, 99.5, 101.01}));
    EXPECT_EQ(reread.load(shop).calibration, (Calibration {0, 0.5, 100, 100}));
    EXPECT_EQ(reread.load(QStringLiteral("事務所")).calibration, std::nullopt);

    ASSERT_TRUE(settings.clear(office, &problem));
    EXPECT_EQ(SettingsFile(path).load(office).calibration, std::nullopt);
    EXPECT_EQ(SettingsFile(path).load(shop).calibration, (Calibration {0, 0.5, 100, 100}));

    // The list layouts' choices beside the calibrations, a JSON text with commas and quotes each.
    const QString json = QStringLiteral(R"({"columns":{"jan":0,"name":1},"basis":"excludes-tax"})");
    ASSERT_TRUE(settings.rememberLayout(QStringLiteral("0f1e"), json, &problem)) << problem.toStdString();
    EXPECT_EQ(SettingsFile(path).rememberedLayout(QStringLiteral("0f1e")), json);
    EXPECT_EQ(SettingsFile(path).rememberedLayout(QStringLiteral("0f1f")), std::nullopt);
    EXPECT_EQ(SettingsFile(path).load(shop).calibration, (Calibration {0, 0.5, 100, 100}));
}

TEST(SettingsFile, RefusesWhatItCannotKeep)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("plain")), "a file, not a folder");
    const struct {
        const char* name;
        QString path;
        QString printer;
        Calibration calibration;
    } rows[] = {
        {"out of bounds", dir.filePath(QStringLiteral("a.ini")), QStringLiteral("P"), {0, 0, 111, 100}},
        {"no printer", dir.filePath(QStringLiteral("b.ini")), QString(), {0, 0, 100, 100}},
        {"folder cannot be made",
         dir.filePath(QStringLiteral("plain/sub/c.ini")),
         QStringLiteral("P"),
         {1, 1, 100, 100}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QString problem;
        EXPECT_FALSE(SettingsFile(row.path).save(row.printer, row.calibration, &problem));
        EXPECT_FALSE(problem.isEmpty());
        EXPECT_FALSE(QFile::exists(row.path));
    }
}

TEST(SettingsFile, PutsADamagedFileAsideBeforeWritingANewOne)
{
    const struct {
        const char* name;
        QByteArray file;
        bool putAside;
    } rows[] = {
        // Whole as a file, one entry unusable: kept, and that entry reported again, not dropped.
        {"an unusable entry", "[calibration]\nP1=\"garbage\"\n", false},
        {"not text at all", kBinary, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tanafuda.ini"));
        writeFile(path, row.file);
        SettingsFile settings(path);
        QString problem;
        ASSERT_TRUE(settings.save(QStringLiteral("P2"), {1, 2, 100, 100}, &problem)) << problem.toStdString();
        EXPECT_EQ(settings.load(QStringLiteral("P2")).calibration, (Calibration {1, 2, 100, 100}));
        EXPECT_EQ(support::fileBytes(path + QStringLiteral(".damaged")), row.putAside ? row.file : QByteArray());
        EXPECT_EQ(settings.load(QStringLiteral("P1")).problem.isEmpty(), row.putAside);
    }
}

TEST(SettingsFile, KeepsTheFilesModeWhenSaving)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tanafuda.ini"));
    writeFile(path, "[calibration]\nP1=\"1,1,100,100\"\n");
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    ASSERT_TRUE(QFile::setPermissions(path, ownerOnly));
    ASSERT_TRUE(SettingsFile(path).save(QStringLiteral("P2"), {0, 0, 101, 100}, nullptr));
    // A new file would have the umask's mode (readable by all, as a rule).
    const auto groupAndOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_EQ(QFile::permissions(path) & groupAndOthers, QFileDevice::Permissions());
    EXPECT_TRUE(QFile::permissions(path).testFlag(QFileDevice::ReadOwner));
    EXPECT_EQ(SettingsFile(path).load(QStringLiteral("P1")).calibration, (Calibration {1, 1, 100, 100}));
}

TEST(PageTransform, ScalesAboutThePaperCornerThenShifts)
{
    const struct {
        Calibration calibration;
        double dpi;
        QPointF page;    // device pixels
        QPointF device;  // device pixels
    } rows[] = {
        {{0, 0, 100, 100}, 600, {100, 200}, {100, 200}},
        {{25.4, -25.4, 100, 100}, 600, {0, 0}, {600, -600}},
        {{0, 0, 110, 90}, 300, {1000, 1000}, {1100, 900}},
        {{2.54, 0, 101, 99}, 1200, {2400, 2400}, {120 + 2424, 2376}},
    };
    for (const auto& row : rows) {
        const QPointF mapped = output::calibrationTransform(row.calibration, row.dpi, row.dpi).map(row.page);
        EXPECT_NEAR(mapped.x(), row.device.x(), 1e-9);
        EXPECT_NEAR(mapped.y(), row.device.y(), 1e-9);
    }
}

// The calibration sheet drawn on an image with a calibration: the marks land where it says.
TEST(PageTransform, MovesTheWholePageAsOne)
{
    constexpr int kDpi = 300;
    const Calibration calibrations[] = {{0, 0, 100, 100}, {3.5, -2.25, 100, 100}, {-1.2, 4, 98.5, 101.5}};
    for (const Calibration& c : calibrations) {
        SCOPED_TRACE(calibration::formatCalibration(c).toStdString());
        QImage image(printed::mmToPx(210, kDpi), printed::mmToPx(297, kDpi), QImage::Format_RGB32);
        const int dotsPerMetre = int(kDpi / 0.0254 + 0.5);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        image.fill(Qt::white);
        ASSERT_TRUE(output::drawCalibratedPage(
            image, c, [&c](draw::Surface& s) { draw::drawCalibrationSheet(sheet::SheetFormat::large, c, s); }));
        for (const draw::CalibrationMark& mark : draw::calibrationMarks()) {
            const calibration::PointMm want = c.apply(mark.centre);
            const std::optional<printed::Mm> found = printed::findCross(image, kDpi, {want.x, want.y});
            ASSERT_TRUE(found.has_value()) << mark.name.toStdString();
            EXPECT_NEAR(found->x, want.x, 0.1) << mark.name.toStdString();
            EXPECT_NEAR(found->y, want.y, 0.1) << mark.name.toStdString();
        }
    }
}

QByteArray qtPdf(const QString& path)
{
    {
        QPdfWriter writer(path);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        QPainter painter(&writer);
        painter.drawText(100, 100, QStringLiteral("棚札"));
    }
    return support::fileBytes(path);
}

TEST(PdfPrintScaling, MarksAFileInPlace)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.pdf"));
    qtPdf(path);
    ASSERT_FALSE(printed::asksForActualSize(path)) << "Qt's writer now sets it itself; the check proves nothing";
    QString error;
    ASSERT_TRUE(output::setPrintScalingNone(path, error)) << error.toStdString();
    EXPECT_TRUE(printed::asksForActualSize(path)) << printed::pdfCatalogue(path).toStdString();
    EXPECT_EQ(printed::run(QStringLiteral("qpdf"), {QStringLiteral("--check"), path}).exitCode, 0);
    // Marking it again keeps it whole and marked.
    ASSERT_TRUE(output::setPrintScalingNone(path, error)) << error.toStdString();
    EXPECT_TRUE(printed::asksForActualSize(path));
    EXPECT_EQ(printed::run(QStringLiteral("qpdf"), {QStringLiteral("--check"), path}).exitCode, 0);
}

TEST(PdfPrintScaling, LeavesWhatIsNotAPdfAsItWas)
{
    QTemporaryDir dir;
    const struct {
        const char* name;
        QByteArray bytes;
    } rows[] = {
        {"text", "not a PDF at all\n"},
        {"empty", ""},
        {"cut short", qtPdf(dir.filePath(QStringLiteral("whole.pdf"))).left(300)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = dir.filePath(QStringLiteral("bad.pdf"));
        writeFile(path, row.bytes);
        QString error;
        EXPECT_FALSE(output::setPrintScalingNone(path, error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(support::fileBytes(path), row.bytes);
    }
    QString error;
    EXPECT_FALSE(output::setPrintScalingNone(dir.filePath(QStringLiteral("missing.pdf")), error));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("missing.pdf"))));
}

TEST(ActualSizePrinter, DrawsFromThePaperCornerOnA4)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    output::prepareActualSizePage(printer);
    EXPECT_TRUE(printer.fullPage());
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(printer.pageRect(QPrinter::Millimeter).topLeft(), QPointF(0, 0));
}

}  // namespace
