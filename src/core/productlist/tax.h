#pragma once

// Prices in whole yen and the consumption tax on them, in integer arithmetic only: a rate is a
// whole percentage and the fraction of a yen is rounded the way the shop chooses.

#include <QString>
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
};
// Reads a tax class: "10", "10%", "１０％", "0.1", "8%", "軽減", "軽減税率", "標準", "標準税率",
// "非課税", "免税", "不課税", "対象外" (0 %), "内税", "外税" (the list-wide rate). Nothing when
// the text is none of them; an empty text is nothing too.
std::optional<TaxClass> parseTaxClass(const QString& text);

// The reading of a price cell.
struct PriceReading {
    enum class Outcome { empty, ok, notANumber, fraction, negative };
    Outcome outcome = Outcome::empty;
    qint64 yen = 0;           // when ok (capped at a value far above any tag's limit)
    bool reformatted = false;  // the text was not plain half-width digits: "1,080", "¥1,080", "１０８０"
};
// Reads "1080", "1,080", "¥1,080", "￥1080", "\1080", "1080円", "１０８０", "1080.00" as 1080.
// Grouping commas must stand every three digits.
PriceReading readPrice(const QString& text);

}  // namespace productlist
