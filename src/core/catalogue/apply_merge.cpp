#include "core/catalogue/apply_merge.h"

#include "core/catalogue/product_columns.h"

#include <QSqlQuery>

namespace catalogue {

using database::run;

MergeResult applyMerge(QSqlDatabase& db, const database::WriteTransaction& transaction, const MergePlan& plan,
                       const MergeRecord& record)
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

    // Every regular price with the date it holds from: a new product's first, and a changed one.
    std::vector<QVariantList> history;
    const auto priceRow = [&](qint64 product, const ProductData& data) {
        history.push_back({historyId++, product, importId, date, qint64(data.tag.price), data.listPrice,
                           int(data.priceIncludesTax), data.taxRatePercent});
    };

    std::vector<QVariantList> added;
    added.reserve(plan.added.size());
    for (const ProductData& data : plan.added) {
        QVariantList row {productId, data.code};
        row << listColumnValues(data) << date << date << 1 << tagText(data.tag);
        added.push_back(std::move(row));
        priceRow(productId++, data);
    }
    if (!database::insertRows(db, QStringLiteral("products"),
                              QStringList {QStringLiteral("id"), QStringLiteral("code")} + listColumnNames()
                                  + QStringList {QStringLiteral("first_seen"), QStringLiteral("last_seen"),
                                                 QStringLiteral("active"), QStringLiteral("tag_text")},
                              added, &error)) {
        return failed(error);
    }

    if (!plan.updated.empty()) {
        QStringList assignments;
        for (const QString& column : listColumnNames()) {
            assignments << column + QStringLiteral(" = ?");
        }
        if (!query.prepare(
                QStringLiteral("UPDATE products SET %1, last_seen = ?, active = 1, tag_text = ? WHERE id = ?")
                    .arg(assignments.join(QStringLiteral(", "))))) {
            return failed(query.lastError());
        }
        for (const PlannedUpdate& update : plan.updated) {
            for (const QVariant& value : listColumnValues(update.data)) {
                query.addBindValue(database::bindable(value));
            }
            query.addBindValue(date);
            query.addBindValue(tagText(update.data.tag));
            query.addBindValue(update.id);
            if (!query.exec()) {
                return failed(query.lastError());
            }
            if (std::any_of(update.changedFields.begin(), update.changedFields.end(), isPriceField)) {
                priceRow(update.id, update.data);
            }
        }
    }
    if (!database::insertRows(db, QStringLiteral("price_history"),
                              {QStringLiteral("id"), QStringLiteral("product_id"), QStringLiteral("import_id"),
                               QStringLiteral("valid_from"), QStringLiteral("tag_price"), QStringLiteral("list_price"),
                               QStringLiteral("price_includes_tax"), QStringLiteral("tax_rate")},
                              history, &error)) {
        return failed(error);
    }

    if (!plan.discontinued.empty()) {
        if (!query.prepare(QStringLiteral("UPDATE products SET active = 0 WHERE id = ?"))) {
            return failed(query.lastError());
        }
        for (const qint64 id : plan.discontinued) {
            query.addBindValue(id);
            if (!query.exec()) {
                return failed(query.lastError());
            }
        }
    }
    if (!record.partial) {
        // Every product of a full list is active now, and only those: they were all seen today.
        if (!run(query, QStringLiteral("UPDATE products SET last_seen = ? WHERE active = 1"), {date})) {
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
