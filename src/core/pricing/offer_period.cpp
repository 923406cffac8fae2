#include "core/pricing/offer_period.h"

#include "core/pricing/shop_time.h"

#include <QRegularExpression>

#include <array>
#include <cstdlib>
#include <vector>

namespace pricing {

namespace {

// Excel's serial day numbers in its 1900 date system count from 1899-12-30 for every day from
// 1900-03-01 on (day 60 is the 1900-02-29 that never was). Only the days of 2000-01-01 (36526) to
// 9999-12-31 (2958465) are taken as dates: a smaller number in a date cell is far more likely a
// date typed without its slashes ("1216") than a day of the last century.
const QDate kSerialEpoch(1899, 12, 30);
constexpr qint64 kFirstSerial = 36526;
constexpr qint64 kLastSerial = 2958465;

// The dashes and waves that shops put between the two ends of a period or of hours, after NFKC
// (which makes the full-width ～ a ~ and the full-width － a -); から as in 「17時から19時」.
const QString kRangeSeparator = QStringLiteral("\\s*(?:[~〜\\-−–—―ー]|から)\\s*");

// The weekday written after a date: (水), （水曜）, (水曜日).
const QString kWeekday = QStringLiteral("(?:\\s*\\(\\s*([日月火水木金土])(?:曜日?)?\\s*\\))?");

// A date as written in a cell, before its year is settled.
struct WrittenDate {
    int year = 0;   // 0: not written
    int month = 0;  // 0: not written (only the end of a period may leave it out)
    int day = 0;
    QString weekday;  // as written, or empty
    QString text;     // the date as written, for messages
};

// One way of writing a date: the pattern and which capture holds the year, month and day (0: none).
struct DateForm {
    QRegularExpression pattern;
    int yearGroup;
    int monthGroup;
    int dayGroup;
    int weekdayGroup;
};

// The ways of writing a date, tried in this order at a place in the text. The day-only form is
// for the end of a period (12月16日～20日).
const std::vector<DateForm>& dateForms(bool dayOnlyAllowed)
{
    static const auto form = [](const QString& pattern, int year, int month, int day, int weekday) {
        return DateForm {QRegularExpression(pattern + kWeekday), year, month, day, weekday};
    };
    static const std::vector<DateForm> full {
        // 2026/12/16, 2026-12-16, 2026.12.16 (one separator throughout)
        form(QStringLiteral("(\\d{4})\\s*([/.\\-])\\s*(\\d{1,2})\\s*\\2\\s*(\\d{1,2})(?!\\d)"), 1, 3, 4, 5),
        // 2026年12月16日
        form(QStringLiteral("(\\d{4})\\s*年\\s*(\\d{1,2})\\s*月\\s*(\\d{1,2})\\s*日?"), 1, 2, 3, 4),
        // 12月16日
        form(QStringLiteral("(\\d{1,2})\\s*月\\s*(\\d{1,2})\\s*日?"), 0, 1, 2, 3),
        // 12/16
        form(QStringLiteral("(\\d{1,2})\\s*/\\s*(\\d{1,2})(?!\\d)"), 0, 1, 2, 3),
    };
    static const std::vector<DateForm> withDayOnly = [] {
        std::vector<DateForm> forms = full;
        forms.push_back(form(QStringLiteral("(\\d{1,2})(?!\\d)\\s*日?"), 0, 0, 1, 2));
        return forms;
    }();
    return dayOnlyAllowed ? withDayOnly : full;
}

// Reads a written date at `position` of `text`; on success moves `position` past it.
std::optional<WrittenDate> writtenDateAt(const QString& text, qsizetype& position, bool dayOnlyAllowed)
{
    for (const DateForm& form : dateForms(dayOnlyAllowed)) {
        const auto match = form.pattern.match(text, position, QRegularExpression::NormalMatch,
                                              QRegularExpression::AnchorAtOffsetMatchOption);
        if (!match.hasMatch()) {
            continue;
        }
        WrittenDate date;
        date.year = form.yearGroup > 0 ? match.captured(form.yearGroup).toInt() : 0;
        date.month = form.monthGroup > 0 ? match.captured(form.monthGroup).toInt() : 0;
        date.day = match.captured(form.dayGroup).toInt();
        date.weekday = match.captured(form.weekdayGroup);
        date.text = match.captured(0).trimmed();
        position = match.capturedEnd(0);
        return date;
    }
    return std::nullopt;
}

// Of the valid candidates, the one nearest to `anchor`; the later one on a tie.
QDate nearestTo(const std::vector<QDate>& candidates, QDate anchor)
{
    QDate best;
    for (const QDate& candidate : candidates) {
        if (!candidate.isValid()) {
            continue;
        }
        const qint64 distance = std::llabs(anchor.daysTo(candidate));
        const qint64 bestDistance = best.isValid() ? std::llabs(anchor.daysTo(best)) : -1;
        if (!best.isValid() || distance < bestDistance || (distance == bestDistance && candidate > best)) {
            best = candidate;
        }
    }
    return best;
}

// The calendar date a written date stands for: its year (and month) completed from `anchor`, the
// weekday checked. A refusal when there is none.
CellReading<QDate> settle(const WrittenDate& written, QDate anchor)
{
    QDate date;
    if (written.year > 0) {
        date = QDate(written.year, written.month, written.day);
    } else if (written.month > 0) {
        date = nearestTo({QDate(anchor.year() - 1, written.month, written.day),
                          QDate(anchor.year(), written.month, written.day),
                          QDate(anchor.year() + 1, written.month, written.day)},
                         anchor);
    } else {
        const QDate month = QDate(anchor.year(), anchor.month(), 1);
        std::vector<QDate> candidates;
        for (int step = -1; step <= 1; ++step) {
            const QDate first = month.addMonths(step);
            candidates.push_back(QDate(first.year(), first.month(), written.day));
        }
        date = nearestTo(candidates, anchor);
    }
    if (!date.isValid()) {
        return {std::nullopt, QStringLiteral("%1 という日はありません").arg(written.text)};
    }
    if (!written.weekday.isEmpty() && written.weekday != weekdayName(date)) {
        return {std::nullopt,
                QStringLiteral("%1 の曜日が (%2) と合いません").arg(shownDateWithYear(date), written.weekday)};
    }
    return {date, {}};
}

// An Excel serial day number ("46372", "46372.75"), or a date written as eight digits ("20261216").
std::optional<CellReading<QDate>> numberDate(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^(\\d+)(?:\\.\\d+)?$"));
    const auto match = number.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const QString whole = match.captured(1);
    if (whole.size() == 8 && match.captured(0) == whole) {
        const QDate date(whole.left(4).toInt(), whole.mid(4, 2).toInt(), whole.right(2).toInt());
        if (date.isValid()) {
            return CellReading<QDate> {date, {}};
        }
    }
    bool ok = false;
    const qint64 serial = whole.size() <= 7 ? whole.toLongLong(&ok) : -1;
    if (!ok || serial < kFirstSerial || serial > kLastSerial) {
        return CellReading<QDate> {std::nullopt, QStringLiteral("%1 は日付として読めません").arg(text)};
    }
    return CellReading<QDate> {kSerialEpoch.addDays(serial), {}};
}

// An ISO 8601 date-time, as a spreadsheet keeps a cell stored as a date ("2026-12-16T00:00:00"):
// its date; one with a zone is taken in local time.
std::optional<QDate> isoDateTimeDate(const QString& text)
{
    static const QRegularExpression isoDateTime(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})T\\d{2}:\\d{2}(?::\\d{2}(?:\\.\\d+)?)?(Z|[+\\-]\\d{2}:?\\d{2})?$"));
    const auto match = isoDateTime.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    if (!match.captured(4).isEmpty()) {
        const QDateTime instant = QDateTime::fromString(text, Qt::ISODateWithMs);
        return instant.isValid() ? std::optional<QDate>(instant.toLocalTime().date()) : std::nullopt;
    }
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

QString folded(const QString& cell)
{
    return cell.normalized(QString::NormalizationForm_KC).trimmed();
}

// A time of day at `position`: 17:00, 9:05, 17時, 17時30分; minutes after midnight (24:00 is 1440),
// or a refusal. Moves `position` past it.
std::optional<CellReading<int>> timeAt(const QString& text, qsizetype& position)
{
    static const QRegularExpression pattern(
        QStringLiteral("(\\d{1,2})\\s*(?::\\s*(\\d{2})|時(?:\\s*(\\d{1,2})\\s*分)?)"));
    const auto match
        = pattern.match(text, position, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    position = match.capturedEnd(0);
    const int hour = match.captured(1).toInt();
    const QString minuteText = !match.captured(2).isEmpty() ? match.captured(2) : match.captured(3);
    const int minute = minuteText.toInt();
    if (hour > 24 || minute > 59 || (hour == 24 && minute > 0)) {
        return CellReading<int> {std::nullopt, QStringLiteral("%1 という時刻はありません").arg(match.captured(0))};
    }
    return CellReading<int> {hour * 60 + minute, {}};
}

}  // namespace

CellReading<QDate> readDateCell(const QString& cell, QDate referenceDate)
{
    const QString text = folded(cell);
    if (text.isEmpty()) {
        return {std::nullopt, QStringLiteral("日付がありません")};
    }
    if (auto number = numberDate(text)) {
        return *number;
    }
    if (auto iso = isoDateTimeDate(text)) {
        return {*iso, {}};
    }
    qsizetype position = 0;
    const auto written = writtenDateAt(text, position, false);
    if (!written || position != text.size()) {
        return {std::nullopt, QStringLiteral("日付として読めません: %1").arg(cell.trimmed())};
    }
    return settle(*written, referenceDate);
}

CellReading<DayPeriod> readPeriodCell(const QString& cell, QDate referenceDate)
{
    const QString text = folded(cell);
    if (text.isEmpty()) {
        return {std::nullopt, QStringLiteral("期間がありません")};
    }
    const QString unreadable = QStringLiteral("期間として読めません (例: 12/16〜12/20): %1").arg(cell.trimmed());
    qsizetype position = 0;
    const auto writtenFirst = writtenDateAt(text, position, false);
    if (!writtenFirst) {
        return {std::nullopt, unreadable};
    }
    const auto first = settle(*writtenFirst, referenceDate);
    if (!first.value) {
        return {std::nullopt, first.refusal};
    }
    if (position == text.size()) {
        return {DayPeriod {*first.value, *first.value}, {}};
    }
    static const QRegularExpression separator(kRangeSeparator);
    const auto between = separator.match(text, position, QRegularExpression::NormalMatch,
                                         QRegularExpression::AnchorAtOffsetMatchOption);
    if (!between.hasMatch()) {
        return {std::nullopt, unreadable};
    }
    position = between.capturedEnd(0);
    auto writtenLast = writtenDateAt(text, position, true);
    if (!writtenLast || position != text.size()) {
        return {std::nullopt, unreadable};
    }
    if (writtenLast->month == 0 && writtenFirst->month > 0) {
        // 12月16日～20日: the end is in the start's month, or the next one (12月28日～3日).
        writtenLast->text = QString::number(writtenFirst->month) + u'月' + writtenLast->text;
    }
    const auto last = settle(*writtenLast, *first.value);
    if (!last.value) {
        return {std::nullopt, last.refusal};
    }
    if (*last.value < *first.value) {
        return {std::nullopt,
                QStringLiteral("終わりの日 %1 が始まりの日 %2 より前です")
                    .arg(shownDateWithYear(*last.value), shownDateWithYear(*first.value))};
    }
    return {DayPeriod {*first.value, *last.value}, {}};
}

CellReading<DailyHours> readHoursCell(const QString& cell)
{
    const QString text = folded(cell);
    if (text.isEmpty()) {
        return {std::nullopt, QStringLiteral("時間帯がありません")};
    }
    const QString unreadable = QStringLiteral("時間帯として読めません (例: 17:00〜19:00): %1").arg(cell.trimmed());
    static const QRegularExpression separator(kRangeSeparator);
    qsizetype position = 0;
    const auto start = timeAt(text, position);
    if (!start) {
        return {std::nullopt, unreadable};
    }
    const auto between = separator.match(text, position, QRegularExpression::NormalMatch,
                                         QRegularExpression::AnchorAtOffsetMatchOption);
    if (!between.hasMatch()) {
        return {std::nullopt, unreadable};
    }
    position = between.capturedEnd(0);
    const auto end = timeAt(text, position);
    if (!end || position != text.size()) {
        return {std::nullopt, unreadable};
    }
    for (const auto* time : {&*start, &*end}) {
        if (!time->value) {
            return {std::nullopt, time->refusal};
        }
    }
    if (*start->value == 24 * 60) {
        return {std::nullopt, QStringLiteral("24:00 に始まる時間帯は次の日の 0:00 と書いてください")};
    }
    if (*end->value <= *start->value) {
        return {std::nullopt,
                QStringLiteral("終わり %1 が始まり %2 より後ではありません (日をまたぐ時間帯は使えません)")
                    .arg(shownTimeOfDay(*end->value), shownTimeOfDay(*start->value))};
    }
    return {DailyHours {*start->value, *end->value}, {}};
}

}  // namespace pricing
