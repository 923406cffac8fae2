#pragma once

// The product data that cloud registers export, each read by a profile: one row of a table per
// register, saying how its export is recognised (the titles of its columns, the lines above them,
// the files it writes), which column is which, what its own codes mean, and where that is known
// from (the register's help page, named in the README). A register is added as one row and a test.

#include "core/productlist/cleaning.h"
#include "core/productlist/column_mapping.h"
#include "core/productlist/list_table.h"
#include "core/productlist/tax.h"
#include "core/sheet/tag_sheet.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace productlist {

// The files a register writes its export as.
enum class ListFormat { cp932, utf8, utf8Bom, utf16le, xlsx, ods };

// The titles a column of an export goes by, the first the list has taken. `generic`: the profile
// does not say, and the column is found as in any list (mapList); `none`: the export has no such
// column.
struct ProfileColumn {
    enum class Kind { generic, none, titled };
    Kind kind = Kind::generic;
    std::vector<const char16_t*> titles;
};

struct RegisterProfile {
    const char* key;         // --register KEY
    const char16_t* name;    // "スマレジ", as the report names it
    const char16_t* source;  // what the profile is based on: the register's help page by name and title
    // Recognition: every one of these titles stands in one row, which is at most
    // `linesBeforeTitles` rows from the top (a version line, notes above the columns).
    std::vector<const char16_t*> titles = {};
    int linesBeforeTitles = 0;
    std::vector<ListFormat> formats = {};  // the files the register writes, the usual first
    // Which column is which.
    ProfileColumn code = {};  // the register's own product code (the catalogue's code without a JAN)
    ProfileColumn jan = {};   // the barcode
    ProfileColumn productName = {};
    ProfileColumn size = {};       // 規格
    ProfileColumn variation = {};  // the size where the export has no size column
    ProfileColumn price = {};
    ProfileColumn taxBasis = {};  // whether the price includes the tax
    ProfileColumn rate = {};      // the tax rate
    ProfileColumn category = {};  // kept from every other field
    // A title that begins so is a Y/N column of one tax ("Tax - 軽減税率 (8%)"); empty: none.
    const char16_t* rateFlagPrefix = nullptr;
    std::vector<TaxCode> codes = {};                         // the register's codes in its tax columns
    std::optional<PriceBasis> basis = {};                    // where no column says it for a row
    const char16_t* barcodeMark = nullptr;                   // written before a barcode ("#")
    std::vector<const char16_t*> variationMeaningNone = {};  // a variation's name that is no size ("Regular")
};

// Every profile, in the order the README and --register's help list them.
const std::vector<RegisterProfile>& registerProfiles();
const RegisterProfile* registerProfileOfKey(const QString& key);
QStringList registerProfileKeys();

// Which register's export a list is read as: none (any list, the columns found by their names),
// the one whose shape the list has, or the one the user names.
struct RegisterChoice {
    enum class Mode { none, detect, forced };
    Mode mode = Mode::none;
    const RegisterProfile* profile = nullptr;  // with forced
    friend bool operator==(const RegisterChoice&, const RegisterChoice&) = default;
};

struct RegisterMatch {
    const RegisterProfile* profile = nullptr;  // nothing matched (or the forced one did not)
    int titleRow = -1;                         // index into the rows looked at
    QStringList missing;                       // forced: the profile's titles the list lacks
};

// The profile whose titles stand in one of the first rows of `rows` (of a list read as `format`):
// of several, the one with the most titles, then the one that writes `format`. Forced: that
// profile, or `missing` says which of its titles the list lacks.
RegisterMatch matchRegister(const std::vector<ListRow>& rows, ListFormat format, const RegisterChoice& choice);

// How a list in a register's shape is read.
struct RegisterReading {
    AutoMapping automatic;  // the tag's columns and, where the profile says it, the price basis
    int codeColumn = -1;    // the register's own product code
    int categoryColumn = -1;
    std::vector<TaxCode> codes;
    std::vector<RateFlag> rateFlags;
};

// The columns of a list whose header is `columnTitles` read by `profile`: the columns the profile
// names by their titles, in whatever order the list has them, the rest as mapList finds them (a
// column the profile gives a field is never taken for another).
RegisterReading registerReading(const RegisterProfile& profile, const QStringList& columnTitles,
                                const std::vector<ListRow>& rows, const sheet::SheetFormat& format);

// The register's own notation made plain in `rows`: the mark before a barcode taken off, a
// variation's name that means no size emptied.
void tidyRegisterCells(const RegisterProfile& profile, const RegisterReading& reading, std::vector<ListRow>& rows);

// A tax column whose cells are codes that neither the list's codes nor the words of tax read.
struct UndecidedTaxCodes {
    ListField field = ListField::taxClass;  // taxClass or taxBasis
    int column = -1;
    QStringList values;      // every distinct value, shorter codes first (1, 2, 10)
    QStringList unreadable;  // those no code or word gives a meaning, in the same order
};

// The first column of the tax columns of `mapping` (the rate, then the basis) whose values are all
// short codes of letters and digits ("0", "1", "A") of which some mean nothing to the reader with
// `codes`; such a column is never guessed at. A column of words with an odd value is not one: its
// odd rows are refused one by one, as before.
std::optional<UndecidedTaxCodes> undecidedTaxCodes(const std::vector<ListRow>& rows, const ColumnMapping& mapping,
                                                   const std::vector<TaxCode>& codes);

}  // namespace productlist
