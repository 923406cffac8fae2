#pragma once

// The tax-exclusive price a tag may show in small print beside its tax-inclusive price,
// "1,078円（税抜 980円）", and the reduced-rate mark.
//
// 消費税法 §63 (総額表示) requires the tax-inclusive price; the Ministry of Finance's guidance on it
// (財務省「消費税の総額表示義務」, https://www.mof.go.jp/tax_policy/summary/consumption/d03.htm)
// lists "11,000円（税抜価格10,000円）" among the forms that meet it, allows any rounding of the
// fraction of a yen when the tax-inclusive price is set (四捨五入, 切り捨て, 切り上げ), and does not
// allow the tax-exclusive price to be emphasised over the tax-inclusive one: whoever draws this
// text draws it smaller than the price.

#include "core/productlist/tax.h"

#include <QString>
#include <QtGlobal>

#include <optional>

namespace pricing {

struct TaxExclusive {
    enum class Source {
        list,      // the list's own tax-exclusive price
        tagPrice,  // worked back from the tag's price
    };
    qint64 yen = 0;
    Source source = Source::tagPrice;
    // The list gave a tax-exclusive price that no rounding turns into the tag's price (the tag's
    // price was changed by hand, or the list is wrong): the price was worked back from the tag.
    bool listDisagrees = false;
    friend bool operator==(const TaxExclusive&, const TaxExclusive&) = default;
};

// The tax-exclusive price of a tag priced `tagYen` with the tax at `ratePercent` (10, 8).
//
// The list's own price, when the caller has one, is taken whenever one of the three roundings
// turns it into the tag's price. Otherwise the price is worked back from the tag: the whole-yen
// price that `rounding` (the one the tag's price was made with; the import's default is 切り捨て)
// turns into the tag's price, e.g. 105 at 8 % -> 98 (98 * 1.08 = 105.84, rounded down), 1,078 at
// 10 % -> 980. A tag price that no whole-yen price gives under that rounding was set with the
// tax in it; its tax-exclusive share is the price less its tax rounded down, 100,000 at 10 % ->
// 90,910 (tax 9,090.9..., rounded down to 9,090). Under 切り捨て both are ceil(tag * 100 / (100 +
// rate)).
//
// None for a rate of 0 (非課税: there is no tax to take out), a rate outside 0..100, or a negative
// price.
std::optional<TaxExclusive> taxExclusive(qint64 tagYen, int ratePercent, std::optional<qint64> listExclusiveYen = {},
                                         productlist::Rounding rounding = productlist::Rounding::floor);

// "（税抜 980円）", "（税抜 1,280円）".
QString taxExclusiveText(qint64 yen);

// Whether goods at this rate carry the reduced-rate mark: the 8 % rate of food and newspapers.
bool takesReducedRateMark(int ratePercent);

// The marks shops print beside the price of reduced-rate goods: ※ (as on receipts, explained by a
// notice such as "※は軽減税率対象商品") or 軽.
enum class ReducedRateMark { asterisk, kei };
QString reducedRateMarkText(ReducedRateMark mark);

}  // namespace pricing
