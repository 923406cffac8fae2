#pragma once

// An offer's days and hours, read from the cells of a list as shops write them in a spreadsheet or
// as registers export them. Every refusal comes with a short Japanese reason for the import report.

#include <QDate>
#include <QString>

#include <optional>

namespace pricing {

// A run of calendar days, the first and the last day both included.
struct DayPeriod {
    QDate first;
    QDate last;
    bool contains(QDate day) const { return day >= first && day <= last; }
    friend bool operator==(const DayPeriod&, const DayPeriod&) = default;
};

// The hours of a time sale, the same on every day of its period, in the shop's local time. The end
// is after the start within the same day (no sale runs past midnight); 24:00 ends at the day's end.
struct DailyHours {
    int startMinutes = 0;  // minutes after midnight
    int endMinutes = 0;    // minutes after midnight, at most 24 * 60
    friend bool operator==(const DailyHours&, const DailyHours&) = default;
};

// An offer: its days, and its hours when it is a time sale.
struct OfferPeriod {
    DayPeriod days;
    std::optional<DailyHours> hours;
};

// A cell read: the value, or (when the value is not set) why the cell cannot be used.
template<typename Value> struct CellReading {
    std::optional<Value> value;
    QString refusal;
};

// Reads a date cell: 2026/12/16, 2026-12-16, 2026.12.16, 2026年12月16日, 20261216, 12/16, 12月16日,
// optionally followed by the weekday ("(水)", "（水曜日）", which must be the date's own), in
// full-width characters too; an Excel serial date number (46372, or 46372.5 with a time of day, which
// is dropped), as the xlsx reader gives a date cell; and an ISO date-time (2026-12-16T00:00:00), as
// it gives a cell stored as a date. A date without a year takes the year (of the reference date's
// year and the ones on either side) that puts it nearest to `referenceDate`, the later one on a tie,
// so that a December list for January reads as January of the next year.
CellReading<QDate> readDateCell(const QString& cell, QDate referenceDate);

// Reads a period cell: two dates as readDateCell reads them (serial numbers aside) between 〜, ～, ~,
// - or から: 12/16〜12/20, 2026/12/16-2026/12/20, 12/16(水)〜12/20(日); the end may leave out the
// month (12月16日～20日). The first date's year is found from `referenceDate`, the end's from the
// first date, each the nearest (12/28〜1/3 runs into the next year). A single date is a one-day
// period. An end before the start is refused.
CellReading<DayPeriod> readPeriodCell(const QString& cell, QDate referenceDate);

// Reads an hours cell: 17:00-19:00, 17:00〜19:00, １７：００～１９：００, 17時～19時30分. An end
// not after the start is refused: a sale that runs past midnight is two offers.
CellReading<DailyHours> readHoursCell(const QString& cell);

}  // namespace pricing
