#pragma once

// Turning the rows of a product list into tag records: codes and prices made readable, texts fitted
// to the tag's boxes, prices made tax-inclusive, and every change or refusal noted for its row.

#include "core/productlist/column_mapping.h"
#include "core/productlist/list_table.h"
#include "core/productlist/tax.h"
#include "core/sheet/tag_sheet.h"

#include <QString>

#include <vector>

namespace productlist {

// A column of Y and N for one tax (a register's "Tax - 軽減税率 (8%)"): Y says the row's price
// bears that rate.
struct RateFlag {
    int column = -1;
    int ratePercent = kStandardRate;
    QString title;
    friend bool operator==(const RateFlag&, const RateFlag&) = default;
};

struct TaxSettings {
    PriceBasis basis = PriceBasis::includesTax;
    int ratePercent = kStandardRate;  // the list-wide rate, where no tax class says otherwise
    Rounding rounding = Rounding::floor;
    std::vector<TaxCode> codes = {};  // the list's own tax codes, given a meaning by the user or a register
    // Where no column holds the rate: a row's rate is the one whose flag says Y, 0 % (no tax) when
    // every flag says N; Y under two rates, or anything but Y and N, leaves the rate unknown.
    std::vector<RateFlag> rateFlags = {};
    friend bool operator==(const TaxSettings&, const TaxSettings&) = default;
};

// What the cleaning did to a row, or why it refused it.
enum class NoteKind {
    // Changes: the row is used.
    madeHalfWidth,      // full-width digits or letters in the code made half-width
    codeUnmarked,       // "#4901234567894", "=\"4901...\"": the marks that kept the code a text removed
    priceReformatted,   // "¥1,080" read as 1080
    cut,                // a text longer than its box (or a name longer than its two lines) was cut
    lineBreakReplaced,  // a line break or tab inside a text became a blank
    quoteReplaced,      // an ASCII double quote became a full-width one, as typed in the editor
    notInCodePage,      // characters a sheet file cannot hold: they become "?" when saved
    wrongCheckDigit,    // the code's last digit is not its check digit (kept as the list has it)
    notAJanCode,        // the code is not 8 or 13 digits: no barcode is printed
    duplicateCode,      // the code stands on an earlier row too
    noPrice,            // no price: the tag shows 0
    // Refusals: the row is not used.
    noProductName,
    exponentCode,  // "4.90123E+12": the code's digits are lost
    codeTooLong,   // longer than the JAN box takes
    priceUnreadable,
    priceFraction,
    priceNegative,
    priceAboveLimit,     // above the tag's limit (after the tax)
    taxClassUnreadable,  // (prices without tax) the rate cannot be known
    taxBasisUnreadable,  // whether the price includes the tax cannot be known
};

// Whether a note of this kind keeps its row off the tags.
bool refuses(NoteKind kind);

struct RowNote {
    NoteKind kind;
    ListField field;
    QString detail;  // the values concerned, for the message

    friend bool operator==(const RowNote&, const RowNote&) = default;
};

// The Japanese message of a note, e.g. "JANコード: 指数表記 (4.90123E+12) で桁が失われています".
QString noteMessage(const RowNote& note);

struct CleanRow {
    int number = 0;                      // the list's row number
    sheet::TagRecord record;             // what the row's tag gets (when not refused)
    qint64 listPrice = -1;               // the price as the list gives it; -1 when it has none
    bool priceIncludesTax = true;        // whether listPrice includes the tax (the row's class or the list's)
    int taxRatePercent = kStandardRate;  // the rate that applies to the row
    std::vector<RowNote> notes;

    bool refused() const;
    bool changed() const { return !notes.empty(); }
    // Every note's message, joined with "; ".
    QString summary() const;
};

// Cleans each row of `rows` for a tag of `format`. Every row gives one CleanRow, in order. On small
// tags without a column for the name's second line, a name too long for the first line runs on
// into the second (see splitName).
std::vector<CleanRow> cleanRows(const std::vector<ListRow>& rows, const ColumnMapping& mapping,
                                const sheet::SheetFormat& format, const TaxSettings& tax);

// A name on two lines of `firstLength` and `secondLength` characters: the first line is cut at a
// blank or a bracket near its end when that keeps more of the name (or as much), else after
// `firstLength` characters. `lost` is true when characters other than blanks did not fit.
struct NameLines {
    QString first;
    QString second;
    bool lost = false;
};
NameLines splitName(const QString& name, int firstLength, int secondLength);

// Counts for the report's last line.
struct CleanCounts {
    int used = 0;
    int changed = 0;  // used, with notes
    int refused = 0;
};
CleanCounts countRows(const std::vector<CleanRow>& rows);

// The records of the rows that are used, in list order.
std::vector<sheet::TagRecord> usedRecords(const std::vector<CleanRow>& rows);

// The report's line for a changed or refused row ("8行目 使いません: JANコード: ..."); empty for a
// row used as it stands.
QString reportLine(const CleanRow& row);
// The report's last line: "使う行 7 (うち変更あり 2)、使わない行 1".
QString countsLine(const CleanCounts& counts);

}  // namespace productlist
