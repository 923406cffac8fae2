#include "core/catalogue/rules/offer.h"

#include "core/catalogue/rules/product.h"
#include "core/pricing/shop_time.h"

namespace catalogue {

Moment Moment::of(const QDateTime& local)
{
    const QDateTime shop = local.toLocalTime();
    return {shop.date(), shop.time().hour() * 60 + shop.time().minute()};
}

Moment Moment::now()
{
    return of(QDateTime::currentDateTime());
}

Moment Moment::fromText(const QString& text)
{
    const QDateTime local = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd'T'HH:mm"));
    if (!local.isValid()) {
        return {};
    }
    return {local.date(), local.time().hour() * 60 + local.time().minute()};
}

QString Moment::dayText() const
{
    return day.toString(Qt::ISODate);
}

QString Moment::text() const
{
    return dayText()
        + QStringLiteral("T%1:%2")
              .arg(minutes / 60, 2, 10, QLatin1Char('0'))
              .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QDateTime Moment::toDateTime() const
{
    return QDateTime(day, QTime(minutes / 60, minutes % 60));
}

QString offerStateTitle(OfferState state)
{
    switch (state) {
    case OfferState::planned:
        return QStringLiteral("予定");
    case OfferState::running:
        return QStringLiteral("実施中");
    case OfferState::ended:
        return QStringLiteral("終了");
    }
    return {};
}

QString offerStateKey(OfferState state)
{
    static const char* const keys[] = {"planned", "running", "ended"};
    return QString::fromLatin1(keys[int(state)]);
}

OfferState Offer::stateAt(const Moment& moment) const
{
    if (moment.day < firstDay) {
        return OfferState::planned;
    }
    return moment.day > lastDay ? OfferState::ended : OfferState::running;
}

SaleTag saleTagOf(const OfferItem& item, qint64 regularPrice)
{
    SaleTag sale;
    sale.offerId = item.offerId;
    sale.offerName = item.offerName;
    sale.period = item.period;
    sale.regularPrice = regularPrice;
    sale.formerPrice = item.formerPrice;
    sale.formerNote = item.formerNote;
    return sale;
}

QString shownOfferPeriod(const pricing::OfferPeriod& period)
{
    if (!period.hours) {
        return pricing::shownPeriod(period.days);
    }
    if (period.days.first == period.days.last) {
        return pricing::shownHours(*period.hours);
    }
    return pricing::shownPeriod(period.days) + u' ' + pricing::shownHours(*period.hours);
}

QString comparedTagText(const sheet::TagRecord& tag, qint64 offerId, qint64 formerPrice, const QString& unitText)
{
    QString text = tagText(tag);
    if (offerId != 0) {
        const QChar separator(0x1F);
        text += separator + QStringLiteral("特価") + separator + QString::number(offerId) + separator
            + QString::number(formerPrice);
    }
    return text + unitText;
}

}  // namespace catalogue
