#pragma once

// Prices in time: the moment a tag is worked out for, the offers (特売) that give products a sale
// price for a period, and what a sale tag shows beyond its record. A product's tag at a moment is
// its regular state at that day with, where one of its offers holds, the sale price, the offer's
// period and the former price the rule allows (pricing/former_price.h); it is derived, never stored.

#include "core/pricing/offer_period.h"
#include "core/sheet/tag_sheet.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace catalogue {

// A moment in the shop's local time: a day and the minutes after its midnight.
struct Moment {
    QDate day;
    int minutes = 0;

    static Moment of(const QDateTime& local);
    static Moment now();
    // The moment a text() gives back; an invalid day for anything else.
    static Moment fromText(const QString& text);
    QString dayText() const;  // YYYY-MM-DD
    // YYYY-MM-DDTHH:MM: how a print keeps the moment it was made for; such texts sort in time order.
    QString text() const;
    QDateTime toDateTime() const;
    friend bool operator==(const Moment&, const Moment&) = default;
    friend bool operator<(const Moment& a, const Moment& b)
    {
        return a.day < b.day || (a.day == b.day && a.minutes < b.minutes);
    }
};

// A product's sale price for a period, as one of its offers gives it.
struct OfferItem {
    qint64 offerId = 0;
    QString offerName;
    qint64 productId = 0;
    qint64 salePrice = 0;  // tax-inclusive integer yen
    pricing::OfferPeriod period;
    // The former price a sale tag may show (当店通常価格), decided by the rule from the regular
    // prices before the period; 0 when none may be shown, `formerNote` says why (Japanese).
    qint64 formerPrice = 0;
    QString formerNote;
};

enum class OfferState { planned, running, ended };
QString offerStateTitle(OfferState state);  // 予定, 実施中, 終了
QString offerStateKey(OfferState state);    // planned, running, ended

struct Offer {
    qint64 id = 0;
    QString name;
    pricing::OfferPeriod period;  // as given when it was taken in (rows may date themselves)
    QDate endedOn;                // ended early from this day on; invalid when not
    QString createdAt;            // ISO 8601, UTC
    QString file;
    int products = 0;
    int tags = 0;    // the products' tag counts together
    QDate firstDay;  // of its items, the first and the last day (the last as ended)
    QDate lastDay;

    OfferState stateAt(const Moment& moment) const;
};

// What a sale tag shows beyond its record: the sale price is the record's price.
struct SaleTag {
    qint64 offerId = 0;
    QString offerName;
    pricing::OfferPeriod period;
    qint64 regularPrice = 0;  // the price the tag goes back to
    qint64 formerPrice = 0;   // shown struck through where the rule allows it; 0: none
    QString formerNote;       // why it is or is not shown (Japanese)

    friend bool operator==(const SaleTag&, const SaleTag&) = default;
};

SaleTag saleTagOf(const OfferItem& item, qint64 regularPrice);

// The period as a tag shows it: "12/16〜12/20", or "17:00〜19:00" for a time sale of one day, or
// "12/16〜12/20 17:00〜19:00".
QString shownOfferPeriod(const pricing::OfferPeriod& period);

// The text by which a tag is compared with the one on the shelf: the record's texts and price, for a
// sale tag its offer and former price, and last the product's unit text (unitTextOf), so that a
// change of the unit price's base or content alone makes the tag due (a regular tag of a product
// without them is the record's alone).
QString comparedTagText(const sheet::TagRecord& tag, qint64 offerId, qint64 formerPrice, const QString& unitText = {});

}  // namespace catalogue
