#include "productlist/column_mapping.h"

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
    const std::vector<MapRow> rows{
        {"register export", {"商品コード", "メーカー名", "品名", "容量", "入数", "売価", "税区分"}, &SheetFormat::large,
         mappingOf({{F::jan, 0}, {F::maker, 1}, {F::productName, 2}, {F::spec, 3}, {F::lot, 4}, {F::price, 5}, {F::taxClass, 6}}),
         std::nullopt},
        {"JAN before 商品コード", {"商品コード", "JAN", "商品名"}, &SheetFormat::large,
         mappingOf({{F::jan, 1}, {F::productName, 2}}), std::nullopt},
        {"税込 before 本体", {"品名", "本体価格", "税込価格"}, &SheetFormat::large,
         mappingOf({{F::productName, 0}, {F::price, 2}}), PriceBasis::includesTax},
        {"本体価格 alone", {"品名", "本体価格", "税率"}, &SheetFormat::large,
         mappingOf({{F::productName, 0}, {F::price, 1}, {F::taxClass, 2}}), PriceBasis::excludesTax},
        {"税抜 in brackets", {"商品名", "売価（税抜）"}, &SheetFormat::large,
         mappingOf({{F::productName, 0}, {F::price, 1}}), PriceBasis::excludesTax},
        {"full-width, half-width kana and blanks", {"ＪＡＮ　コード", "ﾒｰｶｰ", " 商品名 ", "規　格"}, &SheetFormat::large,
         mappingOf({{F::jan, 0}, {F::maker, 1}, {F::productName, 2}, {F::spec, 3}}), std::nullopt},
        {"second name line on small tags", {"商品名", "商品名2", "価格"}, &SheetFormat::small,
         mappingOf({{F::productName, 0}, {F::productName2, 1}, {F::price, 2}}), std::nullopt},
        {"no second line on large tags", {"商品名", "商品名2", "価格"}, &SheetFormat::large,
         mappingOf({{F::productName, 0}, {F::price, 2}}), std::nullopt},
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

TEST(ListFieldKeys, RoundTripAndFormats)
{
    for (ListField field : allListFields()) {
        EXPECT_EQ(listFieldOfKey(listFieldKey(field)), field) << listFieldKey(field).toStdString();
        EXPECT_FALSE(listFieldTitle(field).isEmpty());
    }
    EXPECT_EQ(listFieldOfKey(QStringLiteral("PRICE")), ListField::price);
    EXPECT_EQ(listFieldOfKey(QStringLiteral("cost")), std::nullopt);
    EXPECT_EQ(listFieldsOf(SheetFormat::small).size(), 8u);
    const auto large = listFieldsOf(SheetFormat::large);
    EXPECT_EQ(std::count(large.begin(), large.end(), ListField::productName2), 0);
    EXPECT_EQ(large.size(), 7u);
}

}  // namespace
