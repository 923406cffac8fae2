// Prices that live in time, through tanafuda-catalogue on SQLite and on PostgreSQL: ten weeks of
// dated regular lists, a five-day offer of 30 products whose sale tags are printed the day before
// and whose regular tags go back the day after, the days status names beforehand, an overlapping
// offer refused with nothing written, and a print not yet confirmed not laid twice.

#include "support/catalogue_weeks.h"

#include <QDate>

using catalogue_weeks::backends;
using catalogue_weeks::Item;
using catalogue_weeks::Shop;
using catalogue_weeks::writeFlyer;

namespace {

constexpr int kProducts = 60;
const QDate kFirstMonday(2027, 1, 4);
const QDate kSaleFirst(2027, 3, 15);  // the Monday after the tenth week's list
const QDate kSaleLast(2027, 3, 19);

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
        Item it = catalogue_weeks::item(n);
        if (n == 3) {
            it.price += 10 * week;
        }
        if (n == 5 && week == 9) {
            it.price += 50;
        }
        items.push_back(it);
    }
    return items;
}

// The products on sale: 1 to 30, each 20 yen off.
std::vector<Item> onSale()
{
    std::vector<Item> items;
    for (int n = 1; n <= 30; ++n) {
        Item it = regularWeek(9)[size_t(n - 1)];
        it.price -= 20;
        items.push_back(it);
    }
    return items;
}

// The codes a print laid, tag by tag.
QStringList printedCodes(const catalogue_weeks::Result& printed)
{
    QStringList codes;
    for (const QJsonValue& tag : printed.json().value(QStringLiteral("tags")).toArray()) {
        codes << tag.toObject().value(QStringLiteral("jan")).toString();
    }
    return codes;
}

// The codes of `items` in shelf order, each as often as its tags.
QStringList tagsInShelfOrder(const std::vector<Item>& items)
{
    QStringList out;
    for (const QString& code : catalogue_weeks::inShelfOrder(items)) {
        const auto it = std::find_if(items.begin(), items.end(), [&](const Item& i) { return i.code == code; });
        for (int copy = 0; copy < it->count; ++copy) {
            out << it->jan;
        }
    }
    return out;
}

class CatalogueSale : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        if (!shop.skipReason().empty()) {
            GTEST_SKIP() << shop.skipReason();
        }
    }

    // Each week's list taken in with its date, and its tags printed and confirmed that day.
    void tenWeeksOnTheShelf()
    {
        for (int week = 0; week < 10; ++week) {
            const QDate monday = kFirstMonday.addDays(7 * week);
            const QString list = shop.path(QStringLiteral("week%1.csv").arg(week));
            ASSERT_TRUE(catalogue_weeks::writeList(list, regularWeek(week)));
            ASSERT_EQ(shop.run({QStringLiteral("import"), list, QStringLiteral("--date"), day(monday)}).exit, 0);
            const catalogue_weeks::Result printed
                = shop.run({QStringLiteral("print"), QStringLiteral("-o"), shop.path(QStringLiteral("w%1").arg(week)),
                            QStringLiteral("--as-of"), day(monday), QStringLiteral("--json")});
            ASSERT_EQ(printed.exit, 0) << printed.err.toStdString();
            ASSERT_EQ(shop.run({QStringLiteral("confirm"),
                                QString::number(printed.json().value(QStringLiteral("print")).toInt())})
                          .exit,
                      0);
        }
    }

    catalogue_weeks::Result takeOfferIn(const QString& name, const std::vector<Item>& items, const QDate& first,
                                        const QDate& last)
    {
        const QString flyer = shop.path(name + QStringLiteral(".csv"));
        EXPECT_TRUE(writeFlyer(flyer, items));
        return shop.run({QStringLiteral("offer"), QStringLiteral("import"), flyer, QStringLiteral("--name"), name,
                         QStringLiteral("--from"), day(first), QStringLiteral("--to"), day(last)});
    }

    Shop shop {GetParam()};
};

TEST_P(CatalogueSale, SaleTagsTheDayBeforeAndRegularTagsTheDayAfter)
{
    tenWeeksOnTheShelf();
    const catalogue_weeks::Result taken
        = takeOfferIn(QStringLiteral("3月第3週チラシ"), onSale(), kSaleFirst, kSaleLast);
    ASSERT_EQ(taken.exit, 0) << taken.err.toStdString();
    EXPECT_TRUE(taken.out.contains(QStringLiteral("30 品を取り込みました"))) << taken.out.toStdString();

    // Beforehand, status names both days.
    const QJsonArray coming = shop.run({QStringLiteral("status"), QStringLiteral("--json"), QStringLiteral("--as-of"),
                                        day(kSaleFirst.addDays(-2))})
                                  .json()
                                  .value(QStringLiteral("coming"))
                                  .toArray();
    QStringList events;
    for (const QJsonValue& event : coming) {
        events << QStringLiteral("%1 %2 %3")
                      .arg(event.toObject().value(QStringLiteral("kind")).toString(),
                           event.toObject().value(QStringLiteral("at")).toString())
                      .arg(event.toObject().value(QStringLiteral("tags")).toInt());
    }
    const int saleTags = int(tagsInShelfOrder(onSale()).size());
    EXPECT_EQ(events,
              (QStringList {QStringLiteral("offer-starts 2027-03-15T00:00 %1").arg(saleTags),
                            QStringLiteral("offer-ends 2027-03-20T00:00 %1").arg(saleTags)}));

    // The day before the sale: exactly its tags, in shelf order.
    const catalogue_weeks::Result sale
        = shop.run({QStringLiteral("print"), QStringLiteral("-o"), shop.path(QStringLiteral("sale")),
                    QStringLiteral("--as-of"), day(kSaleFirst), QStringLiteral("--json")});
    ASSERT_EQ(sale.exit, 0) << sale.err.toStdString();
    EXPECT_EQ(printedCodes(sale), tagsInShelfOrder(onSale()));
    const std::vector<Item> saleItems = onSale();
    for (const QJsonValue& tag : sale.json().value(QStringLiteral("tags")).toArray()) {
        const QString jan = tag.toObject().value(QStringLiteral("jan")).toString();
        const auto it = std::find_if(saleItems.begin(), saleItems.end(), [&](const Item& i) { return i.jan == jan; });
        ASSERT_NE(it, saleItems.end());
        EXPECT_EQ(tag.toObject().value(QStringLiteral("price")).toInt(), it->price) << jan.toStdString();
    }
    ASSERT_EQ(
        shop.run({QStringLiteral("confirm"), QString::number(sale.json().value(QStringLiteral("print")).toInt())}).exit,
        0);
    // Printed ahead and confirmed, the sale tags do not make today's regular tags due again.
    EXPECT_TRUE(shop.run({QStringLiteral("changes"), QStringLiteral("--json"), QStringLiteral("--as-of"),
                          day(kSaleFirst.addDays(-1))})
                    .json()
                    .value(QStringLiteral("products"))
                    .toArray()
                    .isEmpty());

    // The day after the last: exactly the regular tags back, in shelf order.
    const catalogue_weeks::Result back
        = shop.run({QStringLiteral("print"), QStringLiteral("-o"), shop.path(QStringLiteral("back")),
                    QStringLiteral("--as-of"), day(kSaleLast.addDays(1)), QStringLiteral("--json")});
    ASSERT_EQ(back.exit, 0) << back.err.toStdString();
    EXPECT_EQ(printedCodes(back), tagsInShelfOrder(onSale()));
    const std::vector<Item> regular = regularWeek(9);
    for (const QJsonValue& tag : back.json().value(QStringLiteral("tags")).toArray()) {
        const QString jan = tag.toObject().value(QStringLiteral("jan")).toString();
        const auto it = std::find_if(regular.begin(), regular.end(), [&](const Item& i) { return i.jan == jan; });
        EXPECT_EQ(tag.toObject().value(QStringLiteral("price")).toInt(), it->price) << jan.toStdString();
    }
    // While that print waits for its answer, a second print lays nothing, unless asked again.
    const catalogue_weeks::Result twice
        = shop.run({QStringLiteral("print"), QStringLiteral("-o"), shop.path(QStringLiteral("twice")),
                    QStringLiteral("--as-of"), day(kSaleLast.addDays(1)), QStringLiteral("--json")});
    EXPECT_EQ(twice.exit, 0);
    EXPECT_TRUE(printedCodes(twice).isEmpty());
    const catalogue_weeks::Result again = shop.run(
        {QStringLiteral("print"), QStringLiteral("-o"), shop.path(QStringLiteral("again")), QStringLiteral("--as-of"),
         day(kSaleLast.addDays(1)), QStringLiteral("--again"), QStringLiteral("--json")});
    EXPECT_EQ(printedCodes(again), tagsInShelfOrder(onSale()));
}

TEST_P(CatalogueSale, TheFormerPriceOnlyWhereItHeldLongEnough)
{
    tenWeeksOnTheShelf();
    ASSERT_EQ(takeOfferIn(QStringLiteral("3月第3週チラシ"), onSale(), kSaleFirst, kSaleLast).exit, 0);
    QHash<QString, QJsonObject> saleOf;
    for (const QJsonValue& product :
         shop.run({QStringLiteral("changes"), QStringLiteral("--json"), QStringLiteral("--as-of"), day(kSaleFirst)})
             .json()
             .value(QStringLiteral("products"))
             .toArray()) {
        saleOf.insert(product.toObject().value(QStringLiteral("code")).toString(),
                      product.toObject().value(QStringLiteral("sale")).toObject());
    }
    const auto regular = regularWeek(9);
    // Product 1: the same price for ten weeks.
    EXPECT_EQ(saleOf.value(regular[0].code).value(QStringLiteral("former_price")).toInt(), regular[0].price);
    // Product 3: a new price every week, none held for 2 weeks.
    EXPECT_TRUE(saleOf.value(regular[2].code).value(QStringLiteral("former_price")).isNull());
    EXPECT_FALSE(saleOf.value(regular[2].code).value(QStringLiteral("former_price_note")).toString().isEmpty());
    // Product 5: its price of the last week held for 1 week of the 8.
    EXPECT_TRUE(saleOf.value(regular[4].code).value(QStringLiteral("former_price")).isNull());
}

TEST_P(CatalogueSale, AnOverlappingOfferIsRefusedWithNothingWritten)
{
    tenWeeksOnTheShelf();
    ASSERT_EQ(takeOfferIn(QStringLiteral("3月第3週チラシ"), onSale(), kSaleFirst, kSaleLast).exit, 0);
    const QString before = shop.run({QStringLiteral("offers"), QStringLiteral("--json")}).out;
    std::vector<Item> weekend;
    for (int n = 25; n <= 35; ++n) {
        weekend.push_back(regularWeek(9)[size_t(n - 1)]);
        weekend.back().price -= 30;
    }
    const catalogue_weeks::Result refused
        = takeOfferIn(QStringLiteral("週末セール"), weekend, kSaleLast.addDays(-1), kSaleLast.addDays(2));
    EXPECT_EQ(refused.exit, 4);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("3月第3週チラシ"))) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(weekend.front().jan)) << refused.err.toStdString();
    EXPECT_EQ(shop.run({QStringLiteral("offers"), QStringLiteral("--json")}).out, before);
    // After the first offer's last day, the same products may go on sale.
    EXPECT_EQ(takeOfferIn(QStringLiteral("週末セール"), weekend, kSaleLast.addDays(1), kSaleLast.addDays(2)).exit, 0);
}

TEST_P(CatalogueSale, ADatedListChangesNoTagBeforeItsDate)
{
    tenWeeksOnTheShelf();
    std::vector<Item> next = regularWeek(9);
    for (int n = 0; n < 13; ++n) {
        next[size_t(n)].price += 30;
    }
    next.push_back(catalogue_weeks::item(kProducts + 1));  // new with that list
    next.erase(next.begin() + 40);                         // gone with it
    const QString list = shop.path(QStringLiteral("next.csv"));
    ASSERT_TRUE(catalogue_weeks::writeList(list, next));
    const QDate dated = kFirstMonday.addDays(7 * 11);
    ASSERT_EQ(shop.run({QStringLiteral("import"), list, QStringLiteral("--date"), day(dated)}).exit, 0);
    const auto needs = [&](const QDate& at) {
        QStringList kinds;
        for (const QJsonValue& p :
             shop.run({QStringLiteral("changes"), QStringLiteral("--json"), QStringLiteral("--as-of"), day(at)})
                 .json()
                 .value(QStringLiteral("products"))
                 .toArray()) {
            kinds << p.toObject().value(QStringLiteral("kind")).toString();
        }
        return kinds;
    };
    EXPECT_TRUE(needs(dated.addDays(-1)).isEmpty());
    const QStringList due = needs(dated);
    EXPECT_EQ(due.count(QStringLiteral("changed")), 13);
    EXPECT_EQ(due.count(QStringLiteral("new")), 1);
    const auto takedowns = [&](const QDate& at) {
        return shop.run({QStringLiteral("takedown"), QStringLiteral("--json"), QStringLiteral("--as-of"), day(at)})
            .json()
            .value(QStringLiteral("products"))
            .toArray()
            .size();
    };
    EXPECT_EQ(takedowns(dated.addDays(-1)), 0);
    EXPECT_EQ(takedowns(dated), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, CatalogueSale, testing::ValuesIn(backends()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
