// The calibration dialog of the editors' file menu: printing the calibration sheet, computing the
// calibration from the measured marks, keeping and clearing it.
#include "support/fake_dialogs.h"
#include "support/editor_test_support.h"
#include "output/calibration_settings.h"
#include "core/draw/calibration_sheet.h"
#include "support/printed_page_checks.h"
#include "desktop/dialogs/calibration_dialog.h"
#include "desktop/editor/control_names.h"
#include "support/qt_print.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using calibration::Calibration;
using calibration::PointMm;
using desktop::CalibrationDialog;

namespace {

const QString kShop = QStringLiteral("店のプリンタ");
const QString kOffice = QStringLiteral("事務所");

struct DialogOnDesk {
    QTemporaryDir dir;
    output::CalibrationSettings settings;
    FakeDialogs dialogs;
    std::unique_ptr<CalibrationDialog> dialog;

    explicit DialogOnDesk(std::optional<Calibration> officeHas = std::nullopt,
                          QStringList printers = {kShop, kOffice})
        : settings(dir.filePath(QStringLiteral("tanafuda.ini")))
    {
        if (officeHas) {
            settings.save(kOffice, *officeHas, nullptr);
        }
        dialog = std::make_unique<CalibrationDialog>(sheet::SheetFormat::large, dialogs, settings, printers, kOffice);
    }
    QPushButton* button(const char* name) { return dialog->findChild<QPushButton*>(QString::fromLatin1(name)); }
};

// Where a printer with this error puts the two marks of a sheet printed with `printedWith`.
struct Printer {
    double offsetXMm, scaleX, offsetYMm, scaleY;
    PointMm puts(const Calibration& printedWith, PointMm drawn) const
    {
        const PointMm device = printedWith.apply(drawn);
        return {offsetXMm + scaleX * device.x, offsetYMm + scaleY * device.y};
    }
};

TEST(CalibrationDialog, ComputesKeepsAndShowsTheCalibration)
{
    const struct {
        const char* name;
        std::optional<Calibration> before;
        Printer printer;
        Calibration saved;
    } rows[] = {
        {"first calibration", std::nullopt, {1.5, 1, -2, 1}, {-1.5, 2, 100, 100}},
        {"refined from the one in force", Calibration{-1, 2, 100, 100}, {1, 1.01, -2, 1}, {-0.99, 2, 99.01, 100}},
        {"already right", Calibration{3, 0, 100, 100}, {-3, 1, 0, 1}, {3, 0, 100, 100}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DialogOnDesk desk(row.before);
        EXPECT_EQ(desk.dialog->printerName(), kOffice);
        const auto& marks = draw::calibrationMarks();
        const Calibration printedWith = row.before.value_or(Calibration{});
        desk.dialog->setMeasured(row.printer.puts(printedWith, marks[0].centre),
                                 row.printer.puts(printedWith, marks[1].centre));
        desk.button("cmdSave")->click();

        EXPECT_TRUE(desk.dialogs.messages.isEmpty()) << desk.dialogs.messages.join(u'\n').toStdString();
        EXPECT_EQ(desk.settings.load(kOffice).calibration, row.saved);
        EXPECT_EQ(desk.settings.load(kShop).calibration, std::nullopt);
        EXPECT_EQ(desk.dialog->currentLabel()->text(), QStringLiteral("今の調整：") + CalibrationDialog::describe(row.saved));
        EXPECT_TRUE(desk.dialog->resultLabel()->text().contains(QStringLiteral("保存しました")));

        // A second press (a typing error mended) still reckons with the sheet as it was printed.
        desk.button("cmdSave")->click();
        EXPECT_EQ(desk.settings.load(kOffice).calibration, row.saved);
    }
}

TEST(CalibrationDialog, RefusedMeasurementsKeepTheOldCalibration)
{
    const Calibration old{1, 1, 100, 100};
    const struct {
        const char* name;
        PointMm a, b;
    } rows[] = {
        {"marks the wrong way round", {195, 282}, {15, 15}},
        {"beyond 20 mm", {45, 15}, {225, 282}},
        {"shrunk to 80 %", {15, 15}, {15 + 180 * 0.8, 15 + 267 * 0.8}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DialogOnDesk desk(old);
        desk.dialog->setMeasured(row.a, row.b);
        desk.button("cmdSave")->click();
        ASSERT_EQ(desk.dialogs.messages.size(), 1);
        EXPECT_TRUE(desk.dialogs.messages.front().startsWith(QStringLiteral("印刷位置の調整: ")));
        EXPECT_EQ(desk.dialogs.messageKinds.front().first, desktop::MessageIcon::warning);
        EXPECT_EQ(desk.settings.load(kOffice).calibration, old);
        EXPECT_EQ(desk.dialog->currentLabel()->text(), QStringLiteral("今の調整：") + CalibrationDialog::describe(old));
    }
}

TEST(CalibrationDialog, ResetRemovesOnlyThatPrintersCalibration)
{
    DialogOnDesk desk(Calibration{1, 1, 100, 100});
    desk.settings.save(kShop, {2, 2, 100, 100}, nullptr);
    desk.button("cmdReset")->click();
    EXPECT_EQ(desk.settings.load(kOffice).calibration, std::nullopt);
    EXPECT_EQ(desk.settings.load(kShop).calibration, (Calibration{2, 2, 100, 100}));
    EXPECT_EQ(desk.dialog->currentLabel()->text(), QStringLiteral("今の調整：なし"));
    desk.dialog->choosePrinter(kShop);
    EXPECT_EQ(desk.dialog->currentLabel()->text(),
              QStringLiteral("今の調整：ずれ 横 2 mm・縦 2 mm、倍率 横 100 %・縦 100 %"));
}

TEST(CalibrationDialog, SaysWhenThereIsNoPrinterOrTheKeptOneIsUnusable)
{
    {
        DialogOnDesk desk(std::nullopt, {});
        EXPECT_TRUE(desk.dialog->currentLabel()->text().contains(QStringLiteral("プリンタが見つかりません")));
        for (const char* name : {"cmdPrintSheet", "cmdSave", "cmdReset"}) {
            EXPECT_FALSE(desk.button(name)->isEnabled()) << name;
        }
    }
    {
        DialogOnDesk desk(Calibration{0, 0, 100, 100});
        QFile file(desk.settings.path());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray text = file.readAll();
        ASSERT_TRUE(text.contains("0,0,100,100"));
        text.replace("0,0,100,100", "0,0,300,100");  // 300 %: edited by hand, or damaged
        file.seek(0);
        file.write(text);
        file.close();
        desk.dialog->choosePrinter(kShop);
        desk.dialog->choosePrinter(kOffice);
        EXPECT_TRUE(desk.dialog->currentLabel()->text().contains(QStringLiteral("使いません")))
            << desk.dialog->currentLabel()->text().toStdString();
    }
}

// The sheet printed to a PDF from the dialog: marked for actual size, its marks where the
// calibration in force puts them; measured as they are, the calibration stays.
TEST(CalibrationDialog, PrintsTheSheetWithTheCalibrationInForce)
{
    constexpr int kDpi = 300;
    const Calibration inForce{2, -1.5, 99, 101};
    DialogOnDesk desk(inForce);
    desk.dialogs.pdfPath = desk.dir.filePath(QStringLiteral("sheet.pdf"));
    desk.button("cmdPrintSheet")->click();
    ASSERT_EQ(desk.dialogs.printerDialogs, 1);
    ASSERT_TRUE(desk.dialogs.messages.isEmpty()) << desk.dialogs.messages.join(u'\n').toStdString();
    EXPECT_TRUE(printed::asksForActualSize(desk.dialogs.pdfPath));
    const QImage page = printed::pageImage(desk.dialogs.pdfPath, desk.dir.filePath(QStringLiteral("sheet")), kDpi);
    ASSERT_FALSE(page.isNull());
    for (const draw::CalibrationMark& mark : draw::calibrationMarks()) {
        const PointMm want = inForce.apply(mark.centre);
        const std::optional<printed::Mm> found = printed::findCross(page, kDpi, {want.x, want.y});
        ASSERT_TRUE(found.has_value()) << mark.name.toStdString();
        EXPECT_NEAR(found->x, want.x, 0.1) << mark.name.toStdString();
        EXPECT_NEAR(found->y, want.y, 0.1) << mark.name.toStdString();
    }
    // Printed on an exact printer the marks are found where the PDF has them: the printer needs
    // no calibration, and the one in force is taken back.
    const auto& marks = draw::calibrationMarks();
    desk.dialog->setMeasured(inForce.apply(marks[0].centre), inForce.apply(marks[1].centre));
    desk.button("cmdSave")->click();
    EXPECT_EQ(desk.settings.load(kOffice).calibration, (Calibration{0, 0, 100, 100}));

    if (const QByteArray shots = qgetenv("TANAFUDA_SCREENSHOT_DIR"); !shots.isEmpty()) {
        desk.dialog->show();
        EXPECT_TRUE(desk.dialog->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/calibration-dialog.png")));
    }
}

TEST(CalibrationDialog, CancelledPrinterDialogPrintsNothing)
{
    DialogOnDesk desk;
    desk.button("cmdPrintSheet")->click();
    EXPECT_EQ(desk.dialogs.printerDialogs, 1);
    EXPECT_TRUE(desk.dialogs.messages.isEmpty());
    EXPECT_TRUE(desk.dialog->resultLabel()->text().isEmpty());
}

TEST(CalibrationDialog, OpensFromTheFileMenuOfBothEditors)
{
    for (const sheet::SheetFormat* format : editor_test::kFormats) {
        SCOPED_TRACE(editor_test::formatName(*format).toStdString());
        editor_test::OpenEditor e(*format);
        QAction* entry = e.w().menuAction(desktop::names::kCalibrationMenu);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->text(), QStringLiteral("印刷位置の調整..."));
        entry->trigger();
        auto* dialog = e.w().findChild<CalibrationDialog*>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->isModal());
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("印刷位置の調整"));
        dialog->reject();
    }
}

TEST(EditorPrint, WritesPdfsThatAskForActualSize)
{
    for (const sheet::SheetFormat* format : editor_test::kFormats) {
        SCOPED_TRACE(editor_test::formatName(*format).toStdString());
        editor_test::OpenEditor e(*format);
        QTemporaryDir dir;
        e.dialogs.pdfPath = dir.filePath(QStringLiteral("page.pdf"));
        e.w().menuAction(desktop::names::kPrintMenu)->trigger();
        ASSERT_TRUE(QFile::exists(e.dialogs.pdfPath));
        EXPECT_TRUE(printed::asksForActualSize(e.dialogs.pdfPath)) << printed::pdfCatalogue(e.dialogs.pdfPath).toStdString();
        EXPECT_TRUE(e.dialogs.layoutPrinted.paintRect(QPageLayout::Millimeter).topLeft().isNull());
    }
}

}  // namespace
