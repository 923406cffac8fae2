// Prices in time in the 商品マスタ window: a list dated ahead, offers (特売) taken in through the
// window, the 特売 view at several moments, the coming dates with their print buttons, the sale in
// the table and the history, and the tags held by a print not yet confirmed. The window runs on a
// clock of the test's, so that every moment is the one the row names.

#include "desktop/catalogue/coming_dates.h"
#include "desktop/catalogue/offer_import_dialog.h"
#include "desktop/catalogue/offer_view.h"
#include "support/laid_tags.h"
#include "support/window_week.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeEdit>

#include <optional>

namespace {

using desktop::CatalogueModel;
using test_support::Week;
using enum test_support::Answer;

const QString kMilk = QStringLiteral("4900000000047");
const QString kWater = QStringLiteral("4900000000016");
const QString kTea = QStringLiteral("4900000000054");
const QString kSoap = QStringLiteral("4900000000023");

const QString kRegular = QStringLiteral("JAN,商品名,売価,棚番\n"
                                        "4900000000016,天然水 2L,98,A-10\n4900000000023,洗濯洗剤,328,B-1\n"
                                        "4900000000047,牛乳 1L,198,A-1\n");
// The same products, the milk dearer, and a new tea.
const QString kNextRegular = QStringLiteral("JAN,商品名,売価,棚番\n"
                                            "4900000000016,天然水 2L,98,A-10\n4900000000023,洗濯洗剤,328,B-1\n"
                                            "4900000000047,牛乳 1L,218,A-1\n4900000000054,緑茶 500ml,128,A-3\n");
const QString kFlyer = QStringLiteral("JAN,商品名,特価\n4900000000047,牛乳 1L,178\n4900000000016,天然水 2L,88\n");

enum Tab { toPrint = 1 };

const QDate kMonday(2025, 12, 15);

struct OfferHours {
    QTime start;
    QTime end;
};

// The shop's week on a clock of its own: Monday 2025-12-15 at 10:00 unless moved (a day gone by,
// so that what the catalogue reads at the real time holds the products too).
struct OfferWeek : Week {
    catalogue::Moment at {kMonday, 10 * 60};
    QString offerSummary;
    QStringList offerRows;

    OfferWeek()
    {
        window->setClock([this] { return at; });
    }
    void moveTo(const QDate& day, int minutes = 10 * 60)
    {
        at = {day, minutes};
        window->reload();
    }
    // A regular list whose prices hold from `from`, chosen in the import view's date box.
    void takeInFrom(const QString& name, const QString& csv, const QDate& from)
    {
        takeIn(name, csv, 0, [from](desktop::CatalogueImportDialog& dialog) {
            qobject_cast<QDateEdit*>(dialog.control(QStringLiteral("validFromEdit")))->setDate(from);
        });
    }
    // A list of sale prices through 特売の取り込み: the name typed, the days (and hours) set, then
    // 取り込む by its key (Alt+A); the dialog's summary is kept in `offerSummary`, and its rows as the
    // preview shows them in `offerRows` ("使う", or the refusal's "×", and the note).
    void takeOfferIn(const QString& file, const QString& csv, const QString& name, const QDate& first,
                     const QDate& last, std::optional<OfferHours> hours = std::nullopt)
    {
        dialogs.openAnswer = write(file, csv);
        offerSummary.clear();
        QTimer::singleShot(0, window.get(), [=, this] {
            auto* dialog = window->findChild<desktop::OfferImportDialog*>();
            if (dialog == nullptr) {
                ADD_FAILURE() << "no offer dialog";
                closeModal();
                return;
            }
            // Typed as an input method commits it.
            qobject_cast<QLineEdit*>(dialog->control(QStringLiteral("nameEdit")))->insert(name);
            qobject_cast<QDateEdit*>(dialog->control(QStringLiteral("firstDayEdit")))->setDate(first);
            qobject_cast<QDateEdit*>(dialog->control(QStringLiteral("lastDayEdit")))->setDate(last);
            if (hours) {
                qobject_cast<QCheckBox*>(dialog->control(QStringLiteral("hoursBox")))->setChecked(true);
                qobject_cast<QTimeEdit*>(dialog->control(QStringLiteral("startTimeEdit")))->setTime(hours->start);
                qobject_cast<QTimeEdit*>(dialog->control(QStringLiteral("endTimeEdit")))->setTime(hours->end);
            }
            offerSummary = dialog->control(QStringLiteral("summaryLabel"))->property("text").toString();
            offerRows.clear();
            const auto* table = qobject_cast<QTableWidget*>(dialog->control(QStringLiteral("rowTable")));
            for (int row = 0; row < table->rowCount(); ++row) {
                const QTableWidgetItem* use = table->item(row, 0);
                offerRows << QStringLiteral("%1 %2")
                                 .arg(use->checkState() == Qt::Checked ? QStringLiteral("使う") : use->text(),
                                      table->item(row, table->columnCount() - 1)->text())
                                 .trimmed();
            }
            EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
            QTest::keyClick(dialog, Qt::Key_A, Qt::AltModifier);
            if (!QTest::qWaitFor([dialog] { return !dialog->isVisible(); }, 2000)) {
                ADD_FAILURE() << "取り込む did not take the offer in";
                dialog->reject();
            }
        });
        window->importOffer();
    }
    // Answers the print dialog when it opens: the tick 確認待ちの札も印刷する set as `again`, then
    // Enter; what the dialog said is kept. Enter may print nothing (the button is off).
    void answerPrintDialog(bool again, int answer)
    {
        printPurpose.clear();
        againShown = false;
        Week::answerPrintDialog(
            answer,
            [this, again](desktop::CataloguePrintDialog& dialog) {
                auto* tick = dialog.control<QCheckBox>(QStringLiteral("againBox"));
                againShown = !tick->isHidden();
                if (again) {
                    QTest::mouseClick(tick, Qt::LeftButton);
                }
                printPurpose = dialog.control<QLabel>(QStringLiteral("purposeLabel"))->text();
            },
            true);
    }
    QString printPurpose;
    bool againShown = false;

    // The text of a column of the table for the product `code`, as shown now.
    QString cellOf(const QString& code, int column, int role = Qt::DisplayRole)
    {
        const CatalogueModel& model = window->model();
        const int row = model.rowOfCode(code);
        return row < 0 ? QStringLiteral("(none)") : model.index(row, column).data(role).toString();
    }
    desktop::OfferView& offers() { return *window->control<desktop::OfferView>(QStringLiteral("offerView")); }
    // The coming dates' lines as shown, in their order.
    QStringList comingLines()
    {
        QStringList lines;
        for (const QLabel* label : window->control<desktop::ComingDates>(QStringLiteral("comingDates"))
                                       ->findChildren<QLabel*>(QStringLiteral("comingLabel"))) {
            lines << label->text();
        }
        return lines;
    }
};

// A regular list taken in and its first tags printed and confirmed, on Monday.
void openShop(OfferWeek& week)
{
    week.takeIn(QStringLiteral("regular.csv"), kRegular, 0);
    week.print(0, 1, yes);
    ASSERT_TRUE(week.rows(toPrint).isEmpty());
}

struct DatedListRow {
    const char* what;
    int daysAhead;               // the date chosen in the import view, from today
    QStringList toPrintNow;      // the 印刷が必要 tab today
    QStringList comingStarting;  // the start of each coming date's line
};

// The day chosen in the import view is the day the list's prices hold from: a list for a later day
// changes no tag today, and the day shows among the coming dates when it is within two weeks.
TEST(CatalogueOfferWindow, TheDateAskedForAListIsTheDayItsPricesHoldFrom)
{
    const DatedListRow rows[] = {
        {"today (the default)",
         0,
         {kMilk + QStringLiteral(" 変更あり 218円 198円"), kTea + QStringLiteral(" 新規 128円")},
         {}},
        {"Thursday", 3, {}, {QStringLiteral("12/18(木) 価格改定 2 枚 (next.csv)")}},
        {"in three weeks, beyond the coming dates", 21, {}, {}},
    };
    for (const DatedListRow& row : rows) {
        SCOPED_TRACE(row.what);
        OfferWeek week;
        openShop(week);
        QDate shownByDefault;
        week.takeIn(QStringLiteral("next.csv"), kNextRegular, 0, [&](desktop::CatalogueImportDialog& dialog) {
            auto* date = qobject_cast<QDateEdit*>(dialog.control(QStringLiteral("validFromEdit")));
            shownByDefault = date->date();
            date->setDate(kMonday.addDays(row.daysAhead));
        });
        EXPECT_EQ(shownByDefault, kMonday);
        EXPECT_EQ(week.rows(toPrint), row.toPrintNow);
        EXPECT_EQ(week.comingLines(), row.comingStarting);
        // The price history keeps the day the milk's new price holds from.
        const auto opened = week.readBack();
        ASSERT_TRUE(opened);
        const auto history = opened->history(kMilk);
        ASSERT_TRUE(history);
        ASSERT_FALSE(history->prices.empty());
        EXPECT_EQ(history->prices.back().validFrom, kMonday.addDays(row.daysAhead).toString(Qt::ISODate));
        EXPECT_EQ(history->prices.back().tagPrice, 218);
    }
}

struct OfferStep {
    const char* what;
    QString file;
    QString csv;
    QString name;
    QDate first;
    QDate last;
    std::optional<OfferHours> hours;
    int offersAfter;         // offers the catalogue holds afterwards
    QString said;            // in the last message box; empty: none shown
    QString itemDays;        // for a taken-in offer: its items' periods in code order, "CODE PERIOD; ..."
    QStringList shown = {};  // the preview's rows as offerRows has them; empty: not looked at
};

// Offers taken in through the window, one after another on the same catalogue: an overlapping one
// is refused with the offers and products named and nothing written; rows the catalogue cannot use
// are said; a row's own dates win over the ones asked; a list without a name column is shown in
// the preview as it is taken in, every row usable.
TEST(CatalogueOfferWindow, OffersAreTakenInAndAnOverlappingOneIsRefused)
{
    const QString unknownAndDated = QStringLiteral("JAN,商品名,特価,期間\n4900000000047,牛乳 1L,168,\n"
                                                   "4900000000999,知らない商品,100,\n"
                                                   "4900000000023,洗濯洗剤,298,12/24〜12/25\n");
    const OfferStep steps[] = {
        {"the week's flyer",
         QStringLiteral("flyer.csv"),
         kFlyer,
         QStringLiteral("12月第3週チラシ"),
         QDate(2025, 12, 17),
         QDate(2025, 12, 21),
         std::nullopt,
         1,
         {},
         kWater + QStringLiteral(" 12/17〜12/21; ") + kMilk + QStringLiteral(" 12/17〜12/21")},
        {"the milk again on overlapping days",
         QStringLiteral("weekend.csv"),
         kFlyer,
         QStringLiteral("週末セール"),
         QDate(2025, 12, 20),
         QDate(2025, 12, 23),
         std::nullopt,
         1,
         QStringLiteral("特売「週末セール」は、同じ商品に同じ時に別の特価がつくため取り込みませんでした。"),
         {}},
        {"an evening time sale on a day of the flyer",
         QStringLiteral("evening.csv"),
         kFlyer,
         QStringLiteral("夕市"),
         QDate(2025, 12, 19),
         QDate(2025, 12, 19),
         OfferHours {QTime(17, 0), QTime(19, 0)},
         1,
         QStringLiteral("12月第3週チラシ"),
         {}},
        {"after the flyer, with an unknown code and a row dated by itself", QStringLiteral("next.csv"), unknownAndDated,
         QStringLiteral("年末セール"), QDate(2025, 12, 22), QDate(2025, 12, 23), std::nullopt, 2,
         QStringLiteral("3行目: コード 4900000000999 の商品は商品マスタにありません"),
         kSoap + QStringLiteral(" 12/24〜12/25; ") + kMilk + QStringLiteral(" 12/22〜12/23")},
        {"a list of codes and sale prices alone",
         QStringLiteral("codes.csv"),
         QStringLiteral("JAN,特価\n4900000000047,178\n4900000000016,88\n"),
         QStringLiteral("週末"),
         QDate(2025, 12, 27),
         QDate(2025, 12, 28),
         std::nullopt,
         3,
         {},
         kWater + QStringLiteral(" 12/27〜12/28; ") + kMilk + QStringLiteral(" 12/27〜12/28"),
         {QStringLiteral("使う"), QStringLiteral("使う")}},
    };
    OfferWeek week;
    openShop(week);
    for (const OfferStep& step : steps) {
        SCOPED_TRACE(step.what);
        const qsizetype messagesBefore = week.dialogs.messages.size();
        week.takeOfferIn(step.file, step.csv, step.name, step.first, step.last, step.hours);
        if (step.said.isEmpty()) {
            EXPECT_EQ(week.dialogs.messages.size(), messagesBefore) << week.dialogs.messages.join(u'\n').toStdString();
        } else {
            ASSERT_GT(week.dialogs.messages.size(), messagesBefore);
            EXPECT_TRUE(week.dialogs.messages.back().contains(step.said)) << week.dialogs.messages.back().toStdString();
        }
        if (!step.shown.isEmpty()) {
            EXPECT_EQ(week.offerRows, step.shown);
            EXPECT_TRUE(
                week.offerSummary.endsWith(QStringLiteral("特価の商品 %1 件 (使えない行 0)").arg(step.shown.size())))
                << week.offerSummary.toStdString();
        }
        const auto opened = week.readBack();
        ASSERT_TRUE(opened);
        const std::vector<catalogue::Offer> offers = opened->offers();
        ASSERT_EQ(int(offers.size()), step.offersAfter);
        EXPECT_EQ(week.offers().control<QTableWidget>(QStringLiteral("offerTable"))->rowCount(), step.offersAfter);
        if (!step.itemDays.isEmpty()) {
            ASSERT_EQ(offers.back().name, step.name);
            const auto detail = opened->offer(offers.back().id);
            ASSERT_TRUE(detail);
            QStringList days;
            for (const auto& [product, item] : detail->items) {
                days << product.code + u' ' + catalogue::shownOfferPeriod(item.period);
            }
            days.sort();
            EXPECT_EQ(days.join(QStringLiteral("; ")), step.itemDays);
        }
    }
}

struct StateRow {
    const char* what;
    QDate day;
    bool endEarly;  // 終了... from this day before looking
    QString state;
    QString days;
};

// The 特売 view at several moments: the offer's days the Japanese way, its counts and its state;
// 終了... ends it from the day asked.
TEST(CatalogueOfferWindow, TheOfferViewShowsEachOffersStateAtTheMomentShown)
{
    const StateRow rows[] = {
        {"Monday, before it", kMonday, false, QStringLiteral("予定"), QStringLiteral("12/17(水)〜12/21(日)")},
        {"Friday, during it", QDate(2025, 12, 19), false, QStringLiteral("実施中"),
         QStringLiteral("12/17(水)〜12/21(日)")},
        {"the Monday after", QDate(2025, 12, 22), false, QStringLiteral("終了"),
         QStringLiteral("12/17(水)〜12/21(日)")},
        {"ended early from Saturday, seen on Saturday", QDate(2025, 12, 20), true,
         QStringLiteral("終了 (12/20(土) に終了)"), QStringLiteral("12/17(水)〜12/19(金)")},
    };
    for (const StateRow& row : rows) {
        SCOPED_TRACE(row.what);
        OfferWeek week;
        openShop(week);
        week.takeOfferIn(QStringLiteral("flyer.csv"), kFlyer, QStringLiteral("12月第3週チラシ"), QDate(2025, 12, 17),
                         QDate(2025, 12, 21));
        week.moveTo(row.day);
        auto* table = week.offers().control<QTableWidget>(QStringLiteral("offerTable"));
        ASSERT_EQ(table->rowCount(), 1);
        table->selectRow(0);
        if (row.endEarly) {
            QTimer::singleShot(0, week.window.get(), [day = row.day] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr || dialog->objectName() != QStringLiteral("endOfferDialog")) {
                    ADD_FAILURE() << "no question before ending the offer";
                    Week::closeModal();
                    return;
                }
                dialog->findChild<QDateEdit*>(QStringLiteral("endDayEdit"))->setDate(day);
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
            });
            QTest::mouseClick(week.offers().control<QPushButton>(QStringLiteral("endOfferButton")), Qt::LeftButton);
        }
        ASSERT_EQ(table->rowCount(), 1);
        EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("12月第3週チラシ"));
        EXPECT_EQ(table->item(0, 2)->text(), row.days);
        EXPECT_EQ(table->item(0, 3)->text(), QStringLiteral("2 品"));
        EXPECT_EQ(table->item(0, 5)->text(), row.state);
        // The selected offer's products, in shelf order, with the sale price and why no former
        // price is shown (the products are new in the catalogue).
        table->selectRow(0);
        auto* items = week.offers().control<QTableWidget>(QStringLiteral("itemTable"));
        ASSERT_EQ(items->rowCount(), 2);
        EXPECT_EQ(items->item(0, 1)->text() + u' ' + items->item(0, 3)->text(), kMilk + QStringLiteral(" 178円"));
        EXPECT_EQ(items->item(1, 1)->text() + u' ' + items->item(1, 3)->text(), kWater + QStringLiteral(" 88円"));
        EXPECT_TRUE(items->item(0, 5)->text().startsWith(QStringLiteral("出しません: ")))
            << items->item(0, 5)->text().toStdString();
    }
}

// A coming date's button prints the tags needed at that moment, from the window's format and start
// tag, through the print dialog, and asks whether they came out right, as the window's print does.
TEST(CatalogueOfferWindow, AComingDatesButtonPrintsThatMomentsTagsAndAsks)
{
    OfferWeek week;
    openShop(week);
    week.takeOfferIn(QStringLiteral("flyer.csv"), kFlyer, QStringLiteral("12月第3週チラシ"), QDate(2025, 12, 16),
                     QDate(2025, 12, 21));
    // Tuesday's start is within two days and not printed: first, and marked. The revert of the
    // Monday after needs nothing while the shelf still holds the regular tags.
    EXPECT_EQ(week.comingLines().join(u'\n').toStdString(),
              "！ 12/16(火) 特売開始 2 枚 「12月第3週チラシ」\n"
              "12/22(月) 特売終了・戻し 2 枚 「12月第3週チラシ」 印刷・確認済み");
    week.window->control<QComboBox>(QStringLiteral("formatBox"))->setCurrentIndex(1);
    week.window->control<QSpinBox>(QStringLiteral("startTagBox"))->setValue(5);
    week.answerPrintDialog(false, yes);
    const auto buttons = week.window->control<desktop::ComingDates>(QStringLiteral("comingDates"))
                             ->findChildren<QPushButton*>(QStringLiteral("comingPrintButton"));
    ASSERT_EQ(buttons.size(), 2);
    QTest::mouseClick(buttons.front(), Qt::LeftButton);
    EXPECT_TRUE(week.printPurpose.startsWith(QStringLiteral("12/16(火) 特売開始"))) << week.printPurpose.toStdString();
    EXPECT_EQ(week.printCount, QStringLiteral("棚札 2 枚、シート 1 枚、タグ 5 から"));
    ASSERT_FALSE(week.dialogs.questions.empty());
    EXPECT_TRUE(week.dialogs.questions.back().text.contains(QStringLiteral("棚札は正しく印刷できましたか？")));

    const auto opened = week.readBack();
    ASSERT_TRUE(opened);
    const std::vector<catalogue::PrintInfo> prints = opened->prints(false);
    ASSERT_EQ(prints.size(), 2u);
    EXPECT_EQ(prints.back().asOf, QStringLiteral("2025-12-16T00:00"));
    EXPECT_EQ(prints.back().state, catalogue::PrintState::confirmed);
    EXPECT_EQ(prints.back().format, QStringLiteral("small"));
    // Exactly the sale tags, in shelf order (A-1 before A-10), from tag 5.
    EXPECT_EQ(test_support::laidTags(*opened, prints.back().id, {kMilk, kWater, kSoap}),
              QStringList({QStringLiteral("5 ") + kMilk + QStringLiteral(" 178"),
                           QStringLiteral("6 ") + kWater + QStringLiteral(" 88")}));
    // The start is printed and confirmed: no longer marked; now the sale tags are to go back.
    EXPECT_EQ(week.comingLines().join(u'\n').toStdString(),
              "12/16(火) 特売開始 2 枚 「12月第3週チラシ」 印刷・確認済み\n"
              "12/22(月) 特売終了・戻し 2 枚 「12月第3週チラシ」");
}

struct SaleCellRow {
    const char* what;
    QString code;
    QString price;
    QString sale;
    QString former;  // the start of the cell
};

// The table at a moment within an offer: the sale price in the price column, the offer and its
// period, and the former price the tag shows or why none; 履歴 names the offers a product was in.
TEST(CatalogueOfferWindow, TheTableShowsTheSaleAtTheMomentShown)
{
    const SaleCellRow rows[] = {
        {"ten weeks at 198円: the former price shown", kMilk, QStringLiteral("178円"),
         QStringLiteral("特価 12/17〜12/21「12月第3週チラシ」"), QStringLiteral("198円")},
        {"new ten days ago: none, and why", kTea, QStringLiteral("118円"),
         QStringLiteral("特価 12/17〜12/21「12月第3週チラシ」"), QStringLiteral("なし: 通常価格の期間が通算")},
        {"not on sale", kSoap, QStringLiteral("328円"), QString(), QString()},
    };
    OfferWeek week;
    week.takeInFrom(QStringLiteral("old.csv"), kRegular, kMonday.addDays(-70));
    week.takeInFrom(QStringLiteral("tea.csv"),
                    QString(kNextRegular).replace(QStringLiteral(",218,"), QStringLiteral(",198,")),
                    kMonday.addDays(-10));
    week.takeOfferIn(QStringLiteral("flyer.csv"), kFlyer + QStringLiteral("4900000000054,緑茶 500ml,118\n"),
                     QStringLiteral("12月第3週チラシ"), QDate(2025, 12, 17), QDate(2025, 12, 21));
    week.moveTo(QDate(2025, 12, 18));
    for (const SaleCellRow& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(week.cellOf(row.code, CatalogueModel::price), row.price);
        EXPECT_EQ(week.cellOf(row.code, CatalogueModel::sale), row.sale);
        const QString former = week.cellOf(row.code, CatalogueModel::former);
        EXPECT_TRUE(row.former.isEmpty() ? former.isEmpty() : former.startsWith(row.former)) << former.toStdString();
        // The price's tooltip says the whole sale on a sale row.
        EXPECT_EQ(week.cellOf(row.code, CatalogueModel::price, Qt::ToolTipRole).startsWith(QStringLiteral("特売「")),
                  !row.sale.isEmpty());
    }
    week.window->findCode(kMilk);
    week.window->showHistory();
    auto* history = week.window->findChild<QDialog*>(QStringLiteral("historyDialog"));
    ASSERT_NE(history, nullptr);
    EXPECT_TRUE(history->findChild<QPlainTextEdit*>()->toPlainText().contains(QStringLiteral("「12月第3週チラシ」")));
    history->close();
}

struct PendingRow {
    const char* what;
    bool again;
    QString count;     // what the print dialog said
    int printsAfter;   // prints recorded
    int pendingAfter;  // of them, not yet confirmed
};

// Tags held by a print not yet confirmed are named 確認待ち and not laid again, unless the print
// dialog's tick says so.
TEST(CatalogueOfferWindow, TagsOfAPendingPrintAreLaidAgainOnlyWhenTicked)
{
    const PendingRow rows[] = {
        {"without the tick: nothing to print", false,
         QStringLiteral("印刷する棚札はありません (確認待ちの札は、上の印を付けると印刷します)"), 1, 1},
        {"with the tick: the three again", true, QStringLiteral("棚札 3 枚、シート 1 枚、タグ 1 から"), 2, 2},
    };
    for (const PendingRow& row : rows) {
        SCOPED_TRACE(row.what);
        OfferWeek week;
        week.takeIn(QStringLiteral("regular.csv"), kRegular, 0);
        week.print(0, 1, later);
        EXPECT_EQ(week.cellOf(kMilk, CatalogueModel::printState), QStringLiteral("確認待ち (印刷 1)"));
        EXPECT_EQ(week.cellOf(kMilk, CatalogueModel::status), QStringLiteral("新規"));
        week.answerPrintDialog(row.again, later);
        week.window->printChanges();
        EXPECT_TRUE(week.againShown);
        EXPECT_EQ(week.printCount, row.count);
        const auto opened = week.readBack();
        ASSERT_TRUE(opened);
        EXPECT_EQ(int(opened->prints(false).size()), row.printsAfter);
        EXPECT_EQ(int(opened->prints(true).size()), row.pendingAfter);
    }
}

}  // namespace
