// Offers (特売): taken in from a list of sale prices in one transaction, refused when they would
// give a product two sale prices at one moment, listed, shown and ended early. The former price
// each sale tag may show is decided by the rule when the offer is taken in, and decided again when
// a regular price before it or another offer of the product changes.

#include "core/catalogue/catalogue.h"

#include "core/catalogue/rules/offer_moments.h"
#include "core/catalogue/rules/shelf_order.h"
#include "core/catalogue/store/catalogue_queries.h"
#include "core/catalogue/store/database.h"
#include "core/catalogue/store/product_columns.h"
#include "core/pricing/former_price.h"
#include "core/pricing/shop_time.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>

#include <algorithm>
#include <optional>

namespace catalogue {

using database::run;

namespace {

int startOf(const pricing::OfferPeriod& period)
{
    return period.hours ? period.hours->startMinutes : -1;
}

int endOf(const pricing::OfferPeriod& period)
{
    return period.hours ? period.hours->endMinutes : -1;
}

// The former price a sale tag of `item` may show: the rule over the product's regular prices, its
// other offers and its first day in the catalogue; none when the sale price is not below it.
void decideFormerPrice(OfferItem& item, const std::vector<pricing::RegularPrice>& regular,
                       const std::vector<pricing::OfferPeriod>& otherOffers, const QDate& firstSeen)
{
    pricing::PriceHistory history;
    history.regularPrices = regular;
    history.offers = otherOffers;
    history.firstInCatalogue = firstSeen;
    const pricing::FormerPriceCheck check = pricing::checkFormerPrice(history, item.period.days.first);
    item.formerPrice = 0;
    if (!check.allowed()) {
        item.formerNote = check.text;
    } else if (check.yen <= item.salePrice) {
        item.formerNote = QStringLiteral("特価が通常価格 %1円 より安くありません").arg(check.yen);
    } else {
        item.formerPrice = check.yen;
        item.formerNote = check.text;
    }
}

struct ProductFacts {
    QDate firstSeen;
    std::vector<pricing::RegularPrice> regular;
    std::vector<OfferItem> items;  // every offer item of the product
};

// The regular prices, first days and offer items of `ids`.
bool readFacts(QSqlDatabase db, const std::vector<qint64>& ids, QHash<qint64, ProductFacts>& facts, QSqlError* error)
{
    return database::forIdChunks(
               db, QStringLiteral("SELECT id, first_seen FROM products WHERE id IN (%1)"), ids, {},
               [&](const QSqlQuery& row) {
                   facts[row.value(0).toLongLong()].firstSeen = QDate::fromString(row.value(1).toString(), Qt::ISODate);
               },
               error)
        && database::forIdChunks(
               db,
               QStringLiteral("SELECT product_id, valid_from, tag_price FROM price_history WHERE product_id IN (%1)"
                              " ORDER BY id"),
               ids, {},
               [&](const QSqlQuery& row) {
                   facts[row.value(0).toLongLong()].regular.push_back(
                       {QDate::fromString(row.value(1).toString(), Qt::ISODate), row.value(2).toLongLong()});
               },
               error)
        && database::forIdChunks(
               db,
               QStringLiteral("SELECT i.id AS i_id, %1 FROM offer_items i JOIN offers o ON o.id = i.offer_id"
                              " WHERE i.product_id IN (%2)")
                   .arg(database::offerItemColumns(), QStringLiteral("%1")),
               ids, {},
               [&, reader = std::optional<database::OfferItemReader>()](const QSqlQuery& row) mutable {
                   if (!reader) {
                       reader.emplace(row);
                   }
                   OfferItem item = reader->read(row);
                   facts[item.productId].items.push_back(std::move(item));
               },
               error);
}

// The other offers of a product as periods, leaving out `offerId`'s, and the empty ones of an
// offer ended before it began.
std::vector<pricing::OfferPeriod> otherPeriods(const ProductFacts& facts, qint64 offerId)
{
    std::vector<pricing::OfferPeriod> out;
    for (const OfferItem& item : facts.items) {
        if (item.offerId != offerId && item.period.days.first <= item.period.days.last) {
            out.push_back(item.period);
        }
    }
    return out;
}

}  // namespace

Result Catalogue::refreshFormerPrices(QSqlDatabase& db, const std::vector<qint64>& productIds, const QDate& after) const
{
    const auto failed = [&](const QSqlError& error) {
        return database::failureOf(error, address_, QStringLiteral("通常価格の確認"));
    };
    // Only the products with such an offer are read: mostly none, as a list comes before its offers.
    // Whether any offer begins after `after` at all is one look at the offers' days.
    if (productIds.empty()) {
        return {};
    }
    const QString day = database::dateText(after);
    QSqlQuery any(db);
    if (!run(any, QStringLiteral("SELECT 1 FROM offer_items WHERE last_day > ? AND first_day > ? LIMIT 1"),
             {day, day})) {
        return failed(any.lastError());
    }
    if (!any.next()) {
        return {};
    }
    any.finish();
    std::vector<qint64> withLater;
    QSqlError error;
    if (!database::forIdChunks(
            db,
            QStringLiteral("SELECT DISTINCT product_id FROM offer_items WHERE first_day > ?"
                           " AND first_day <= last_day AND product_id IN (%1)"),
            productIds, {day}, [&](const QSqlQuery& row) { withLater.push_back(row.value(0).toLongLong()); }, &error)) {
        return failed(error);
    }
    if (withLater.empty()) {
        return {};
    }
    QHash<qint64, ProductFacts> facts;
    if (!readFacts(db, withLater, facts, &error)) {
        return failed(error);
    }
    QSqlQuery update(db);
    if (!update.prepare(QStringLiteral(
            "UPDATE offer_items SET former_price = ?, former_note = ? WHERE offer_id = ? AND product_id = ?"))) {
        return failed(update.lastError());
    }
    for (auto it = facts.begin(); it != facts.end(); ++it) {
        for (OfferItem item : it->items) {
            if (item.period.days.first <= after || item.period.days.first > item.period.days.last) {
                continue;
            }
            const qint64 before = item.formerPrice;
            const QString note = item.formerNote;
            decideFormerPrice(item, it->regular, otherPeriods(*it, item.offerId), it->firstSeen);
            if (item.formerPrice == before && item.formerNote == note) {
                continue;
            }
            update.addBindValue(item.formerPrice);
            update.addBindValue(item.formerNote);
            update.addBindValue(item.offerId);
            update.addBindValue(it.key());
            if (!update.exec()) {
                return failed(update.lastError());
            }
        }
    }
    return {};
}

OfferImportResult Catalogue::importOffer(const OfferList& list)
{
    OfferImportResult result;
    result.refused = list.refused;
    QSqlDatabase connection = db();
    const auto failed = [&](const QSqlError& error) {
        static_cast<Result&>(result) = database::failureOf(error, address_, QStringLiteral("特売の取り込み"));
        return result;
    };
    database::WriteTransaction transaction(connection);
    if (!transaction.begun()) {
        return failed(transaction.error());
    }
    // The rows' products, each once.
    QHash<QString, qint64> idOfCode;
    QHash<qint64, QString> nameOf;  // "CODE NAME"

    std::vector<QString> codes;
    for (const OfferList::Row& row : list.rows) {
        codes.push_back(row.code);
    }
    QSqlError error;
    {
        QSqlQuery query(connection);
        query.setForwardOnly(true);
        constexpr size_t kChunk = 500;
        for (size_t first = 0; first < codes.size(); first += kChunk) {
            const size_t count = std::min(kChunk, codes.size() - first);
            if (!query.prepare(QStringLiteral("SELECT id, code, name FROM products WHERE code IN (%1)")
                                   .arg(QStringList(qsizetype(count), QStringLiteral("?")).join(u',')))) {
                return failed(query.lastError());
            }
            for (size_t i = first; i < first + count; ++i) {
                query.addBindValue(codes[i]);
            }
            if (!query.exec()) {
                return failed(query.lastError());
            }
            while (query.next()) {
                idOfCode.insert(query.value(1).toString(), query.value(0).toLongLong());
                nameOf.insert(query.value(0).toLongLong(),
                              query.value(1).toString() + u' ' + query.value(2).toString());
            }
        }
    }
    std::vector<OfferItem> items;
    QHash<qint64, int> rowOfProduct;
    for (const OfferList::Row& row : list.rows) {
        const auto found = idOfCode.constFind(row.code);
        if (found == idOfCode.cend()) {
            result.refused.push_back(
                {row.number, QStringLiteral("コード %1 の商品は商品マスタにありません").arg(row.code)});
            continue;
        }
        if (const auto twice = rowOfProduct.constFind(*found); twice != rowOfProduct.cend()) {
            result.refused.push_back(
                {row.number, QStringLiteral("コード %1 は %2行目と同じため使いません").arg(row.code).arg(*twice)});
            continue;
        }
        const pricing::OfferPeriod period = row.period.value_or(list.period);
        if (!period.days.first.isValid() || !period.days.last.isValid() || period.days.last < period.days.first) {
            result.refused.push_back({row.number, QStringLiteral("特売の期間がありません")});
            continue;
        }
        rowOfProduct.insert(*found, row.number);
        OfferItem item;
        item.productId = *found;
        item.salePrice = row.salePrice;
        item.period = period;
        items.push_back(item);
    }
    std::vector<qint64> ids;
    for (const OfferItem& item : items) {
        ids.push_back(item.productId);
    }
    QHash<qint64, ProductFacts> facts;
    if (!readFacts(connection, ids, facts, &error)) {
        return failed(error);
    }
    // Two sale prices for one product at one moment: refused, naming the offers and the products.
    QHash<qint64, QStringList> clashes;  // offer id, products
    QHash<qint64, QString> clashingOffer;
    for (const OfferItem& item : items) {
        for (const OfferItem& other : facts.value(item.productId).items) {
            if (other.period.days.first <= other.period.days.last && rules::periodsOverlap(item.period, other.period)) {
                clashes[other.offerId] << nameOf.value(item.productId);
                clashingOffer.insert(other.offerId,
                                     QStringLiteral("特売 %1「%2」(%3)")
                                         .arg(other.offerId)
                                         .arg(other.offerName, shownOfferPeriod(other.period)));
            }
        }
    }
    if (!clashes.isEmpty()) {
        QList<qint64> offerIds = clashes.keys();
        std::sort(offerIds.begin(), offerIds.end());
        for (const qint64 offerId : offerIds) {
            QStringList products = clashes.value(offerId);
            const qsizetype shown = std::min<qsizetype>(products.size(), 5);
            QString named = products.mid(0, shown).join(QStringLiteral("、"));
            if (products.size() > shown) {
                named += QStringLiteral(" ほか %1 品").arg(products.size() - shown);
            }
            result.overlaps << QStringLiteral("%1 と重なります: %2").arg(clashingOffer.value(offerId), named);
        }
        result.status = Status::refused;
        result.message = QStringLiteral("特売「%1」は、同じ商品に同じ時に別の特価がつくため取り込みませんでした。\n%2")
                             .arg(list.name, result.overlaps.join(u'\n'));
        return result;
    }
    bool ok = true;
    const qint64 offerId = database::nextId(connection, QStringLiteral("offers"), &ok);
    qint64 itemId = ok ? database::nextId(connection, QStringLiteral("offer_items"), &ok) : 0;
    if (!ok) {
        return failed(connection.lastError());
    }
    QSqlQuery query(connection);
    pricing::OfferPeriod shown = list.period;
    if (!shown.days.first.isValid()) {
        for (const OfferItem& item : items) {
            shown.days.first = shown.days.first.isValid() ? std::min(shown.days.first, item.period.days.first)
                                                          : item.period.days.first;
            shown.days.last
                = shown.days.last.isValid() ? std::max(shown.days.last, item.period.days.last) : item.period.days.last;
        }
    }
    if (!run(query,
             QStringLiteral("INSERT INTO offers (id, name, first_day, last_day, start_minutes, end_minutes, ended_on,"
                            " created_at, file) VALUES (?, ?, ?, ?, ?, ?, '', ?, ?)"),
             {offerId, list.name, database::dateText(shown.days.first), database::dateText(shown.days.last),
              startOf(shown), endOf(shown), database::nowText(), list.fileName})) {
        return failed(query.lastError());
    }
    std::vector<QVariantList> rows;
    rows.reserve(items.size());
    for (OfferItem& item : items) {
        item.offerId = offerId;
        const ProductFacts& known = facts[item.productId];
        decideFormerPrice(item, known.regular, otherPeriods(known, offerId), known.firstSeen);
        rows.push_back({itemId++, offerId, item.productId, item.salePrice, database::dateText(item.period.days.first),
                        database::dateText(item.period.days.last), startOf(item.period), endOf(item.period),
                        item.formerPrice, item.formerNote});
    }
    if (!database::insertRows(connection, QStringLiteral("offer_items"),
                              {QStringLiteral("id"), QStringLiteral("offer_id"), QStringLiteral("product_id"),
                               QStringLiteral("sale_price"), QStringLiteral("first_day"), QStringLiteral("last_day"),
                               QStringLiteral("start_minutes"), QStringLiteral("end_minutes"),
                               QStringLiteral("former_price"), QStringLiteral("former_note")},
                              rows, &error)) {
        return failed(error);
    }
    // The later offers of these products (if any: offers mostly come in the order they run) count
    // this one as time not at the regular price.
    const bool laterOffers = std::any_of(facts.cbegin(), facts.cend(), [&](const ProductFacts& known) {
        return std::any_of(known.items.cbegin(), known.items.cend(), [&](const OfferItem& other) {
            return other.period.days.first > shown.days.first && other.period.days.first <= other.period.days.last;
        });
    });
    if (const Result refreshed = laterOffers ? refreshFormerPrices(connection, ids, shown.days.first) : Result {};
        !refreshed.ok()) {
        static_cast<Result&>(result) = refreshed;
        return result;
    }
    query.finish();
    if (QSqlError said; !database::announce(connection, QStringLiteral("offer"), &said)) {
        return failed(said);
    }
    if (!transaction.commit()) {
        return failed(transaction.error());
    }
    result.offerId = offerId;
    result.products = int(items.size());
    return result;
}

std::vector<Offer> Catalogue::offers(Result* outcome) const
{
    std::vector<Offer> out;
    QSqlQuery query(db());
    const bool ok
        = run(query,
              QStringLiteral(
                  "SELECT o.id, o.name, o.first_day, o.last_day, o.start_minutes, o.end_minutes, o.ended_on,"
                  " o.created_at, o.file, COUNT(i.id), COALESCE(SUM(p.tag_count), 0), MIN(i.first_day),"
                  " MAX(i.last_day) FROM offers o LEFT JOIN offer_items i ON i.offer_id = o.id LEFT JOIN products p"
                  " ON p.id = i.product_id GROUP BY o.id, o.name, o.first_day, o.last_day, o.start_minutes,"
                  " o.end_minutes, o.ended_on, o.created_at, o.file ORDER BY o.id"));
    while (ok && query.next()) {
        Offer offer;
        offer.id = query.value(0).toLongLong();
        offer.name = query.value(1).toString();
        offer.period.days = {QDate::fromString(query.value(2).toString(), Qt::ISODate),
                             QDate::fromString(query.value(3).toString(), Qt::ISODate)};
        if (query.value(4).toInt() >= 0) {
            offer.period.hours = pricing::DailyHours {query.value(4).toInt(), query.value(5).toInt()};
        }
        offer.endedOn = QDate::fromString(query.value(6).toString(), Qt::ISODate);
        offer.createdAt = query.value(7).toString();
        offer.file = query.value(8).toString();
        offer.products = query.value(9).toInt();
        offer.tags = query.value(10).toInt();
        offer.firstDay = QDate::fromString(query.value(11).toString(), Qt::ISODate);
        offer.lastDay = QDate::fromString(query.value(12).toString(), Qt::ISODate);
        if (!offer.firstDay.isValid()) {
            offer.firstDay = offer.period.days.first;
            offer.lastDay = offer.period.days.last;
        }
        if (offer.endedOn.isValid()) {
            offer.lastDay = std::min(offer.lastDay, offer.endedOn.addDays(-1));
        }
        out.push_back(offer);
    }
    if (outcome) {
        *outcome = ok ? Result {} : database::failureOf(query.lastError(), address_, QStringLiteral("読み込み"));
    }
    return out;
}

std::optional<OfferDetail> Catalogue::offer(qint64 offerId, Result* outcome) const
{
    Result read;
    const std::vector<Offer> all = offers(&read);
    const auto it = std::find_if(all.begin(), all.end(), [&](const Offer& o) { return o.id == offerId; });
    if (!read.ok() || it == all.end()) {
        if (outcome) {
            *outcome
                = read.ok() ? Result {Status::notFound, QStringLiteral("特売 %1 はありません。").arg(offerId)} : read;
        }
        return std::nullopt;
    }
    OfferDetail detail;
    detail.offer = *it;
    QSqlQuery query(db());
    query.setForwardOnly(true);
    if (!run(query,
             QStringLiteral("SELECT %1, %2 FROM offer_items i JOIN offers o ON o.id = i.offer_id JOIN products p"
                            " ON p.id = i.product_id WHERE i.offer_id = ?")
                 .arg(productSelectList(), database::offerItemColumns()),
             {offerId})) {
        if (outcome) {
            *outcome = database::failureOf(query.lastError(), address_, QStringLiteral("読み込み"));
        }
        return std::nullopt;
    }
    const ProductReader products(query);
    const database::OfferItemReader items(query);
    std::vector<TagNeed> ordered;
    QHash<qint64, OfferItem> itemOf;
    while (query.next()) {
        TagNeed need;
        need.product = products.read(query);
        itemOf.insert(need.product.id, items.read(query));
        ordered.push_back(std::move(need));
    }
    sortInShelfOrder(ordered);
    for (const TagNeed& need : ordered) {
        detail.items.emplace_back(need.product, itemOf.value(need.product.id));
    }
    if (outcome) {
        *outcome = {};
    }
    return detail;
}

Result Catalogue::endOffer(qint64 offerId, const QDate& on)
{
    QSqlDatabase connection = db();
    const auto failed
        = [&](const QSqlError& error) { return database::failureOf(error, address_, QStringLiteral("特売の終了")); };
    database::WriteTransaction transaction(connection);
    if (!transaction.begun()) {
        return failed(transaction.error());
    }
    QSqlQuery query(connection);
    if (!run(query,
             QStringLiteral("SELECT MAX(i.last_day), COUNT(o.id) FROM offers o LEFT JOIN offer_items i"
                            " ON i.offer_id = o.id WHERE o.id = ?"),
             {offerId})
        || !query.next()) {
        return failed(query.lastError());
    }
    if (query.value(1).toInt() == 0) {
        return {Status::notFound, QStringLiteral("特売 %1 はありません。").arg(offerId)};
    }
    const QString lastDay = query.value(0).toString();
    query.finish();
    if (lastDay < database::dateText(on)) {
        return {Status::refused,
                QStringLiteral("特売 %1 は %2 に終わっています。")
                    .arg(offerId)
                    .arg(pricing::shownDate(QDate::fromString(lastDay, Qt::ISODate)))};
    }
    std::vector<qint64> ids;
    if (!run(query, QStringLiteral("SELECT product_id FROM offer_items WHERE offer_id = ?"), {offerId})) {
        return failed(query.lastError());
    }
    while (query.next()) {
        ids.push_back(query.value(0).toLongLong());
    }
    const QString before = database::dateText(on.addDays(-1));
    if (!run(query, QStringLiteral("UPDATE offer_items SET last_day = ? WHERE offer_id = ? AND last_day > ?"),
             {before, offerId, before})
        || !run(query, QStringLiteral("UPDATE offers SET ended_on = ? WHERE id = ?"),
                {database::dateText(on), offerId})) {
        return failed(query.lastError());
    }
    // A later offer of these products has less time under another offer now.
    if (const Result refreshed = refreshFormerPrices(connection, ids, on.addDays(-1)); !refreshed.ok()) {
        return refreshed;
    }
    query.finish();
    if (QSqlError said; !database::announce(connection, QStringLiteral("offer"), &said)) {
        return failed(said);
    }
    if (!transaction.commit()) {
        return failed(transaction.error());
    }
    return {};
}

}  // namespace catalogue
