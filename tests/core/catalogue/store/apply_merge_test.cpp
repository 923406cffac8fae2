// Writing a merge: a list dated before one already taken in carries what it changes into the later
// states, in every field the later list left as it was, the unit-price fields among them; each
// product keeps the day it was last in a list.

#include "core/catalogue/catalogue.h"

#include "support/shop_products.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

catalogue::IncomingList listOf(const catalogue::ProductData& product, const char* file)
{
    catalogue::IncomingList list;
    list.fileName = QString::fromLatin1(file);
    list.rowCount = 1;
    list.products.push_back(product);
    return list;
}

std::unique_ptr<catalogue::Catalogue> openIn(const QTemporaryDir& dir)
{
    catalogue::CatalogueAddress address;
    address.path = dir.filePath(QStringLiteral("catalogue.sqlite"));
    catalogue::Result outcome;
    auto shop = catalogue::Catalogue::open(address, {true}, &outcome);
    EXPECT_TRUE(shop) << outcome.message.toStdString();
    return shop;
}

TEST(ApplyMerge, AnEarlierDatedListCarriesEveryFieldIntoTheLaterStates)
{
    QTemporaryDir dir;
    const auto shop = openIn(dir);
    ASSERT_TRUE(shop);
    catalogue::Result outcome;
    const QDate today = QDate::currentDate();
    catalogue::ProductData milk = test_support::shopProduct(test_support::ShopItem::milk);
    milk.tag.spec = QStringLiteral("1000ml");
    ASSERT_TRUE(shop->merge(listOf(milk, "first.csv"), {false, today}).ok());
    // Next week's list changes the price only.
    catalogue::ProductData nextWeek = milk;
    nextWeek.tag.price = 218;
    ASSERT_TRUE(shop->merge(listOf(nextWeek, "next.csv"), {false, today.addDays(7)}).ok());
    // Then a list for tomorrow, taken in after it, changes every other field.
    catalogue::ProductData tomorrow = milk;
    tomorrow.tag.maker = QStringLiteral("高原牧場");
    tomorrow.tag.productName = QStringLiteral("高原牛乳");
    tomorrow.shelf = QStringLiteral("A-4");
    tomorrow.tagCount = 2;
    tomorrow.unitBase = QStringLiteral("100ml");
    tomorrow.content = QStringLiteral("900ml");
    ASSERT_TRUE(shop->merge(listOf(tomorrow, "tomorrow.csv"), {false, today.addDays(1)}).ok());

    const auto later = shop->productAt(milk.code, {today.addDays(8), 0}, &outcome);
    ASSERT_TRUE(later) << outcome.message.toStdString();
    EXPECT_EQ(later->tag.price, 218);
    EXPECT_EQ(later->tag.maker, tomorrow.tag.maker);
    EXPECT_EQ(later->tag.productName, tomorrow.tag.productName);
    EXPECT_EQ(later->shelf, tomorrow.shelf);
    EXPECT_EQ(later->tagCount, 2);
    EXPECT_EQ(later->unitBase, tomorrow.unitBase);
    EXPECT_EQ(later->content, tomorrow.content);
    const auto between = shop->productAt(milk.code, {today.addDays(2), 0}, &outcome);
    ASSERT_TRUE(between);
    EXPECT_EQ(between->tag.price, 198);
    EXPECT_EQ(between->unitBase, tomorrow.unitBase);
}

// A list that names a product twice (a caller's list; a read one refuses the second row) leaves it
// as the later row has it, as one row after the other would.
TEST(ApplyMerge, AProductNamedTwiceTakesTheLaterRow)
{
    QTemporaryDir dir;
    const auto shop = openIn(dir);
    ASSERT_TRUE(shop);
    const catalogue::ProductData milk = test_support::shopProduct(test_support::ShopItem::milk);
    ASSERT_TRUE(shop->merge(listOf(milk, "first.csv"), {}).ok());
    catalogue::IncomingList twice = listOf(milk, "twice.csv");
    twice.products[0].tag.price = 208;
    twice.products.push_back(milk);
    twice.products[1].tag.price = 218;
    twice.products[1].shelf = QStringLiteral("A-4");
    ASSERT_TRUE(shop->merge(twice, {}).ok());
    catalogue::Result outcome;
    const auto product = shop->product(milk.code, &outcome);
    ASSERT_TRUE(product) << outcome.message.toStdString();
    EXPECT_EQ(product->tag.price, 218);
    EXPECT_EQ(product->shelf, QStringLiteral("A-4"));
}

struct SeenStep {
    const char* name;
    std::vector<test_support::ShopItem> list;
    bool partial;
    int day;                    // the list's date, in days after the first
    std::vector<int> lastSeen;  // the day each of water, milk and bread was last in a list
};

TEST(ApplyMerge, EachProductKeepsTheDayItWasLastInAList)
{
    using test_support::ShopItem;
    QTemporaryDir dir;
    const auto shop = openIn(dir);
    ASSERT_TRUE(shop);
    const ShopItem kept[] = {ShopItem::water, ShopItem::milk, ShopItem::bread};
    const QDate first = QDate::currentDate().addDays(-28);
    const SeenStep steps[] = {
        {"the first list", {ShopItem::water, ShopItem::milk, ShopItem::bread}, false, 0, {0, 0, 0}},
        {"the same day again, without the bread", {ShopItem::water, ShopItem::milk}, false, 0, {0, 0, 0}},
        {"a week later: the bread keeps its day", {ShopItem::water, ShopItem::milk}, false, 7, {7, 7, 0}},
        {"a partial list names the milk only", {ShopItem::milk}, true, 14, {7, 14, 0}},
        {"the bread back with the others", {ShopItem::water, ShopItem::milk, ShopItem::bread}, false, 21, {21, 21, 21}},
    };
    for (const SeenStep& step : steps) {
        catalogue::IncomingList list;
        list.fileName = QString::fromLatin1(step.name);
        for (const ShopItem item : step.list) {
            list.products.push_back(test_support::shopProduct(item));
        }
        list.rowCount = int(list.products.size());
        ASSERT_TRUE(shop->merge(list, {step.partial, first.addDays(step.day)}).ok()) << step.name;
        for (size_t i = 0; i < std::size(kept); ++i) {
            catalogue::Result outcome;
            const auto product = shop->product(test_support::shopProduct(kept[i]).code, &outcome);
            ASSERT_TRUE(product) << step.name << ": " << outcome.message.toStdString();
            EXPECT_EQ(product->lastSeen, first.addDays(step.lastSeen[i]).toString(Qt::ISODate))
                << step.name << ": " << product->tag.productName.toStdString();
        }
    }
}

}  // namespace
