// Two programs on one catalogue: tanafuda-catalogue imports, prints and confirms while a 商品マスタ
// window is open; the window shows each step within two seconds, keeping the selection and the
// scroll position, and refuses to confirm a print the other program decided in the meantime. On
// SQLite (one file) and on a PostgreSQL server the test starts.

#include "desktop/catalogue/catalogue_model.h"
#include "desktop/catalogue/catalogue_window.h"
#include "support/catalogue_weeks.h"
#include "support/fake_dialogs.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

using catalogue_weeks::Shop;
using desktop::CatalogueWindow;

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
    // The status line names the step where the catalogue says what it was (PostgreSQL's
    // announcements); SQLite's data version says only that something changed.
    bool noteSays(const char* step) const
    {
        return note().contains(GetParam() == "postgresql"
                                   ? QString::fromUtf8(step)
                                   : QStringLiteral("ほかのプログラムで商品マスタが変わりました"));
    }
    QString tabText(int tab) const { return window->control<QTabBar>(QStringLiteral("statusTabs"))->tabText(tab); }

    Shop shop {GetParam()};
    FakeDialogs dialogs;
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

    const struct {
        const char* step;
        std::function<QStringList()> arguments;
        std::function<bool()> shown;  // what the window shows once it has read the step
    } steps[] = {
        {"import",
         [this] {
             catalogue_weeks::writeList(shop.path(QStringLiteral("week2.csv")), catalogue_weeks::week(2));
             return QStringList {QStringLiteral("import"), shop.path(QStringLiteral("week2.csv")),
                                 QStringLiteral("--date"), QStringLiteral("2026-12-02")};
         },
         [&] { return tabText(1) != toPrintBefore && noteSays("ほかのプログラムで取り込みがありました"); }},
        {"print",
         [this] {
             return QStringList {QStringLiteral("print"), QStringLiteral("-o"), shop.path(QStringLiteral("out"))};
         },
         [&] {
             return pendingText().startsWith(QStringLiteral("印刷 2 "))
                 && noteSays("ほかのプログラムで印刷がありました");
         }},
        {"confirm",
         [] {
             return QStringList {QStringLiteral("confirm"), QStringLiteral("2")};
         },
         [&] { return pendingText().isEmpty() && noteSays("ほかのプログラムで印刷の確認がありました"); }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        const catalogue_weeks::Result done = shop.run(step.arguments());
        ASSERT_EQ(done.exit, 0) << done.err.toStdString();
        EXPECT_TRUE(shownWithinTwoSeconds(step.shown))
            << "note: " << note().toStdString() << "\npending: " << pendingText().toStdString();
        // The same product stays chosen, and the view where it was.
        const QModelIndexList selected = table->selectionModel()->selectedRows();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(window->model().need(selected.front().row()).product.code, chosen);
        EXPECT_EQ(table->verticalScrollBar()->value(), scrolled);
    }
}

TEST_P(CatalogueWindowWatch, AStaleConfirmationIsRefusedSayingWhatHappened)
{
    catalogue_weeks::writeList(shop.path(QStringLiteral("week2.csv")), catalogue_weeks::week(2));
    ASSERT_EQ(shop.run({QStringLiteral("import"), shop.path(QStringLiteral("week2.csv")), QStringLiteral("--date"),
                        QStringLiteral("2026-12-02")})
                  .exit,
              0);
    ASSERT_EQ(shop.run({QStringLiteral("print"), QStringLiteral("-o"), shop.path(QStringLiteral("out"))}).exit, 0);
    ASSERT_TRUE(shownWithinTwoSeconds([this] { return !pendingText().isEmpty(); }));

    // The other program marks the print failed; the window has not read that yet when the user
    // presses 確認.
    ASSERT_EQ(shop.run({QStringLiteral("confirm"), QStringLiteral("2"), QStringLiteral("--failed")}).exit, 0);
    window->control<QListWidget>(QStringLiteral("pendingList"))->setCurrentRow(0);
    dialogs.choices = {0};
    window->confirmPending();

    EXPECT_TRUE(dialogs.questions.empty()) << "the print was asked about again";
    const QString error = window->control<QLabel>(QStringLiteral("errorLabel"))->text();
    EXPECT_TRUE(error.contains(QStringLiteral("印刷 2 は、ほかの PC かプログラムですでに「失敗」にされています")))
        << error.toStdString();
    EXPECT_TRUE(pendingText().isEmpty());
    // Nothing was confirmed: the failed print's tags still need printing.
    const QJsonObject status = shop.run({QStringLiteral("status"), QStringLiteral("--json")}).json();
    EXPECT_GT(status.value(QStringLiteral("changed")).toInt() + status.value(QStringLiteral("new")).toInt(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, CatalogueWindowWatch, testing::Values("sqlite", "postgresql"),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
