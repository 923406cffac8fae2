// libFuzzer target for the product-list reader and the cleaning behind it. The first byte picks
// how the rest is read (as a file of any kind, as an Excel or LibreOffice workbook, as text with a
// chosen delimiter, or as the XML of one part of a workbook); besides not crashing, every input
// must keep the promises below.
//
// In the XML modes a worksheet, shared-strings or content part is read alone: a fault names the part
// and leaves no strings behind. The byte 0xFF followed by a count byte N repeats the text from the
// last '<' before it (N + 1) * 256 times, so that nesting tens of thousands deep fits in a short
// input; the dictionary product-list.dict holds the tokens of the parts.
#include "core/productlist/cleaning.h"
#include "core/productlist/column_mapping.h"
#include "core/productlist/ods_reader.h"
#include "core/productlist/product_list.h"
#include "core/productlist/sheet_filling.h"
#include "core/productlist/spreadsheet.h"
#include "core/productlist/xlsx_reader.h"
#include "core/sheet/field_entry.h"

#include <QRegularExpression>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace productlist;
using sheet::SheetFormat;

namespace {

void require(bool condition, const char* promise)
{
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", promise);
        std::abort();
    }
}

void checkTable(const std::vector<ListRow>& rows)
{
    require(int(rows.size()) <= kMaxRows, "no more rows than the reader takes");
    int previous = 0;
    for (const ListRow& row : rows) {
        require(row.number > previous, "row numbers rise");
        previous = row.number;
        require(row.cells.size() <= kMaxColumns, "no more columns than the reader takes");
        require(!isBlankRow(row.cells), "blank rows are dropped");
    }
}

void checkCleaning(const ProductList& list, const SheetFormat& format, const TaxSettings& tax)
{
    AutoMapping mapped = mapColumns(list.columnTitles, format);
    if (!list.hasHeader) {
        mapped.mapping = guessColumns(list.rows);
    }
    for (ListField field : allListFields()) {
        require(mapped.mapping.column(field) < list.columnCount(), "a mapped column exists");
    }
    const std::vector<CleanRow> cleaned = cleanRows(list.rows, mapped.mapping, format, tax);
    require(cleaned.size() == list.rows.size(), "a cleaned row for every row");
    std::vector<sheet::TagRecord> used;
    for (const CleanRow& row : cleaned) {
        if (row.refused()) {
            continue;
        }
        const sheet::TagRecord& record = row.record;
        require(!record.productName.trimmed().isEmpty(), "a used row has a product name");
        require(record.price >= 0 && record.price <= sheet::kMaxPrice, "a used price is within the limit");
        for (const sheet::EntryBox& box : sheet::entryBoxes(format)) {
            if (box.maxLength > 0 && box.field != sheet::Field::price) {
                require(sheet::fieldText(record, box.field).size() <= box.maxLength, "texts fit their boxes");
            }
        }
        static const QRegularExpression exponent(QStringLiteral("^[+-]?\\d+(\\.\\d*)?[eE][+-]?\\d+$"));
        require(!exponent.match(record.jan).hasMatch(), "no code in exponent form is used");
        used.push_back(record);
    }
    const auto sheets = sheetsForList(format, 3, used);
    size_t filled = 0;
    for (const sheet::TagSheet& page : sheets) {
        for (int tag = 1; tag <= page.tagsPerPage(); ++tag) {
            filled += isEmptyRecord(page.record(tag)) ? 0 : 1;
        }
    }
    require(filled == used.size(), "every used row lands on exactly one tag");
}

// The XML of a part with its repeat marks expanded, up to 8 MiB.
QByteArray expandedXml(const QByteArray& bytes)
{
    constexpr qsizetype kMaxExpanded = 8 << 20;
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size() && out.size() < kMaxExpanded; ++i) {
        if (uchar(bytes.at(i)) != 0xFF || i + 1 >= bytes.size()) {
            out.append(bytes.at(i));
            continue;
        }
        const qsizetype start = out.lastIndexOf('<');
        const QByteArray unit = start < 0 ? QByteArray("<a>") : out.mid(start);
        const int times = (uchar(bytes.at(++i)) + 1) * 256;
        for (int n = 0; n < times && out.size() < kMaxExpanded; ++n) {
            out.append(unit);
        }
    }
    return out;
}

// One part of a workbook from its XML: a failure names the part and leaves no rows.
void checkPart(std::uint8_t mode, const QByteArray& xml)
{
    const QString part = QStringLiteral("part.xml");
    if (mode % 4 == 2) {
        const SpreadsheetRead read = readOdsContent(xml, (mode & 0x10) ? QStringLiteral("Sheet2") : QString());
        require(read.ok == read.error.isEmpty(), "an error exactly when not read");
        require(read.ok || read.table.rows.empty(), "no rows from a content part that failed");
        if (read.ok) {
            checkTable(read.table.rows);
        }
        return;
    }
    if (mode & 0x10) {
        QStringList strings {QStringLiteral("前")};
        const QString error = readSharedStrings(xml, part, strings);
        require(error.isEmpty() || error.contains(part), "a failed part is named");
        require(error.isEmpty() || strings == QStringList {QStringLiteral("前")}, "a failed part adds no strings");
        for (const QString& text : strings) {
            require(text.size() <= kMaxCellChars, "texts are cut at the cell limit");
        }
        return;
    }
    const QStringList shared {QStringLiteral("品名"), QStringLiteral("4901234567894")};
    ListTable table;
    const QString error = readWorksheet(xml, part, shared, table);
    require(error.isEmpty() || error.contains(part), "a failed part is named");
    checkTable(table.rows);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::uint8_t mode = data[0];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    switch (mode % 4) {
    case 1:
    case 2: {
        if (mode & 0x08) {
            checkPart(mode, expandedXml(bytes));
            return 0;
        }
        const SpreadsheetRead read
            = readSpreadsheet(bytes, mode % 4 == 1 ? SpreadsheetKind::xlsx : SpreadsheetKind::ods,
                              (mode & 0x10) ? QStringLiteral("Sheet2") : QString());
        require(read.ok == read.error.isEmpty(), "an error exactly when not read");
        if (read.ok) {
            require(read.sheetNames.contains(read.sheetName), "the sheet read is one of the workbook's");
            checkTable(read.table.rows);
        }
        return 0;
    }
    default:
        break;
    }
    ReadOptions options;
    if (mode % 4 == 3) {
        options.delimiter = QChar((mode & 0x10) ? u';' : u'\t');
        options.encoding = allEncodings().at((mode >> 5) % allEncodings().size());
    }
    const ProductList list = readProductListData(bytes, options);
    require(list.ok == list.error.isEmpty(), "an error exactly when not read");
    if (!list.ok) {
        return 0;
    }
    checkTable(list.rows);
    for (const ListRow& row : list.rows) {
        require(row.cells.size() <= list.columnTitles.size(), "a title for every column");
    }
    const TaxSettings tax {(mode & 0x40) ? PriceBasis::excludesTax : PriceBasis::includesTax,
                           (mode & 0x80) ? kReducedRate : kStandardRate, allRoundings().at(mode % 3)};
    checkCleaning(list, SheetFormat::large, tax);
    checkCleaning(list, SheetFormat::small, tax);
    return 0;
}
