// Prices that live in time, through tanafuda-catalogue on SQLite and on PostgreSQL: ten weeks of
// dated regular lists, a five-day offer of 30 products whose sale tags are printed the day before
// and whose regular tags go back the day after, the days status names beforehand, an overlapping
// offer refused with nothing written, and a print not yet confirmed not laid twice.

#include "support/command_week.h"

#include <QDate>

using namespace test_support;

namespace {

constexpr int kProducts = 60;
const QDate kFirstMonday(2027, 1, 4);
const QDate kSaleFirst(2027, 3, 15);  // the Monday after the tenth week's list
const QDate kSaleLast(2027, 3, 19);
const QString kSale = u"3月第3週チラシ"_s;

QString day(const QDate& date)
{
    return date.toString(Qt::ISODate);
}

// The regular list of week `week` (0-9): product 3's price changes every week, product 5's in the
// last week only; the others keep their prices.
std::vector<Item> regularWeek(int week)
{
    std::vector<Item> items;
    for (int n = 1; n <= kProducts; ++n) {
        items.push_back(item(n));
        items.back().price += (n == 3 ? 10 * week : 0) + (n == 5 && week == 9 ? 50 : 0);
    }
    return items;
}

// Products `first` to `last` of the last week's list, `off` yen off.
std::vector<Item> lastWeeks(int first, int last, qint64 off = 0)
{
    std::vector<Item> items;
    for (int n = first; n <= last; ++n) {
        items.push_back(regularWeek(9)[size_t(n - 1)]);
        items.back().price -= off;
    }
    return items;
}

// The products on sale: 1 to 30, each 20 yen off.
std::vector<Item> onSale()
{
    return lastWeeks(1, 30, 20);
}

// The codes of `items` in shelf order, each as often as its tags.
QStringList tagsInShelfOrder(const std::vector<Item>& items)
{
    QStringList out;
    for (const QString& code : inShelfOrder(items)) {
        const auto it = std::find_if(items.begin(), items.end(), [&](const Item& i) { return i.code == code; });
        for (int copy = 0; copy < it->count; ++copy) {
            out << it->jan;
        }
    }
    return out;
}

// Expects `printed` to have laid exactly the tags of `items`, in shelf order, at their prices.
void expectTags(const Result& printed, const std::vector<Item>& items)
{
    ASSERT_EQ(printed.exit, 0) << printed.err.toStdString();
    EXPECT_EQ(tagCodes(printed), tagsInShelfOrder(items));
    for (const QJsonValue tag : printed.json()[u"tags"_s].toArray()) {
        const QString jan = tag[u"jan"_s].toString();
        const auto it = std::find_if(items.begin(), items.end(), [&](const Item& i) { return i.jan == jan; });
        ASSERT_NE(it, items.end());
        EXPECT_EQ(tag[u"price"_s].toInt(), it->price) << jan.toStdString();
    }
}

class CatalogueSale : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        if (!shop.skipReason().empty()) {
            GTEST_SKIP() << shop.skipReason();
        }
        // Each week's list taken in with its date, and its tags printed and confirmed that day.
        for (int week = 0; week < 10; ++week) {
            const QString monday = day(kFirstMonday.addDays(7 * week));
            ASSERT_EQ(shop.importList(u"week%1.csv"_s.arg(week), regularWeek(week), {u"--date"_s, monday}).exit, 0);
            ASSERT_NO_FATAL_FAILURE(shop.confirm(shop.print(u"w%1"_s.arg(week), monday)));
        }
    }

    Result takeTheSaleIn() { return shop.importOffer(kSale, onSale(), day(kSaleFirst), day(kSaleLast)); }

    Shop shop {GetParam()};
};

TEST_P(CatalogueSale, SaleTagsTheDayBeforeAndRegularTagsTheDayAfter)
{
    const Result taken = takeTheSaleIn();
    ASSERT_EQ(taken.exit, 0) << taken.err.toStdString();
    EXPECT_TRUE(taken.out.contains(u"30 品を取り込みました"_s)) << taken.out.toStdString();

    // Beforehand, status names both days.
    const QStringList events
        = rowsOf(shop.jsonList({u"status"_s, u"--as-of"_s, day(kSaleFirst.addDays(-2))}, u"coming"_s),
                 {u"kind"_s, u"at"_s, u"tags"_s});
    const int saleTags = int(tagsInShelfOrder(onSale()).size());
    EXPECT_EQ(events,
              (QStringList {u"offer-starts 2027-03-15T00:00 %1"_s.arg(saleTags),
                            u"offer-ends 2027-03-20T00:00 %1"_s.arg(saleTags)}));

    // The day before the sale: exactly its tags, in shelf order.
    const Result sale = shop.print(u"sale"_s, day(kSaleFirst));
    ASSERT_NO_FATAL_FAILURE(expectTags(sale, onSale()));
    ASSERT_NO_FATAL_FAILURE(shop.confirm(sale));
    // Printed ahead and confirmed, the sale tags do not make today's regular tags due again.
    EXPECT_TRUE(shop.jsonList({u"changes"_s, u"--as-of"_s, day(kSaleFirst.addDays(-1))}, u"products"_s).isEmpty());

    // The day after the last: exactly the regular tags back, in shelf order.
    const QString dayAfter = day(kSaleLast.addDays(1));
    expectTags(shop.print(u"back"_s, dayAfter), lastWeeks(1, 30));
    // While that print waits for its answer, a second print lays nothing, unless asked again.
    const Result twice = shop.print(u"twice"_s, dayAfter);
    EXPECT_EQ(twice.exit, 0);
    EXPECT_TRUE(tagCodes(twice).isEmpty());
    EXPECT_EQ(tagCodes(shop.print(u"again"_s, dayAfter, {u"--again"_s})), tagsInShelfOrder(onSale()));
}

TEST_P(CatalogueSale, TheFormerPriceOnlyWhereItHeldLongEnough)
{
    ASSERT_EQ(takeTheSaleIn().exit, 0);
    QHash<QString, QJsonObject> saleOf;
    for (const QJsonValue product : shop.jsonList({u"changes"_s, u"--as-of"_s, day(kSaleFirst)}, u"products"_s)) {
        saleOf.insert(product[u"code"_s].toString(), product[u"sale"_s].toObject());
    }
    const auto regular = regularWeek(9);
    // Product 1: the same price for ten weeks.
    EXPECT_EQ(saleOf.value(regular[0].code).value(u"former_price"_s).toInt(), regular[0].price);
    // Product 3: a new price every week, none held for 2 weeks.
    EXPECT_TRUE(saleOf.value(regular[2].code).value(u"former_price"_s).isNull());
    EXPECT_FALSE(saleOf.value(regular[2].code).value(u"former_price_note"_s).toString().isEmpty());
    // Product 5: its price of the last week held for 1 week of the 8.
    EXPECT_TRUE(saleOf.value(regular[4].code).value(u"former_price"_s).isNull());
}

// A list dated a few days before the sale, taken in after it, decides again the former price of the
// sale's products whose price it changes.
TEST_P(CatalogueSale, APriceChangedJustBeforeTheSaleTakesItsFormerPriceAway)
{
    ASSERT_EQ(takeTheSaleIn().exit, 0);
    std::vector<Item> dated = regularWeek(9);
    dated[0].price += 40;   // on sale
    dated[39].price += 40;  // not on sale: no offer to decide again
    ASSERT_EQ(shop.importList(u"dated.csv"_s, dated, {u"--date"_s, day(kSaleFirst.addDays(-3))}).exit, 0);
    QHash<QString, QJsonObject> saleOf;
    for (const QJsonValue product : shop.jsonList({u"changes"_s, u"--as-of"_s, day(kSaleFirst)}, u"products"_s)) {
        saleOf.insert(product[u"code"_s].toString(), product[u"sale"_s].toObject());
    }
    // Product 1's new price held 3 days of the 8 weeks; product 2 keeps the price of ten weeks.
    EXPECT_TRUE(saleOf.value(dated[0].code).value(u"former_price"_s).isNull());
    EXPECT_FALSE(saleOf.value(dated[0].code).value(u"former_price_note"_s).toString().isEmpty());
    EXPECT_EQ(saleOf.value(dated[1].code).value(u"former_price"_s).toInt(), dated[1].price);
}

TEST_P(CatalogueSale, AnOverlappingOfferIsRefusedWithNothingWritten)
{
    ASSERT_EQ(takeTheSaleIn().exit, 0);
    const QString before = shop.run({u"offers"_s, u"--json"_s}).out;
    const std::vector<Item> weekend = lastWeeks(25, 35, 30);
    expectFailure(shop.importOffer(u"週末セール"_s, weekend, day(kSaleLast.addDays(-1)), day(kSaleLast.addDays(2))), 4,
                  {kSale, weekend.front().jan});
    EXPECT_EQ(shop.run({u"offers"_s, u"--json"_s}).out, before);
    // After the first offer's last day, the same products may go on sale.
    EXPECT_EQ(shop.importOffer(u"週末セール"_s, weekend, day(kSaleLast.addDays(1)), day(kSaleLast.addDays(2))).exit, 0);
}

TEST_P(CatalogueSale, ADatedListChangesNoTagBeforeItsDate)
{
    std::vector<Item> next = regularWeek(9);
    for (int n = 0; n < 13; ++n) {
        next[size_t(n)].price += 30;
    }
    next.push_back(item(kProducts + 1));  // new with that list
    next.erase(next.begin() + 40);        // gone with it
    const QDate dated = kFirstMonday.addDays(7 * 11);
    ASSERT_EQ(shop.importList(u"next.csv"_s, next, {u"--date"_s, day(dated)}).exit, 0);
    const auto needs = [&](const QDate& at) {
        return rowsOf(shop.jsonList({u"changes"_s, u"--as-of"_s, day(at)}, u"products"_s), {u"kind"_s});
    };
    EXPECT_TRUE(needs(dated.addDays(-1)).isEmpty());
    const QStringList due = needs(dated);
    EXPECT_EQ(due.count(u"changed"_s), 13);
    EXPECT_EQ(due.count(u"new"_s), 1);
    const auto takedowns = [&](const QDate& at) {
        return shop.jsonList({u"takedown"_s, u"--as-of"_s, day(at)}, u"products"_s).size();
    };
    EXPECT_EQ(takedowns(dated.addDays(-1)), 0);
    EXPECT_EQ(takedowns(dated), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, CatalogueSale, testing::ValuesIn(backends()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
