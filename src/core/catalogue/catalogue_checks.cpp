// Shelf checks as the catalogue keeps them: a check with its moment, the locations it covered and
// its entries, written in one transaction; read back whole, listed, and the last check of every
// location for status.

#include "core/catalogue/catalogue.h"

#include "core/catalogue/rules/shelf_order.h"
#include "core/catalogue/store/catalogue_queries.h"
#include "core/catalogue/store/database.h"

#include <QHash>
#include <QSqlQuery>

#include <algorithm>

namespace catalogue {

using database::run;

namespace {

// A moment as a check keeps it ("YYYY-MM-DDTHH:MM"); an unreadable text gives an invalid day.
Moment momentOfText(const QString& text)
{
    const QDate day = QDate::fromString(text.left(10), Qt::ISODate);
    const QTime time = QTime::fromString(text.mid(11), QStringLiteral("HH:mm"));
    return day.isValid() && time.isValid() && text.size() == 16 ? Moment {day, time.hour() * 60 + time.minute()}
                                                                : Moment {};
}

const QString kCheckColumns = QStringLiteral("c.id, c.created_at, c.as_of, c.place, c.scan_count");

ShelfCheckRecord readCheck(const QSqlQuery& query)
{
    ShelfCheckRecord out;
    out.id = query.value(0).toLongLong();
    out.createdAt = query.value(1).toString();
    out.at = momentOfText(query.value(2).toString());
    out.place = query.value(3).toString();
    out.scans = query.value(4).toInt();
    return out;
}

}  // namespace

Result Catalogue::recordCheck(const ShelfCheckRecord& check, qint64* checkId)
{
    QSqlDatabase connection = db();
    const auto fail = [&](const QSqlError& error) {
        return database::failureOf(error, address_, QStringLiteral("棚チェックの記録"));
    };
    database::WriteTransaction transaction(connection);
    if (!transaction.begun()) {
        return fail(transaction.error());
    }
    bool ok = true;
    const qint64 id = database::nextId(connection, QStringLiteral("shelf_checks"), &ok);
    qint64 entryId = ok ? database::nextId(connection, QStringLiteral("shelf_check_results"), &ok) : 0;
    if (!ok) {
        return fail(connection.lastError());
    }
    QSqlQuery query(connection);
    if (!run(query,
             QStringLiteral(
                 "INSERT INTO shelf_checks (id, created_at, as_of, place, scan_count) VALUES (?, ?, ?, ?, ?)"),
             {id, database::nowText(), check.at.text(), check.place, check.scans})) {
        return fail(query.lastError());
    }
    query.finish();
    std::vector<QVariantList> locations;
    for (const QString& location : check.locations) {
        locations.push_back({id, location});
    }
    std::vector<QVariantList> entries;
    int seq = 0;
    for (const CheckEntry& entry : check.entries) {
        entries.push_back({entryId++, id, ++seq, checkVerdictKey(entry.verdict),
                           entry.productId != 0 ? QVariant(entry.productId) : QVariant(QMetaType::fromType<qint64>()),
                           entry.code, entry.location, entry.shelf, entry.name, entry.price, entry.detail, entry.tags,
                           entry.tagCount});
    }
    QSqlError error;
    if (!database::insertRows(connection, QStringLiteral("shelf_check_locations"),
                              {QStringLiteral("check_id"), QStringLiteral("location")}, locations, &error)
        || !database::insertRows(connection, QStringLiteral("shelf_check_results"),
                                 {QStringLiteral("id"), QStringLiteral("check_id"), QStringLiteral("seq"),
                                  QStringLiteral("verdict"), QStringLiteral("product_id"), QStringLiteral("code"),
                                  QStringLiteral("location"), QStringLiteral("shelf"), QStringLiteral("name"),
                                  QStringLiteral("price"), QStringLiteral("detail"), QStringLiteral("tags"),
                                  QStringLiteral("tag_count")},
                                 entries, &error)) {
        return fail(error);
    }
    if (!database::announce(connection, QStringLiteral("check"), &error)) {
        return fail(error);
    }
    if (!transaction.commit()) {
        return fail(transaction.error());
    }
    if (checkId) {
        *checkId = id;
    }
    return {};
}

std::optional<ShelfCheckRecord> Catalogue::shelfCheck(qint64 checkId, Result* outcome) const
{
    QSqlDatabase connection = db();
    QSqlQuery query(connection);
    const auto failed = [&](const QSqlError& error) {
        if (outcome) {
            *outcome = database::failureOf(error, address_, QStringLiteral("読み込み"));
        }
        return std::nullopt;
    };
    if (!run(query, QStringLiteral("SELECT %1 FROM shelf_checks c WHERE c.id = ?").arg(kCheckColumns), {checkId})) {
        return failed(query.lastError());
    }
    if (!query.next()) {
        if (outcome) {
            *outcome = {Status::notFound, QStringLiteral("棚チェック %1 はありません。").arg(checkId)};
        }
        return std::nullopt;
    }
    ShelfCheckRecord out = readCheck(query);
    query.finish();
    if (!run(query, QStringLiteral("SELECT location FROM shelf_check_locations WHERE check_id = ?"), {checkId})) {
        return failed(query.lastError());
    }
    while (query.next()) {
        out.locations << query.value(0).toString();
    }
    std::sort(out.locations.begin(), out.locations.end(),
              [](const QString& a, const QString& b) { return compareNaturally(a, b) < 0; });
    if (!run(query,
             QStringLiteral("SELECT verdict, product_id, code, location, shelf, name, price, detail, tags, tag_count"
                            " FROM shelf_check_results WHERE check_id = ? ORDER BY seq"),
             {checkId})) {
        return failed(query.lastError());
    }
    while (query.next()) {
        CheckEntry entry;
        entry.verdict = checkVerdictOfKey(query.value(0).toString()).value_or(CheckVerdict::unknown);
        entry.productId = query.value(1).toLongLong();
        entry.code = query.value(2).toString();
        entry.location = query.value(3).toString();
        entry.shelf = query.value(4).toString();
        entry.name = query.value(5).toString();
        entry.price = query.value(6).toLongLong();
        entry.detail = query.value(7).toString();
        entry.tags = query.value(8).toInt();
        entry.tagCount = query.value(9).toInt();
        out.entries.push_back(std::move(entry));
    }
    if (outcome) {
        *outcome = {};
    }
    return out;
}

std::vector<ShelfCheckRecord> Catalogue::shelfChecks(Result* outcome) const
{
    std::vector<ShelfCheckRecord> out;
    QSqlDatabase connection = db();
    QSqlQuery query(connection);
    const bool ok = run(query, QStringLiteral("SELECT %1 FROM shelf_checks c ORDER BY c.id").arg(kCheckColumns));
    while (ok && query.next()) {
        out.push_back(readCheck(query));
    }
    if (outcome) {
        *outcome = ok ? Result {} : database::failureOf(query.lastError(), address_, QStringLiteral("読み込み"));
    }
    return out;
}

std::vector<LocationCheck> Catalogue::lastChecks(const Moment& at, Result* outcome) const
{
    QSqlDatabase connection = db();
    QSqlQuery query(connection);
    query.setForwardOnly(true);
    const auto failed = [&](const QSqlError& error) {
        if (outcome) {
            *outcome = database::failureOf(error, address_, QStringLiteral("読み込み"));
        }
        return std::vector<LocationCheck> {};
    };
    // The locations, folded as shelf order compares them, each under the first spelling met.
    if (!run(query, QStringLiteral("SELECT DISTINCT shelf FROM products WHERE active = 1 AND shelf <> ''"))) {
        return failed(query.lastError());
    }
    QHash<QString, LocationCheck> byKey;
    while (query.next()) {
        const QString location = query.value(0).toString().trimmed();
        const QString key = naturalSortKey(location);
        if (!key.isEmpty() && !byKey.contains(key)) {
            byKey.insert(key, {location, 0, {}, 0});
        }
    }
    query.finish();
    // The newest check of each, by its moment (then by its number).
    if (!run(query,
             QStringLiteral("SELECT l.location, c.id, c.as_of FROM shelf_check_locations l JOIN shelf_checks c"
                            " ON c.id = l.check_id WHERE c.as_of <= ?"),
             {at.text()})) {
        return failed(query.lastError());
    }
    QHash<QString, QString> newestAsOf;
    while (query.next()) {
        const auto found = byKey.find(naturalSortKey(query.value(0).toString().trimmed()));
        if (found == byKey.end()) {
            continue;
        }
        const qint64 id = query.value(1).toLongLong();
        const QString asOf = query.value(2).toString();
        QString& newest = newestAsOf[found.key()];
        if (found->checkId == 0 || asOf > newest || (asOf == newest && id > found->checkId)) {
            found->checkId = id;
            found->at = momentOfText(asOf);
            newest = asOf;
        }
    }
    query.finish();
    // What those checks found to fix at each location.
    std::vector<qint64> ids;
    for (const LocationCheck& location : byKey) {
        if (location.checkId != 0 && std::find(ids.begin(), ids.end(), location.checkId) == ids.end()) {
            ids.push_back(location.checkId);
        }
    }
    QSqlError error;
    if (!database::forIdChunks(
            connection,
            QStringLiteral("SELECT check_id, location, COUNT(*) FROM shelf_check_results WHERE verdict <> 'right'"
                           " AND check_id IN (%1) GROUP BY check_id, location"),
            ids, {},
            [&](const QSqlQuery& row) {
                const auto found = byKey.find(naturalSortKey(row.value(1).toString().trimmed()));
                if (found != byKey.end() && found->checkId == row.value(0).toLongLong()) {
                    found->toFix += row.value(2).toInt();
                }
            },
            &error)) {
        return failed(error);
    }
    std::vector<LocationCheck> out(byKey.begin(), byKey.end());
    std::sort(out.begin(), out.end(), [](const LocationCheck& a, const LocationCheck& b) {
        return compareNaturally(a.location, b.location) < 0;
    });
    if (outcome) {
        *outcome = {};
    }
    return out;
}

}  // namespace catalogue
