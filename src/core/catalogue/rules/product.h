#pragma once

// A product of the catalogue in one vocabulary: what a product list says of it (its key, the texts
// and price of its tag, its list price and tax, its shelf location and tag count) and what the
// catalogue adds (its id, when it was first and last in a list, whether it is still sold).

#include "core/productlist/tax.h"
#include "core/sheet/tag_sheet.h"

#include <QString>

#include <optional>
#include <vector>

namespace catalogue {

// What a product list says of one product.
struct ProductData {
    QString code;          // the key: the JAN code, else the list's own product code
    sheet::TagRecord tag;  // jan, maker, productName, productName2, spec, lot; price = the tag price
    qint64 listPrice = 0;  // as the list gives it (0 when it gives none)
    bool priceIncludesTax = true;
    int taxRatePercent = productlist::kStandardRate;
    QString shelf;
    int tagCount = 1;
    int listOrder = 0;  // the list's row number
    // The base of the product's unit price as the list gives it (単位価格の基準: "100g", "1kg",
    // "1枚"); empty: the shop's; "なし": the product is left out of unit pricing.
    QString unitBase;
    // The content as the list gives it apart from the size (内容量 and 単位: "500ml"); empty: the
    // size text says it.
    QString content;

    friend bool operator==(const ProductData&, const ProductData&) = default;
};

// A product of a list that is being taken in.
using IncomingProduct = ProductData;

// A product as the catalogue keeps it.
struct Product : ProductData {
    qint64 id = 0;
    QString firstSeen;  // dates (YYYY-MM-DD)
    QString lastSeen;
    bool active = true;
    QString validFrom;  // the date this state of the product holds from (YYYY-MM-DD)
};

// What a list sets of a product, field by field: the tag's fields first (as sheet::Field names
// them), then the catalogue's own.
enum class ProductField {
    jan,
    maker,
    productName,
    productName2,
    spec,
    lot,
    price,  // the tag price
    listPrice,
    priceIncludesTax,
    taxRate,
    shelf,
    tagCount,
    unitBase,
    content,
};

// How a field is read and set: one row per field, so that a new field is one row.
struct ProductFieldAccess {
    ProductField field;
    std::optional<sheet::Field> tagField;  // the tag field it is, for the tag's fields
    bool isPrice;                          // a change of it is a change of price (kept in the price history)
    const char* title;                     // as a summary names it, for the fields beyond the tag's
    bool (*same)(const ProductData& a, const ProductData& b);  // whether the two hold the same value
    void (*copy)(ProductData& to, const ProductData& from);    // sets it in `to` as `from` has it
};
// Every field, in the order of ProductField.
const std::vector<ProductFieldAccess>& productFieldTable();
const ProductFieldAccess& accessOf(ProductField field);

// Every field, in the order above.
const std::vector<ProductField>& allProductFields();
// The tag field a product field is, for the tag's fields.
inline std::optional<sheet::Field> tagFieldOf(ProductField field)
{
    return accessOf(field).tagField;
}
// Whether a change of the field changes what a tag shows.
inline bool showsOnTag(ProductField field)
{
    return tagFieldOf(field).has_value();
}
// Whether a change of the field is a change of price (kept in the price history).
inline bool isPriceField(ProductField field)
{
    return accessOf(field).isPrice;
}
// The fields in which `now` differs from `before`, in the order of allProductFields().
std::vector<ProductField> differingFields(const ProductData& before, const ProductData& now);

// A field as a summary names it: the tag's as tagFieldTitle, then リストの価格, 税込み・税抜き,
// 税率, 棚番, フェース数, 単位価格の基準, 内容量.
QString productFieldTitle(ProductField field);

// The tag fields a comparison names (sheet::Field), as the messages and the JSON name them.
QString tagFieldTitle(sheet::Field field);  // "JANコード", "メーカー", "商品名", ...
QString tagFieldKey(sheet::Field field);    // jan, maker, name, name2, spec, lot, price
// Every tag field, in the order of the tag's boxes.
const std::vector<sheet::Field>& allTagFields();

// The fields in which the tag `now` differs from the tag `shown`.
std::vector<sheet::Field> tagDifferences(const sheet::TagRecord& now, const sheet::TagRecord& shown);
// A tag's texts and price as one text, so that comparing two tags in the database is one
// comparison (the fields separated by U+001F, which no cleaned text holds).
QString tagText(const sheet::TagRecord& tag);
// The tag a tag text holds (its first seven fields; a sale tag's compared text has more).
sheet::TagRecord tagOfText(const QString& text);
// What a product's unit price is worked out from beyond its tag's texts (its own base and content),
// as its tag text ends: empty where the list gives neither, so that a tag text is the tag's alone
// for every product without them.
QString unitTextOf(const ProductData& data);
// The product's tag text with it: what the catalogue keeps beside each product and version.
QString productTagText(const ProductData& data);

}  // namespace catalogue
