#pragma once

// The test shop's products: a code is always the same product, in every test that takes it from
// here (the window tests' lists name the same ones).

#include "core/catalogue/rules/product.h"

#include <QString>

namespace test_support {

enum class ShopItem { water, detergent, crisps, milk, bread };

// 天然水 2L, 洗濯洗剤, ポテトチップス, 牛乳 1L and 食パン, with their codes, prices and shelves.
inline catalogue::Product shopProduct(ShopItem item, qint64 id = 0)
{
    struct Row {
        const char* code;
        const char* name;
        qint32 price;
        const char* shelf;
    };
    static const Row rows[] = {{"4900000000016", "天然水 2L", 98, "A-10"},
                               {"4900000000023", "洗濯洗剤", 328, "B-1"},
                               {"4900000000030", "ポテトチップス", 158, "A-2"},
                               {"4900000000047", "牛乳 1L", 198, "A-1"},
                               {"4900000000054", "食パン", 168, "A-3"}};
    const Row& row = rows[int(item)];
    catalogue::Product product;
    product.id = id != 0 ? id : int(item) + 1;
    product.code = QString::fromLatin1(row.code);
    product.tag.jan = product.code;
    product.tag.productName = QString::fromUtf8(row.name);
    product.tag.price = row.price;
    product.listPrice = row.price;
    product.shelf = QString::fromLatin1(row.shelf);
    return product;
}

}  // namespace test_support
