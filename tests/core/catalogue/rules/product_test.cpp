// The product fields as one table: each field alone, changed in a list, is found changed and is
// carried over by its copy, and nothing else is.

#include "core/catalogue/rules/product.h"

#include "support/shop_products.h"

#include <gtest/gtest.h>

#include <functional>

using catalogue::ProductData;
using catalogue::ProductField;

namespace {

struct Row {
    ProductField field;
    std::function<void(ProductData&)> change;
};

TEST(ProductFields, EachFieldAloneIsFoundChangedAndCopied)
{
    const Row rows[] = {
        {ProductField::jan, [](ProductData& p) { p.tag.jan = QStringLiteral("4900000000993"); }},
        {ProductField::maker, [](ProductData& p) { p.tag.maker = QStringLiteral("高原牧場"); }},
        {ProductField::productName, [](ProductData& p) { p.tag.productName = QStringLiteral("低脂肪乳"); }},
        {ProductField::productName2, [](ProductData& p) { p.tag.productName2 = QStringLiteral("北海道産"); }},
        {ProductField::spec, [](ProductData& p) { p.tag.spec = QStringLiteral("900ml"); }},
        {ProductField::lot, [](ProductData& p) { p.tag.lot = QStringLiteral("2本"); }},
        {ProductField::price, [](ProductData& p) { p.tag.price = 218; }},
        {ProductField::listPrice, [](ProductData& p) { p.listPrice = 202; }},
        {ProductField::priceIncludesTax, [](ProductData& p) { p.priceIncludesTax = false; }},
        {ProductField::taxRate, [](ProductData& p) { p.taxRatePercent = 8; }},
        {ProductField::shelf, [](ProductData& p) { p.shelf = QStringLiteral("A-9"); }},
        {ProductField::tagCount, [](ProductData& p) { p.tagCount = 3; }},
        {ProductField::unitBase, [](ProductData& p) { p.unitBase = QStringLiteral("100ml"); }},
        {ProductField::content, [](ProductData& p) { p.content = QStringLiteral("1000ml"); }},
    };
    ASSERT_EQ(std::size(rows), catalogue::allProductFields().size());
    const ProductData milk = test_support::shopProduct(test_support::ShopItem::milk);
    for (const Row& row : rows) {
        const std::string name = catalogue::productFieldTitle(row.field).toStdString();
        ProductData changed = milk;
        row.change(changed);
        EXPECT_EQ(catalogue::differingFields(milk, changed), std::vector<ProductField> {row.field}) << name;
        ProductData copied = milk;
        catalogue::accessOf(row.field).copy(copied, changed);
        EXPECT_EQ(copied, changed) << name;
    }
    // An empty text and a text never set are the same value.
    ProductData unset = milk;
    unset.tag.lot = QString();
    ProductData empty = milk;
    empty.tag.lot = QStringLiteral("");
    EXPECT_TRUE(catalogue::differingFields(unset, empty).empty());
}

}  // namespace
