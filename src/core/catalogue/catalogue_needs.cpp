// What needs a tag at a moment, derived from the products, their versions, their offers and the
// confirmed prints; never stored.
//
// Most products are simple at any moment: their newest state is in force, no offer holds for them
// and the tag on their shelf was printed for an earlier moment. The database compares those
// itself and returns only the ones whose tag differs (the fast query). The rest (a dated list not
// yet in force, an offer holding, a print made ahead for a later moment) are few; they are read
// with what decides them and worked out here (the careful path).

#include "core/catalogue/catalogue.h"

#include "core/catalogue/rules/coming_dates.h"
#include "core/catalogue/rules/offer_moments.h"
#include "core/catalogue/rules/shelf_order.h"
#include "core/catalogue/rules/tag_needs.h"
#include "core/catalogue/store/catalogue_queries.h"
#include "core/catalogue/store/database.h"
#include "core/catalogue/store/product_columns.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <map>

namespace catalogue {

using database::run;

namespace {

// An offer item whose days include the day bound twice: its hours, where it has any, are the
// rule's to read (rules::holdsAt).
const QString kItemOnDay = QStringLiteral("i.first_day <= ? AND i.last_day >= ?");

void bindDay(QSqlQuery& query, const Moment& at)
{
    query.addBindValue(at.dayText());
    query.addBindValue(at.dayText());
}

// The products joined with the tag on their shelf (and, for the careful path, the print it came
// from).
const QString kProductsWithShelfTags
    = QStringLiteral(" FROM products p LEFT JOIN print_tags t ON t.id = p.shelf_tag_id");
const QString kProductsWithShelfPrints = QStringLiteral(
    " FROM products p LEFT JOIN print_tags t ON t.id = p.shelf_tag_id LEFT JOIN prints r ON r.id = t.print_id");

// The ids of the products the careful path works out, bound as: day, moment, then bindDay. A
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
    bindDay(query, at);
}

// The shelf tag's columns; its texts and price come from its tag text (one value for seven).
QString shelfTagColumns(bool withPrint)
{
    return QStringLiteral("t.id AS t_id, t.print_id AS t_print_id, t.offer_id AS t_offer_id,"
                          " t.former_price AS t_former_price, t.tag_text AS t_tag_text%1")
        .arg(withPrint ? QStringLiteral(", r.as_of AS r_as_of, r.created_at AS r_created_at") : QString());
}

using rules::ShelfTag;

// The tag on a shelf as a query row gives it.
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

// Whether the print of a row (its r_as_of and r_created_at) stands on the shelf at `at`.
class PrintMoments {
public:
    explicit PrintMoments(const QSqlQuery& query)
        : asOf_(query.record().indexOf(QStringLiteral("r_as_of"))),
          createdAt_(query.record().indexOf(QStringLiteral("r_created_at")))
    { }
    bool standsAt(const QSqlQuery& query, const Moment& at) const
    {
        const QString asOf = query.value(asOf_).toString();
        if (asOf.isEmpty()) {
            return true;  // kept before prints named their moment
        }
        const Moment madeAt = Moment::of(QDateTime::fromString(query.value(createdAt_).toString(), Qt::ISODate));
        return !(at < rules::standsFrom(Moment::fromText(asOf), madeAt));
    }

private:
    int asOf_ = -1;
    int createdAt_ = -1;
};

std::optional<TagNeed> needOf(const Product& state, const OfferItem* item, const std::optional<ShelfTag>& shelf,
                              bool withUpToDate)
{
    return rules::needOf(rules::wantedTag(state, item), shelf, withUpToDate);
}

}  // namespace

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
                                 .arg(database::offerItemColumns(), kItemOnDay));
    if (ran) {
        bindDay(query, at);
        ran = query.exec();
    }
    if (!ran) {
        *error = query.lastError();
        return items;
    }
    const database::OfferItemReader reader(query);
    while (query.next()) {
        if (OfferItem item = reader.read(query); rules::holdsAt(item.period, at)) {
            items.push_back(std::move(item));
        }
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
    const QString careful = kCarefulIds.arg(kItemOnDay);
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
        PrintMoments prints;
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
                    readers.reset(new CarefulReaders {ProductReader(row), ShelfTagReader(row), PrintMoments(row)});
                }
                Product product = readers->products.read(row);
                std::optional<ShelfTag> shelf = readers->shelfTags.read(row);
                if (product.validFrom > at.dayText()) {
                    notInForce.push_back(product.id);
                }
                if (shelf && !readers->prints.standsAt(row, at)) {
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
    // For a print made ahead, the tag last confirmed of those that stand at this moment. A print
    // stands from its moment's day at the earliest (rules::standsFrom): the rest are left out here.
    QHash<qint64, ShelfTag> shelfThen;
    if (!printedAhead.empty()) {
        std::unique_ptr<std::pair<ShelfTagReader, PrintMoments>> reader;
        if (!database::forIdChunks(
                connection,
                QStringLiteral("SELECT t.product_id AS t_product_id, %1 FROM print_tags t JOIN prints r"
                               " ON r.id = t.print_id WHERE r.state = 'confirmed' AND substr(r.as_of, 1, 10) <= ?"
                               " AND t.product_id IN (%2) ORDER BY t.id")
                    .arg(shelfTagColumns(true), QStringLiteral("%1")),
                printedAhead, {at.dayText()},
                [&](const QSqlQuery& row) {
                    if (!reader) {
                        reader = std::make_unique<std::pair<ShelfTagReader, PrintMoments>>(row, row);
                    }
                    if (!reader->second.standsAt(row, at)) {
                        return;
                    }
                    if (auto tag = reader->first.read(row)) {
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
        if (const auto texts = pending.constFind(need.product.id); texts != pending.cend()) {
            need.pendingPrintId = rules::pendingPrintFor(need, *texts);
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
    QSqlDatabase connection = db();
    const auto failed = [&](const QSqlError& failure) {
        if (outcome) {
            *outcome = database::failureOf(failure, address_, QStringLiteral("読み込み"));
        }
        return std::vector<ComingEvent> {};
    };
    const QDate last = from.day.addDays(days);
    QSqlQuery query(connection);
    query.setForwardOnly(true);
    // The offer items that start in the days, or whose tags may go back in them (the day after the
    // last, or the end of a time sale's hours on its last day).
    if (!run(query,
             QStringLiteral("SELECT %1, p.tag_count FROM offer_items i JOIN offers o ON o.id = i.offer_id"
                            " JOIN products p ON p.id = i.product_id WHERE i.last_day >= i.first_day AND"
                            " ((i.first_day >= ? AND i.first_day <= ?) OR (i.last_day >= ? AND i.last_day <= ?))")
                 .arg(database::offerItemColumns()),
             {from.dayText(), last.toString(Qt::ISODate), from.day.addDays(-1).toString(Qt::ISODate),
              last.toString(Qt::ISODate)})) {
        return failed(query.lastError());
    }
    std::vector<rules::OfferedProduct> offered;
    {
        const database::OfferItemReader reader(query);
        const int tagCount = query.record().indexOf(QStringLiteral("tag_count"));
        while (query.next()) {
            offered.push_back({reader.read(query), query.value(tagCount).toInt()});
        }
    }
    query.finish();
    // The states of the products that change by a list dated within the days, each with the one
    // before it.
    if (!run(query,
             QStringLiteral("SELECT v.product_id, v.valid_from, v.tag_text, v.active, v.tag_count,"
                            " COALESCE(m.file, '') FROM product_versions v LEFT JOIN imports m ON m.id = v.import_id"
                            " WHERE v.product_id IN (SELECT product_id FROM product_versions WHERE valid_from > ?"
                            " AND valid_from <= ?) ORDER BY v.product_id, v.valid_from, v.id"),
             {from.dayText(), last.toString(Qt::ISODate)})) {
        return failed(query.lastError());
    }
    std::vector<rules::ProductState> states;
    while (query.next()) {
        states.push_back({query.value(0).toLongLong(), QDate::fromString(query.value(1).toString(), Qt::ISODate),
                          query.value(2).toString(), query.value(3).toInt() != 0, query.value(4).toInt(),
                          QFileInfo(query.value(5).toString()).fileName()});
    }
    query.finish();

    // How many of each event's tags are printed and confirmed for it already.
    std::vector<rules::EventProducts> found = rules::comingEvents(offered, states, from, days);
    std::map<QString, QSet<qint64>> needingAt;
    std::vector<ComingEvent> events;
    for (rules::EventProducts& event : found) {
        const Moment at = event.event.at;
        auto needing = needingAt.find(at.text());
        if (needing == needingAt.end()) {
            Result read;
            QSet<qint64> ids;
            for (const TagNeed& need : readNeeds(at, false, {}, &read)) {
                ids.insert(need.product.id);
            }
            if (!read.ok()) {
                if (outcome) {
                    *outcome = read;
                }
                return {};
            }
            needing = needingAt.emplace(at.text(), std::move(ids)).first;
        }
        rules::countReady(event, needing->second, from.day);
        events.push_back(std::move(event.event));
    }
    rules::sortEvents(events);
    if (outcome) {
        *outcome = {};
    }
    return events;
}

}  // namespace catalogue
