#include "core/pricing/shop_time.h"

#include <QRegularExpression>

#include <array>

namespace pricing {

namespace {

// The weekday names, Sunday first (the order of a Japanese calendar), indexed by
// QDate::dayOfWeek() % 7 (Monday 1 ... Sunday 7).
constexpr std::array<char16_t, 7> kWeekdayNames {u'日', u'月', u'火', u'水', u'木', u'金', u'土'};

QString twoDigits(int number)
{
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

QString monthDay(QDate date)
{
    return QString::number(date.month()) + u'/' + QString::number(date.day());
}

}  // namespace

QString weekdayName(QDate date)
{
    if (!date.isValid()) {
        return {};
    }
    return QString(QChar(kWeekdayNames.at(std::size_t(date.dayOfWeek() % 7))));
}

QString shownDate(QDate date)
{
    if (!date.isValid()) {
        return {};
    }
    return monthDay(date) + u'(' + weekdayName(date) + u')';
}

QString shownDateWithYear(QDate date)
{
    if (!date.isValid()) {
        return {};
    }
    return QString::number(date.year()) + u'/' + shownDate(date);
}

QString shownTimeOfDay(int minutes)
{
    return QString::number(minutes / 60) + u':' + twoDigits(minutes % 60);
}

QString shownDateTime(const QDateTime& moment)
{
    if (!moment.isValid()) {
        return {};
    }
    const QDateTime local = moment.toLocalTime();
    const QTime time = local.time();
    return shownDate(local.date()) + u' ' + shownTimeOfDay(time.hour() * 60 + time.minute());
}

QString shownPeriod(const DayPeriod& period)
{
    if (!period.first.isValid() || !period.last.isValid()) {
        return {};
    }
    if (period.first == period.last) {
        return monthDay(period.first);
    }
    return monthDay(period.first) + u'〜' + monthDay(period.last);
}

QString shownHours(const DailyHours& hours)
{
    return shownTimeOfDay(hours.startMinutes) + u'〜' + shownTimeOfDay(hours.endMinutes);
}

QString shownInstant(const QString& isoUtc)
{
    // Only a UTC text is taken: a text without its zone could be read as local time and shown
    // hours off without anyone noticing.
    static const QRegularExpression utcText(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}(?::\\d{2}(?:\\.\\d{1,3})?)?Z$"));
    if (!utcText.match(isoUtc).hasMatch()) {
        return {};
    }
    const QDateTime instant = QDateTime::fromString(isoUtc, Qt::ISODateWithMs);
    if (!instant.isValid()) {
        return {};
    }
    const QDateTime local = instant.toLocalTime();
    const QDate date = local.date();
    return twoDigits(date.month()) + u'/' + twoDigits(date.day()) + u'(' + weekdayName(date) + QStringLiteral(") ")
        + twoDigits(local.time().hour()) + u':' + twoDigits(local.time().minute());
}

MomentReading readMoment(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})(?:T(\\d{2}):(\\d{2}))?$"));
    const auto match = pattern.match(text.trimmed());
    if (!match.hasMatch()) {
        return {{}, QStringLiteral("日時は 2026-12-16 または 2026-12-16T17:00 の形で書いてください: %1").arg(text)};
    }
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    if (!date.isValid()) {
        return {{}, QStringLiteral("%1 という日はありません").arg(match.captured(0).left(10))};
    }
    if (match.captured(4).isEmpty()) {
        // The first moment of the day in local time; where a clock change skips midnight, the
        // day starts at the first time its clock shows.
        return {date.startOfDay(), {}};
    }
    const int hour = match.captured(4).toInt();
    const int minute = match.captured(5).toInt();
    if (hour > 23 || minute > 59) {
        return {{}, QStringLiteral("%1:%2 という時刻はありません").arg(match.captured(4), match.captured(5))};
    }
    const QTime time(hour, minute);
    const QDateTime moment(date, time);
    // A time that the local clock skips (the hour a daylight-saving change leaves out) is refused
    // rather than moved to another hour without a word.
    if (!moment.isValid() || moment.date() != date || moment.time() != time) {
        return {{},
                QStringLiteral("%1 %2 はこの地域の時計にない時刻です (夏時間の切り替え)")
                    .arg(shownDateWithYear(date), shownTimeOfDay(hour * 60 + minute))};
    }
    return {moment, {}};
}

}  // namespace pricing
