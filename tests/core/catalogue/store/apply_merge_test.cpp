// Writing a merge: a list dated before one already taken in carries what it changes into the later
// states, in every field the later list left as it was, the unit-price fields among them.

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

TEST(ApplyMerge, AnEarlierDatedListCarriesEveryFieldIntoTheLaterStates)
{
    QTemporaryDir dir;
    catalogue::CatalogueAddress address;
    address.path = dir.filePath(QStringLiteral("catalogue.sqlite"));
    catalogue::Result outcome;
    const auto shop = catalogue::Catalogue::open(address, {true}, &outcome);
    ASSERT_TRUE(shop) << outcome.message.toStdString();
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

}  // namespace
