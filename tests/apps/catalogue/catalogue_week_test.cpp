// A week of the shop's work through tanafuda-catalogue, as a table of scenarios run on SQLite and
// on PostgreSQL: week 1 imported, printed and confirmed; week 2 imported; its changes printed
// from a start tag and confirmed, or marked failed.

#include "core/catalogue/catalogue.h"
#include "support/barcode_readback.h"
#include "support/command_week.h"

#include <QDir>

using namespace test_support;

namespace {

struct WeekRow {
    const char* name;
    bool partial;        // week 2 as a list of the price changes only
    const char* format;  // large, small
    int start;
    bool confirmed;  // else marked --failed
    int sheets;      // of the week-2 print
};

const WeekRow kWeeks[] = {
    {"full_list_large_from_1", false, "large", 1, true, 1},
    {"full_list_small_from_7_failed", false, "small", 7, false, 1},
    {"price_list_only_large_from_20", true, "large", 20, true, 2},
};

class CatalogueWeek : public ::testing::TestWithParam<std::tuple<std::string, WeekRow>> { };

TEST_P(CatalogueWeek, PrintsExactlyWhatChangedInShelfOrder)
{
    const auto& [backend, row] = GetParam();
    const Shop shop(backend);
    if (!shop.skipReason().empty()) {
        GTEST_SKIP() << shop.skipReason();
    }
    ASSERT_NO_FATAL_FAILURE(shop.weekOneOnTheShelf());
    const Result imported = shop.import(2, row.partial);
    ASSERT_EQ(imported.exit, 0) << imported.err.toStdString();

    // What week 2 must bring, worked out from the lists, not from the program.
    std::vector<Item> expected;
    for (const Item& it : week(2, row.partial)) {
        if (priceChanged(it.number) || it.number > 200) {
            expected.push_back(it);
        }
    }
    const QStringList order = inShelfOrder(expected);
    ASSERT_EQ(order.size(), row.partial ? 12 : 17);

    QStringList listed;
    for (const QJsonValue& value : shop.jsonList({u"changes"_s}, u"products"_s)) {
        const QJsonObject product = value.toObject();
        listed << product.value(u"code"_s).toString();
        const int number = product.value(u"code"_s).toString().right(6).left(5).toInt();
        const QString fields = product.value(u"changed_fields"_s).toVariant().toStringList().join(u',');
        if (number > 200) {
            EXPECT_EQ(product.value(u"kind"_s).toString(), u"new"_s);
        } else {
            EXPECT_EQ(product.value(u"kind"_s).toString(), u"changed"_s);
            EXPECT_EQ(fields, isRenamed(number) ? u"name,price"_s : u"price"_s) << number;
            EXPECT_EQ(product.value(u"shelf_tag"_s).toObject().value(u"price"_s).toInt() + 20,
                      product.value(u"tag"_s).toObject().value(u"price"_s).toInt());
        }
    }
    EXPECT_EQ(listed, order);

    EXPECT_EQ(shop.jsonList({u"takedown"_s}, u"products"_s).size(), row.partial ? 0 : 3);

    const QString pdf = shop.path(u"w2.pdf"_s);
    const Result printed = shop.run({u"print"_s, u"--pdf"_s, pdf, u"--json"_s, u"--format"_s,
                                     QString::fromLatin1(row.format), u"--start"_s, QString::number(row.start)});
    ASSERT_EQ(printed.exit, 0) << printed.err.toStdString();
    const QJsonArray tags = printed.json().value(u"tags"_s).toArray();
    ASSERT_EQ(tags.size(), order.size());
    const int perSheet = QLatin1String(row.format) == QLatin1String("large") ? 24 : 40;
    QStringList firstPage;
    for (int i = 0; i < tags.size(); ++i) {
        const QJsonObject tag = tags.at(i).toObject();
        const int place = row.start - 1 + i;
        EXPECT_EQ(tag.value(u"sheet"_s).toInt(), place / perSheet + 1);
        EXPECT_EQ(tag.value(u"slot"_s).toInt(), place % perSheet + 1);
        EXPECT_EQ(tag.value(u"jan"_s).toString(), order.at(i));
        if (place < perSheet) {
            firstPage << order.at(i);
        }
    }
    EXPECT_EQ(printed.json().value(u"sheets"_s).toInt(), row.sheets);
    if (row.start == 1) {
        QTemporaryDir pages;
        firstPage.sort();
        EXPECT_EQ(test_support::barcodesOnPage(pdf, pages.filePath(u"page"_s), 1, 200), firstPage);
    }

    const int print = printed.json().value(u"print"_s).toInt();
    EXPECT_EQ(
        shop.status(),
        u"%1/%2/%3/%4/1"_s.arg(row.partial ? 200 : 202).arg(row.partial ? 0 : 5).arg(12).arg(row.partial ? 0 : 3));
    QStringList decide {u"confirm"_s, QString::number(print)};
    if (!row.confirmed) {
        decide << u"--failed"_s;
    }
    ASSERT_EQ(shop.run(decide).exit, 0);
    const int stillNeeded = row.confirmed ? 0 : int(order.size());
    EXPECT_EQ(shop.run({u"changes"_s}).out.count(u'\n'), stillNeeded);
    // A print is decided once.
    EXPECT_EQ(shop.run(decide).exit, 1);

    // The history of a changed product: both prices, and the prints of its tag.
    const QJsonObject history = shop.run({u"history"_s, u"--json"_s, ean13(kPriceChanged.front())}).json();
    EXPECT_EQ(history.value(u"prices"_s).toArray().size(), 2);
    EXPECT_EQ(history.value(u"prints"_s).toArray().size(), 2);
}

INSTANTIATE_TEST_SUITE_P(Weeks, CatalogueWeek,
                         ::testing::Combine(::testing::ValuesIn(backends()), ::testing::ValuesIn(kWeeks)),
                         [](const auto& info) { return std::get<0>(info.param) + "_" + std::get<1>(info.param).name; });

// This morning's confirmed print stands for the whole of today: asked about today by the day alone,
// nothing needs a tag and nothing is laid out; a price changed since is.
class CatalogueToday : public ::testing::TestWithParam<std::string> { };

TEST_P(CatalogueToday, ThisMorningsPrintCountsForTheWholeDay)
{
    const Shop shop(GetParam());
    if (!shop.skipReason().empty()) {
        GTEST_SKIP() << shop.skipReason();
    }
    ASSERT_NO_FATAL_FAILURE(shop.weekOneOnTheShelf());
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    EXPECT_TRUE(shop.jsonList({u"changes"_s, u"--as-of"_s, today}, u"products"_s).isEmpty());
    const Result printed = shop.run({u"print"_s, u"--as-of"_s, today, u"--pdf"_s, shop.path(u"today.pdf"_s)});
    EXPECT_EQ(printed.exit, 0) << printed.err.toStdString();
    EXPECT_TRUE(printed.out.contains(u"印刷する棚札はありません"_s)) << printed.out.toStdString();
    ASSERT_EQ(shop.import(2, true).exit, 0);
    EXPECT_EQ(shop.jsonList({u"changes"_s, u"--as-of"_s, today}, u"products"_s).size(), 12);
}

INSTANTIATE_TEST_SUITE_P(Backends, CatalogueToday, ::testing::ValuesIn(backends()),
                         [](const auto& info) { return info.param; });

// A list that gives the unit price's base and content: a change of them alone makes the tag due, as
// the unit price on it changes; the same list again changes nothing.
TEST_P(CatalogueToday, AChangeOfTheUnitPricesBaseOrContentMakesTheTagDue)
{
    const Shop shop(GetParam());
    if (!shop.skipReason().empty()) {
        GTEST_SKIP() << shop.skipReason();
    }
    const auto listWith = [&](const char* file, const QString& content) {
        const QString path = shop.path(QString::fromLatin1(file));
        EXPECT_TRUE(writeBytes(path,
                               (u"JANコード,商品名,規格,売価,単位価格の基準,内容量\n"_s
                                u"4900000000047,牛乳,1L,198,100ml,"_s
                                + content + u"\n4900000000016,天然水,2L,98,,\n"_s)
                                   .toUtf8()));
        return path;
    };
    ASSERT_EQ(shop.run({u"import"_s, listWith("a.csv", u"1000ml"_s)}).exit, 0);
    const Result printed = shop.run({u"print"_s, u"--pdf"_s, shop.path(u"a.pdf"_s), u"--json"_s});
    ASSERT_NO_FATAL_FAILURE(shop.confirm(printed));
    ASSERT_EQ(shop.run({u"import"_s, listWith("b.csv", u"1000ml"_s)}).exit, 0);
    EXPECT_TRUE(shop.jsonList({u"changes"_s}, u"products"_s).isEmpty());
    ASSERT_EQ(shop.run({u"import"_s, listWith("c.csv", u"900ml"_s)}).exit, 0);
    const QJsonArray changed = shop.jsonList({u"changes"_s}, u"products"_s);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][u"code"_s].toString(), u"4900000000047"_s);
    EXPECT_EQ(changed[0][u"kind"_s].toString(), u"changed"_s);
}

// The first rows a window shows at once: whole locations from the start of the shelf order, as
// the whole read orders them.
class CatalogueFirstRows : public ::testing::TestWithParam<std::string> { };

TEST_P(CatalogueFirstRows, AreWholeLocationsFromTheStartOfTheShelfOrder)
{
    const Shop shop(GetParam());
    if (!shop.skipReason().empty()) {
        GTEST_SKIP() << shop.skipReason();
    }
    ASSERT_NO_FATAL_FAILURE(shop.weekOneOnTheShelf());
    ASSERT_EQ(shop.import(2).exit, 0);
    catalogue::Result outcome;
    const auto opened
        = catalogue::Catalogue::open(*catalogue::parseCatalogueAddress(shop.database(), nullptr), {}, &outcome);
    ASSERT_TRUE(opened) << outcome.message.toStdString();
    const std::vector<catalogue::TagNeed> whole = opened->tagNeeds(true, &outcome);
    ASSERT_TRUE(outcome.ok());
    for (const int atLeast : {1, 5, int(whole.size()) - 1, int(whole.size())}) {
        SCOPED_TRACE(atLeast);
        bool complete = true;
        catalogue::StatusCounts counts;
        const std::vector<catalogue::TagNeed> first = opened->firstTagNeeds(atLeast, &complete, &counts, &outcome);
        ASSERT_TRUE(outcome.ok()) << outcome.message.toStdString();
        const catalogue::StatusCounts status = opened->status();
        EXPECT_EQ(QList<int>({counts.products, counts.discontinued, counts.newTags, counts.changed, counts.takeDown}),
                  QList<int>({status.products, status.discontinued, status.newTags, status.changed, status.takeDown}));
        ASSERT_GE(int(first.size()), atLeast);
        ASSERT_LE(first.size(), whole.size());
        EXPECT_EQ(complete, first.size() == whole.size());
        for (size_t i = 0; i < first.size(); ++i) {
            EXPECT_EQ(first[i].product.code, whole[i].product.code) << i;
            EXPECT_EQ(first[i].kind, whole[i].kind) << i;
        }
        if (!complete) {
            EXPECT_NE(whole[first.size()].product.shelf, first.back().product.shelf);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, CatalogueFirstRows, ::testing::ValuesIn(backends()),
                         [](const auto& info) { return info.param; });

}  // namespace
