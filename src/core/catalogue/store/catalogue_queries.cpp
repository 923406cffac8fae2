#include "core/catalogue/store/catalogue_queries.h"

#include "core/catalogue/store/database.h"
#include "core/catalogue/store/product_columns.h"

#include <QSqlRecord>

#include <memory>

namespace catalogue::database {

// Runs `sql` for the ids in chunks ("%1" stands for the placeholders) of 500, or of a hundred on
// SQLite (see valuesPerStatement), binding `before` first; `onRow` gets every row.
bool forIdChunks(QSqlDatabase db, const QString& sql, const std::vector<qint64>& ids, const QVariantList& before,
                 const std::function<void(const QSqlQuery&)>& onRow, QSqlError* error)
{
    const size_t chunk = std::min<size_t>(500, size_t(valuesPerStatement(db)) / 2);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    size_t preparedFor = 0;
    for (size_t first = 0; first < ids.size(); first += chunk) {
        const size_t count = std::min(chunk, ids.size() - first);
        if (count != preparedFor
            && !query.prepare(sql.arg(QStringList(qsizetype(count), QStringLiteral("?")).join(u',')))) {
            *error = query.lastError();
            return false;
        }
        preparedFor = count;
        for (const QVariant& value : before) {
            query.addBindValue(value);
        }
        for (size_t i = first; i < first + count; ++i) {
            query.addBindValue(ids[i]);
        }
        if (!query.exec()) {
            *error = query.lastError();
            return false;
        }
        while (query.next()) {
            onRow(query);
        }
    }
    return true;
}

// Each product's state on `day` among `ids` (the newest version from that day or before), or
// none for a product not in the catalogue yet then.
bool versionsOn(QSqlDatabase db, const QDate& day, const std::vector<qint64>& ids, QHash<qint64, Product>& states,
                QSqlError* error)
{
    std::unique_ptr<ProductReader> reader;
    return forIdChunks(
        db,
        QStringLiteral("SELECT %1 FROM product_versions v JOIN products p ON p.id = v.product_id"
                       " WHERE v.valid_from <= ? AND v.product_id IN (%2) ORDER BY v.product_id, v.valid_from, v.id")
            .arg(versionSelectList(), QStringLiteral("%1")),
        ids, {day.toString(Qt::ISODate)},
        [&](const QSqlQuery& query) {
            if (!reader) {
                reader = std::make_unique<ProductReader>(query);
            }
            const Product product = reader->read(query);
            states.insert(product.id, product);  // the later rows replace the earlier
        },
        error);
}

QHash<qint64, QHash<QString, qint64>> pendingTags(QSqlDatabase db, QSqlError* error)
{
    QHash<qint64, QHash<QString, qint64>> out;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query,
             QStringLiteral("SELECT t.product_id, t.tag_text, t.print_id FROM print_tags t"
                            " JOIN prints r ON r.id = t.print_id WHERE r.state = 'pending'"))) {
        *error = query.lastError();
        return out;
    }
    while (query.next()) {
        out[query.value(0).toLongLong()].insert(query.value(1).toString(), query.value(2).toLongLong());
    }
    return out;
}

QString offerItemColumns()
{
    return QStringLiteral("i.offer_id AS i_offer_id, o.name AS o_name, i.product_id AS i_product_id,"
                          " i.sale_price AS i_sale_price, i.first_day AS i_first_day, i.last_day AS i_last_day,"
                          " i.start_minutes AS i_start_minutes, i.end_minutes AS i_end_minutes,"
                          " i.former_price AS i_former_price, i.former_note AS i_former_note");
}

OfferItemReader::OfferItemReader(const QSqlQuery& query)
{
    const QSqlRecord record = query.record();
    for (const char* name : {"i_offer_id", "o_name", "i_product_id", "i_sale_price", "i_first_day", "i_last_day",
                             "i_start_minutes", "i_end_minutes", "i_former_price", "i_former_note"}) {
        at_.push_back(record.indexOf(QLatin1String(name)));
    }
}

OfferItem OfferItemReader::read(const QSqlQuery& query) const
{
    const auto value = [&](Column column) { return query.value(at_[size_t(column)]); };
    OfferItem item;
    item.offerId = value(offerId).toLongLong();
    item.offerName = value(offerName).toString();
    item.productId = value(productId).toLongLong();
    item.salePrice = value(salePrice).toLongLong();
    item.period.days = {QDate::fromString(value(firstDay).toString(), Qt::ISODate),
                        QDate::fromString(value(lastDay).toString(), Qt::ISODate)};
    const int start = value(startMinutes).toInt();
    if (start >= 0) {
        item.period.hours = pricing::DailyHours {start, value(endMinutes).toInt()};
    }
    item.formerPrice = value(formerPrice).toLongLong();
    item.formerNote = value(formerNote).toString();
    return item;
}

OfferItem readOfferItem(const QSqlQuery& query)
{
    return OfferItemReader(query).read(query);
}

}  // namespace catalogue::database
