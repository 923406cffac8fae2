// The days ahead on which tags change by themselves, as rows of a shop's fortnight: a week's sale
// that starts tomorrow and goes back after Sunday, a time sale, a sale beyond the fortnight, a list
// dated next week that changes one tag and leaves another as it was.

#include "core/catalogue/rules/coming_dates.h"

#include <gtest/gtest.h>

using catalogue::Moment;
using catalogue::rules::EventKind;

namespace {

QDate day(int d)
{
    return QDate(2026, 12, 1).addDays(d - 1);
}

catalogue::rules::OfferedProduct offered(qint64 offerId, qint64 productId, int first, int last, int tags,
                                         std::optional<pricing::DailyHours> hours = std::nullopt)
{
    catalogue::OfferItem item;
    item.offerId = offerId;
    item.offerName = QStringLiteral("特売 %1").arg(offerId);
    item.productId = productId;
    item.period = {{day(first), day(last)}, hours};
    return {item, tags};
}

TEST(ComingDates, TheFortnightsEventsWithTheirTags)
{
    const Moment today {day(15), 10 * 60};
    const std::vector<catalogue::rules::OfferedProduct> offers {
        offered(1, 10, 16, 20, 2),  // starts tomorrow, goes back on the 21st
        offered(1, 11, 16, 20, 1), offered(2, 12, 18, 18, 1, pricing::DailyHours {17 * 60, 19 * 60}),  // a time sale
        offered(3, 13, 14, 15, 3),  // ends today: back tomorrow
        offered(4, 14, 40, 45, 1),  // beyond the fortnight
        offered(5, 15, 20, 19, 1),  // ended before it began
    };
    const std::vector<catalogue::rules::ProductState> states {
        {20, day(1), QStringLiteral("milk 198"), true, 1, QStringLiteral("week1.csv")},
        {20, day(22), QStringLiteral("milk 218"), true, 1, QStringLiteral("week4.csv")},  // a new price
        {21, day(1), QStringLiteral("tea 98"), true, 2, QStringLiteral("week1.csv")},
        {21, day(22), QStringLiteral("tea 98"), true, 2, QStringLiteral("week4.csv")},     // the same tag
        {22, day(22), QStringLiteral("rice 1980"), true, 4, QStringLiteral("week4.csv")},  // new with it
    };
    struct Expected {
        EventKind kind;
        Moment at;
        int tags;
    };
    const std::vector<Expected> expected {
        {EventKind::offerStarts, {day(16), 0}, 3},       {EventKind::offerEnds, {day(21), 0}, 3},
        {EventKind::offerStarts, {day(18), 17 * 60}, 1}, {EventKind::offerEnds, {day(18), 19 * 60}, 1},
        {EventKind::offerEnds, {day(16), 0}, 3},         {EventKind::priceList, {day(22), 0}, 5},
    };
    const auto events = catalogue::rules::comingEvents(offers, states, today, 14);
    ASSERT_EQ(events.size(), expected.size());
    for (size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(events[i].event.kind, expected[i].kind);
        EXPECT_EQ(events[i].event.at, expected[i].at);
        EXPECT_EQ(events[i].event.tags, expected[i].tags);
    }
    EXPECT_EQ(events.back().event.name, QStringLiteral("week4.csv"));

    std::vector<catalogue::ComingEvent> sorted;
    for (const auto& event : events) {
        sorted.push_back(event.event);
    }
    catalogue::rules::sortEvents(sorted);
    EXPECT_EQ(sorted.front().at, (Moment {day(16), 0}));
    EXPECT_EQ(sorted.front().kind, EventKind::offerStarts);
}

TEST(ComingDates, ReadyAndUrgent)
{
    struct Row {
        const char* what;
        int inDays;
        QSet<qint64> needing;
        int ready;
        bool urgent;
    };
    const Row rows[] = {
        {"tomorrow, all printed", 1, {}, 3, false},
        {"tomorrow, one product's two tags missing", 1, {10}, 1, true},
        {"the day after tomorrow, one missing", 2, {11}, 2, true},
        {"in three days, none printed", 3, {10, 11}, 0, false},
    };
    for (const Row& row : rows) {
        catalogue::rules::EventProducts event {{EventKind::offerStarts, {day(15 + row.inDays), 0}, 1, {}, 3, 0, false},
                                               {{10, 2}, {11, 1}}};
        catalogue::rules::countReady(event, row.needing, day(15));
        EXPECT_EQ(event.event.ready, row.ready) << row.what;
        EXPECT_EQ(event.event.urgent, row.urgent) << row.what;
    }
}

}  // namespace
