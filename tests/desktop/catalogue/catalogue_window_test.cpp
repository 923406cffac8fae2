// The 商品マスタ window through a shop's week: lists taken in through the import dialog, the changed
// tags printed (to PDF) and the prints answered as the staff would answer them.

#include "desktop/catalogue/catalogue_import_dialog.h"
#include "desktop/catalogue/catalogue_model.h"
#include "desktop/catalogue/catalogue_window.h"
#include "support/fake_dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QSpinBox>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

using desktop::CatalogueModel;
using desktop::CatalogueWindow;

struct Week {
    QTemporaryDir dir;
    FakeDialogs dialogs;
    std::unique_ptr<CatalogueWindow> window;
    int prints = 0;

    Week()
    {
        window = std::make_unique<CatalogueWindow>(
            *catalogue::parseCatalogueAddress(dir.filePath(QStringLiteral("shop.sqlite")), nullptr), dialogs);
    }

    QString write(const QString& name, const QString& csv)
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(csv.toUtf8());
        return file.fileName();
    }
    // The list goes through the import dialog as it opens; `answer` answers the merge summary.
    void takeIn(const QString& name, const QString& csv, int answer)
    {
        dialogs.openAnswer = write(name, csv);
        dialogs.choices = {answer};
        QTimer::singleShot(0, window.get(), [this] {
            auto* dialog = window->findChild<desktop::CatalogueImportDialog*>();
            if (dialog == nullptr) {
                ADD_FAILURE() << "no import dialog";
                if (QWidget* modal = QApplication::activeModalWidget()) {
                    modal->close();
                }
                return;
            }
            dialog->accept();
        });
        window->importList();
    }
    void print(int format, int start, int answer)
    {
        window->control<QComboBox>(QStringLiteral("formatBox"))->setCurrentIndex(format);
        window->control<QSpinBox>(QStringLiteral("startTagBox"))->setValue(start);
        dialogs.pdfPath = dir.filePath(QStringLiteral("print-%1.pdf").arg(++prints));
        dialogs.choices = {answer};
        window->printChanges();
    }
    // The rows of a status tab: "code status price old-price".
    QStringList rows(int tab)
    {
        window->control<QTabBar>(QStringLiteral("statusTabs"))->setCurrentIndex(tab);
        QStringList shown;
        const CatalogueModel& model = window->model();
        for (int row = 0; row < model.rowCount(); ++row) {
            QStringList cells;
            for (int column :
                 {CatalogueModel::code, CatalogueModel::status, CatalogueModel::price, CatalogueModel::oldPrice}) {
                cells << model.index(row, column).data().toString();
            }
            shown << cells.join(u' ').trimmed();
        }
        return shown;
    }
    int pending() { return window->control<QListWidget>(QStringLiteral("pendingList"))->count(); }
};

const QString kHeader = QStringLiteral("JAN,商品名,売価,棚番\n");
const QString kMonday = kHeader
    + QStringLiteral("4900000000016,天然水 2L,98,A-10\n4900000000023,洗濯洗剤,328,B-1\n"
                     "4900000000030,ポテトチップス,158,A-2\n4900000000047,牛乳 1L,198,A-1\n");
// A week on: the milk dearer, the crisps gone, a new tea.
const QString kNextMonday = kHeader
    + QStringLiteral("4900000000016,天然水 2L,98,A-10\n4900000000023,洗濯洗剤,328,B-1\n"
                     "4900000000047,牛乳 1L,218,A-1\n4900000000054,緑茶 500ml,128,A-3\n");

enum Tab { all = 0, toPrint = 1, takeDown = 5 };
enum Answer { yes = 0, no = 1, later = 2 };

struct Step {
    const char* what;
    std::function<void(Week&)> act;
    QStringList toPrint;  // the 印刷が必要 tab afterwards, in shelf order
    int pending;
};

TEST(CatalogueWindow, AWeekOfPriceChanges)
{
    const QString milk = QStringLiteral("4900000000047");
    const std::vector<Step> steps = {
        {"a new catalogue takes the first list in",
         [](Week& w) { w.takeIn(QStringLiteral("monday.csv"), kMonday, 0); },
         {milk + QStringLiteral(" 新規 198円"), QStringLiteral("4900000000030 新規 158円"),
          QStringLiteral("4900000000016 新規 98円"), QStringLiteral("4900000000023 新規 328円")},
         0},
        {"printed, answered later: still to print, one print pending",
         [](Week& w) { w.print(0, 1, later); },
         {milk + QStringLiteral(" 新規 198円"), QStringLiteral("4900000000030 新規 158円"),
          QStringLiteral("4900000000016 新規 98円"), QStringLiteral("4900000000023 新規 328円")},
         1},
        {"the pending print confirmed",
         [](Week& w) {
             w.dialogs.choices = {yes};
             w.window->confirmPending();
         },
         {},
         0},
        {"next week's list cancelled at the summary: nothing written",
         [](Week& w) { w.takeIn(QStringLiteral("next.csv"), kNextMonday, 2); },
         {},
         0},
        {"next week's list taken in: the changed milk with both prices, the new tea",
         [](Week& w) { w.takeIn(QStringLiteral("next.csv"), kNextMonday, 0); },
         {milk + QStringLiteral(" 変更あり 218円 198円"), QStringLiteral("4900000000054 新規 128円")},
         0},
        {"small sheet from tag 7, answered no: still listed",
         [](Week& w) { w.print(1, 7, no); },
         {milk + QStringLiteral(" 変更あり 218円 198円"), QStringLiteral("4900000000054 新規 128円")},
         0},
        {"printed again, answered yes: nothing listed", [](Week& w) { w.print(1, 7, yes); }, {}, 0},
    };
    Week week;
    ASSERT_TRUE(week.dir.isValid());
    EXPECT_NE(week.window->control<QWidget>(QStringLiteral("emptyPage")), nullptr);
    EXPECT_FALSE(week.window->hasCatalogue());
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act(week);
        EXPECT_EQ(week.rows(toPrint), step.toPrint);
        EXPECT_EQ(week.pending(), step.pending);
        EXPECT_TRUE(week.window->control<QLabel>(QStringLiteral("errorLabel"))->text().isEmpty());
    }
    // The failed print and the good one both laid the milk on tag 7 of the small sheet, and the PDFs
    // are where the prints say.
    EXPECT_EQ(week.prints, 3);
    catalogue::Result outcome;
    const auto opened = catalogue::Catalogue::open(
        *catalogue::parseCatalogueAddress(week.dir.filePath(QStringLiteral("shop.sqlite")), nullptr), {}, &outcome);
    ASSERT_TRUE(opened) << outcome.message.toStdString();
    const auto history = opened->history(milk);
    ASSERT_TRUE(history);
    QStringList prints;
    for (const catalogue::PrintedTag& printed : history->prints) {
        prints << QStringLiteral("%1 %2/%3 %4 %5")
                      .arg(printed.print.format)
                      .arg(printed.sheet)
                      .arg(printed.slot)
                      .arg(printed.tag.price)
                      .arg(catalogue::printStateKey(printed.print.state));
        EXPECT_TRUE(QFile::exists(printed.print.destination)) << printed.print.destination.toStdString();
    }
    EXPECT_EQ(prints,
              (QStringList {QStringLiteral("large 1/1 198 confirmed"), QStringLiteral("small 1/7 218 failed"),
                            QStringLiteral("small 1/7 218 confirmed")}));
    EXPECT_EQ(week.rows(takeDown), QStringList {QStringLiteral("4900000000030 取り下げ 158円")});

    // The take-down checklist names the crisps.
    const QString checklist = week.dir.filePath(QStringLiteral("takedown.pdf"));
    week.dialogs.choices = {0};
    week.dialogs.saveAnswer = checklist;
    week.window->takedownList();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {checklist, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(20000));
    const QString listed = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(listed.contains(QStringLiteral("ポテトチップス"))) << listed.toStdString();
    EXPECT_FALSE(listed.contains(QStringLiteral("牛乳"))) << listed.toStdString();
}

struct SearchRow {
    const char* typed;
    bool enter;
    QStringList shown;  // codes, in shelf order
    QString selected;   // after Enter
};

TEST(CatalogueWindow, SearchFiltersAndAScannedCodeSelects)
{
    Week week;
    week.takeIn(QStringLiteral("monday.csv"), kMonday, 0);
    const QStringList every {QStringLiteral("4900000000047"), QStringLiteral("4900000000030"),
                             QStringLiteral("4900000000016"), QStringLiteral("4900000000023")};
    const SearchRow rows[] = {
        {"ポテト", false, {QStringLiteral("4900000000030")}, {}},
        {"ﾎﾟﾃﾄ", false, {QStringLiteral("4900000000030")}, {}},
        {"２Ｌ", false, {QStringLiteral("4900000000016")}, {}},
        {"49000000000", false, every, {}},
        {"4900000000023", true, {QStringLiteral("4900000000023")}, QStringLiteral("4900000000023")},
        {"4900000000061", true, {}, {}},
    };
    auto* search = week.window->control<QLineEdit>(QStringLiteral("searchEdit"));
    for (const SearchRow& row : rows) {
        SCOPED_TRACE(row.typed);
        week.window->table()->clearSelection();
        search->setText(QString::fromUtf8(row.typed));
        if (row.enter) {
            emit search->returnPressed();
        }
        QStringList shown;
        for (int r = 0; r < week.window->model().rowCount(); ++r) {
            shown << week.window->model().need(r).product.code;
        }
        EXPECT_EQ(shown, row.shown);
        const QModelIndexList selected = week.window->table()->selectionModel()->selectedRows();
        EXPECT_EQ(selected.isEmpty() ? QString() : week.window->model().need(selected.front().row()).product.code,
                  row.selected);
        if (row.enter && row.selected.isEmpty()) {
            EXPECT_TRUE(week.window->control<QLabel>(QStringLiteral("noteLabel"))
                            ->text()
                            .contains(QStringLiteral("ありません")));
        }
    }
}

// A catalogue of `products` on locations, ... (`perShelf` each, listed with A-10 before A-2).
catalogue::CatalogueAddress catalogueOf(const QTemporaryDir& dir, int products, int perShelf)
{
    const catalogue::CatalogueAddress location
        = *catalogue::parseCatalogueAddress(dir.filePath(QStringLiteral("large.sqlite")), nullptr);
    catalogue::Result outcome;
    const auto opened = catalogue::Catalogue::open(location, {true}, &outcome);
    EXPECT_TRUE(opened) << outcome.message.toStdString();
    catalogue::IncomingList list;
    list.fileName = QStringLiteral("large.csv");
    list.rowCount = products;
    for (int n = 0; n < products; ++n) {
        catalogue::IncomingProduct product;
        product.code = product.tag.jan = QStringLiteral("45%1").arg(n, 11, 10, QLatin1Char('0'));
        product.tag.productName = QStringLiteral("商品%1").arg(n);
        product.listPrice = product.tag.price = 100 + n;
        product.shelf = QStringLiteral("A-%1").arg(products / perShelf - n / perShelf);
        product.listOrder = n + 2;
        list.products.push_back(std::move(product));
    }
    EXPECT_TRUE(opened->merge(list, {}).ok());
    return location;
}

struct OpeningRow {
    int products;
    int perShelf;
    int firstRows;  // shown at once; the products when the catalogue is read whole at once
};

TEST(CatalogueWindow, ALargeCatalogueShowsItsFirstLocationsAtOnceAndTheRestAfter)
{
    const int first = CatalogueWindow::kFirstRows;
    const OpeningRow rows[] = {
        {first - 1, 7, first - 1},
        {(first / 30 + 3) * 30, 30, (first / 30 + 1) * 30},  // whole locations, past the rows asked for
        {first * 2, 1, first},
    };
    for (const OpeningRow& row : rows) {
        SCOPED_TRACE(testing::Message() << row.products << " products, " << row.perShelf << " a location");
        QTemporaryDir dir;
        const catalogue::CatalogueAddress location = catalogueOf(dir, row.products, row.perShelf);
        catalogue::Result outcome;
        QStringList whole;
        for (const catalogue::TagNeed& need : catalogue::Catalogue::open(location, {}, &outcome)->tagNeeds(true)) {
            whole << need.product.code;
        }
        ASSERT_EQ(whole.size(), row.products);
        FakeDialogs dialogs;
        CatalogueWindow window(location, dialogs);
        const auto codes = [&window] {
            QStringList shown;
            for (int r = 0; r < window.model().rowCount(); ++r) {
                shown << window.model().need(r).product.code;
            }
            return shown;
        };
        EXPECT_EQ(window.isLoading(), row.firstRows < row.products);
        EXPECT_EQ(codes(), whole.mid(0, row.firstRows));
        EXPECT_TRUE(window.control<QTabBar>(QStringLiteral("statusTabs"))
                        ->tabText(0)
                        .startsWith(QStringLiteral("すべて %1件").arg(row.products)));
        // A code scanned before the rest are in is found among them.
        window.findCode(whole.back());
        EXPECT_FALSE(window.isLoading());
        EXPECT_EQ(codes(), whole);
        const QModelIndexList selected = window.table()->selectionModel()->selectedRows();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(window.model().need(selected.front().row()).product.code, whole.back());
    }
}

TEST(CatalogueWindow, ShowsACatalogueItMayOnlyReadAndSaysWhyItCannotWriteIt)
{
    Week week;
    week.takeIn(QStringLiteral("w1.csv"), QStringLiteral("JAN,品名,価格\n4901234567894,牛乳,198\n"), 0);
    const QString file = week.dir.filePath(QStringLiteral("shop.sqlite"));
    week.window.reset();
    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    week.window = std::make_unique<CatalogueWindow>(*catalogue::parseCatalogueAddress(file, nullptr), week.dialogs);
    EXPECT_TRUE(week.window->hasCatalogue());
    EXPECT_EQ(week.rows(0).size(), 1);
    const QString note = week.window->control<QLabel>(QStringLiteral("noteLabel"))->text();
    EXPECT_TRUE(note.contains(QStringLiteral("書き込めません"))) << note.toStdString();
}

struct UnreadableRow {
    const char* what;
    QByteArray fileBytes;  // written as the catalogue file, or none
    QString location;      // when not that file
    QString said;          // part of the error shown above the table; empty: none, the first-start page
};

TEST(CatalogueWindow, SaysInTheWindowWhyTheCatalogueCannotBeRead)
{
    const UnreadableRow rows[] = {
        {"no catalogue yet", {}, {}, {}},
        {"a damaged file", QByteArray("SQLite format 3").append(4096, '\x5a'), {}, QStringLiteral("商品マスタ")},
        {"a server that does not answer",
         {},
         QStringLiteral("postgresql://tanafuda@localhost/none?host=/nonexistent"),
         QStringLiteral("サーバー")},
    };
    for (const UnreadableRow& row : rows) {
        SCOPED_TRACE(row.what);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("shop.sqlite"));
        if (!row.fileBytes.isEmpty()) {
            QFile damaged(file);
            ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
            damaged.write(row.fileBytes);
        }
        QString error;
        const auto location = catalogue::parseCatalogueAddress(row.location.isEmpty() ? file : row.location, &error);
        ASSERT_TRUE(location) << error.toStdString();
        FakeDialogs dialogs;
        CatalogueWindow window(*location, dialogs);
        const QString shown = window.control<QLabel>(QStringLiteral("errorLabel"))->text();
        if (row.said.isEmpty()) {
            EXPECT_TRUE(shown.isEmpty()) << shown.toStdString();
            EXPECT_TRUE(window.control<QWidget>(QStringLiteral("emptyPage"))->isVisibleTo(&window));
        } else {
            EXPECT_TRUE(shown.contains(row.said)) << shown.toStdString();
        }
        EXPECT_FALSE(window.hasCatalogue());
    }
}

}  // namespace
