#pragma once

// Queries the catalogue's sources share: ids bound in chunks, products as they were on a day,
// offer items as a row gives them, and the tags of prints not yet confirmed.

#include "core/catalogue/rules/offer.h"
#include "core/catalogue/rules/product.h"

#include <QDate>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <functional>
#include <vector>

namespace catalogue::database {

// Runs `sql` for `ids` in chunks small enough for every database (its "%1" stands for the chunk's
// placeholders), binding `before` first; `onRow` gets every row. False, with the error, when a
// chunk fails.
bool forIdChunks(QSqlDatabase db, const QString& sql, const std::vector<qint64>& ids, const QVariantList& before,
                 const std::function<void(const QSqlQuery&)>& onRow, QSqlError* error);

// Each of `ids` as it was on `day` (its newest version from that day or before); a product with no
// version by then is left out.
bool versionsOn(QSqlDatabase db, const QDate& day, const std::vector<qint64>& ids, QHash<qint64, Product>& states,
                QSqlError* error);

// The columns of an offer item (offer_items i joined with offers o) and the item of such a row:
// the reader finds its columns once, for a query of many rows.
QString offerItemColumns();
class OfferItemReader {
public:
    explicit OfferItemReader(const QSqlQuery& query);
    OfferItem read(const QSqlQuery& query) const;

private:
    enum Column {
        offerId,
        offerName,
        productId,
        salePrice,
        firstDay,
        lastDay,
        startMinutes,
        endMinutes,
        formerPrice,
        formerNote
    };
    std::vector<int> at_;
};
OfferItem readOfferItem(const QSqlQuery& query);

// The tags of the prints not yet confirmed: by product, the compared text and the print.
QHash<qint64, QHash<QString, qint64>> pendingTags(QSqlDatabase db, QSqlError* error);

}  // namespace catalogue::database
