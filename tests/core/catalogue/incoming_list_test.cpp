// The key of a product taken in: its JAN code, else the list's own product code.

#include "core/catalogue/incoming_list.h"

#include <gtest/gtest.h>

namespace {

productlist::ProductList listOf(const QStringList& titles, const std::vector<QStringList>& cells)
{
    productlist::ProductList list;
    list.ok = true;
    list.hasHeader = true;
    list.columnTitles = titles;
    int number = 2;
    for (const QStringList& row : cells) {
        list.rows.push_back({number++, row});
    }
    return list;
}

TEST(IncomingList, KeyedByJanElseByTheListsProductCode)
{
    const productlist::ProductList list
        = listOf({QStringLiteral("JAN"), QStringLiteral("品番"), QStringLiteral("商品名"), QStringLiteral("売価"),
                  QStringLiteral("売場"), QStringLiteral("枚数")},
                 {{QStringLiteral("4901234567894"), QStringLiteral("X1"), QStringLiteral("牛乳"), QStringLiteral("198"),
                   QStringLiteral("B-3"), QStringLiteral("2枚")},
                  {QString(), QStringLiteral("Ｙ２"), QStringLiteral("りんご"), QStringLiteral("98")},
                  {QString(), QString(), QStringLiteral("名無し"), QStringLiteral("50")},
                  {QString(), QStringLiteral("Y2"), QStringLiteral("みかん"), QStringLiteral("80")}});
    const auto automatic = productlist::mapColumns(list.columnTitles, sheet::SheetFormat::large);
    const auto cleaned = productlist::cleanRows(list.rows, automatic.mapping, sheet::SheetFormat::large, {});
    const catalogue::IncomingList in = catalogue::incomingProducts(
        list, cleaned, nullptr, catalogue::catalogueColumnsOf(list.columnTitles, automatic.mapping));
    ASSERT_EQ(in.products.size(), 2u);
    EXPECT_EQ(in.products[0].code, QStringLiteral("4901234567894"));
    EXPECT_EQ(in.products[0].shelf, QStringLiteral("B-3"));
    EXPECT_EQ(in.products[0].tagCount, 2);
    EXPECT_EQ(in.products[1].code, QStringLiteral("Y2"));  // full-width folded
    ASSERT_EQ(in.refused.size(), 2u);
    EXPECT_EQ(in.refused[0].number, 4);  // no code at all
    EXPECT_EQ(in.refused[1].number, 5);  // the same key as row 3
}

}  // namespace
