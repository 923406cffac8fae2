#include "core/pricing/former_price.h"

#include <algorithm>

// The rule, from 「不当な価格表示についての景品表示法上の考え方」 (消費者庁, 価格表示ガイドライン),
// 第4 2 (1) ア (ウ), in the Agency's own summary (its Q&A on 「当店通常価格」): a former price is
// one "sold over a considerable recent period" when
//   1. in the 8 weeks going back from the sale's start (or the time the product has been sold, when
//      that is shorter), it was sold at that price for more than half of the time (過半を占め),
//   2. it was sold at that price for 2 weeks or more in all (通算で2週間以上; the guideline refuses
//      通算して2週間未満), and
//   3. 2 weeks have not passed since the last day it was sold at that price (the guideline refuses
//      when 最後の日から2週間以上経過している).
// The guideline's wording is read as these pages quote it: https://oshiete.goo.ne.jp/qa/11725925.html
// (the Agency's Q&A) and http://kyu-go-go.cocolog-nifty.com/blog/2019/05/post-b04756.html (the
// guideline's own words on the 8 weeks).
//
// How the edges are settled, each by that wording:
// - Days are whole calendar days. The 8 weeks are the 56 days before the sale's first day (the
//   first day itself is the sale's). A product first in the catalogue fewer than 56 days before is
//   looked at from that day.
// - 1. "More than half" (過半) is strictly more: 28 of 56 days (4 weeks of 8) is not enough, 29 is.
// - 2. "Less than 2 weeks" (2週間未満) is refused, so exactly 14 days is enough.
// - 3. "2 weeks or more have passed" (2週間以上経過) is refused. The time passed is counted from
//   the last day at the price to the sale's first day: a last day 14 days before the sale's first
//   day is 2 weeks passed and refused, 13 days before is allowed. This is how
//   https://www.yakujihou.com/oshiete/faq_0800031/ counts it (sold until 4/30: "5月14日からは
//   ... 2週間経過"), and that page (citing 大元慎二編著『景品表示法』第5版) also settles that the 2
//   weeks run to the sale's start, not through the sale.
// - Days under another offer stay in the days looked at (the product was sold, at another price)
//   but are not days at the price.
// - A time sale (an offer with hours, e.g. 17:00〜19:00) leaves the regular price in force for the
//   rest of each of its days, and the guideline treats a time service (a cut for some business
//   hours) as a double price display of its own, apart from this rule (as its outline at
//   https://houritsushoku.com/archives/labeling-regulations-double-price-indication-using-historical-prices-as-the-comparison-price.html
//   lists them); so its days count as days at the regular price. Counting them as offer days instead would refuse the former price of every product with
//   a daily evening markdown.
// - The same price in two spells (398 yen, then 450, then 398 again) counts in total (通算).
// - Days in the catalogue before the product's first regular price are days looked at without
//   the price; when the first day in the catalogue is unknown, the first regular price's day is it.
// - The catalogue knows when a price was in force, not whether anything sold at it; a day is
//   counted when the price was in force.

namespace pricing {

namespace {

// The regular prices sorted by their first day; of two on the same day, the later in the list last.
std::vector<RegularPrice> sortedPrices(const std::vector<RegularPrice>& prices)
{
    std::vector<RegularPrice> sorted;
    for (const RegularPrice& price : prices) {
        if (price.from.isValid()) {
            sorted.push_back(price);
        }
    }
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const RegularPrice& a, const RegularPrice& b) { return a.from < b.from; });
    return sorted;
}

// The regular price on `day`, from prices sorted by sortedPrices.
std::optional<qint64> regularPriceOn(const std::vector<RegularPrice>& sorted, QDate day)
{
    const auto after = std::upper_bound(sorted.begin(), sorted.end(), day,
                                        [](QDate d, const RegularPrice& price) { return d < price.from; });
    if (after == sorted.begin()) {
        return std::nullopt;
    }
    return std::prev(after)->yen;
}

bool underWholeDayOffer(const std::vector<OfferPeriod>& offers, QDate day)
{
    return std::any_of(offers.begin(), offers.end(),
                       [day](const OfferPeriod& offer) { return !offer.hours && offer.days.contains(day); });
}

QString ofWindow(const FormerPriceCheck& check)
{
    return weeksAndDays(check.windowDays) + QStringLiteral("のうち ") + weeksAndDays(check.daysAtPrice);
}

QString textOf(const FormerPriceCheck& check)
{
    switch (check.reason) {
    case FormerPriceReason::allowed:
        return QStringLiteral("通常価格の期間が %1").arg(ofWindow(check));
    case FormerPriceReason::noRegularPrice:
        return QStringLiteral("セール初日の通常価格がありません");
    case FormerPriceReason::noEarlierDays:
        return QStringLiteral("セール初日より前に取り扱った日がありません");
    case FormerPriceReason::notMajority:
        return QStringLiteral("通常価格の期間が %1で、半分を超えません").arg(ofWindow(check));
    case FormerPriceReason::tooShortInTotal:
        return QStringLiteral("通常価格の期間が通算 %1で、2 週に足りません").arg(weeksAndDays(check.daysAtPrice));
    case FormerPriceReason::endedTooLongAgo:
        return QStringLiteral("通常価格だった最後の日から %1たっています")
            .arg(weeksAndDays(check.daysSinceLastDay.value_or(0)));
    }
    return {};
}

}  // namespace

QString weeksAndDays(int days)
{
    const int weeks = days / 7;
    const int rest = days % 7;
    if (weeks == 0) {
        return QStringLiteral("%1 日").arg(rest);
    }
    if (rest == 0) {
        return QStringLiteral("%1 週").arg(weeks);
    }
    return QStringLiteral("%1 週 %2 日").arg(weeks).arg(rest);
}

FormerPriceCheck checkFormerPrice(const PriceHistory& history, QDate saleFirstDay)
{
    FormerPriceCheck check;
    const std::vector<RegularPrice> prices = sortedPrices(history.regularPrices);
    const auto candidate = regularPriceOn(prices, saleFirstDay);
    if (!candidate) {
        check.reason = FormerPriceReason::noRegularPrice;
        check.text = textOf(check);
        return check;
    }
    check.yen = *candidate;

    const QDate firstInCatalogue = history.firstInCatalogue.isValid() ? history.firstInCatalogue : prices.front().from;
    const QDate windowStart = std::max(saleFirstDay.addDays(-kLookBackDays), firstInCatalogue);
    check.windowDays = int(std::max<qint64>(0, windowStart.daysTo(saleFirstDay)));
    if (check.windowDays == 0) {
        check.reason = FormerPriceReason::noEarlierDays;
        check.text = textOf(check);
        return check;
    }

    for (QDate day = windowStart; day < saleFirstDay; day = day.addDays(1)) {
        if (regularPriceOn(prices, day) == check.yen && !underWholeDayOffer(history.offers, day)) {
            ++check.daysAtPrice;
            check.daysSinceLastDay = int(day.daysTo(saleFirstDay));
        }
    }

    if (2 * check.daysAtPrice <= check.windowDays) {
        check.reason = FormerPriceReason::notMajority;
    } else if (check.daysAtPrice < kShortestTotalDays) {
        check.reason = FormerPriceReason::tooShortInTotal;
    } else if (*check.daysSinceLastDay >= kLongestGapDays) {
        check.reason = FormerPriceReason::endedTooLongAgo;
    } else {
        check.reason = FormerPriceReason::allowed;
    }
    check.text = textOf(check);
    return check;
}

}  // namespace pricing
