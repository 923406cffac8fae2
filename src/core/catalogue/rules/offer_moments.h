#pragma once

// When an offer's sale price holds, and the moments at which its tags change: the sale tag goes up
// at the first moment of the period and the regular tag goes back at its end.

#include "core/catalogue/rules/offer.h"

namespace catalogue::rules {

// Whether `period` holds at `moment`: a day of it and, for a time sale, within its hours (the end
// minute no longer holds).
bool holdsAt(const pricing::OfferPeriod& period, const Moment& moment);

// The first moment the sale price holds: the first day at the start of its hours (its midnight
// for a whole-day offer).
Moment startMoment(const pricing::OfferPeriod& period);

// When the regular tag goes back: the midnight after the last day, or for a time sale the end of
// its hours on the last day.
Moment revertMoment(const pricing::OfferPeriod& period);

// Whether two periods share a moment: a day both hold on, at hours both hold at. A product's
// offers may not (its import is refused).
bool periodsOverlap(const pricing::OfferPeriod& a, const pricing::OfferPeriod& b);

// Of `items` (one product's), the one holding at `moment`; null when none does. Offers of one
// product never overlap (an import that would make them is refused), so at most one holds.
const OfferItem* holdingAt(const std::vector<OfferItem>& items, const Moment& moment);

}  // namespace catalogue::rules
