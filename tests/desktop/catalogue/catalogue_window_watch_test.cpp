// Two programs on one catalogue: tanafuda-catalogue imports, prints, confirms, takes down, takes an
// offer in and checks a shelf while a 商品マスタ window is open; the window shows each step within
// two seconds, keeping the selection and the scroll position, its status line naming the step, and
// refuses to confirm a print the other program decided in the meantime, saying so until the user's
// next command. On SQLite (one file) and on a PostgreSQL server the test starts.

#include "desktop/catalogue/catalogue_model.h"
#include "desktop/catalogue/catalogue_window.h"
#include "support/command_week.h"
#include "support/fake_dialogs.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

using desktop::CatalogueWindow;
using test_support::Shop;

// Lets the window's event loop run until `shown` holds, at most two seconds.
bool shownWithinTwoSeconds(const std::function<bool()>& shown)
{
    QElapsedTimer waited;
    waited.start();
    while (!shown() && waited.elapsed() < 2000) {
        QTest::qWait(50);
    }
    return shown();
}

class CatalogueWindowWatch : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        if (!shop.skipReason().empty()) {
            GTEST_SKIP() << shop.skipReason();
        }
        ASSERT_EQ(shop.import(1).exit, 0);
        ASSERT_NO_FATAL_FAILURE(shop.weekOneOnTheShelf());
        const auto address = catalogue::parseCatalogueAddress(shop.database(), nullptr);
        ASSERT_TRUE(address);
        window = std::make_unique<CatalogueWindow>(*address, dialogs);
        window->resize(900, 400);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        window->finishLoading();
    }

    QString pendingText() const
    {
        QStringList items;
        const auto* list = window->control<QListWidget>(QStringLiteral("pendingList"));
        for (int row = 0; row < list->count(); ++row) {
            items << list->item(row)->text();
        }
        return items.join(u'\n');
    }
    QString note() const { return window->control<QLabel>(QStringLiteral("noteLabel"))->text(); }
    QString error() const { return window->control<QLabel>(QStringLiteral("errorLabel"))->text(); }
    // The status line names the step, on either database.
    bool noteSays(const QString& step) const { return note().contains(step); }
    QString tabText(int tab) const { return window->control<QTabBar>(QStringLiteral("statusTabs"))->tabText(tab); }

    Shop shop {GetParam()};
    QuestionBoxDialogs dialogs;
    std::unique_ptr<CatalogueWindow> window;
};

TEST_P(CatalogueWindowWatch, AnotherProgramsImportPrintAndConfirmationShowWithinTwoSeconds)
{
    // The user has chosen a product further down and scrolled to it.
    QTableView* table = window->table();
    const int chosenRow = 120;
    table->selectRow(chosenRow);
    table->scrollTo(window->model().index(chosenRow, 0));
    const QString chosen = window->model().need(chosenRow).product.code;
    const int scrolled = table->verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);
    const QString toPrintBefore = tabText(1);

    ASSERT_TRUE(test_support::writeFlyer(shop.path(QStringLiteral("flyer.csv")), test_support::more(1, 3)));
    ASSERT_TRUE(
        test_support::writeBytes(shop.path(QStringLiteral("scans.txt")), test_support::ean13(12).toLatin1() + '\n'));
    const struct {
        const char* step;
        std::function<QStringList()> arguments;
        int exit;
        std::function<bool()> shown;  // what the window shows once it has read the step
    } steps[] = {
        {"import",
         [this] {
             test_support::writeList(shop.path(QStringLiteral("week2.csv")), test_support::week(2));
             return QStringList {QStringLiteral("import"), shop.path(QStringLiteral("week2.csv")),
                                 QStringLiteral("--date"), QStringLiteral("2026-12-02")};
         },
         0,
         [&] {
             return tabText(1) != toPrintBefore && noteSays(QStringLiteral("ほかのプログラムで取り込みがありました"));
         }},
        {"print",
         [this] {
             return QStringList {QStringLiteral("print"), QStringLiteral("-o"), shop.path(QStringLiteral("out"))};
         },
         0,
         [&] {
             return pendingText().startsWith(QStringLiteral("印刷 2 "))
                 && noteSays(QStringLiteral("ほかのプログラムで印刷がありました"));
         }},
        {"confirm",
         [] {
             return QStringList {QStringLiteral("confirm"), QStringLiteral("2")};
         },
         0,
         [&] {
             return pendingText().isEmpty() && noteSays(QStringLiteral("ほかのプログラムで印刷 2 が確認されました"));
         }},
        {"take-down",
         [] {
             return QStringList {QStringLiteral("takedown"), QStringLiteral("--done")};
         },
         0,
         [&] {
             return tabText(5).startsWith(QStringLiteral("取り下げ 0件"))
                 && noteSays(QStringLiteral("ほかのプログラムで取り下げがありました"));
         }},
        {"offer",
         [this] {
             return QStringList {
                 QStringLiteral("offer"),      QStringLiteral("import"), shop.path(QStringLiteral("flyer.csv")),
                 QStringLiteral("--name"),     QStringLiteral("週末"),   QStringLiteral("--from"),
                 QStringLiteral("2030-01-04"), QStringLiteral("--to"),   QStringLiteral("2030-01-05")};
         },
         0, [&] { return noteSays(QStringLiteral("ほかのプログラムで特売の変更がありました")); }},
        {"shelf check",
         [this] {
             return QStringList {QStringLiteral("check"), QStringLiteral("--location"), QStringLiteral("A-1"),
                                 shop.path(QStringLiteral("scans.txt"))};
         },
         4, [&] { return noteSays(QStringLiteral("ほかのプログラムで棚チェックがありました")); }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        const test_support::Result done = shop.run(step.arguments());
        ASSERT_EQ(done.exit, step.exit) << done.err.toStdString();
        EXPECT_TRUE(shownWithinTwoSeconds(step.shown))
            << "note: " << note().toStdString() << "\npending: " << pendingText().toStdString();
        // The same product stays chosen, and the view where it was.
        const QModelIndexList selected = table->selectionModel()->selectedRows();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(window->model().need(selected.front().row()).product.code, chosen);
        EXPECT_EQ(table->verticalScrollBar()->value(), scrolled);
    }
}

struct StaleRow {
    const char* what;
    qint64 print;          // the print the other program decides
    bool failed;           // it marks the print failed, else confirms it
    bool whileAsked;       // while the window's question is open, else before 確認 is pressed
    const char* decision;  // as the red line names it
    const char* told;      // as the status line names it
};

// A print the other program decided is not decided again: the red line says what became of it and
// stays, through the reads that follow, until the user's next command; the status line names the
// print and the decision.
TEST_P(CatalogueWindowWatch, AStaleConfirmationIsRefusedSayingWhatHappenedUntilTheNextCommand)
{
    test_support::writeList(shop.path(QStringLiteral("week2.csv")), test_support::week(2));
    ASSERT_EQ(shop.run({QStringLiteral("import"), shop.path(QStringLiteral("week2.csv")), QStringLiteral("--date"),
                        QStringLiteral("2026-12-02")})
                  .exit,
              0);
    // Prints 2 to 5, each waiting for its answer.
    for (const char* folder : {"out2", "out3", "out4", "out5"}) {
        QStringList print {QStringLiteral("print"), QStringLiteral("-o"), shop.path(QString::fromLatin1(folder))};
        ASSERT_EQ(shop.run(pendingText().isEmpty() ? print : print << QStringLiteral("--again")).exit, 0);
        ASSERT_TRUE(shownWithinTwoSeconds([this] { return !pendingText().isEmpty(); }));
    }
    ASSERT_TRUE(shownWithinTwoSeconds([this] { return pendingText().count(u'\n') == 3; }))
        << pendingText().toStdString();

    const StaleRow rows[] = {
        {"marked failed before 確認 was pressed", 2, true, false, "失敗", "が失敗にされました"},
        {"confirmed before 確認 was pressed", 3, false, false, "確認済み", "が確認されました"},
        {"marked failed while the question was open", 4, true, true, "失敗", "が失敗にされました"},
        {"confirmed while the question was open", 5, false, true, "確認済み", "が確認されました"},
    };
    for (const StaleRow& row : rows) {
        SCOPED_TRACE(row.what);
        QStringList decide {QStringLiteral("confirm"), QString::number(row.print)};
        if (row.failed) {
            decide << QStringLiteral("--failed");
        }
        auto* pending = window->control<QListWidget>(QStringLiteral("pendingList"));
        for (int item = 0; item < pending->count(); ++item) {
            if (pending->item(item)->data(Qt::UserRole).toLongLong() == row.print) {
                pending->setCurrentRow(item);
            }
        }
        ASSERT_TRUE(pending->currentItem()->text().startsWith(QStringLiteral("印刷 %1 ").arg(row.print)));
        const size_t asked = dialogs.questions.size();
        dialogs.realQuestions = row.whileAsked;
        dialogs.whileOpen = [&](QWidget* box) {
            // The other program decides while the window waits; the user, not knowing, says はい.
            EXPECT_EQ(shop.run(decide).exit, 0);
            QTest::qWait(1200);
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Y);
            EXPECT_TRUE(QTest::qWaitFor([box] { return !box->isVisible(); }, 1000)) << "はい did not answer";
        };
        if (!row.whileAsked) {
            ASSERT_EQ(shop.run(decide).exit, 0);
        }
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_C, Qt::AltModifier);  // 確認(&C)...
        const QString said = QStringLiteral("印刷 %1 は、ほかの PC かプログラムですでに「%2」にされています")
                                 .arg(row.print)
                                 .arg(QString::fromUtf8(row.decision));
        EXPECT_TRUE(QTest::qWaitFor([&] { return error().contains(said); }, 3000)) << error().toStdString();
        EXPECT_EQ(dialogs.questions.size(), asked + (row.whileAsked ? 1 : 0)) << "asked about again";
        // The read that follows (held back while a question was open) names what happened; the
        // red line stands through it.
        const QString told
            = QStringLiteral("ほかのプログラムで印刷 %1 %2").arg(row.print).arg(QString::fromUtf8(row.told));
        EXPECT_TRUE(shownWithinTwoSeconds([&] { return noteSays(told); })) << note().toStdString();
        QTest::qWait(500);
        EXPECT_TRUE(error().contains(said)) << error().toStdString();
        EXPECT_FALSE(pendingText().contains(QStringLiteral("印刷 %1 ").arg(row.print)));
        // The next command clears it.
        window->table()->clearSelection();
        window->activateWindow();  // the offscreen platform leaves it to the program after a box
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_H, Qt::AltModifier);  // 履歴(&H)
        EXPECT_TRUE(QTest::qWaitFor([&] { return error().isEmpty(); }, 2000)) << error().toStdString();
        dialogs.realQuestions = false;
    }
    // Nothing was confirmed here: the catalogue holds the other program's decisions.
    const QJsonArray prints = shop.run({QStringLiteral("status"), QStringLiteral("--json")})
                                  .json()
                                  .value(QStringLiteral("pending_prints"))
                                  .toArray();
    EXPECT_TRUE(prints.isEmpty());
    const auto address = catalogue::parseCatalogueAddress(shop.database(), nullptr);
    const auto opened = catalogue::Catalogue::open(*address, {}, nullptr);
    ASSERT_TRUE(opened);
    QStringList states;
    for (const catalogue::PrintInfo& print : opened->prints(false)) {
        states << catalogue::printStateKey(print.state);
    }
    EXPECT_EQ(states.join(u' '), QStringLiteral("confirmed failed confirmed failed confirmed"));
}

INSTANTIATE_TEST_SUITE_P(Backends, CatalogueWindowWatch, testing::Values("sqlite", "postgresql"),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
