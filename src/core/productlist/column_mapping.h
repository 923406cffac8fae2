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

// The items of a tag a list can fill, and the two columns of tax that go with the price: the rate
// (標準, 軽減, 8, 10, 非課税) and whether the price includes the tax (内税, 外税, 税込, 税抜).
enum class ListField { jan, maker, productName, productName2, spec, lot, price, taxClass, taxBasis };
inline constexpr int kListFieldCount = 9;

// Every field in the order the dialog shows them.
const std::vector<ListField>& allListFields();
// The fields that `format` uses (the second product-name line only on small tags).
std::vector<ListField> listFieldsOf(const sheet::SheetFormat& format);

// The Japanese name of a field as the dialog and the report show it: "JANコード", "商品名", ...
QString listFieldTitle(ListField field);
// The name of a field on the command line: jan, maker, name, name2, spec, lot, price, tax, taxbasis.
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

// The field that a header cell names by one of its names (not by a word inside a longer text, which
// a row of data may hold as well), or nothing.
std::optional<ListField> fieldOfHeader(const QString& title);

struct AutoMapping {
    ColumnMapping mapping;
    // What the price column's name says about tax ("税込価格", "本体価格"), or nothing.
    std::optional<PriceBasis> priceBasis;
};

// The mapping of `columnTitles` (a header row) for `format`, by the names alone. A header names a
// field when it is one of the field's names, or holds one of its words ("通常売価", "Item Name").
// Columns that only look like a field are not taken for it: a cost (原価, 仕入), a second price
// (価格2), an ID or another code for anything but the barcode; a reading (カナ, ﾖﾐ) or a receipt
// name is taken for the name only when no other column names it. When several columns name one
// field the most telling name wins (a "JAN" column before a "商品コード" column, "税込価格" before
// "本体価格"), then the leftmost.
AutoMapping mapColumns(const QStringList& columnTitles, const sheet::SheetFormat& format);

// The mapping of a list with the header `columnTitles` and the rows `rows`, by names and contents:
// among the columns that name the code, one whose cells are mostly valid JAN codes (a column of
// such codes that names nothing else, too) wins over a shop's own codes; among those that name
// the price, a column of whole amounts wins over one of texts; a column of nothing but 内税/外税
// (or 税込/税抜) is the tax basis, whatever its title (a cloud register's 税設定), unless a column
// is named so. Without a header, guessColumns.
AutoMapping mapList(const QStringList& columnTitles, const std::vector<ListRow>& rows, bool hasHeader,
                    const sheet::SheetFormat& format);

// The Japanese message that stops a list without a price column, naming the list's columns.
QString noPriceColumnMessage(const QStringList& columnTitles);

// A code as a spreadsheet keeps it for text, without the marks put there to stop it from turning
// into a number: a leading "#", "'" or "=", and the quotes around it ("=\"4901234567894\"").
// `marked` tells whether there was any.
QString codeWithoutTextMarks(const QString& cell, bool* marked = nullptr);

// Whether `code` is 8 or 13 half-width digits ending in their check digit.
bool isValidJan(const QString& code);

// For a list without a header, the columns guessed from what they hold: the JAN code where nearly
// every cell has 8 or 13 digits, the product name in the first column of text, the price in the
// column of amounts right of the name with the highest amounts (a price rather than a count).
// Only those three.
ColumnMapping guessColumns(const std::vector<ListRow>& rows);

}  // namespace productlist
