#include "core/productlist/column_mapping.h"

#include <gtest/gtest.h>

using namespace productlist;
using sheet::SheetFormat;

namespace {

ColumnMapping mappingOf(std::initializer_list<std::pair<ListField, int>> columns)
{
    ColumnMapping mapping;
    for (const auto& [field, column] : columns) {
        mapping.set(field, column);
    }
    return mapping;
}

struct MapRow {
    const char* name;
    QStringList titles;
    const SheetFormat* format;
    ColumnMapping expected;
    std::optional<PriceBasis> basis;
};

TEST(MapColumns, FromTheNamesShopsUse)
{
    using F = ListField;
    const std::vector<MapRow> rows {
        {"register export",
         {"商品コード", "メーカー名", "品名", "容量", "入数", "売価", "税区分"},
         &SheetFormat::large,
         mappingOf({{F::jan, 0},
                    {F::maker, 1},
                    {F::productName, 2},
                    {F::spec, 3},
                    {F::lot, 4},
                    {F::price, 5},
                    {F::taxClass, 6}}),
         std::nullopt},
        {"JAN before 商品コード",
         {"商品コード", "JAN", "商品名"},
         &SheetFormat::large,
         mappingOf({{F::jan, 1}, {F::productName, 2}}),
         std::nullopt},
        {"税込 before 本体",
         {"品名", "本体価格", "税込価格"},
         &SheetFormat::large,
         mappingOf({{F::productName, 0}, {F::price, 2}}),
         PriceBasis::includesTax},
        {"本体価格 alone",
         {"品名", "本体価格", "税率"},
         &SheetFormat::large,
         mappingOf({{F::productName, 0}, {F::price, 1}, {F::taxClass, 2}}),
         PriceBasis::excludesTax},
        {"税抜 in brackets",
         {"商品名", "売価（税抜）"},
         &SheetFormat::large,
         mappingOf({{F::productName, 0}, {F::price, 1}}),
         PriceBasis::excludesTax},
        {"full-width, half-width kana and blanks",
         {"ＪＡＮ　コード", "ﾒｰｶｰ", " 商品名 ", "規　格"},
         &SheetFormat::large,
         mappingOf({{F::jan, 0}, {F::maker, 1}, {F::productName, 2}, {F::spec, 3}}),
         std::nullopt},
        {"second name line on small tags",
         {"商品名", "商品名2", "価格"},
         &SheetFormat::small,
         mappingOf({{F::productName, 0}, {F::productName2, 1}, {F::price, 2}}),
         std::nullopt},
        {"no second line on large tags",
         {"商品名", "商品名2", "価格"},
         &SheetFormat::large,
         mappingOf({{F::productName, 0}, {F::price, 2}}),
         std::nullopt},
        {"leftmost of equals", {"品名", "品名"}, &SheetFormat::large, mappingOf({{F::productName, 0}}), std::nullopt},
        {"unknown names", {"備考", "メーカーコード", "分類"}, &SheetFormat::large, ColumnMapping(), std::nullopt},
        {"nothing", {}, &SheetFormat::small, ColumnMapping(), std::nullopt},
    };
    for (const MapRow& row : rows) {
        SCOPED_TRACE(row.name);
        const AutoMapping mapped = mapColumns(row.titles, *row.format);
        EXPECT_EQ(mapped.mapping, row.expected);
        EXPECT_EQ(mapped.priceBasis, row.basis);
    }
}

struct BasisRow {
    const char* name;
    QStringList titles;
    QStringList cells;  // one row's cells, repeated
    ColumnMapping expected;
};

TEST(MapList, TakesAColumnOfInclusiveOrExclusiveForTheTaxBasisWhateverItsTitle)
{
    using F = ListField;
    const BasisRow rows[] = {
        {"a cloud register's 税設定",
         {"商品名", "価格", "税設定", "適用税率"},
         {"牛乳", "980", "外税", "標準税率"},
         mappingOf({{F::productName, 0}, {F::price, 1}, {F::taxBasis, 2}, {F::taxClass, 3}})},
        {"税込 and 税抜 under another name",
         {"商品名", "価格", "区分"},
         {"牛乳", "980", "税抜き"},
         mappingOf({{F::productName, 0}, {F::price, 1}, {F::taxBasis, 2}})},
        {"a tax class column that holds only the basis",
         {"商品名", "価格", "税区分"},
         {"牛乳", "980", "内税"},
         mappingOf({{F::productName, 0}, {F::price, 1}, {F::taxBasis, 2}})},
        {"the basis with a rate stays a tax class",
         {"商品名", "価格", "税区分"},
         {"牛乳", "980", "外税8%"},
         mappingOf({{F::productName, 0}, {F::price, 1}, {F::taxClass, 2}})},
        {"a column named for the basis wins",
         {"商品名", "価格", "内外税区分", "メモ"},
         {"牛乳", "980", "外税", "内税"},
         mappingOf({{F::productName, 0}, {F::price, 1}, {F::taxBasis, 2}})},
    };
    for (const BasisRow& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<ListRow> listRows;
        for (int number = 2; number < 6; ++number) {
            listRows.push_back({number, row.cells});
        }
        EXPECT_EQ(mapList(row.titles, listRows, true, SheetFormat::large).mapping, row.expected);
    }
}

TEST(ListFieldKeys, RoundTripAndFormats)
{
    for (ListField field : allListFields()) {
        EXPECT_EQ(listFieldOfKey(listFieldKey(field)), field) << listFieldKey(field).toStdString();
        EXPECT_FALSE(listFieldTitle(field).isEmpty());
    }
    EXPECT_EQ(listFieldOfKey(QStringLiteral("PRICE")), ListField::price);
    EXPECT_EQ(listFieldOfKey(QStringLiteral("cost")), std::nullopt);
    EXPECT_EQ(listFieldsOf(SheetFormat::small).size(), 9u);  // with the column saying 内税 or 外税
    const auto large = listFieldsOf(SheetFormat::large);
    EXPECT_EQ(std::count(large.begin(), large.end(), ListField::productName2), 0);
    EXPECT_EQ(large.size(), 8u);
}

}  // namespace

namespace {

struct GuessRow {
    const char* name;
    std::vector<ListRow> rows;
    int jan;
    int name_;
    int price;
};

TEST(GuessColumns, FromWhatTheColumnsHold)
{
    const std::vector<GuessRow> rows {
        {"code, name, price",
         {{1, {"4901234567894", "水", "98"}}, {2, {"49012347", "茶", "1,080"}}, {3, {"4500000000018", "米", "¥2,000"}}},
         0,
         1,
         2},
        {"name first, spec, price, stock count last",
         {{1, {"水", "2L", "98", "12"}}, {2, {"茶", "500ml", "120", "3"}}},
         -1,
         0,
         2},
        {"count before price", {{1, {"水", "24", "1,980"}}, {2, {"茶", "6", "540"}}}, -1, 0, 2},
        {"a store code is not a JAN code", {{1, {"123", "水", "98"}}, {2, {"124", "茶", "99"}}}, -1, 1, 2},
        {"texts only", {{1, {"水", "大"}}, {2, {"茶", "小"}}}, -1, 0, -1},
        {"nothing", {}, -1, -1, -1},
    };
    for (const GuessRow& row : rows) {
        SCOPED_TRACE(row.name);
        const ColumnMapping guessed = guessColumns(row.rows);
        EXPECT_EQ(guessed.column(ListField::jan), row.jan);
        EXPECT_EQ(guessed.column(ListField::productName), row.name_);
        EXPECT_EQ(guessed.column(ListField::price), row.price);
        EXPECT_EQ(guessed.column(ListField::maker), -1);
    }
}

}  // namespace
