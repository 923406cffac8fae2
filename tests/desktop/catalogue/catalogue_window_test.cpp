// The 商品マスタ window through a shop's week: lists taken in through the import dialog, the changed
// tags printed (to PDF) and the prints answered as the staff would answer them.

#include "core/settings/tag_text_settings.h"
#include "desktop/catalogue/catalogue_import_dialog.h"
#include "desktop/catalogue/catalogue_model.h"
#include "desktop/catalogue/catalogue_print_dialog.h"
#include "desktop/catalogue/catalogue_window.h"
#include "support/fake_dialogs.h"
#include "support/window_week.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

using desktop::CatalogueModel;
using desktop::CatalogueWindow;
using test_support::Week;
using test_support::WeekDialogs;
using enum test_support::Answer;

const QString kHeader = QStringLiteral("JAN,商品名,売価,棚番\n");
const QString kMonday = kHeader
    + QStringLiteral("4900000000016,天然水 2L,98,A-10\n4900000000023,洗濯洗剤,328,B-1\n"
                     "4900000000030,ポテトチップス,158,A-2\n4900000000047,牛乳 1L,198,A-1\n");
// A week on: the milk dearer, the crisps gone, a new tea.
const QString kNextMonday = kHeader
    + QStringLiteral("4900000000016,天然水 2L,98,A-10\n4900000000023,洗濯洗剤,328,B-1\n"
                     "4900000000047,牛乳 1L,218,A-1\n4900000000054,緑茶 500ml,128,A-3\n");

enum Tab { all = 0, toPrint = 1, takeDown = 5 };

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

// The codes a status tab shows, in shelf order.
QStringList codesOf(Week& week, int tab)
{
    QStringList codes;
    for (const QString& row : week.rows(tab)) {
        codes << row.section(u' ', 0, 0);
    }
    return codes;
}

// Monday's list with the sizes of its products; the milk's gives no amount for a unit price.
const QString kMondaySized
    = QStringLiteral("JAN,商品名,規格,売価,棚番\n4900000000016,天然水,2L,98,A-10\n"
                     "4900000000023,洗濯洗剤,1kg,328,B-1\n4900000000030,ポテトチップス,60g,158,A-2\n"
                     "4900000000047,牛乳,大,198,A-1\n");

struct PrintRow {
    const char* what;
    bool unitPrice;  // the shop's tags show the unit price
    int format;
    int start;
    const char* scanned;  // a code scanned into the search box first, or empty
    bool selectedOnly;
    QString count;    // what the print dialog says
    int tags;         // what the print recorded
    QString leftOut;  // the question's part on what the tags could not show; empty: none
};

// A selection never narrows a print by itself: a code scanned into the search box selects its
// product, and the print still holds every tag that needs printing unless the dialog says otherwise.
// The question after it names the print, repeats what it held and says what its tags could not
// show, in the words of `tanafuda-catalogue print`.
TEST(CatalogueWindow, APrintCoversEveryTagUnlessTheDialogSaysSelectedOnlyAndItsQuestionSaysWhatItHeld)
{
    const PrintRow rows[] = {
        {"nothing selected", false, 0, 1, "", false, QStringLiteral("棚札 4 枚、シート 1 枚、タグ 1 から"), 4, {}},
        {"a scanned product selected",
         false,
         0,
         1,
         "4900000000023",
         false,
         QStringLiteral("棚札 4 枚、シート 1 枚、タグ 1 から"),
         4,
         {}},
        {"選んだ商品だけ chosen",
         false,
         0,
         1,
         "4900000000023",
         true,
         QStringLiteral("棚札 1 枚、シート 1 枚、タグ 1 から"),
         1,
         {}},
        {"a small sheet from tag 39",
         false,
         1,
         39,
         "",
         false,
         QStringLiteral("棚札 4 枚、シート 2 枚、タグ 39 から"),
         4,
         {}},
        {"unit prices shown: the milk's size gives no amount", true, 0, 1, "", false,
         QStringLiteral("棚札 4 枚、シート 1 枚、タグ 1 から"), 4,
         QStringLiteral("棚札に出せなかったもの:\n  棚札 1: 単位価格なし（")},
    };
    // The shop's choices are the test run's settings file's: as they were once the test ends.
    const struct Restore {
        ~Restore() { settings::TagTextSettings(settings::SettingsStore()).saveTagTextChoices({}, nullptr); }
    } restore;
    for (const PrintRow& row : rows) {
        SCOPED_TRACE(row.what);
        sheet::TagTextChoices choices;
        choices.unitPrice = row.unitPrice;
        ASSERT_TRUE(settings::TagTextSettings(settings::SettingsStore()).saveTagTextChoices(choices, nullptr));
        Week week;
        week.takeIn(QStringLiteral("monday.csv"), kMondaySized, 0);
        auto* search = week.window->control<QLineEdit>(QStringLiteral("searchEdit"));
        if (*row.scanned != 0) {
            search->setFocus();
            QTest::keyClicks(search, QString::fromLatin1(row.scanned));
            QTest::keyClick(search, Qt::Key_Return);
            ASSERT_EQ(week.window->table()->selectionModel()->selectedRows().size(), 1);
        }
        week.print(row.format, row.start, later, row.selectedOnly);
        EXPECT_EQ(week.printCount, row.count);
        const auto opened = week.readBack();
        ASSERT_TRUE(opened);
        const std::vector<catalogue::PrintInfo> pending = opened->prints(true);
        ASSERT_EQ(pending.size(), 1u);
        EXPECT_EQ(pending.front().tagCount, row.tags);
        ASSERT_FALSE(week.dialogs.questions.empty());
        const FakeDialogs::Question& asked = week.dialogs.questions.back();
        EXPECT_EQ(asked.title, QStringLiteral("印刷 %1 の確認").arg(pending.front().id));
        EXPECT_TRUE(asked.text.contains(row.count)) << asked.text.toStdString();
        EXPECT_EQ(asked.text.contains(QStringLiteral("棚札に出せなかったもの")), !row.leftOut.isEmpty())
            << asked.text.toStdString();
        EXPECT_TRUE(asked.text.contains(row.leftOut)) << asked.text.toStdString();
        EXPECT_FALSE(asked.text.contains(QStringLiteral("棚札 2:"))) << asked.text.toStdString();
    }
}

struct KeyRow {
    const char* what;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int pending;  // prints still to confirm afterwards
    catalogue::PrintState state;
};

// The real question box after a print, answered by keys: Enter, Space and Escape leave the print
// pending; only はい's or いいえ's own key decides it.
TEST(CatalogueWindow, EnterDoesNotConfirmAPrint)
{
    const KeyRow rows[] = {
        {"Enter", Qt::Key_Return, Qt::NoModifier, 1, catalogue::PrintState::pending},
        {"Space on the focused button", Qt::Key_Space, Qt::NoModifier, 1, catalogue::PrintState::pending},
        {"Escape", Qt::Key_Escape, Qt::NoModifier, 1, catalogue::PrintState::pending},
        {"Y", Qt::Key_Y, Qt::NoModifier, 0, catalogue::PrintState::confirmed},
        {"Alt+Y", Qt::Key_Y, Qt::AltModifier, 0, catalogue::PrintState::confirmed},
        {"N", Qt::Key_N, Qt::NoModifier, 0, catalogue::PrintState::failed},
    };
    for (const KeyRow& row : rows) {
        SCOPED_TRACE(row.what);
        Week week;
        week.takeIn(QStringLiteral("monday.csv"), kMonday, 0);
        week.dialogs.realQuestions = true;
        QString title;
        QTimer poll;
        int polls = 0;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isActiveWindow()) {
                if (++polls > 500) {
                    poll.stop();
                    ADD_FAILURE() << "no question";
                    Week::closeModal();
                }
                return;
            }
            poll.stop();
            title = box->windowTitle();
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, row.key, row.modifiers);
            // A key that answers nothing leaves the box open: close it as the test ends.
            QTimer::singleShot(1000, box, [box] {
                if (box->isVisible()) {
                    ADD_FAILURE() << "the question stayed open";
                    box->done(0);
                }
            });
        });
        poll.start(10);
        week.print(0, 1, later);
        EXPECT_TRUE(title.startsWith(QStringLiteral("印刷 "))) << title.toStdString();
        const auto opened = week.readBack();
        ASSERT_TRUE(opened);
        EXPECT_EQ(int(opened->prints(true).size()), row.pending);
        const std::vector<catalogue::PrintInfo> all = opened->prints(false);
        ASSERT_EQ(all.size(), 1u);
        EXPECT_EQ(all.front().state, row.state);
    }
}

// The summary before a list is taken in: what needs a new tag apart from what changed without one,
// the refused rows by number and reason, and the same count of usable rows as the import view.
TEST(CatalogueWindow, TheMergeSummaryNamesWhatChangedAndTheRowsItRefuses)
{
    Week week;
    week.takeIn(QStringLiteral("monday.csv"), kMonday, 0);
    week.print(0, 1, yes);
    // The milk dearer, the water moved, the crisps gone, a row without a code, a row repeated.
    const QString next = kHeader
        + QStringLiteral("4900000000016,天然水 2L,98,A-11\n4900000000023,洗濯洗剤,328,B-1\n"
                         "4900000000047,牛乳 1L,218,A-1\n,バナナ,98,C-1\n4900000000023,洗濯洗剤,328,B-1\n");
    week.dialogs.choices = {0};
    week.takeIn(QStringLiteral("next.csv"), next, 0, [](desktop::CatalogueImportDialog& dialog) {
        const auto* table = qobject_cast<QTableWidget*>(dialog.control(QStringLiteral("rowTable")));
        ASSERT_NE(table, nullptr);
        QStringList notes;
        for (int row = 0; row < table->rowCount(); ++row) {
            notes << table->item(row, table->columnCount() - 1)->text();
        }
        EXPECT_TRUE(notes.value(3).contains(QStringLiteral("JANコードも商品コードもない")))
            << notes.value(3).toStdString();
        EXPECT_TRUE(notes.value(4).contains(QStringLiteral("3行目と同じ"))) << notes.value(4).toStdString();
    });
    EXPECT_EQ(week.importSummary, QStringLiteral("取り込む商品 3 件 (使えない行 2)"));
    const FakeDialogs::Question& summary = week.dialogs.questions.at(week.dialogs.questions.size() - 1);
    for (const QString& said : {QStringLiteral("変更　　　2 件"), QStringLiteral("札が変わる 1 件"),
                                QStringLiteral("棚番だけ変わった 1 件（札はそのまま）"),
                                QStringLiteral("取り下げ　1 件"), QStringLiteral("取り込めない行　2 行"),
                                QStringLiteral("5行目: JANコードも商品コードもないため商品マスタに入れません"),
                                QStringLiteral("6行目: コード 4900000000023 は 3行目と同じため使いません")}) {
        EXPECT_TRUE(summary.text.contains(said)) << said.toStdString() << "\n" << summary.text.toStdString();
    }
    // The tab of changed products agrees with what needs a new tag.
    EXPECT_EQ(codesOf(week, 1), QStringList {QStringLiteral("4900000000047")});
    EXPECT_TRUE(
        week.window->control<QTabBar>(QStringLiteral("statusTabs"))->tabText(4).startsWith(QStringLiteral("最新 2件")));
}

struct FirstStartRow {
    const char* what;
    bool acceptView;  // the import view accepted (then the summary cancelled), or cancelled itself
};

// Cancelling the very first import makes nothing: no file, and the first-start page stays.
TEST(CatalogueWindow, CancellingTheFirstImportWritesNothing)
{
    const FirstStartRow rows[] = {{"the import view cancelled", false}, {"the summary cancelled", true}};
    for (const FirstStartRow& row : rows) {
        SCOPED_TRACE(row.what);
        Week week;
        week.window->show();
        if (row.acceptView) {
            week.takeIn(QStringLiteral("monday.csv"), kMonday, 2);
        } else {
            week.dialogs.openAnswer = week.write(QStringLiteral("monday.csv"), kMonday);
            QTimer::singleShot(0, week.window.get(), [&week] {
                auto* dialog = week.window->findChild<desktop::CatalogueImportDialog*>();
                ASSERT_NE(dialog, nullptr);
                dialog->reject();
            });
            week.window->importList();
        }
        EXPECT_FALSE(QFileInfo::exists(week.dir.filePath(QStringLiteral("shop.sqlite"))));
        EXPECT_EQ(QDir(week.dir.path()).entryList(QDir::Files), QStringList {QStringLiteral("monday.csv")});
        EXPECT_FALSE(week.window->hasCatalogue());
        EXPECT_TRUE(week.window->control<QWidget>(QStringLiteral("emptyPage"))->isVisible());
        EXPECT_TRUE(week.window->control<QLabel>(QStringLiteral("errorLabel"))->text().isEmpty());
    }
}

// A damaged file: the page says what happened, where the file went and what the next import does,
// and stays until a list is taken in.
TEST(CatalogueWindow, TheDamagedFilePageSaysWhereTheFileWentAndWhatComesNext)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("shop.sqlite"));
    {
        QFile damaged(file);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray("SQLite format 3").append(4096, '\x5a'));
    }
    Week week;
    week.window = std::make_unique<CatalogueWindow>(*catalogue::parseCatalogueAddress(file, nullptr), week.dialogs);
    week.window->show();
    const QStringList aside = QDir(dir.path()).entryList({QStringLiteral("shop.sqlite.damaged-*")});
    ASSERT_EQ(aside.size(), 1);
    const auto said = [&week] { return week.window->control<QLabel>(QStringLiteral("damagedText"))->text(); };
    const auto onDamagedPage = [&week] {
        return week.window->control<QWidget>(QStringLiteral("damagedPage"))->isVisible()
            && !week.window->control<QWidget>(QStringLiteral("emptyPage"))->isVisible();
    };
    EXPECT_TRUE(onDamagedPage());
    for (const QString& part : {QStringLiteral("壊れていて"), QDir::toNativeSeparators(dir.filePath(aside.front())),
                                QStringLiteral("次に商品リストを取り込むと")}) {
        EXPECT_TRUE(said().contains(part)) << part.toStdString() << "\n" << said().toStdString();
    }
    EXPECT_FALSE(said().contains(QStringLiteral("まだありません")));

    // A cancelled import changes nothing; an accepted one makes the new catalogue.
    week.takeIn(QStringLiteral("monday.csv"), kMonday, 2);
    EXPECT_TRUE(onDamagedPage());
    EXPECT_FALSE(QFileInfo::exists(file));
    week.takeIn(QStringLiteral("monday.csv"), kMonday, 0);
    EXPECT_FALSE(onDamagedPage());
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(week.window->model().rowCount(), 4);
}

struct TakedownRow {
    const char* what;
    const char* selected;  // a product selected first, or none
    int answer;
    QStringList left;  // the take-down tab afterwards
};

// 取り下げ完了 in the window, asked first: the selected products to take down, else every listed one.
TEST(CatalogueWindow, RecordsTakeDownsAfterAsking)
{
    Week week;
    week.takeIn(QStringLiteral("monday.csv"), kMonday, 0);
    week.print(0, 1, yes);
    // The crisps and the detergent gone.
    week.takeIn(QStringLiteral("next.csv"),
                kHeader + QStringLiteral("4900000000016,天然水 2L,98,A-10\n4900000000047,牛乳 1L,198,A-1\n"), 0);
    const QString crisps = QStringLiteral("4900000000030");
    const QString detergent = QStringLiteral("4900000000023");
    const TakedownRow rows[] = {
        {"answered いいえ: nothing recorded", "", no, {crisps, detergent}},
        {"the selected one", "4900000000030", yes, {detergent}},
        {"every listed one", "", yes, {}},
    };
    for (const TakedownRow& row : rows) {
        SCOPED_TRACE(row.what);
        week.window->table()->clearSelection();
        if (*row.selected != 0) {
            week.window->findCode(QString::fromLatin1(row.selected));
        }
        week.dialogs.choices = {row.answer};
        QTest::mouseClick(week.window->control<QPushButton>(QStringLiteral("takedownDoneButton")), Qt::LeftButton);
        const FakeDialogs::Question& asked = week.dialogs.questions.back();
        EXPECT_EQ(asked.buttons.value(asked.defaultIndex), QStringLiteral("いいえ(&N)"));
        EXPECT_EQ(codesOf(week, takeDown), row.left);
        const auto opened = week.readBack();
        ASSERT_TRUE(opened);
        EXPECT_EQ(opened->status().takeDown, row.left.size());
    }
}

struct ColumnChoiceRow {
    const char* what;
    QString csv;
    std::vector<std::pair<const char*, int>> chosen;  // boxes set by hand: the box, its column (0-based)
    bool baseByKeys;  // the unit price's base chosen by keyboard: Alt+Q, then End (the last column)
    QString boxes;    // map_shelf|map_count|map_unit|map_content|map_contentunit as the view opens
    QString kept;     // the milk as the catalogue keeps it: shelf|tag count|unit base|content
};

// The catalogue's own columns (the shelf, the tag count, the unit price's base, the content beside
// the size) are chosen in the import view beside the tag's, found by title and contents as those
// are, and taken in as `tanafuda-catalogue import` takes them.
TEST(CatalogueWindow, TheImportViewOffersTheCataloguesColumns)
{
    const ColumnChoiceRow rows[] = {
        {"found by their titles",
         QStringLiteral("JAN,商品名,売価,売場ロケーション,フェース数\n4900000000047,牛乳 1L,198,冷蔵 2,3\n"),
         {},
         false,
         QStringLiteral("4: 売場ロケーション|5: フェース数|(なし)|(なし)|(なし)"),
         QStringLiteral("冷蔵 2|3||")},
        {"unusual titles chosen by hand",
         QStringLiteral("JAN,商品名,売価,置き場所,面\n4900000000047,牛乳 1L,198,冷蔵 2,2\n"),
         {{"map_shelf", 3}, {"map_count", 4}},
         false,
         QStringLiteral("(なし)|(なし)|(なし)|(なし)|(なし)"),
         QStringLiteral("冷蔵 2|2||")},
        {"an amount and a unit beside the size, found by their titles",
         QStringLiteral("JAN,商品名,規格,売価,内容量,単位\n4900000000047,牛乳,1Lパック,198,1000,ml\n"),
         {},
         false,
         QStringLiteral("(なし)|(なし)|(なし)|5: 内容量|6: 単位"),
         QStringLiteral("|1||1000ml")},
        {"a base under a title of the shop's own, chosen by keyboard",
         QStringLiteral("JAN,商品名,規格,売価,基準\n4900000000047,ティッシュ,160組×5箱,298,10枚\n"),
         {},
         true,
         QStringLiteral("(なし)|(なし)|(なし)|(なし)|(なし)"),
         QStringLiteral("|1|10枚|")},
    };
    for (const ColumnChoiceRow& row : rows) {
        SCOPED_TRACE(row.what);
        Week week;
        QString boxes;
        week.takeIn(QStringLiteral("list.csv"), row.csv, 0, [&](desktop::CatalogueImportDialog& dialog) {
            ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
            ASSERT_NE(dialog.control(QStringLiteral("map_code")), nullptr);
            QStringList shown;
            for (const char* key : {"map_shelf", "map_count", "map_unit", "map_content", "map_contentunit"}) {
                auto* box = qobject_cast<QComboBox*>(dialog.control(QString::fromLatin1(key)));
                ASSERT_NE(box, nullptr) << key;
                shown << box->currentText();
            }
            boxes = shown.join(u'|');
            for (const auto& [key, column] : row.chosen) {
                qobject_cast<QComboBox*>(dialog.control(QString::fromLatin1(key)))->setCurrentIndex(column + 1);
            }
            if (row.baseByKeys) {
                QTest::keyClick(&dialog, Qt::Key_Q, Qt::AltModifier);
                ASSERT_EQ(QApplication::focusWidget(), dialog.control(QStringLiteral("map_unit")));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
            }
        });
        EXPECT_EQ(boxes, row.boxes);
        const auto opened = week.readBack();
        ASSERT_TRUE(opened);
        const auto milk = opened->product(QStringLiteral("4900000000047"));
        ASSERT_TRUE(milk);
        EXPECT_EQ(QStringLiteral("%1|%2|%3|%4").arg(milk->shelf).arg(milk->tagCount).arg(milk->unitBase, milk->content),
                  row.kept);
    }
}

// At the window's first size every control of the products' page has the room it asks for: no
// button's or box's text is cut.
TEST(CatalogueWindow, EveryControlHasItsRoomAtTheFirstSize)
{
    Week week;
    week.takeIn(QStringLiteral("monday.csv"), kMonday, 0);
    const QSize first = week.window->size();
    week.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(week.window.get()));
    EXPECT_EQ(week.window->size(), first) << "the controls ask for more than the first size";
    QStringList cut;
    const QWidget* page = week.window->table()->parentWidget();
    for (QWidget* control : page->findChildren<QWidget*>()) {
        const bool asksForRoom = qobject_cast<QPushButton*>(control) || qobject_cast<QComboBox*>(control)
            || qobject_cast<QSpinBox*>(control) || qobject_cast<QLabel*>(control);
        if (asksForRoom && control->isVisible() && control->width() < control->sizeHint().width()) {
            cut << QStringLiteral("%1 (%2 of %3)")
                       .arg(control->objectName().isEmpty() ? control->property("text").toString()
                                                            : control->objectName())
                       .arg(control->width())
                       .arg(control->sizeHint().width());
        }
    }
    EXPECT_TRUE(cut.isEmpty()) << cut.join(QStringLiteral(", ")).toStdString();
}

}  // namespace
