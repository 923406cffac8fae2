// When an offer holds and when its tags change, as rows a shop meets: a week's sale, its last
// evening, a time sale's hours, two offers of one product side by side.

#include "core/catalogue/rules/offer_moments.h"

#include <gtest/gtest.h>

using catalogue::Moment;
using pricing::OfferPeriod;

namespace {

QDate day(int d)
{
    return {2026, 12, d};
}

Moment at(int d, int hour, int minute = 0)
{
    return {day(d), hour * 60 + minute};
}

const OfferPeriod kWeek {{day(16), day(20)}, std::nullopt};
const OfferPeriod kEvening {{day(16), day(16)}, pricing::DailyHours {17 * 60, 19 * 60}};
const OfferPeriod kEvenings {{day(16), day(18)}, pricing::DailyHours {17 * 60, 19 * 60}};

TEST(OfferMoments, HoldsOnItsDaysAndWithinItsHours)
{
    struct Row {
        const char* what;
        OfferPeriod period;
        Moment moment;
        bool holds;
    };
    const Row rows[] = {
        {"the evening before a week's sale", kWeek, at(15, 23, 59), false},
        {"its first midnight", kWeek, at(16, 0), true},
        {"its last evening", kWeek, at(20, 23, 59), true},
        {"the day after", kWeek, at(21, 0), false},
        {"a minute before a time sale", kEvening, at(16, 16, 59), false},
        {"its first minute", kEvening, at(16, 17), true},
        {"its end", kEvening, at(16, 19), false},
        {"the same hour the next day", kEvening, at(17, 18), false},
        {"the second evening of three", kEvenings, at(17, 18), true},
        {"the morning between two evenings", kEvenings, at(17, 10), false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(catalogue::rules::holdsAt(row.period, row.moment), row.holds) << row.what;
    }
}

TEST(OfferMoments, TagsGoUpAtTheStartAndBackAtTheEnd)
{
    struct Row {
        const char* what;
        OfferPeriod period;
        Moment start;
        Moment back;
    };
    const Row rows[] = {
        {"a week's sale goes back the midnight after its last day", kWeek, at(16, 0), at(21, 0)},
        {"a time sale goes back at the end of its hours", kEvening, at(16, 17), at(16, 19)},
        {"a time sale of three evenings, after the last", kEvenings, at(16, 17), at(18, 19)},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(catalogue::rules::startMoment(row.period), row.start) << row.what;
        EXPECT_EQ(catalogue::rules::revertMoment(row.period), row.back) << row.what;
    }
}

TEST(OfferMoments, OverlapAndTheOneHoldingForAProduct)
{
    const OfferPeriod nextWeek {{day(21), day(27)}, std::nullopt};
    const OfferPeriod morning {{day(16), day(16)}, pricing::DailyHours {9 * 60, 17 * 60}};
    EXPECT_FALSE(catalogue::rules::periodsOverlap(kWeek, nextWeek));
    EXPECT_TRUE(catalogue::rules::periodsOverlap(kWeek, kEvening));
    EXPECT_FALSE(catalogue::rules::periodsOverlap(morning, kEvening));  // 17:00 ends one and starts the other

    catalogue::OfferItem week;
    week.offerId = 1;
    week.period = kWeek;
    catalogue::OfferItem following = week;
    following.offerId = 2;
    following.period = nextWeek;
    const std::vector<catalogue::OfferItem> items {week, following};
    EXPECT_EQ(catalogue::rules::holdingAt(items, at(15, 12)), nullptr);
    EXPECT_EQ(catalogue::rules::holdingAt(items, at(20, 12))->offerId, 1);
    EXPECT_EQ(catalogue::rules::holdingAt(items, at(21, 0))->offerId, 2);
}

}  // namespace
