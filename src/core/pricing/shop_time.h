#pragma once

// The shop's dates and times as its tags, windows and reports show them, the Japanese way, always in
// the local time of the machine (the shop's clock), never in UTC. The weekday names come from a
// table of their own, not from the locale, so that they are the same under any language setting.
//
// A tag shows month and day without leading zeros ("1/3", "9:00"); an instant in a listing (when a
// print was made) is shown with two digits each ("01/03(日) 09:05") so that the column lines up.

#include "core/pricing/offer_period.h"

#include <QDate>
#include <QDateTime>
#include <QString>

namespace pricing {

// "水" for a Wednesday; an empty text for an invalid date.
QString weekdayName(QDate date);

// "12/16(水)".
QString shownDate(QDate date);
// "2026/12/16(水)": a date whose year matters, as in a message about a list's cell.
QString shownDateWithYear(QDate date);
// "12/16(水) 17:00", in local time.
QString shownDateTime(const QDateTime& moment);
// "12/16〜12/20", "12/28〜1/3" across a year end, "12/16" for a single day.
QString shownPeriod(const DayPeriod& period);
// "17:00〜19:00", "9:30〜11:00".
QString shownHours(const DailyHours& hours);
// "17:00", "9:05", "24:00" (minutes after midnight).
QString shownTimeOfDay(int minutes);

// An instant stored as ISO 8601 UTC text ("2026-12-09T19:22:43Z", as the catalogue keeps created_at)
// in local time: "12/10(木) 04:22" in Japan. An empty text when `isoUtc` is not such a text.
QString shownInstant(const QString& isoUtc);

// A moment given on the command line as DATE[THH:MM] ("2026-12-16", "2026-12-16T17:00"), in local
// time. A date alone means the start of that day (its first moment, 0:00 where the day has one).
struct MomentReading {
    QDateTime moment;  // valid when read
    QString refusal;   // why not, in Japanese
};
MomentReading readMoment(const QString& text);

}  // namespace pricing
