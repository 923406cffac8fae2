#include "core/catalogue/store/apply_merge.h"

#include "core/catalogue/store/catalogue_queries.h"
#include "core/catalogue/store/product_columns.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

namespace catalogue {

using database::run;

namespace {

QStringList versionColumns()
{
    return QStringList {QStringLiteral("id"), QStringLiteral("product_id"), QStringLiteral("import_id"),
                        QStringLiteral("valid_from")}
    + listColumnNames() + QStringList {QStringLiteral("active"), QStringLiteral("tag_text")};
}

}  // namespace

MergeResult applyMerge(QSqlDatabase& db, const database::WriteTransaction& transaction, const MergePlan& plan,
                       const std::vector<Product>& existing, const MergeRecord& record)
{
    Q_UNUSED(transaction);
    MergeResult result;
    result.counts = plan.counts;
    QSqlError error;
    const auto failed = [&](const QSqlError& failure) {
        static_cast<Result&>(result) = database::failureOf(failure, record.address, QStringLiteral("取り込み"));
        return result;
    };
    bool ok = true;
    qint64 productId = database::nextId(db, QStringLiteral("products"), &ok);
    qint64 historyId = ok ? database::nextId(db, QStringLiteral("price_history"), &ok) : 0;
    qint64 versionId = ok ? database::nextId(db, QStringLiteral("product_versions"), &ok) : 0;
    const qint64 importId = ok ? database::nextId(db, QStringLiteral("imports"), &ok) : 0;
    if (!ok) {
        return failed(db.lastError());
    }
    const QString date = database::dateText(record.validFrom);
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("INSERT INTO imports (id, file, imported_at, valid_from, partial, row_count, new_count,"
                            " changed_count, discontinued_count, refused_count) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
             {importId, record.fileName, database::nowText(), date, int(record.partial), plan.counts.rows,
              plan.counts.added, plan.counts.changed, plan.counts.discontinued, plan.counts.refused})) {
        return failed(query.lastError());
    }

    // Every regular price with the date it holds from: a new product's first, and a changed one;
    // every state of a product from the date it holds from.
    std::vector<QVariantList> history;
    const auto priceRow = [&](qint64 product, const ProductData& data) {
        history.push_back({historyId++, product, importId, date, qint64(data.tag.price), data.listPrice,
                           int(data.priceIncludesTax), data.taxRatePercent});
    };
    std::vector<QVariantList> versions;
    const auto versionRow = [&](qint64 product, const ProductData& data, bool active) {
        QVariantList row {versionId++, product, importId, date};
        row << listColumnValues(data) << int(active) << productTagText(data);
        versions.push_back(std::move(row));
    };

    std::vector<QVariantList> added;
    added.reserve(plan.added.size());
    for (const ProductData& data : plan.added) {
        QVariantList row {productId, data.code};
        row << listColumnValues(data) << date << date << 1 << productTagText(data) << date;
        added.push_back(std::move(row));
        versionRow(productId, data, true);
        priceRow(productId++, data);
    }
    if (!database::insertRows(db, QStringLiteral("products"),
                              QStringList {QStringLiteral("id"), QStringLiteral("code")} + listColumnNames()
                                  + QStringList {QStringLiteral("first_seen"), QStringLiteral("last_seen"),
                                                 QStringLiteral("active"), QStringLiteral("tag_text"),
                                                 QStringLiteral("valid_from")},
                              added, &error)) {
        return failed(error);
    }

    // The new state of every product the list changes; the products row takes it below.
    std::vector<qint64> updatedIds;
    for (const PlannedUpdate& update : plan.updated) {
        updatedIds.push_back(update.id);
        versionRow(update.id, update.data, true);
        if (std::any_of(update.changedFields.begin(), update.changedFields.end(), isPriceField)) {
            priceRow(update.id, update.data);
        }
    }

    if (!plan.discontinued.empty()) {
        QHash<qint64, const Product*> byId;
        for (const Product& product : existing) {
            byId.insert(product.id, &product);
        }
        if (!query.prepare(
                QStringLiteral("UPDATE products SET active = 0, valid_from = ? WHERE id = ? AND valid_from <= ?"))) {
            return failed(query.lastError());
        }
        for (const qint64 id : plan.discontinued) {
            query.addBindValue(date);
            query.addBindValue(id);
            query.addBindValue(date);
            if (!query.exec()) {
                return failed(query.lastError());
            }
            if (const Product* product = byId.value(id)) {
                versionRow(id, *product, false);
            }
        }
    }
    if (!database::insertRows(db, QStringLiteral("price_history"),
                              {QStringLiteral("id"), QStringLiteral("product_id"), QStringLiteral("import_id"),
                               QStringLiteral("valid_from"), QStringLiteral("tag_price"), QStringLiteral("list_price"),
                               QStringLiteral("price_includes_tax"), QStringLiteral("tax_rate")},
                              history, &error)
        || !database::insertRows(db, QStringLiteral("product_versions"), versionColumns(), versions, &error)) {
        return failed(error);
    }

    // The products row keeps the newest state, as the version just written has it (the last, should
    // a product be named twice); one a later list changed already keeps that list's.
    QSet<qint64> newer;
    const QStringList columns = listColumnNames();
    QStringList fromVersion;
    for (const QString& column : columns) {
        fromVersion << QStringLiteral("v.") + column;
    }
    if (!database::forIdChunks(
            db, QStringLiteral("SELECT id FROM products WHERE valid_from > ? AND id IN (%1)"), updatedIds, {date},
            [&](const QSqlQuery& row) { newer.insert(row.value(0).toLongLong()); }, &error)
        || !database::forIdChunks(
            db,
            QStringLiteral("UPDATE products SET (%1, tag_text) = (SELECT %2, v.tag_text FROM product_versions v"
                           " WHERE v.product_id = products.id AND v.valid_from = ? AND v.import_id = ?"
                           " ORDER BY v.id DESC LIMIT 1), last_seen = ?, active = 1, valid_from = ?"
                           " WHERE valid_from <= ? AND id IN (%3)")
                .arg(columns.join(QStringLiteral(", ")), fromVersion.join(QStringLiteral(", ")), QStringLiteral("%1")),
            updatedIds, {date, importId, date, date, date}, [](const QSqlQuery&) {}, &error)) {
        return failed(error);
    }
    std::vector<const PlannedUpdate*> patchLater;
    for (const PlannedUpdate& update : plan.updated) {
        if (newer.contains(update.id) && !update.changedFields.empty()) {
            patchLater.push_back(&update);
        }
    }

    // A list dated before one taken in already: what it changes holds on in the later states, in
    // every field the later list left as it was.
    if (!patchLater.empty()) {
        QHash<qint64, const PlannedUpdate*> updateOf;
        QHash<qint64, const Product*> before;
        std::vector<qint64> ids;
        for (const PlannedUpdate* update : patchLater) {
            updateOf.insert(update->id, update);
            ids.push_back(update->id);
        }
        for (const Product& product : existing) {
            if (updateOf.contains(product.id)) {
                before.insert(product.id, &product);
            }
        }
        struct Later {
            qint64 versionId;
            Product state;
        };
        std::vector<Later> later;
        std::unique_ptr<ProductReader> reader;
        if (!database::forIdChunks(
                db,
                QStringLiteral(
                    "SELECT v.id AS v_id, %1 FROM product_versions v JOIN products p ON p.id = v.product_id"
                    " WHERE v.valid_from > ? AND v.product_id IN (%2) ORDER BY v.product_id, v.valid_from, v.id")
                    .arg(versionSelectList(), QStringLiteral("%1")),
                ids, {date},
                [&](const QSqlQuery& row) {
                    if (!reader) {
                        reader = std::make_unique<ProductReader>(row);
                    }
                    later.push_back({row.value(QStringLiteral("v_id")).toLongLong(), reader->read(row)});
                },
                &error)) {
            return failed(error);
        }
        QStringList assignments;
        for (const QString& column : columns) {
            assignments << column + QStringLiteral(" = ?");
        }
        QSqlQuery version(db);
        QSqlQuery newest(db);
        if (!version.prepare(QStringLiteral("UPDATE product_versions SET %1, tag_text = ? WHERE id = ?")
                                 .arg(assignments.join(QStringLiteral(", "))))
            || !newest.prepare(QStringLiteral("UPDATE products SET %1, tag_text = ? WHERE id = ? AND valid_from = ?")
                                   .arg(assignments.join(QStringLiteral(", "))))) {
            return failed(version.lastError().isValid() ? version.lastError() : newest.lastError());
        }
        for (Later& state : later) {
            const PlannedUpdate& update = *updateOf.value(state.state.id);
            const Product* old = before.value(state.state.id);
            bool patched = false;
            for (const ProductField field : update.changedFields) {
                const ProductFieldAccess& access = accessOf(field);
                if (old && access.same(state.state, *old)) {
                    access.copy(state.state, update.data);
                    patched = true;
                }
            }
            if (!patched) {
                continue;
            }
            for (QSqlQuery* write : {&version, &newest}) {
                for (const QVariant& value : listColumnValues(state.state)) {
                    write->addBindValue(database::bindable(value));
                }
                write->addBindValue(productTagText(state.state));
            }
            version.addBindValue(state.versionId);
            newest.addBindValue(state.state.id);
            newest.addBindValue(state.state.validFrom);
            if (!version.exec() || !newest.exec()) {
                return failed(version.lastError().isValid() ? version.lastError() : newest.lastError());
            }
        }
    }

    if (!record.partial) {
        // Every product of a full list is active now, and only those: they were all seen today.
        // A row that says so already is left alone (a list taken in again the same day): on
        // PostgreSQL every row written is a new copy of it in the table and in each index.
        if (!run(query, QStringLiteral("UPDATE products SET last_seen = ? WHERE active = 1 AND last_seen <> ?"),
                 {date, date})) {
            return failed(query.lastError());
        }
    } else if (!plan.seen.empty()) {
        if (!query.prepare(QStringLiteral("UPDATE products SET last_seen = ? WHERE id = ? AND last_seen <> ?"))) {
            return failed(query.lastError());
        }
        for (const qint64 id : plan.seen) {
            query.addBindValue(date);
            query.addBindValue(id);
            query.addBindValue(date);
            if (!query.exec()) {
                return failed(query.lastError());
            }
        }
    }
    query.finish();
    result.importId = importId;
    return result;
}

}  // namespace catalogue
