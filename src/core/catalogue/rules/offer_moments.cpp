#include "core/catalogue/rules/offer_moments.h"

namespace catalogue::rules {

namespace {

constexpr int kMinutesPerDay = 24 * 60;

pricing::DailyHours hoursOf(const pricing::OfferPeriod& period)
{
    return period.hours.value_or(pricing::DailyHours {0, kMinutesPerDay});
}

}  // namespace

bool holdsAt(const pricing::OfferPeriod& period, const Moment& moment)
{
    if (!period.days.contains(moment.day)) {
        return false;
    }
    const pricing::DailyHours hours = hoursOf(period);
    return moment.minutes >= hours.startMinutes && moment.minutes < hours.endMinutes;
}

Moment startMoment(const pricing::OfferPeriod& period)
{
    return {period.days.first, hoursOf(period).startMinutes};
}

Moment revertMoment(const pricing::OfferPeriod& period)
{
    if (!period.hours) {
        return {period.days.last.addDays(1), 0};
    }
    return {period.days.last, period.hours->endMinutes};
}

bool periodsOverlap(const pricing::OfferPeriod& a, const pricing::OfferPeriod& b)
{
    if (a.days.last < b.days.first || b.days.last < a.days.first) {
        return false;
    }
    const pricing::DailyHours x = hoursOf(a);
    const pricing::DailyHours y = hoursOf(b);
    return x.startMinutes < y.endMinutes && y.startMinutes < x.endMinutes;
}

const OfferItem* holdingAt(const std::vector<OfferItem>& items, const Moment& moment)
{
    for (const OfferItem& item : items) {
        if (holdsAt(item.period, moment)) {
            return &item;
        }
    }
    return nullptr;
}

}  // namespace catalogue::rules
