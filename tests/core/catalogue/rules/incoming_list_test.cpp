// The key of a product taken in: its JAN code, else the list's own product code.

#include "core/catalogue/rules/incoming_list.h"

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

struct ColumnsRow {
    const char* name;
    const char* titles;  // "" for a list without a header
    std::vector<const char*> cells;
    const char* found;  // the columns of code, shelf and count (-1: none)
};

// The catalogue's own columns found as the tag's are: by a title that names them or holds one of
// their words, and only where the cells look like what the title says.
TEST(IncomingList, FindsTheCatalogueColumnsByTitleAndContents)
{
    const ColumnsRow rows[] = {
        {"the usual names, codes repeating the JAN code but for loose produce",
         "JAN,商品名,売価,棚番,フェース数,品番",
         {"4901234567894,牛乳,198,A-1,2,4901234567894", ",バナナ,98,C-1,1,P-199"},
         "5 3 4"},
        {"words inside longer titles",
         "JAN,商品名,売価,売場ロケーション,棚札枚数(枚),自社商品コード",
         {"4901234567894,牛乳,198,青果 3,２枚,P-100"},
         "5 3 4"},
        {"a title that is a name before one that holds a word, then the leftmost",
         "JAN,商品名,売価,売場名,棚番,フェース,フェース数",
         {"4901234567894,牛乳,198,青果,A-1,1,2"},
         "-1 4 5"},
        {"a count column of texts is not the tag count",
         "JAN,商品名,売価,枚数,フェース",
         {"4901234567894,牛乳,198,1パック,3", "4900000000016,水,98,6本,1"},
         "-1 -1 4"},
        {"a code column of texts with blanks is not the shop's own code",
         "JAN,商品名,売価,コード,PLU",
         {"4901234567894,牛乳,198,牛乳 1L パック,1001", "4900000000016,水,98,水 2L,1002"},
         "4 -1 -1"},
        {"a shelf column of long texts is not the shelf",
         "JAN,商品名,売価,棚,ロケーション",
         {"4901234567894,牛乳,198,冷蔵ケースの上から二段目の右側の奥のほうです,R-2"},
         "-1 4 -1"},
        {"a column the tag reads is left out", "商品コード,商品名,売価", {"4901234567894,牛乳,198"}, "-1 -1 -1"},
        {"without a header, none", "", {"4901234567894,牛乳,198,A-1,2"}, "-1 -1 -1"},
    };
    for (const ColumnsRow& row : rows) {
        std::vector<QStringList> cells;
        for (const char* line : row.cells) {
            cells.push_back(QString::fromUtf8(line).split(u','));
        }
        const QString titles = QString::fromUtf8(row.titles);
        productlist::ProductList list = listOf(titles.isEmpty() ? cells.front() : titles.split(u','), cells);
        list.hasHeader = !titles.isEmpty();
        const auto mapping
            = productlist::mapList(list.columnTitles, list.rows, list.hasHeader, sheet::SheetFormat::large);
        const catalogue::CatalogueColumns found
            = catalogue::catalogueColumnsOfList(list.columnTitles, list.rows, list.hasHeader, mapping.mapping);
        EXPECT_EQ(QStringLiteral("%1 %2 %3").arg(found.productCode).arg(found.shelf).arg(found.tagCount),
                  QString::fromLatin1(row.found))
            << row.name;
    }
}

// What a unit price needs beyond the size: the product's own base and its content where the list
// gives it in columns of its own (an amount and a unit), found by title and content.
TEST(IncomingList, TakesTheUnitPricesBaseAndTheContentApart)
{
    const struct {
        const char* name;
        const char* titles;
        const char* cells;  // one row
        const char* found;  // the columns of the base, the content and its unit
        const char* taken;  // the product's base and content
    } rows[] = {
        {"an amount and a unit beside the size", "JAN,商品名,規格,売価,内容量,単位",
         "4901234567894,牛乳,1Lパック,198,1000,ml", "-1 4 5", "|1000ml"},
        {"the amount in the size column the tag took", "JAN,商品名,内容量,単位,売価", "4901234567894,牛乳,500,ml,198",
         "-1 2 3", "|500ml"},
        {"an amount with its unit in one cell", "JAN,商品名,規格,売価,内容量", "4901234567894,牛乳,1Lパック,198,1000ml",
         "-1 4 -1", "|1000ml"},
        {"a 単位 column of bases without an amount is the base", "JAN,商品名,規格,売価,単位",
         "4901234567894,ティッシュ,160組×5箱,298,10枚", "4 -1 -1", "10枚|"},
        {"the base named outright, and なし", "JAN,商品名,規格,売価,単位価格の基準", "4901234567894,花束,1束,498,なし",
         "4 -1 -1", "なし|"},
        {"a base column that reads as none is not taken", "JAN,商品名,規格,売価,単位基準",
         "4901234567894,牛乳,1L,198,ふつう", "-1 -1 -1", "|"},
        {"none of them", "JAN,商品名,規格,売価", "4901234567894,牛乳,1L,198", "-1 -1 -1", "|"},
    };
    for (const auto& row : rows) {
        const productlist::ProductList list
            = listOf(QString::fromUtf8(row.titles).split(u','), {QString::fromUtf8(row.cells).split(u',')});
        const auto mapping = productlist::mapList(list.columnTitles, list.rows, true, sheet::SheetFormat::large);
        const catalogue::CatalogueColumns found
            = catalogue::catalogueColumnsOfList(list.columnTitles, list.rows, true, mapping.mapping);
        EXPECT_EQ(QStringLiteral("%1 %2 %3").arg(found.unitBase).arg(found.content).arg(found.contentUnit),
                  QString::fromLatin1(row.found))
            << row.name;
        const auto cleaned = productlist::cleanRows(list.rows, mapping.mapping, sheet::SheetFormat::large, {});
        const catalogue::IncomingList in = catalogue::incomingProducts(list, cleaned, nullptr, found);
        ASSERT_EQ(in.products.size(), 1u) << row.name;
        EXPECT_EQ(in.products[0].unitBase + u'|' + in.products[0].content, QString::fromUtf8(row.taken)) << row.name;
    }
}

}  // namespace
