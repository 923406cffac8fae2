// The 棚チェック window on shelf A-1 (tests/support/checked_shelf.h): tags scanned by key clicks as a
// scanner types them, each verdict shown at once with its sound, 終了 adding the missing ones and
// keeping the check, the print of exactly the tags to fix, and scans typed while a dialog is open.

#include "desktop/catalogue/catalogue_window.h"
#include "desktop/catalogue/shelf_check_window.h"
#include "support/checked_shelf.h"
#include "support/fake_dialogs.h"
#include "support/laid_tags.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

using desktop::ShelfCheckWindow;
using namespace test_support;

struct Shelf {
    QTemporaryDir dir;
    catalogue::CatalogueAddress address;
    QuestionBoxDialogs dialogs;
    std::unique_ptr<ShelfCheckWindow> window;
    int beeps = 0;

    Shelf()
    {
        address = *catalogue::parseCatalogueAddress(dir.filePath(QStringLiteral("shop.sqlite")), nullptr);
        EXPECT_TRUE(makeCheckedShelf(address));
        window = std::make_unique<ShelfCheckWindow>(address, dialogs, 0, 1);
        window->setBeep([this] { ++beeps; });
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    QLineEdit* scanEdit() const { return window->control<QLineEdit>(QStringLiteral("scanEdit")); }
    QString label(const char* name) const { return window->control<QLabel>(QString::fromLatin1(name))->text(); }
    // As a scanner sends it: the digits, then Enter, into the box that has the focus.
    void scan(const QString& code)
    {
        QWidget* focused = QApplication::focusWidget();
        EXPECT_EQ(focused, scanEdit()) << "the scan box has lost the focus";
        QTest::keyClicks(focused, code);
        QTest::keyClick(focused, Qt::Key_Return);
    }
    // The list: "verdict code tags detail" a row.
    QStringList rows() const
    {
        auto* table = window->control<QTableWidget>(QStringLiteral("resultTable"));
        QStringList shown;
        for (int row = 0; row < table->rowCount(); ++row) {
            shown << QStringLiteral("%1 %2 %3 %4")
                         .arg(table->item(row, 0)->text(), table->item(row, 2)->text(), table->item(row, 5)->text(),
                              table->item(row, 6)->text())
                         .trimmed();
        }
        return shown;
    }
    std::unique_ptr<catalogue::Catalogue> readBack() const
    {
        catalogue::Result outcome;
        auto opened = catalogue::Catalogue::open(address, {}, &outcome);
        EXPECT_TRUE(opened) << outcome.message.toStdString();
        return opened;
    }
    // Scans the whole shelf and finishes the check (answering its question with 終了する).
    void scanAndFinish(const QStringList& codes)
    {
        for (const QString& code : codes) {
            scan(code);
        }
        dialogs.choices = {0};
        ASSERT_TRUE(window->finish());
    }
};

struct ScanRow {
    const char* name;
    QString typed;
    QString verdict;  // the big label afterwards
    QString detail;   // a part of the detail label
    int beeps;        // counted since the window opened
};

TEST(ShelfCheckWindow, ShowsEachScansVerdictAtOnceWithASoundForAnythingButRight)
{
    Shelf shelf;
    const ScanRow rows[] = {
        {"a right tag", kWater, QStringLiteral("正しい"), {}, 0},
        {"the same tag read again straight after", kWater, QStringLiteral("正しい"), QStringLiteral("数えません"), 0},
        {"last week's price", kMilk, QStringLiteral("違う"), QStringLiteral("価格 198円 → 218円"), 1},
        {"a tag of a product kept at B-1", kTea, QStringLiteral("場所違い"), QStringLiteral("商品マスタの棚 B-1"), 2},
        {"a code no product has", kUnknownCode, QStringLiteral("不明"), {}, 3},
        {"a discontinued product's tag", kDetergent, QStringLiteral("取り下げ忘れ"), QStringLiteral("取り扱い終了"), 4},
        {"twelve digits get their check digit", kWater.left(12), QStringLiteral("正しい"), {}, 4},
        {"a misread, too short for a code", QStringLiteral("49000"), QStringLiteral("読み取れません"), {}, 5},
    };
    for (const ScanRow& row : rows) {
        shelf.scan(row.typed);
        EXPECT_EQ(shelf.label("verdictLabel"), row.verdict) << row.name;
        EXPECT_TRUE(shelf.label("detailLabel").contains(row.detail))
            << row.name << ": " << shelf.label("detailLabel").toStdString();
        EXPECT_EQ(shelf.beeps, row.beeps) << row.name;
        EXPECT_TRUE(shelf.scanEdit()->text().isEmpty()) << row.name;
    }
    // The water twice apart: two tags of it counted, on its one line.
    EXPECT_EQ(shelf.rows(),
              (QStringList {QStringLiteral("正しい %1 2").arg(kWater),
                            QStringLiteral("違う %1 1 価格 198円 → 218円").arg(kMilk),
                            QStringLiteral("場所違い %1 1 商品マスタの棚 B-1").arg(kTea),
                            QStringLiteral("不明 %1 1").arg(kUnknownCode),
                            QStringLiteral("取り下げ忘れ %1 1 取り扱い終了").arg(kDetergent)}));
}

// Every tag of shelf A-1 scanned once, the crisps' (missing) aside.
const QStringList kEveryTag {kWater, kMilk, kTea, kUnknownCode, kDetergent};

struct FinishRow {
    const char* name;
    int answer;        // to the question: 0 終了する, 1 続ける
    QStringList rows;  // the list afterwards
};

// 終了 asks first; 終了する adds the missing and keeps the check, 続ける keeps nothing and goes on.
TEST(ShelfCheckWindow, FinishAsksThenAddsTheMissingAndKeepsTheCheck)
{
    const FinishRow rows[] = {
        {"終了する: by verdict, the ones to fix first",
         0,
         {QStringLiteral("違う %1 1 価格 198円 → 218円").arg(kMilk), QStringLiteral("ない %1 0").arg(kCrisps),
          QStringLiteral("場所違い %1 1 商品マスタの棚 B-1").arg(kTea), QStringLiteral("不明 %1 1").arg(kUnknownCode),
          QStringLiteral("取り下げ忘れ %1 1 取り扱い終了").arg(kDetergent), QStringLiteral("正しい %1 1").arg(kWater)}},
        {"続ける: the scans as they were",
         1,
         {QStringLiteral("正しい %1 1").arg(kWater), QStringLiteral("違う %1 1 価格 198円 → 218円").arg(kMilk),
          QStringLiteral("場所違い %1 1 商品マスタの棚 B-1").arg(kTea), QStringLiteral("不明 %1 1").arg(kUnknownCode),
          QStringLiteral("取り下げ忘れ %1 1 取り扱い終了").arg(kDetergent)}},
    };
    for (const FinishRow& row : rows) {
        SCOPED_TRACE(row.name);
        Shelf shelf;
        for (const QString& code : kEveryTag) {
            shelf.scan(code);
        }
        shelf.dialogs.choices = {row.answer};
        const bool finished = shelf.window->finish();
        EXPECT_EQ(finished, row.answer == 0);
        ASSERT_EQ(shelf.dialogs.questions.size(), 1u);
        EXPECT_TRUE(shelf.dialogs.questions[0].text.contains(QStringLiteral("読み取っていない商品 1 品は「ない」")));
        EXPECT_EQ(shelf.rows(), row.rows);
        const auto kept = shelf.readBack();
        EXPECT_EQ(shelf.window->isChecking(), !finished);
        if (!finished) {
            EXPECT_TRUE(kept->shelfChecks().empty());
            continue;
        }
        const auto check = kept->shelfCheck(shelf.window->checkId());
        ASSERT_TRUE(check);
        EXPECT_EQ(check->place, QStringLiteral("A-1"));
        EXPECT_EQ(check->scans, 5);
        EXPECT_EQ(check->count(catalogue::CheckVerdict::missing), 1);
        EXPECT_TRUE(
            shelf.label("summaryLabel").contains(QStringLiteral("棚チェック %1 を記録しました").arg(check->id)));
        // Now the check is over: a further scan is refused with a sound and waits in the box.
        const int beeps = shelf.beeps;
        shelf.scan(kWater);
        EXPECT_EQ(shelf.beeps, beeps + 1);
        EXPECT_EQ(shelf.scanEdit()->text(), kWater);
    }
}

struct PrintRow {
    const char* name;
    int answer;  // to the question after the print: 0 はい, 1 いいえ, 2 あとで
    catalogue::PrintState state;
    catalogue::NeedKind milkAfter;  // the milk's tag afterwards
};

TEST(ShelfCheckWindow, PrintsExactlyTheWrongAndMissingTagsAndAsksAboutThePrint)
{
    const PrintRow rows[] = {
        {"confirmed", 0, catalogue::PrintState::confirmed, catalogue::NeedKind::upToDate},
        {"failed", 1, catalogue::PrintState::failed, catalogue::NeedKind::changed},
        {"answered later", 2, catalogue::PrintState::pending, catalogue::NeedKind::changed},
    };
    for (const PrintRow& row : rows) {
        Shelf shelf;
        shelf.window->control<QSpinBox>(QStringLiteral("startTagBox"))->setValue(5);
        shelf.scanAndFinish(kEveryTag);
        EXPECT_EQ(shelf.label("fixCountLabel"), jobs::printCountText(2, 1, 5)) << row.name;
        shelf.dialogs.pdfPath = shelf.dir.filePath(QStringLiteral("fix.pdf"));
        shelf.dialogs.choices = {row.answer};
        QTest::mouseClick(shelf.window->control<QPushButton>(QStringLiteral("printFixesButton")), Qt::LeftButton);
        EXPECT_EQ(shelf.dialogs.printerDialogs, 1) << row.name;
        EXPECT_TRUE(QFileInfo(shelf.dialogs.pdfPath).size() > 0) << row.name;
        ASSERT_EQ(shelf.dialogs.questions.size(), 2u) << row.name;
        EXPECT_TRUE(shelf.dialogs.questions[1].text.contains(QStringLiteral("棚札は正しく印刷できましたか")))
            << row.name;
        EXPECT_EQ(shelf.dialogs.questions[1].defaultIndex, 2) << row.name;

        // Read back: the newest print holds the milk and the crisps, from tag 5, and nothing else.
        const auto kept = shelf.readBack();
        const std::vector<catalogue::PrintInfo> prints = kept->prints(false);
        ASSERT_EQ(prints.size(), 2u) << row.name;
        const catalogue::PrintInfo& fix = prints.back().id > prints.front().id ? prints.back() : prints.front();
        EXPECT_EQ(fix.tagCount, 2) << row.name;
        EXPECT_EQ(fix.startTag, 5) << row.name;
        EXPECT_EQ(fix.state, row.state) << row.name;
        QStringList everyCode;
        for (const ShelfProduct& product : kShelf) {
            everyCode << QString::fromLatin1(product.code);
        }
        EXPECT_EQ(laidTags(*kept, fix.id, everyCode),
                  (QStringList {QStringLiteral("5 %1 218").arg(kMilk), QStringLiteral("6 %1 158").arg(kCrisps)}))
            << row.name;
        for (const catalogue::TagNeed& need : kept->tagNeeds(true)) {
            if (need.product.code == kMilk) {
                EXPECT_EQ(need.kind, row.milkAfter) << row.name;
            }
        }
    }
}

struct HeldRow {
    const char* name;
    // Brings up a question of the window's (the real message box) with `dialogs.whileOpen` set.
    std::function<void(Shelf&)> ask;
    QString verdict;  // the big label once the question is gone
    int beeps;        // since the scan was typed
    QString left;     // the scan box afterwards
};

TEST(ShelfCheckWindow, AScanTypedWhileAQuestionIsOpenWaitsForItToClose)
{
    const HeldRow rows[] = {
        {"the finish question, answered 続ける",
         [](Shelf& s) {
             s.scan(kWater);
             s.dialogs.realQuestions = true;
             s.window->finish();
         },
         QStringLiteral("違う"),
         1,
         {}},
        {"the question about closing the window, answered 続ける",
         [](Shelf& s) {
             s.scan(kWater);
             s.dialogs.realQuestions = true;
             s.window->close();
         },
         QStringLiteral("違う"),
         1,
         {}},
        {"the question after the print, answered あとで: the check is over, so refused with a sound and kept",
         [](Shelf& s) {
             s.scanAndFinish({kWater});
             s.dialogs.pdfPath = s.dir.filePath(QStringLiteral("fix.pdf"));
             s.dialogs.realQuestions = true;
             s.window->printFixes();
         },
         QStringLiteral("読み取れません"), 1, kMilk},
    };
    for (const HeldRow& row : rows) {
        Shelf shelf;
        bool stillOpen = false;
        QStringList held;
        int beepsBefore = 0;
        shelf.dialogs.whileOpen = [&](QWidget* box) {
            beepsBefore = shelf.beeps;
            QWidget* focused = box->focusWidget() ? box->focusWidget() : box;
            QTest::keyClicks(focused, kMilk);
            QTest::keyClick(focused, Qt::Key_Return);
            stillOpen = box->isVisible();  // the scan's Enter answered nothing
            held = shelf.window->heldScans();
            QTest::keyClick(box, Qt::Key_Escape);
        };
        row.ask(shelf);
        EXPECT_TRUE(stillOpen) << row.name;
        EXPECT_EQ(held, QStringList {kMilk}) << row.name;
        EXPECT_TRUE(QTest::qWaitFor([&] { return shelf.window->heldScans().isEmpty(); }, 2000)) << row.name;
        EXPECT_EQ(shelf.label("verdictLabel"), row.verdict) << row.name;
        EXPECT_TRUE(shelf.label("productLabel").contains(kMilk)) << row.name;
        EXPECT_EQ(shelf.beeps - beepsBefore, row.beeps) << row.name;
        EXPECT_EQ(shelf.scanEdit()->text(), row.left) << row.name;
        EXPECT_TRUE(shelf.window->isVisible()) << row.name;
    }
}

TEST(ShelfCheckWindow, OpensFromTheCatalogueWindowOnItsPaperAndStartTag)
{
    QTemporaryDir dir;
    const auto address = *catalogue::parseCatalogueAddress(dir.filePath(QStringLiteral("shop.sqlite")), nullptr);
    ASSERT_TRUE(makeCheckedShelf(address));
    FakeDialogs dialogs;
    desktop::CatalogueWindow master(address, dialogs);
    master.control<QComboBox>(QStringLiteral("formatBox"))->setCurrentIndex(1);
    master.control<QSpinBox>(QStringLiteral("startTagBox"))->setValue(31);
    master.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&master));
    QTest::keyClick(&master, Qt::Key_K, Qt::AltModifier);
    ShelfCheckWindow* check = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (check = master.findChild<ShelfCheckWindow*>()) != nullptr; }, 2000));
    EXPECT_EQ(check->control<QComboBox>(QStringLiteral("formatBox"))->currentIndex(), 1);
    EXPECT_EQ(check->control<QSpinBox>(QStringLiteral("startTagBox"))->value(), 31);
    // The catalogue's locations in shelf order, then every location.
    auto* places = check->control<QComboBox>(QStringLiteral("placeBox"));
    QStringList shown;
    for (int index = 0; index < places->count(); ++index) {
        shown << places->itemData(index).toString();
    }
    EXPECT_EQ(shown, (QStringList {QStringLiteral("A-1"), QStringLiteral("B-1"), QString()}));
    EXPECT_EQ(places->itemText(2), QStringLiteral("全部"));
    // A second press brings the same window forward.
    EXPECT_EQ(master.openShelfCheck(), check);
}

}  // namespace
