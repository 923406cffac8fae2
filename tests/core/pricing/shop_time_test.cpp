#include "core/pricing/shop_time.h"

#include "support/date_print.h"
#include "support/qt_print.h"
#include "support/time_zone.h"

#include <gtest/gtest.h>

using namespace pricing;

namespace {

// The zones the tests are run in: the shop's own, one behind UTC with summer time, and UTC, in which
// alone a UTC text may come out unchanged.
constexpr const char* kTokyo = "Asia/Tokyo";
constexpr const char* kNewYork = "America/New_York";
constexpr const char* kUtc = "UTC";

QDateTime utc(const char* isoText)
{
    return QDateTime::fromString(QString::fromLatin1(isoText), Qt::ISODate).toUTC();
}

TEST(ShopTime, WeekdayNamesFromTheirOwnTable)
{
    // 2026-12-13 is a Sunday.
    const char* const names[] = {"日", "月", "火", "水", "木", "金", "土"};
    for (int i = 0; i < 7; ++i) {
        const QDate date = QDate(2026, 12, 13).addDays(i);
        EXPECT_EQ(weekdayName(date), QString::fromUtf8(names[i])) << date.toString(Qt::ISODate).toStdString();
    }
    EXPECT_EQ(weekdayName(QDate()), QString());
}

TEST(ShopTime, DatesPeriodsAndHoursAsATagShowsThem)
{
    struct Row {
        const char* name;
        QString shown;
        const char* expected;
    };
    const std::vector<Row> rows {
        {"a date", shownDate(QDate(2026, 12, 16)), "12/16(水)"},
        {"a date in January", shownDate(QDate(2027, 1, 3)), "1/3(日)"},
        {"a date with its year", shownDateWithYear(QDate(2027, 1, 3)), "2027/1/3(日)"},
        {"a period", shownPeriod({QDate(2026, 12, 16), QDate(2026, 12, 20)}), "12/16〜12/20"},
        {"a period across the year end", shownPeriod({QDate(2026, 12, 28), QDate(2027, 1, 3)}), "12/28〜1/3"},
        {"a one-day period", shownPeriod({QDate(2026, 12, 16), QDate(2026, 12, 16)}), "12/16"},
        {"hours", shownHours({17 * 60, 19 * 60}), "17:00〜19:00"},
        {"morning hours", shownHours({9 * 60 + 30, 11 * 60 + 5}), "9:30〜11:05"},
        {"to the day's end", shownHours({22 * 60, 24 * 60}), "22:00〜24:00"},
        {"an invalid date", shownDate(QDate()), ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.shown, QString::fromUtf8(row.expected)) << row.name;
    }
}

// The same instants in three zones: only under UTC may the UTC clock time show.
TEST(ShopTime, InstantsAreShownInLocalTime)
{
    struct Row {
        const char* zone;
        const char* isoUtc;
        const char* instant;   // shownInstant of the text
        const char* dateTime;  // shownDateTime of the same instant
    };
    const std::vector<Row> rows {
        {kTokyo, "2026-12-09T19:22:43Z", "12/10(木) 04:22", "12/10(木) 4:22"},
        {kNewYork, "2026-12-09T19:22:43Z", "12/09(水) 14:22", "12/9(水) 14:22"},
        {kUtc, "2026-12-09T19:22:43Z", "12/09(水) 19:22", "12/9(水) 19:22"},
        {kTokyo, "2026-07-01T12:00:00Z", "07/01(水) 21:00", "7/1(水) 21:00"},
        {kNewYork, "2026-07-01T12:00:00Z", "07/01(水) 08:00", "7/1(水) 8:00"},    // summer time
        {kTokyo, "2026-12-31T15:00:00.250Z", "01/01(金) 00:00", "1/1(金) 0:00"},  // the new year
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.zone << " " << row.isoUtc);
        const test_support::ScopedTimeZone zone(row.zone);
        EXPECT_EQ(shownInstant(QString::fromLatin1(row.isoUtc)), QString::fromUtf8(row.instant));
        EXPECT_EQ(shownDateTime(utc(row.isoUtc)), QString::fromUtf8(row.dateTime));
    }
}

TEST(ShopTime, OnlyAUtcTextIsShownAsAnInstant)
{
    const test_support::ScopedTimeZone zone(kTokyo);
    const char* const texts[]
        = {"2026-12-09T19:22:43", "2026-12-09T19:22:43+09:00", "2026-12-09", "2026-13-09T19:22:43Z", "", "昨日"};
    for (const char* text : texts) {
        EXPECT_EQ(shownInstant(QString::fromUtf8(text)), QString()) << text;
    }
}

TEST(ShopTime, ACommandLineMomentIsLocalTime)
{
    struct Row {
        const char* zone;
        const char* text;
        const char* instant;  // the moment in UTC; empty: refused
        const char* refusal;
    };
    const std::vector<Row> rows {
        // A date alone is the start of that day.
        {kTokyo, "2026-12-16", "2026-12-15T15:00:00Z", ""},
        {kNewYork, "2026-12-16", "2026-12-16T05:00:00Z", ""},
        {kTokyo, "2026-12-16T17:00", "2026-12-16T08:00:00Z", ""},
        {kNewYork, "2026-12-16T17:00", "2026-12-16T22:00:00Z", ""},
        {kNewYork, "2026-07-01T08:00", "2026-07-01T12:00:00Z", ""},
        // Havana's clock goes from 23:59 to 1:00 on 2026-03-08: that day starts at 1:00.
        {"America/Havana", "2026-03-08", "2026-03-08T05:00:00Z", ""},
        {"America/Havana", "2026-03-08T00:30", "",
         "2026/3/8(日) 0:30 はこの地域の時計にない時刻です (夏時間の切り替え)"},
        {kNewYork, "2026-03-08T02:30", "", "2026/3/8(日) 2:30 はこの地域の時計にない時刻です (夏時間の切り替え)"},
        {kTokyo, "2026-02-30", "", "2026-02-30 という日はありません"},
        {kTokyo, "2026-12-16T24:00", "", "24:00 という時刻はありません"},
        {kTokyo, "2026-12-16 17:00", "",
         "日時は 2026-12-16 または 2026-12-16T17:00 の形で書いてください: 2026-12-16 17:00"},
        {kTokyo, "12/16", "", "日時は 2026-12-16 または 2026-12-16T17:00 の形で書いてください: 12/16"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.zone << " " << row.text);
        const test_support::ScopedTimeZone zone(row.zone);
        const MomentReading reading = readMoment(QString::fromUtf8(row.text));
        EXPECT_EQ(reading.refusal, QString::fromUtf8(row.refusal));
        if (*row.instant != '\0') {
            EXPECT_EQ(reading.moment.toUTC(), utc(row.instant));
            EXPECT_EQ(reading.moment.timeSpec(), Qt::LocalTime);
        } else {
            EXPECT_FALSE(reading.moment.isValid());
        }
    }
}

}  // namespace
