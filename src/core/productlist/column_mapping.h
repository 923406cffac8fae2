#pragma once

// Which column of a product list fills which item of a tag, found from the header names that
// shops' registers and spreadsheets use, and changed by the user.

#include "core/productlist/list_table.h"
#include "core/sheet/tag_sheet.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace productlist {

// The items of a tag a list can fill, and the tax class that goes with the price.
enum class ListField { jan, maker, productName, productName2, spec, lot, price, taxClass };
inline constexpr int kListFieldCount = 8;

// Every field in the order the dialog shows them.
const std::vector<ListField>& allListFields();
// The fields that `format` uses (the second product-name line only on small tags).
std::vector<ListField> listFieldsOf(const sheet::SheetFormat& format);

// The Japanese name of a field as the dialog and the report show it: "JANコード", "商品名", ...
QString listFieldTitle(ListField field);
// The name of a field on the command line: jan, maker, name, name2, spec, lot, price, tax.
QString listFieldKey(ListField field);
std::optional<ListField> listFieldOfKey(const QString& key);

// Whether the list's prices include the consumption tax.
enum class PriceBasis { includesTax, excludesTax };

struct ColumnMapping {
    std::array<int, kListFieldCount> columns;  // 0-based column per field; -1: not taken from the list

    ColumnMapping() { columns.fill(-1); }
    int column(ListField field) const { return columns[size_t(field)]; }
    void set(ListField field, int column) { columns[size_t(field)] = column; }
    friend bool operator==(const ColumnMapping&, const ColumnMapping&) = default;
};

// A header cell as it is compared with the known names: width folded (full-width letters and
// digits made half-width), upper case, blanks and brackets removed.
QString foldHeaderName(const QString& title);

// The field that a header cell names, or nothing.
std::optional<ListField> fieldOfHeader(const QString& title);

struct AutoMapping {
    ColumnMapping mapping;
    // What the price column's name says about tax ("税込価格", "本体価格"), or nothing.
    std::optional<PriceBasis> priceBasis;
};

// The mapping of `columnTitles` (a header row) for `format`. When several columns name one field
// the most telling name wins (a "JAN" column before a "商品コード" column, "税込価格" before
// "本体価格"), then the leftmost.
AutoMapping mapColumns(const QStringList& columnTitles, const sheet::SheetFormat& format);

// For a list without a header, the columns guessed from what they hold: the JAN code where nearly
// every cell has 8 or 13 digits, the product name in the first column of text, the price in the
// column of amounts right of the name with the highest amounts (a price rather than a count).
// Only those three.
ColumnMapping guessColumns(const std::vector<ListRow>& rows);

}  // namespace productlist
