// The dialog 棚札の表示... of the editors' file menu: the shop's choice of the tags' extra texts,
// kept in the settings file, and the editor's preview drawn with them as the size and price are
// typed.
#include "desktop/dialogs/tag_text_dialog.h"

#include "core/jobs/tag_page.h"
#include "core/settings/tag_text_settings.h"
#include "desktop/editor/control_names.h"
#include "support/editor_test_support.h"
#include "support/fake_dialogs.h"
#include "support/file_bytes.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using desktop::TagTextDialog;
using editor_test::formatName;
using editor_test::kFormats;
using editor_test::OpenEditor;
using sheet::Field;

namespace {

struct DialogOnDesk {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("tanafuda.ini"));
    FakeDialogs dialogs;
    std::vector<sheet::TagTextChoices> saved;
    std::unique_ptr<TagTextDialog> dialog;
    bool active = false;

    explicit DialogOnDesk(const QByteArray& file = {})
    {
        if (!file.isEmpty()) {
            test_support::writeFileBytes(path, file);
        }
        dialog = std::make_unique<TagTextDialog>(dialogs, settings::TagTextSettings(settings::SettingsStore(path)),
                                                 [this](const sheet::TagTextChoices& c) { saved.push_back(c); });
        dialog->show();
        active = QTest::qWaitForWindowActive(dialog.get());
    }
    template<class W> W* find(const char* name) { return dialog->findChild<W*>(QString::fromLatin1(name)); }
    // Keys go to the control with the focus, as typing does; a button's access key clicks it once
    // its press has been shown, which is waited for.
    void altKey(Qt::Key key)
    {
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : dialog.get(), key, Qt::AltModifier);
        QTest::qWait(200);
    }
    sheet::TagTextChoices kept() const
    {
        QStringList problems;
        return settings::TagTextSettings(settings::SettingsStore(path)).tagTextChoices(&problems);
    }
};

// Each control answers its access key.
TEST(TagTextDialog, EveryControlHasItsAccessKey)
{
    DialogOnDesk desk;
    ASSERT_TRUE(desk.active);
    struct Row {
        const char* name;
        Qt::Key key;
        const char* control;
    };
    const Row checks[] = {
        {"unit price", Qt::Key_U, "unitPrice"},
        {"tax-exclusive price", Qt::Key_T, "taxExclusive"},
        {"reduced-rate mark", Qt::Key_K, "reducedRateMark"},
    };
    for (const Row& row : checks) {
        SCOPED_TRACE(row.name);
        auto* box = desk.find<QCheckBox>(row.control);
        ASSERT_NE(box, nullptr);
        EXPECT_FALSE(box->isChecked());
        desk.altKey(row.key);
        EXPECT_TRUE(box->isChecked());
    }
    // With the boxes on, the fields they govern take the focus from their labels' keys.
    const Row fields[] = {
        {"mark text", Qt::Key_M, "markText"},
        {"unit base", Qt::Key_B, "unitBase"},
        {"rate of sheets without rates", Qt::Key_R, "sheetTaxRate"},
    };
    for (const Row& row : fields) {
        SCOPED_TRACE(row.name);
        desk.altKey(row.key);
        EXPECT_EQ(QApplication::focusWidget(), desk.find<QWidget>(row.control));
    }
}

TEST(TagTextDialog, SavesTheChoicesForTheShop)
{
    DialogOnDesk desk;
    desk.altKey(Qt::Key_U);
    desk.altKey(Qt::Key_K);
    desk.find<QComboBox>("markText")->setCurrentIndex(1);
    desk.find<QLineEdit>("unitBase")->setText(QStringLiteral("100g"));
    desk.find<QComboBox>("sheetTaxRate")->setCurrentIndex(1);
    QTest::mouseClick(desk.find<QPushButton>("save"), Qt::LeftButton);

    sheet::TagTextChoices expected;
    expected.unitPrice = true;
    expected.reducedRateMark = true;
    expected.markText = QStringLiteral("軽");
    expected.unitBase = QStringLiteral("100g");
    expected.sheetTaxRatePercent = 8;
    EXPECT_EQ(desk.kept(), expected);
    ASSERT_EQ(desk.saved.size(), 1u);
    EXPECT_EQ(desk.saved.front(), expected);
    EXPECT_FALSE(desk.dialog->isVisible());
    EXPECT_TRUE(desk.dialogs.messages.isEmpty());
}

// A base it cannot use is said, and the dialog stays open with what was typed.
TEST(TagTextDialog, RefusesABaseItCannotUse)
{
    struct Row {
        const char* name;
        const char* base;
    };
    const Row rows[] = {{"not a base", "150g"}, {"no unit price at all", "なし"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DialogOnDesk desk;
        desk.altKey(Qt::Key_U);
        desk.find<QLineEdit>("unitBase")->setText(QString::fromUtf8(row.base));
        QTest::mouseClick(desk.find<QPushButton>("save"), Qt::LeftButton);
        ASSERT_EQ(desk.dialogs.messages.size(), 1);
        EXPECT_TRUE(desk.dialogs.messages.front().contains(QString::fromUtf8(row.base)));
        EXPECT_TRUE(desk.dialog->isVisible());
        EXPECT_EQ(desk.find<QLineEdit>("unitBase")->text(), QString::fromUtf8(row.base));
        EXPECT_TRUE(desk.saved.empty());
        EXPECT_FALSE(QFile::exists(desk.path));
    }
}

// What the file keeps is shown; a value it cannot use is said in the dialog and not shown.
TEST(TagTextDialog, ShowsTheFilesChoicesAndWhatItCannotUse)
{
    DialogOnDesk desk("[tag-texts]\ntax-exclusive=true\nreduced-rate-mark=maybe\nmark=軽\n");
    EXPECT_TRUE(desk.find<QCheckBox>("taxExclusive")->isChecked());
    EXPECT_FALSE(desk.find<QCheckBox>("reducedRateMark")->isChecked());
    EXPECT_EQ(desk.find<QComboBox>("markText")->currentText(), QStringLiteral("軽"));
    EXPECT_TRUE(desk.dialog->problemLabel()->isVisibleTo(desk.dialog.get()));
    EXPECT_TRUE(desk.dialog->problemLabel()->text().contains(QStringLiteral("reduced-rate-mark")));
}

// Dark pixels of the preview in a band of tag `tag` given in mm from its cell's corner.
int darkIn(OpenEditor& e, int tag, double leftMm, double topMm, double rightMm, double bottomMm)
{
    const sheet::CellOrigin o = e.sheet().cellOrigin(tag);
    int dark = 0;
    for (double y = topMm; y <= bottomMm; y += 0.1) {
        for (double x = leftMm; x <= rightMm; x += 0.1) {
            dark += e.pagePixel(o.xMm + x, o.yMm + y).lightness() < 128 ? 1 : 0;
        }
    }
    return dark;
}

// From the file menu: the unit price turned on shows on the preview once the size and the price
// of a tag are typed; the editor's sheet takes the rate chosen for sheets without rates.
TEST(TagTextDialog, TheEditorsPreviewShowsTheUnitPriceAsItIsTyped)
{
    for (const sheet::SheetFormat* format : kFormats) {
        SCOPED_TRACE(formatName(*format).toStdString());
        OpenEditor e(*format);
        ASSERT_TRUE(e.activated);
        QTemporaryDir dir;
        e.w().settingsStore() = settings::SettingsStore(dir.filePath(QStringLiteral("tanafuda.ini")));
        e.w().menuAction(desktop::names::kTagTextMenu)->trigger();
        auto* dialog = e.w().findChild<TagTextDialog*>();
        ASSERT_NE(dialog, nullptr);
        auto* unitBox = dialog->findChild<QCheckBox*>(QStringLiteral("unitPrice"));
        QTest::mouseClick(unitBox, Qt::LeftButton, Qt::NoModifier, QPoint(8, unitBox->height() / 2));
        ASSERT_TRUE(unitBox->isChecked());
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("save")), Qt::LeftButton);
        EXPECT_TRUE(e.sheet().textChoices.unitPrice);

        // The place of the unit price on a tag with an empty second line and no lot: the large
        // tag's bottom line right of its size, the small tag's second name line.
        const bool large = format->isLarge();
        const auto band = [&] { return large ? darkIn(e, 1, 20, 27.7, 59, 29.6) : darkIn(e, 1, 1, 17.5, 31, 19.4); };
        e.sheet().record(1).productName = QStringLiteral("天然水");
        e.click(e.box(Field::spec)->objectName());
        e.type(QStringLiteral("500ml"));
        EXPECT_EQ(band(), 0);
        e.clickAndSelect(e.box(Field::price)->objectName());
        e.type(QStringLiteral("199"));
        e.key(Qt::Key_Return);
        EXPECT_EQ(e.sheet().record(1).price, 199);
        EXPECT_GT(band(), 20);
        EXPECT_TRUE(jobs::checkTagPage(e.sheet()).isEmpty());
        EXPECT_TRUE(e.dialogs.messages.isEmpty()) << e.dialogs.messages.join(u'\n').toStdString();
    }
}

}  // namespace
