// What needs a tag at a moment, derived from the products, their versions, their offers and the
// confirmed prints; never stored.
//
// Most products are simple at any moment: their newest state is in force, no offer holds for them
// and the tag on their shelf was printed for an earlier moment. The database compares those
// itself and returns only the ones whose tag differs (the fast query). The rest (a dated list not
// yet in force, an offer holding, a print made ahead for a later moment) are few; they are read
// with what decides them and worked out here (the careful path).

#include "core/catalogue/catalogue.h"

#include "core/catalogue/catalogue_queries.h"
#include "core/catalogue/database.h"
#include "core/catalogue/product_columns.h"
#include "core/catalogue/shelf_order.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

namespace catalogue {

using database::run;

namespace {

// An offer item that holds at the moment bound as day, day, minutes, minutes.
const QString kItemHolds = QStringLiteral(
    "i.first_day <= ? AND i.last_day >= ? AND (i.start_minutes < 0 OR (i.start_minutes <= ? AND i.end_minutes > ?))");

void bindHolds(QSqlQuery& query, const Moment& at)
{
    query.addBindValue(at.dayText());
    query.addBindValue(at.dayText());
    query.addBindValue(at.minutes);
    query.addBindValue(at.minutes);
}

// The products joined with the tag on their shelf (and, for the careful path, the print it came
// from).
const QString kProductsWithShelfTags
    = QStringLiteral(" FROM products p LEFT JOIN print_tags t ON t.id = p.shelf_tag_id");
const QString kProductsWithShelfPrints = QStringLiteral(
    " FROM products p LEFT JOIN print_tags t ON t.id = p.shelf_tag_id LEFT JOIN prints r ON r.id = t.print_id");

// The ids of the products the careful path works out, bound as: day, moment, then bindHolds. A
// product with a tag in a print made for a later moment is among them even where that tag is no
// longer its shelf's: the careful path looks.
const QString kCarefulIds = QStringLiteral(
    "SELECT id FROM products WHERE valid_from > ?"
    " UNION SELECT product_id FROM print_tags WHERE print_id IN (SELECT id FROM prints WHERE as_of > ?)"
    " UNION SELECT i.product_id FROM offer_items i WHERE %1");

void bindCareful(QSqlQuery& query, const Moment& at)
{
    query.addBindValue(at.dayText());
    query.addBindValue(at.text());
    bindHolds(query, at);
}

// The shelf tag's columns; its texts and price come from its tag text (one value for seven).
QString shelfTagColumns(bool withPrint)
{
    return QStringLiteral("t.id AS t_id, t.print_id AS t_print_id, t.offer_id AS t_offer_id,"
                          " t.former_price AS t_former_price, t.tag_text AS t_tag_text%1")
        .arg(withPrint ? QStringLiteral(", r.as_of AS r_as_of") : QString());
}

// The tag on a shelf as a query row gives it.
struct ShelfTag {
    qint64 id = 0;
    qint64 printId = 0;
    sheet::TagRecord tag;
    qint64 offerId = 0;
    qint64 formerPrice = 0;
    QString text;  // as compared
};

class ShelfTagReader {
public:
    explicit ShelfTagReader(const QSqlQuery& query) : tag_(query)
    {
        const QSqlRecord record = query.record();
        id_ = record.indexOf(QStringLiteral("t_id"));
        print_ = record.indexOf(QStringLiteral("t_print_id"));
        offer_ = record.indexOf(QStringLiteral("t_offer_id"));
        former_ = record.indexOf(QStringLiteral("t_former_price"));
        text_ = record.indexOf(QStringLiteral("t_tag_text"));
    }
    std::optional<ShelfTag> read(const QSqlQuery& query) const
    {
        if (query.value(id_).isNull()) {
            return std::nullopt;
        }
        return ShelfTag {
            query.value(id_).toLongLong(),    query.value(print_).toLongLong(),  tag_.read(query),
            query.value(offer_).toLongLong(), query.value(former_).toLongLong(), query.value(text_).toString()};
    }

private:
    TagReader tag_;
    int id_ = -1;
    int print_ = -1;
    int offer_ = -1;
    int former_ = -1;
    int text_ = -1;
};

// The need of `product` (its state at the moment, or none when it is not in the catalogue yet)
// with `item` holding for it, beside the tag on its shelf; none when it is not listed.
std::optional<TagNeed> needOf(const Product& state, const OfferItem* item, const std::optional<ShelfTag>& shelf,
                              bool withUpToDate)
{
    TagNeed need;
    need.product = state;
    if (item && state.active) {
        need.sale = saleTagOf(*item, state.tag.price);
        need.product.tag.price = qint32(item->salePrice);
    }
    if (shelf) {
        need.shelfTag = shelf->tag;
        need.shelfPrintId = shelf->printId;
        need.shelfOfferId = shelf->offerId;
        need.shelfFormerPrice = shelf->formerPrice;
    }
    if (!state.active) {
        if (!shelf) {
            return std::nullopt;
        }
        need.kind = NeedKind::takeDown;
        return need;
    }
    if (!shelf) {
        need.kind = NeedKind::newTag;
        return need;
    }
    const QString wanted
        = comparedTagText(need.product.tag, need.sale ? need.sale->offerId : 0, need.sale ? need.sale->formerPrice : 0);
    if (wanted == shelf->text) {
        need.kind = NeedKind::upToDate;
        return withUpToDate ? std::optional<TagNeed>(need) : std::nullopt;
    }
    need.kind = NeedKind::changed;
    need.changedFields = tagDifferences(need.product.tag, shelf->tag);
    return need;
}

}  // namespace

SaleChange saleChangeOf(const TagNeed& need)
{
    const qint64 wanted = need.sale ? need.sale->offerId : 0;
    if (need.kind != NeedKind::changed || wanted == need.shelfOfferId) {
        return SaleChange::none;
    }
    if (need.shelfOfferId == 0) {
        return SaleChange::starts;
    }
    return wanted == 0 ? SaleChange::ends : SaleChange::changes;
}

QString eventKindTitle(EventKind kind)
{
    switch (kind) {
    case EventKind::offerStarts:
        return QStringLiteral("特売開始");
    case EventKind::offerEnds:
        return QStringLiteral("特売終了・戻し");
    case EventKind::priceList:
        return QStringLiteral("価格改定");
    }
    return {};
}

std::vector<OfferItem> Catalogue::itemsHoldingAt(const Moment& at, QSqlError* error) const
{
    std::vector<OfferItem> items;
    QSqlQuery query(db());
    query.setForwardOnly(true);
    bool ran = query.prepare(QStringLiteral("SELECT %1 FROM offer_items i JOIN offers o ON o.id = i.offer_id WHERE %2")
                                 .arg(database::offerItemColumns(), kItemHolds));
    if (ran) {
        bindHolds(query, at);
        ran = query.exec();
    }
    if (!ran) {
        *error = query.lastError();
        return items;
    }
    const database::OfferItemReader reader(query);
    while (query.next()) {
        items.push_back(reader.read(query));
    }
    return items;
}

std::vector<TagNeed> Catalogue::readNeeds(const Moment& at, bool withUpToDate, const QStringList& shelves,
                                          Result* outcome) const
{
    std::vector<TagNeed> out;
    QSqlDatabase connection = db();
    QSqlError error;
    const auto failed = [&](const QSqlError& failure) {
        if (outcome) {
            *outcome = database::failureOf(failure, address_, QStringLiteral("読み込み"));
        }
        return std::vector<TagNeed> {};
    };
    // Only the products of these locations (all when none are given).
    const QString shelfCondition
        = QStringLiteral("p.shelf IN (%1)").arg(QStringList(shelves.size(), QStringLiteral("?")).join(u','));
    const auto bindShelves = [&](QSqlQuery& query) {
        for (const QString& shelf : shelves) {
            query.addBindValue(database::bindable(shelf));
        }
    };

    // The fast query: products in their newest state, without an offer, their shelf tag printed
    // for an earlier moment; the database keeps which of them are due (tag_due, indexed).
    const QString listed
        = withUpToDate ? QStringLiteral("p.active = 1 OR t.id IS NOT NULL") : QStringLiteral("p.tag_due = 1");
    const QString careful = kCarefulIds.arg(kItemHolds);
    QSqlQuery query(connection);
    query.setForwardOnly(true);
    bool ran
        = query.prepare(QStringLiteral("SELECT %1, %2%3 WHERE p.id NOT IN (%4) AND (%5)%6")
                            .arg(compactProductSelectList(), shelfTagColumns(false), kProductsWithShelfTags, careful,
                                 listed, shelves.isEmpty() ? QString() : QStringLiteral(" AND ") + shelfCondition));
    if (ran) {
        bindCareful(query, at);
        bindShelves(query);
        ran = query.exec();
    }
    if (!ran) {
        return failed(query.lastError());
    }
    {
        const ProductReader products(query);
        const ShelfTagReader shelfTags(query);
        while (query.next()) {
            if (auto need = needOf(products.read(query), nullptr, shelfTags.read(query), withUpToDate)) {
                out.push_back(std::move(*need));
            }
        }
    }
    query.finish();

    // The careful path: a dated list not yet in force, an offer holding, a print made ahead. Its
    // products are few (none on most days): found first, then read by their ids.
    std::vector<qint64> carefulIds;
    ran = query.prepare(careful);
    if (ran) {
        bindCareful(query, at);
        ran = query.exec();
    }
    if (!ran) {
        return failed(query.lastError());
    }
    while (query.next()) {
        carefulIds.push_back(query.value(0).toLongLong());
    }
    query.finish();
    std::vector<OfferItem> holding;
    if (!carefulIds.empty()) {
        holding = itemsHoldingAt(at, &error);
        if (error.isValid()) {
            return failed(error);
        }
    }
    QHash<qint64, const OfferItem*> itemOf;
    for (const OfferItem& item : holding) {
        itemOf.insert(item.productId, &item);
    }
    std::vector<std::pair<Product, std::optional<ShelfTag>>> workedOut;
    std::vector<qint64> notInForce;
    std::vector<qint64> printedAhead;
    struct CarefulReaders {
        ProductReader products;
        ShelfTagReader shelfTags;
        int asOf;
    };
    std::unique_ptr<CarefulReaders> readers;
    QVariantList shelfValues;
    for (const QString& shelf : shelves) {
        shelfValues.append(database::bindable(shelf));
    }
    if (!database::forIdChunks(
            connection,
            QStringLiteral("SELECT %1, %2%3 WHERE %4p.id IN (%5)")
                .arg(compactProductSelectList(), shelfTagColumns(true), kProductsWithShelfPrints,
                     shelves.isEmpty() ? QString() : shelfCondition + QStringLiteral(" AND "), QStringLiteral("%1")),
            carefulIds, shelfValues,
            [&](const QSqlQuery& row) {
                if (!readers) {
                    readers.reset(new CarefulReaders {ProductReader(row), ShelfTagReader(row),
                                                      row.record().indexOf(QStringLiteral("r_as_of"))});
                }
                Product product = readers->products.read(row);
                std::optional<ShelfTag> shelf = readers->shelfTags.read(row);
                if (product.validFrom > at.dayText()) {
                    notInForce.push_back(product.id);
                }
                if (shelf && !row.value(readers->asOf).isNull() && row.value(readers->asOf).toString() > at.text()) {
                    printedAhead.push_back(product.id);
                    shelf.reset();
                }
                workedOut.emplace_back(std::move(product), std::move(shelf));
            },
            &error)) {
        return failed(error);
    }
    QHash<qint64, Product> stateOn;
    if (!notInForce.empty() && !database::versionsOn(connection, at.day, notInForce, stateOn, &error)) {
        return failed(error);
    }
    // For a print made ahead, the tag last confirmed for a moment up to this one.
    QHash<qint64, ShelfTag> shelfThen;
    if (!printedAhead.empty()) {
        std::unique_ptr<ShelfTagReader> reader;
        if (!database::forIdChunks(
                connection,
                QStringLiteral("SELECT t.product_id AS t_product_id, %1 FROM print_tags t JOIN prints r"
                               " ON r.id = t.print_id WHERE r.state = 'confirmed' AND r.as_of <= ?"
                               " AND t.product_id IN (%2) ORDER BY t.id")
                    .arg(shelfTagColumns(true), QStringLiteral("%1")),
                printedAhead, {at.text()},
                [&](const QSqlQuery& row) {
                    if (!reader) {
                        reader = std::make_unique<ShelfTagReader>(row);
                    }
                    if (auto tag = reader->read(row)) {
                        shelfThen.insert(row.value(QStringLiteral("t_product_id")).toLongLong(), *tag);
                    }
                },
                &error)) {
            return failed(error);
        }
    }
    for (auto& [product, shelf] : workedOut) {
        const Product* state = &product;
        if (product.validFrom > at.dayText()) {
            const auto found = stateOn.constFind(product.id);
            if (found == stateOn.cend()) {
                continue;  // it comes with a list not yet in force
            }
            state = &*found;
        }
        if (!shelf) {
            if (const auto found = shelfThen.constFind(product.id); found != shelfThen.cend()) {
                shelf = *found;
            }
        }
        if (auto need = needOf(*state, itemOf.value(product.id), shelf, withUpToDate)) {
            out.push_back(std::move(*need));
        }
    }

    // A tag a print not yet confirmed holds is waiting for its answer.
    const auto pending = database::pendingTags(connection, &error);
    if (error.isValid()) {
        return failed(error);
    }
    for (TagNeed& need : out) {
        if (need.kind == NeedKind::takeDown) {
            continue;
        }
        const auto texts = pending.constFind(need.product.id);
        if (texts != pending.cend()) {
            need.pendingPrintId = texts->value(comparedTagText(need.product.tag, need.sale ? need.sale->offerId : 0,
                                                               need.sale ? need.sale->formerPrice : 0));
        }
    }
    sortInShelfOrder(out);
    if (outcome) {
        *outcome = {};
    }
    return out;
}

std::vector<TagNeed> Catalogue::tagNeeds(bool withUpToDate, Result* outcome) const
{
    return readNeeds(Moment::now(), withUpToDate, {}, outcome);
}

std::vector<TagNeed> Catalogue::tagNeedsAt(const Moment& at, bool withUpToDate, Result* outcome) const
{
    return readNeeds(at, withUpToDate, {}, outcome);
}

StatusCounts Catalogue::status(Result* outcome) const
{
    return statusAt(Moment::now(), outcome);
}

StatusCounts Catalogue::statusAt(const Moment& now, Result* outcome) const
{
    StatusCounts out;
    QSqlDatabase connection = db();
    QSqlError error;
    const auto failed = [&](const QSqlError& failure) {
        if (outcome) {
            *outcome = database::failureOf(failure, address_, QStringLiteral("読み込み"));
        }
        return StatusCounts {};
    };
    QSqlQuery query(connection);
    if (!run(query, QStringLiteral("SELECT active, COUNT(*) FROM products WHERE valid_from <= ? GROUP BY active"),
             {now.dayText()})) {
        return failed(query.lastError());
    }
    while (query.next()) {
        (query.value(0).toInt() != 0 ? out.products : out.discontinued) += query.value(1).toInt();
    }
    std::vector<qint64> later;
    if (!run(query, QStringLiteral("SELECT id FROM products WHERE valid_from > ?"), {now.dayText()})) {
        return failed(query.lastError());
    }
    while (query.next()) {
        later.push_back(query.value(0).toLongLong());
    }
    QHash<qint64, Product> states;
    if (!later.empty() && !database::versionsOn(connection, now.day, later, states, &error)) {
        return failed(error);
    }
    for (const Product& product : states) {
        (product.active ? out.products : out.discontinued) += 1;
    }
    Result read;
    for (const TagNeed& need : readNeeds(now, false, {}, &read)) {
        switch (need.kind) {
        case NeedKind::newTag:
            ++out.newTags;
            break;
        case NeedKind::changed:
            ++out.changed;
            break;
        case NeedKind::takeDown:
            ++out.takeDown;
            break;
        case NeedKind::upToDate:
            break;
        }
        out.pendingTags += need.pendingPrintId != 0 ? 1 : 0;
    }
    if (!read.ok()) {
        if (outcome) {
            *outcome = read;
        }
        return {};
    }
    if (!run(query, QStringLiteral("SELECT COUNT(*) FROM prints WHERE state = 'pending'")) || !query.next()) {
        return failed(query.lastError());
    }
    out.pendingPrints = query.value(0).toInt();
    if (outcome) {
        *outcome = {};
    }
    return out;
}

std::vector<TagNeed> Catalogue::firstTagNeeds(int atLeast, bool* complete, StatusCounts* statusCounts,
                                              Result* outcome) const
{
    return firstTagNeedsAt(Moment::now(), atLeast, complete, statusCounts, outcome);
}

std::vector<TagNeed> Catalogue::firstTagNeedsAt(const Moment& at, int atLeast, bool* complete,
                                                StatusCounts* statusCounts, Result* outcome) const
{
    *complete = false;
    QSqlQuery query(db());
    query.setForwardOnly(true);
    // The rows each location lists (as the database has them now; a dated list may move a few).
    if (!run(query,
             QStringLiteral("SELECT p.shelf, COUNT(*) FROM products p LEFT JOIN print_tags t"
                            " ON t.id = p.shelf_tag_id WHERE p.active = 1 OR t.id IS NOT NULL GROUP BY p.shelf"))) {
        if (outcome) {
            *outcome = database::failureOf(query.lastError(), address_, QStringLiteral("読み込み"));
        }
        return {};
    }
    QHash<QString, int> counts;
    while (query.next()) {
        counts[query.value(0).toString()] += query.value(1).toInt();
    }
    query.finish();
    if (statusCounts) {
        Result read;
        *statusCounts = statusAt(at, &read);
        if (!read.ok()) {
            if (outcome) {
                *outcome = read;
            }
            return {};
        }
    }
    const QHash<QString, int> ranks = shelfRanks(counts.keys());
    QStringList inOrder(ranks.size());
    for (auto at = ranks.begin(); at != ranks.end(); ++at) {
        inOrder[at.value()] = at.key();
    }
    QStringList taken;
    int rows = 0;
    for (const QString& shelf : inOrder) {
        if (rows >= atLeast) {
            break;
        }
        taken.append(shelf);
        rows += counts.value(shelf);
    }
    if (taken.size() == inOrder.size()) {
        *complete = true;
        return readNeeds(at, true, {}, outcome);
    }
    return readNeeds(at, true, taken, outcome);
}

std::vector<ComingEvent> Catalogue::comingEvents(const Moment& from, int days, Result* outcome) const
{
    std::vector<ComingEvent> events;
    QSqlDatabase connection = db();
    const auto failed = [&](const QSqlError& failure) {
        if (outcome) {
            *outcome = database::failureOf(failure, address_, QStringLiteral("読み込み"));
        }
        return std::vector<ComingEvent> {};
    };
    const QDate last = from.day.addDays(days);
    // Each event's products and their tag counts.
    std::vector<std::vector<std::pair<qint64, int>>> products;
    std::map<std::tuple<int, QString, qint64, QString>, size_t> byKey;  // kind, moment, offer, name
    const auto add
        = [&](EventKind kind, const Moment& at, qint64 offerId, const QString& name, qint64 productId, int tags) {
              const auto key = std::make_tuple(int(kind), at.text(), offerId, name);
              auto it = byKey.find(key);
              if (it == byKey.end()) {
                  it = byKey.emplace(key, events.size()).first;
                  events.push_back({kind, at, offerId, name, 0, 0, false});
                  products.emplace_back();
              }
              events[it->second].tags += tags;
              products[it->second].emplace_back(productId, tags);
          };

    QSqlQuery query(connection);
    query.setForwardOnly(true);
    // Offers that start, and offers whose tags go back (the day after the last, or the end of a
    // time sale's hours on its last day).
    if (!run(query,
             QStringLiteral("SELECT i.offer_id, o.name, i.product_id, p.tag_count, i.first_day, i.last_day,"
                            " i.start_minutes, i.end_minutes FROM offer_items i JOIN offers o ON o.id = i.offer_id"
                            " JOIN products p ON p.id = i.product_id WHERE i.last_day >= i.first_day AND"
                            " ((i.first_day >= ? AND i.first_day <= ?) OR (i.last_day >= ? AND i.last_day <= ?))"),
             {from.dayText(), last.toString(Qt::ISODate), from.day.addDays(-1).toString(Qt::ISODate),
              last.toString(Qt::ISODate)})) {
        return failed(query.lastError());
    }
    while (query.next()) {
        const qint64 offerId = query.value(0).toLongLong();
        const QString name = query.value(1).toString();
        const qint64 productId = query.value(2).toLongLong();
        const int tags = query.value(3).toInt();
        const QDate firstDay = QDate::fromString(query.value(4).toString(), Qt::ISODate);
        const QDate lastDay = QDate::fromString(query.value(5).toString(), Qt::ISODate);
        const int startMinutes = query.value(6).toInt();
        const int endMinutes = query.value(7).toInt();
        if (firstDay >= from.day && firstDay <= last) {
            add(EventKind::offerStarts, {firstDay, std::max(startMinutes, 0)}, offerId, name, productId, tags);
        }
        const Moment back = startMinutes < 0 ? Moment {lastDay.addDays(1), 0} : Moment {lastDay, endMinutes};
        if (back.day >= from.day && back.day <= last) {
            add(EventKind::offerEnds, back, offerId, name, productId, tags);
        }
    }
    query.finish();
    // Dated lists coming into force: the versions from a day ahead whose tag differs from the one
    // before them.
    if (!run(query,
             QStringLiteral("SELECT v.product_id, v.valid_from, v.tag_text, v.active, v.tag_count, v.id,"
                            " COALESCE(m.file, '') FROM product_versions v LEFT JOIN imports m ON m.id = v.import_id"
                            " WHERE v.product_id IN (SELECT product_id FROM product_versions WHERE valid_from > ?"
                            " AND valid_from <= ?) ORDER BY v.product_id, v.valid_from, v.id"),
             {from.dayText(), last.toString(Qt::ISODate)})) {
        return failed(query.lastError());
    }
    qint64 previousProduct = 0;
    QString previousText;
    bool previousActive = false;
    while (query.next()) {
        const qint64 productId = query.value(0).toLongLong();
        const QDate day = QDate::fromString(query.value(1).toString(), Qt::ISODate);
        const QString text = query.value(2).toString();
        const bool active = query.value(3).toInt() != 0;
        const bool first = productId != previousProduct;
        if (day > from.day && day <= last && (first || text != previousText || active != previousActive)) {
            add(EventKind::priceList, {day, 0}, 0, QFileInfo(query.value(6).toString()).fileName(), productId,
                query.value(4).toInt());
        }
        previousProduct = productId;
        previousText = text;
        previousActive = active;
    }
    query.finish();

    // How many of each event's tags are printed and confirmed for it already.
    std::map<QString, QSet<qint64>> needingAt;
    for (size_t e = 0; e < events.size(); ++e) {
        const Moment at = events[e].at;
        auto it = needingAt.find(at.text());
        if (it == needingAt.end()) {
            Result read;
            QSet<qint64> needing;
            for (const TagNeed& need : readNeeds(at, false, {}, &read)) {
                needing.insert(need.product.id);
            }
            if (!read.ok()) {
                if (outcome) {
                    *outcome = read;
                }
                return {};
            }
            it = needingAt.emplace(at.text(), std::move(needing)).first;
        }
        for (const auto& [productId, tags] : products[e]) {
            events[e].ready += it->second.contains(productId) ? 0 : tags;
        }
        events[e].urgent = events[e].ready < events[e].tags && at.day <= from.day.addDays(2);
    }
    std::sort(events.begin(), events.end(), [](const ComingEvent& a, const ComingEvent& b) {
        return std::make_tuple(a.at.text(), int(a.kind), a.offerId)
            < std::make_tuple(b.at.text(), int(b.kind), b.offerId);
    });
    if (outcome) {
        *outcome = {};
    }
    return events;
}

}  // namespace catalogue
