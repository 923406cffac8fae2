#pragma once

// Whether a sale tag may show the product's former price (当店通常価格 N円, struck through), by
// the Consumer Affairs Agency's guideline 「不当な価格表示についての景品表示法上の考え方」
// (第4 2 (1) ア (ウ)): the price must be one "sold over a considerable recent period". A former
// price that is not is a 有利誤認 display. The rule and each reading of its edges are written
// beside the code in former_price.cpp and in the README's section on it.
//
// The catalogue knows when a regular price was in force, not whether anything sold at it: the
// rule is applied to the days a price was in force.

#include "core/pricing/offer_period.h"

#include <QDate>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

namespace pricing {

// A regular price and the day from which it holds (until the day of the next one).
struct RegularPrice {
    QDate from;
    qint64 yen = 0;  // tax-inclusive integer yen, as the tag shows it
};

// What the rule is given about a product.
struct PriceHistory {
    // Its regular prices, in any order; on a day the regular price is the one with the latest
    // `from` that has come (of two with the same day, the one later in this list).
    std::vector<RegularPrice> regularPrices;
    // Its other offers (not the sale being decided on). A time sale (one with hours) leaves the
    // rest of its days at the regular price, so its days count as regular days: see
    // former_price.cpp.
    std::vector<OfferPeriod> offers;
    // The day it was first in the catalogue; invalid when unknown, then the day of its first
    // regular price stands for it.
    QDate firstInCatalogue;
};

// Why a former price may or may not be shown, checked in this order.
enum class FormerPriceReason {
    allowed,          // the three conditions hold
    noRegularPrice,   // no regular price holds on the sale's first day
    noEarlierDays,    // the product was not in the catalogue before the sale's first day
    notMajority,      // the price held for no more than half of the days looked at
    tooShortInTotal,  // the price held for less than 2 weeks in all
    endedTooLongAgo,  // 2 weeks or more since the price last held
};

struct FormerPriceCheck {
    FormerPriceReason reason = FormerPriceReason::noRegularPrice;
    bool allowed() const { return reason == FormerPriceReason::allowed; }
    // The former price asked about: the regular price in force on the sale's first day (what the
    // tag goes back to afterwards); 0 when there is none.
    qint64 yen = 0;
    // The days looked at: the 8 weeks before the sale's first day, or the days since the product
    // was first in the catalogue when those are fewer.
    int windowDays = 0;
    // Of them, the days on which `yen` was the regular price and no whole-day offer ran.
    int daysAtPrice = 0;
    // Days from the last such day to the sale's first day (1: the day before); none when there
    // was no such day.
    std::optional<int> daysSinceLastDay;
    // The reason in Japanese: 「通常価格の期間が 8 週のうち 5 週」.
    QString text;
};

inline constexpr int kLookBackDays = 56;       // 8 weeks
inline constexpr int kShortestTotalDays = 14;  // 2 weeks
inline constexpr int kLongestGapDays = 14;     // 2 weeks

FormerPriceCheck checkFormerPrice(const PriceHistory& history, QDate saleFirstDay);

// A number of days in weeks and days as the texts give it: "5 週", "1 週 6 日", "6 日".
QString weeksAndDays(int days);

}  // namespace pricing
