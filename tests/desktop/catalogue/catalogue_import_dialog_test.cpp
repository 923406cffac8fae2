// The catalogue's import view: the list's preview and 取り込む, nothing about sheets; the checked
// rows taken in with the small tag's second line; the list's layout remembered for next time.

#include "desktop/catalogue/catalogue_import_dialog.h"

#include "support/fake_dialogs.h"
#include "support/layout_memory_fake.h"

#include <QComboBox>
#include <QPushButton>
#include <gtest/gtest.h>

using desktop::CatalogueImportDialog;

namespace {

const QByteArray kList = QStringLiteral("JAN,品名,品名2,売価,棚番\n"
                                        "4901234567894,カップ麺,しょうゆ味,198,A-2\n"
                                        "4512345678906,焼のり,,398,A-10\n"
                                        "4.90123E+12,壊れた行,,100,A-1\n")
                             .toUtf8();

TEST(CatalogueImportDialog, ShowsTheListAndTakesItInNotOntoSheets)
{
    FakeDialogs dialogs;
    testfiles::FakeLayoutMemory memory;
    CatalogueImportDialog dialog(QStringLiteral("/tmp/list.csv"), kList, &memory, dialogs);
    for (const char* sheetControl : {"startTagBox", "saveRestBox", "restFolderEdit", "printAllBox", "browseButton"}) {
        EXPECT_EQ(dialog.control(QString::fromLatin1(sheetControl)), nullptr) << sheetControl;
    }
    auto* ok = qobject_cast<QPushButton*>(dialog.control(QStringLiteral("okButton")));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("取り込む(&A)"));
    EXPECT_TRUE(ok->isEnabled());
    // The second name line can be chosen, and is found by its title.
    auto* name2 = qobject_cast<QComboBox*>(dialog.control(QStringLiteral("map_name2")));
    ASSERT_NE(name2, nullptr);
    EXPECT_EQ(name2->currentIndex(), 3);

    dialog.preview().setChecked(1, false);
    const catalogue::IncomingList incoming = dialog.incoming();
    ASSERT_EQ(incoming.products.size(), 1u);
    EXPECT_EQ(incoming.products[0].code, QStringLiteral("4901234567894"));
    EXPECT_EQ(incoming.products[0].tag.productName2, QStringLiteral("しょうゆ味"));
    EXPECT_EQ(incoming.products[0].shelf, QStringLiteral("A-2"));
    ASSERT_EQ(incoming.refused.size(), 1u);  // the row whose code lost its digits
    EXPECT_EQ(incoming.refused[0].number, 4);
    EXPECT_EQ(incoming.fileName, QStringLiteral("/tmp/list.csv"));
}

TEST(CatalogueImportDialog, RemembersTheListsLayoutForNextTime)
{
    FakeDialogs dialogs;
    testfiles::FakeLayoutMemory memory;
    {
        CatalogueImportDialog first(QStringLiteral("/tmp/list.csv"), kList, &memory, dialogs);
        EXPECT_FALSE(first.preview().openedRemembered());
        // The price column chosen by hand: the list's prices are without tax.
        auto* basis = qobject_cast<QComboBox*>(first.control(QStringLiteral("priceBasisBox")));
        ASSERT_NE(basis, nullptr);
        basis->setCurrentIndex(1);
        first.accept();
    }
    EXPECT_EQ(memory.layouts.size(), 1u);
    CatalogueImportDialog next(QStringLiteral("/tmp/next.csv"), kList, &memory, dialogs);
    EXPECT_TRUE(next.preview().openedRemembered());
    EXPECT_EQ(qobject_cast<QComboBox*>(next.control(QStringLiteral("priceBasisBox")))->currentIndex(), 1);
    EXPECT_EQ(next.incoming().products[0].tag.price, 217);  // 198 + 10 %, rounded down
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

}  // namespace
