#pragma once

// Prices in whole yen and the consumption tax on them, in integer arithmetic only: a rate is a
// whole percentage and the fraction of a yen is rounded the way the shop chooses.

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>
#include <vector>

namespace productlist {

enum class Rounding { floor, halfUp, ceil };

// "切り捨て", "四捨五入", "切り上げ".
QString roundingTitle(Rounding rounding);
// floor, half-up, ceil (the command line's words).
QString roundingKey(Rounding rounding);
std::optional<Rounding> roundingOfKey(const QString& key);
const std::vector<Rounding>& allRoundings();

inline constexpr int kStandardRate = 10;  // percent
inline constexpr int kReducedRate = 8;    // percent

// The tax-inclusive amount of `yen` at `ratePercent`: yen * (100 + rate) / 100 with the fraction
// rounded as chosen. 98 yen at 8 % is 105.84: 105 (floor), 106 (half up), 106 (ceil).
qint64 taxIncluded(qint64 yen, int ratePercent, Rounding rounding);

// What a cell of the tax-class column says.
struct TaxClass {
    std::optional<int> ratePercent;  // nothing: the list-wide rate
    // Set when the class also says whether the price includes the tax ("内税", "外税").
    std::optional<bool> priceIncludesTax;
    friend bool operator==(const TaxClass&, const TaxClass&) = default;
};
// Reads a tax class: "10", "10%", "１０％", "0.1", "8%", "軽減", "軽減税率", "標準", "標準税率",
// "非課税", "免税", "不課税", "対象外" (0 %), "内税", "外税" (the list-wide rate). Nothing when
// the text is none of them; an empty text is nothing too.
std::optional<TaxClass> parseTaxClass(const QString& text);

// Reads a cell of either tax column: whatever parseTaxClass reads, and also 税込 (税込み) and 税抜
// (税抜き), alone or before a rate ("外税8%", "税抜 10%", "内税 軽減").
std::optional<TaxClass> parseTaxCell(const QString& text);

// A list's own tax code ("1", "A") and the meaning the user gives it.
struct TaxCode {
    QString code;
    TaxClass meaning;
    friend bool operator==(const TaxCode&, const TaxCode&) = default;
};
// The meanings a code can be given, by the command line's word: incl10, incl8, excl10, excl8,
// exempt (no tax). A code may also mean the basis or the rate alone: incl, excl, standard, reduced
// (taxCodeMeaningOfKey reads them too).
const QStringList& taxCodeMeaningKeys();
std::optional<TaxClass> taxCodeMeaningOfKey(const QString& key);
// The key of a meaning, or an empty text when it is none of them.
QString taxCodeMeaningKey(const TaxClass& meaning);
// "税込 10%", "税抜 8%", "非課税".
QString taxCodeMeaningTitle(const QString& key);
// "1=excl8", as the command line gives it.
std::optional<TaxCode> parseTaxCodeArgument(const QString& text);
// "0=税込,1=税抜,2=非課税": codes and their meanings, each a key of taxCodeMeaningOfKey or the
// words of tax (税込, 税抜, 非課税, 税込10%, 税抜8%, 8%, 標準, 軽減, 外税, 内税 ...); nothing when
// one of them is neither.
std::optional<std::vector<TaxCode>> parseTaxCodesArgument(const QString& text);
// What `text` means by the list's own codes, else by parseTaxCell.
std::optional<TaxClass> readTaxCell(const QString& text, const std::vector<TaxCode>& codes);

// The reading of a price cell.
struct PriceReading {
    enum class Status { empty, ok, notANumber, fraction, negative };
    Status status = Status::empty;
    qint64 yen = 0;            // when ok (capped at a value far above any tag's limit)
    bool reformatted = false;  // the text was not plain half-width digits: "1,080", "¥1,080", "１０８０"
};
// Reads "1080", "1,080", "¥1,080", "￥1080", "\1080", "1080円", "１０８０", "1080.00" as 1080.
// Grouping commas must stand every three digits.
PriceReading readPrice(const QString& text);

}  // namespace productlist
