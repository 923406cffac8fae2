// The calibration dialog of the editors' file menu: printing the calibration sheet, computing the
// calibration from the measured marks, keeping and clearing it.
#include "core/draw/calibration_sheet.h"
#include "core/settings/printer_calibrations.h"
#include "desktop/dialogs/calibration_dialog.h"
#include "desktop/editor/control_names.h"
#include "support/editor_test_support.h"
#include "support/fake_dialogs.h"
#include "support/printed_page_checks.h"
#include "support/qt_print.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
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
    settings::PrinterCalibrations settings;
    FakeDialogs dialogs;
    std::unique_ptr<CalibrationDialog> dialog;

    explicit DialogOnDesk(std::optional<Calibration> officeHas = std::nullopt, QStringList printers = {kShop, kOffice})
        : settings(settings::SettingsStore(dir.filePath(QStringLiteral("tanafuda.ini"))))
    {
        if (officeHas) {
            settings.saveCalibration(kOffice, *officeHas, nullptr);
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
        {"refined from the one in force", Calibration {-1, 2, 100, 100}, {1, 1.01, -2, 1}, {-0.99, 2, 99.01, 100}},
        {"already right", Calibration {3, 0, 100, 100}, {-3, 1, 0, 1}, {3, 0, 100, 100}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DialogOnDesk desk(row.before);
        EXPECT_EQ(desk.dialog->printerName(), kOffice);
        const auto& marks = draw::calibrationMarks();
        const Calibration printedWith = row.before.value_or(Calibration {});
        desk.dialog->setMeasured(row.printer.puts(printedWith, marks[0].centre),
                                 row.printer.puts(printedWith, marks[1].centre));
        desk.button("cmdSave")->click();

        EXPECT_TRUE(desk.dialogs.messages.isEmpty()) << desk.dialogs.messages.join(u'\n').toStdString();
        EXPECT_EQ(desk.settings.calibrationFor(kOffice).calibration, row.saved);
        EXPECT_EQ(desk.settings.calibrationFor(kShop).calibration, std::nullopt);
        EXPECT_EQ(desk.dialog->currentLabel()->text(),
                  QStringLiteral("今の調整：") + CalibrationDialog::describe(row.saved));
        EXPECT_TRUE(desk.dialog->resultLabel()->text().contains(QStringLiteral("保存しました")));

        // A second press (a typing error mended) still reckons with the sheet as it was printed.
        desk.button("cmdSave")->click();
        EXPECT_EQ(desk.settings.calibrationFor(kOffice).calibration, row.saved);
    }
}

TEST(CalibrationDialog, RefusedMeasurementsKeepTheOldCalibration)
{
    const Calibration old {1, 1, 100, 100};
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
        EXPECT_EQ(desk.settings.calibrationFor(kOffice).calibration, old);
        EXPECT_EQ(desk.dialog->currentLabel()->text(), QStringLiteral("今の調整：") + CalibrationDialog::describe(old));
    }
}

// Types into an empty measurement box, one character at a time as an input method hands them over.
void typeInto(CalibrationDialog& dialog, const char* box, const QString& keys)
{
    QWidget* edit = dialog.findChild<QWidget*>(QString::fromLatin1(box));
    ASSERT_NE(edit, nullptr) << box;
    for (QChar ch : keys) {
        QInputMethodEvent commit;
        commit.setCommitString(QString(ch));
        QApplication::sendEvent(edit, &commit);
    }
}

const char* const kBoxes[] = {"txtMarkAX", "txtMarkAY", "txtMarkBX", "txtMarkBY"};

// Measured, saved, the dialog closed; reopened with the same sheet in hand (printed without a
// calibration, as the sheet says), the same measurements leave the calibration as it is.
TEST(CalibrationDialog, MeasuringTheSameSheetAgainKeepsTheCalibration)
{
    DialogOnDesk desk;
    const Printer printer {1.65, 1, 2, 1};
    const auto& marks = draw::calibrationMarks();
    const PointMm a = printer.puts({}, marks[0].centre);
    const PointMm b = printer.puts({}, marks[1].centre);
    std::optional<Calibration> first;
    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        CalibrationDialog dialog(sheet::SheetFormat::large, desk.dialogs, desk.settings, {kShop, kOffice}, kOffice);
        if (opening == 1) {
            auto* printedWith = dialog.findChild<QComboBox*>(QStringLiteral("cboPrintedWith"));
            ASSERT_NE(printedWith, nullptr);
            printedWith->setCurrentIndex(printedWith->findText(QStringLiteral("調整なし"), Qt::MatchStartsWith));
        }
        dialog.setMeasured(a, b);
        const QLabel* measured = dialog.findChild<QLabel*>(QStringLiteral("lblMeasured"));
        ASSERT_NE(measured, nullptr);
        EXPECT_TRUE(measured->text().startsWith(
            QStringLiteral("この用紙では印刷が右に 1.65 mm・下に 2 mm ずれています → その分戻して")));
        dialog.findChild<QPushButton*>(QStringLiteral("cmdSave"))->click();
        ASSERT_TRUE(desk.dialogs.messages.isEmpty()) << desk.dialogs.messages.join(u'\n').toStdString();
        if (opening == 0) {
            first = desk.settings.calibrationFor(kOffice).calibration;
            EXPECT_EQ(first, (Calibration {-1.65, -2, 100, 100}));
        } else {
            EXPECT_EQ(desk.settings.calibrationFor(kOffice).calibration, first);
        }
    }
}

// What is typed into the boxes: full-width digits count, anything that is not a number stops
// the save with a message naming the box, and nothing is stored.
TEST(CalibrationDialog, TypedMeasurementsAreNumbersOrRefused)
{
    const struct {
        const char* name;
        const char* typed[4];
        std::optional<Calibration> saved;  // nothing: refused
        const char* namedBox;              // in the refusal
    } rows[] = {
        {"full-width digits", {"１６．５", "１５", "１９６．５", "２８２"}, Calibration {-1.5, 0, 100, 100}, ""},
        {"a sign and a point", {"+15", "15.0", "195", "282"}, Calibration {0, 0, 100, 100}, ""},
        {"letters", {"15", "abc", "195", "282"}, std::nullopt, "印 A・上端から"},
        {"an empty box", {"15", "15", "", "282"}, std::nullopt, "印 B・左端から"},
        {"two points", {"15", "15", "195", "28.2.1"}, std::nullopt, "印 B・上端から"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DialogOnDesk desk;
        for (int i = 0; i < 4; ++i) {
            typeInto(*desk.dialog, kBoxes[i], QString::fromUtf8(row.typed[i]));
        }
        desk.button("cmdSave")->click();
        EXPECT_EQ(desk.settings.calibrationFor(kOffice).calibration, row.saved);
        if (row.saved) {
            EXPECT_TRUE(desk.dialogs.messages.isEmpty()) << desk.dialogs.messages.join(u'\n').toStdString();
        } else {
            ASSERT_EQ(desk.dialogs.messages.size(), 1);
            EXPECT_TRUE(desk.dialogs.messages.front().contains(QString::fromUtf8(row.namedBox)))
                << desk.dialogs.messages.front().toStdString();
        }
    }
}

// Asked first: "no" keeps the calibration, "yes" removes it.
TEST(CalibrationDialog, ResetRemovesOnlyThatPrintersCalibration)
{
    DialogOnDesk desk(Calibration {1, 1, 100, 100});
    desk.settings.saveCalibration(kShop, {2, 2, 100, 100}, nullptr);
    desk.button("cmdReset")->click();
    ASSERT_EQ(desk.dialogs.messages.size(), 1);
    EXPECT_EQ(desk.dialogs.messageKinds.front().second, desktop::MessageButtons::yesNo);
    EXPECT_TRUE(desk.dialogs.messages.front().contains(kOffice)) << desk.dialogs.messages.front().toStdString();
    EXPECT_EQ(desk.settings.calibrationFor(kOffice).calibration, (Calibration {1, 1, 100, 100}));
    desk.dialogs.messageAnswer = desktop::MessageAnswer::yes;
    desk.button("cmdReset")->click();
    EXPECT_EQ(desk.settings.calibrationFor(kOffice).calibration, std::nullopt);
    EXPECT_EQ(desk.settings.calibrationFor(kShop).calibration, (Calibration {2, 2, 100, 100}));
    EXPECT_EQ(desk.dialog->currentLabel()->text(), QStringLiteral("今の調整：調整なし（0,0,100,100）"));
    desk.dialog->choosePrinter(kShop);
    EXPECT_EQ(desk.dialog->currentLabel()->text(),
              QStringLiteral("今の調整：右に 2 mm・下に 2 mm 動かす、大きさ 横 100 %・縦 100 %（2,2,100,100）"));
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
        DialogOnDesk desk(Calibration {0, 0, 100, 100});
        QFile file(desk.settings.store().path());
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
    const Calibration inForce {2, -1.5, 99, 101};
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
    EXPECT_EQ(desk.settings.calibrationFor(kOffice).calibration, (Calibration {0, 0, 100, 100}));

    if (const QByteArray shots = qgetenv("TANAFUDA_SCREENSHOT_DIR"); !shots.isEmpty()) {
        desk.dialog->show();
        EXPECT_TRUE(
            desk.dialog->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/dialogs-calibration.png")));
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
        EXPECT_EQ(entry->text(), QStringLiteral("印刷位置の調整(&C)..."));
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
        EXPECT_TRUE(printed::asksForActualSize(e.dialogs.pdfPath))
            << printed::pdfCatalogue(e.dialogs.pdfPath).toStdString();
        EXPECT_TRUE(e.dialogs.layoutPrinted.paintRect(QPageLayout::Millimeter).topLeft().isNull());
    }
}

}  // namespace
