#include "core/catalogue/catalogue.h"

#include "core/catalogue/apply_merge.h"
#include "core/catalogue/catalogue_copies.h"
#include "core/catalogue/catalogue_storage.h"
#include "core/catalogue/database.h"
#include "core/catalogue/product_columns.h"
#include "core/catalogue/shelf_order.h"

#include <QAtomicInteger>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

namespace catalogue {

using database::run;

namespace {

QAtomicInteger<quint64> connectionCounter;

PrintState stateOfKey(const QString& key)
{
    return key == QLatin1String("confirmed") ? PrintState::confirmed
        : key == QLatin1String("failed")     ? PrintState::failed
                                             : PrintState::pending;
}

const QString kPrintColumns = QStringLiteral(
    "r.id AS r_id, r.created_at AS r_created_at, r.tag_format AS r_tag_format, r.start_tag AS r_start_tag,"
    " r.sheet_count AS r_sheet_count, r.destination AS r_destination, r.state AS r_state,"
    " r.decided_at AS r_decided_at, (SELECT COUNT(*) FROM print_tags c WHERE c.print_id = r.id) AS r_tag_count");

PrintInfo readPrint(const QSqlQuery& query)
{
    const auto value = [&](const char* name) { return query.value(QLatin1String(name)); };
    PrintInfo out;
    out.id = value("r_id").toLongLong();
    out.createdAt = value("r_created_at").toString();
    out.format = value("r_tag_format").toString();
    out.startTag = value("r_start_tag").toInt();
    out.sheetCount = value("r_sheet_count").toInt();
    out.destination = value("r_destination").toString();
    out.state = stateOfKey(value("r_state").toString());
    out.decidedAt = value("r_decided_at").toString();
    out.tagCount = value("r_tag_count").toInt();
    return out;
}

// The condition, on products p joined with their shelf tag t, of a product whose tag needs
// printing (new or changed) or taking down. Used by the listing and the counts alike.
const QString kNeedsTag = QStringLiteral(
    "(p.active = 1 AND (t.id IS NULL OR t.tag_text <> p.tag_text)) OR (p.active = 0 AND t.id IS NOT NULL)");

}  // namespace

QString needKindTitle(NeedKind kind)
{
    switch (kind) {
    case NeedKind::newTag:
        return QStringLiteral("新規");
    case NeedKind::changed:
        return QStringLiteral("変更あり");
    case NeedKind::upToDate:
        return QStringLiteral("最新");
    case NeedKind::takeDown:
        return QStringLiteral("取り下げ");
    }
    return {};
}

QString needKindKey(NeedKind kind)
{
    static const char* const keys[] = {"new", "changed", "up-to-date", "takedown"};
    return QString::fromLatin1(keys[int(kind)]);
}

QString printStateTitle(PrintState state)
{
    switch (state) {
    case PrintState::pending:
        return QStringLiteral("確認待ち");
    case PrintState::confirmed:
        return QStringLiteral("確認済み");
    case PrintState::failed:
        return QStringLiteral("失敗");
    }
    return {};
}

QString printStateKey(PrintState state)
{
    static const char* const keys[] = {"pending", "confirmed", "failed"};
    return QString::fromLatin1(keys[int(state)]);
}

Catalogue::Catalogue(const CatalogueAddress& address, const QString& connection)
    : address_(address), connection_(connection)
{ }

Catalogue::~Catalogue()
{
    {
        QSqlDatabase connection = QSqlDatabase::database(connection_, false);
        connection.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

QSqlDatabase Catalogue::db() const
{
    return QSqlDatabase::database(connection_, false);
}

std::unique_ptr<Catalogue> Catalogue::open(const CatalogueAddress& address, const OpenOptions& options, Result* outcome)
{
    const QString connection = QStringLiteral("tanafuda-catalogue-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
    Result result = database::connect(address, connection, options);
    if (result.ok()) {
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        // A catalogue whose first import was stopped holds tables but nothing else: it counts as none.
        if (!options.create && (database::storedVersion(db) == 0 || database::holdsNothing(db))) {
            result = {Status::missing,
                      QStringLiteral("商品マスタ %1 はまだありません。商品リストを取り込むと作られます。")
                          .arg(address.display())};
        } else if (options.readOnly) {
            result = database::refuseNewer(database::storedVersion(db), address);
        } else {
            result = database::migrate(db, address);
        }
    }
    if (outcome) {
        *outcome = result;
    }
    if (!result.ok()) {
        if (QSqlDatabase::contains(connection)) {
            QSqlDatabase::database(connection, false).close();
            QSqlDatabase::removeDatabase(connection);
        }
        return nullptr;
    }
    return std::unique_ptr<Catalogue>(new Catalogue(address, connection));
}

int Catalogue::schemaVersion() const
{
    QSqlDatabase connection = db();
    return database::storedVersion(connection);
}

std::vector<Product> Catalogue::allProducts(QSqlError* error) const
{
    std::vector<Product> out;
    QSqlQuery query(db());
    query.setForwardOnly(true);
    if (!run(query, QStringLiteral("SELECT %1 FROM products p").arg(productSelectList()))) {
        *error = query.lastError();
        return out;
    }
    const ProductReader reader(query);
    while (query.next()) {
        out.push_back(reader.read(query));
    }
    return out;
}

MergePlan Catalogue::planMerge(const IncomingList& list, const MergeOptions& options, Result* outcome) const
{
    QSqlError error;
    const std::vector<Product> existing = allProducts(&error);
    if (outcome) {
        *outcome = error.isValid() ? database::failureOf(error, address_, QStringLiteral("読み込み")) : Result {};
    }
    return catalogue::planMerge(existing, list, options);
}

MergeResult Catalogue::merge(const IncomingList& list, const MergeOptions& options)
{
    QSqlDatabase connection = db();
    // Before the day's first import, a copy to restore from should the file ever be damaged.
    const QString copyProblem = address_.kind == CatalogueAddress::Kind::sqlite
        ? copies::takeDailyCopy(connection, storage::resolvedFile(address_.path), QDate::currentDate())
        : QString();
    const auto failed = [&](const QSqlError& error) {
        MergeResult result;
        static_cast<Result&>(result) = database::failureOf(error, address_, QStringLiteral("取り込み"));
        result.copyProblem = copyProblem;
        return result;
    };
    database::WriteTransaction transaction(connection);
    if (!transaction.begun()) {
        return failed(transaction.error());
    }
    QSqlError error;
    const std::vector<Product> existing = allProducts(&error);
    if (error.isValid()) {
        return failed(error);
    }
    const MergePlan plan = catalogue::planMerge(existing, list, options);
    MergeResult result
        = applyMerge(connection, transaction, plan,
                     {address_, list.fileName, options.validFrom.isValid() ? options.validFrom : QDate::currentDate(),
                      options.partial});
    if (result.ok() && !transaction.commit()) {
        result = failed(transaction.error());
    }
    result.copyProblem = copyProblem;
    return result;
}

namespace {

const QString kListedNeeds = QStringLiteral("p.active = 1 OR t.id IS NOT NULL");

}  // namespace

std::vector<TagNeed> Catalogue::readNeeds(const QString& condition, const QStringList& shelves, Result* outcome) const
{
    std::vector<TagNeed> out;
    QSqlDatabase connection = db();
    QSqlQuery query(connection);
    query.setForwardOnly(true);
    QString sql = QStringLiteral("SELECT %1, t.id AS t_id, t.print_id AS t_print_id, %2"
                                 " FROM products p LEFT JOIN print_tags t ON t.id = p.shelf_tag_id WHERE (%3)")
                      .arg(productSelectList(), tagSelectList(), condition);
    if (!shelves.isEmpty()) {
        sql += QStringLiteral(" AND p.shelf IN (%1)").arg(QStringList(shelves.size(), QStringLiteral("?")).join(u','));
    }
    bool ran = query.prepare(sql);
    for (const QString& shelf : shelves) {
        query.addBindValue(database::bindable(shelf));
    }
    ran = ran && query.exec();
    if (!ran) {
        if (outcome) {
            *outcome = database::failureOf(query.lastError(), address_, QStringLiteral("読み込み"));
        }
        return out;
    }
    const ProductReader product(query);
    const TagReader shelfTag(query);
    const int shelfTagId = query.record().indexOf(QStringLiteral("t_id"));
    const int shelfPrintId = query.record().indexOf(QStringLiteral("t_print_id"));
    while (query.next()) {
        TagNeed need;
        need.product = product.read(query);
        const bool shelved = !query.value(shelfTagId).isNull();
        if (shelved) {
            need.shelfPrintId = query.value(shelfPrintId).toLongLong();
            need.shelfTag = shelfTag.read(query);
        }
        if (!need.product.active) {
            need.kind = NeedKind::takeDown;
        } else if (!shelved) {
            need.kind = NeedKind::newTag;
        } else {
            need.changedFields = tagDifferences(need.product.tag, *need.shelfTag);
            need.kind = need.changedFields.empty() ? NeedKind::upToDate : NeedKind::changed;
        }
        out.push_back(std::move(need));
    }
    sortInShelfOrder(out);
    if (outcome) {
        *outcome = {};
    }
    return out;
}

std::vector<TagNeed> Catalogue::tagNeeds(bool withUpToDate, Result* outcome) const
{
    return readNeeds(withUpToDate ? kListedNeeds : kNeedsTag, {}, outcome);
}

std::vector<TagNeed> Catalogue::firstTagNeeds(int atLeast, bool* complete, StatusCounts* statusCounts,
                                              Result* outcome) const
{
    *complete = false;
    QSqlDatabase connection = db();
    QSqlQuery query(connection);
    query.setForwardOnly(true);
    // One pass over the products gives both the rows of each location and the counts of each status.
    const QString shelved = QStringLiteral("CASE WHEN t.id IS NULL THEN 0 ELSE 1 END");
    const QString needsTag = QStringLiteral("CASE WHEN %1 THEN 1 ELSE 0 END").arg(kNeedsTag);
    if (!run(query,
             QStringLiteral("SELECT p.shelf, p.active, %1, %2, COUNT(*) FROM products p LEFT JOIN print_tags t"
                            " ON t.id = p.shelf_tag_id GROUP BY p.shelf, p.active, %1, %2")
                 .arg(shelved, needsTag))) {
        if (outcome) {
            *outcome = database::failureOf(query.lastError(), address_, QStringLiteral("読み込み"));
        }
        return {};
    }
    QHash<QString, int> counts;  // the rows each location shows
    StatusCounts status;
    while (query.next()) {
        const bool active = query.value(1).toInt() != 0;
        const bool onShelf = query.value(2).toInt() != 0;
        const bool needs = query.value(3).toInt() != 0;
        const int count = query.value(4).toInt();
        (active ? status.products : status.discontinued) += count;
        if (needs) {
            (!active ? status.takeDown : onShelf ? status.changed : status.newTags) += count;
        }
        if (active || onShelf) {
            counts[query.value(0).toString()] += count;
        }
    }
    if (statusCounts) {
        *statusCounts = status;
    }
    query.finish();
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
        return readNeeds(kListedNeeds, {}, outcome);
    }
    return readNeeds(kListedNeeds, taken, outcome);
}

StatusCounts Catalogue::status(Result* outcome) const
{
    StatusCounts out;
    QSqlDatabase connection = db();
    QSqlQuery query(connection);
    const bool ok = run(
        query,
        QStringLiteral("SELECT p.active, CASE WHEN t.id IS NULL THEN 0 ELSE 1 END, CASE WHEN %1 THEN 1 ELSE 0 END,"
                       " COUNT(*) FROM products p LEFT JOIN print_tags t ON t.id = p.shelf_tag_id"
                       " GROUP BY p.active, CASE WHEN t.id IS NULL THEN 0 ELSE 1 END, CASE WHEN %1 THEN 1 ELSE 0 END")
            .arg(kNeedsTag));
    while (ok && query.next()) {
        const bool active = query.value(0).toInt() != 0;
        const bool shelved = query.value(1).toInt() != 0;
        const bool needs = query.value(2).toInt() != 0;
        const int count = query.value(3).toInt();
        (active ? out.products : out.discontinued) += count;
        if (needs) {
            (!active ? out.takeDown : shelved ? out.changed : out.newTags) += count;
        }
    }
    const bool ok2
        = ok && run(query, QStringLiteral("SELECT COUNT(*) FROM prints WHERE state = 'pending'")) && query.next();
    if (ok2) {
        out.pendingPrints = query.value(0).toInt();
    }
    if (outcome) {
        *outcome = ok2 ? Result {} : database::failureOf(query.lastError(), address_, QStringLiteral("読み込み"));
    }
    return out;
}

std::optional<Product> Catalogue::product(const QString& code, Result* outcome) const
{
    QSqlDatabase connection = db();
    QSqlQuery query(connection);
    if (!run(query, QStringLiteral("SELECT %1 FROM products p WHERE p.code = ?").arg(productSelectList()), {code})) {
        if (outcome) {
            *outcome = database::failureOf(query.lastError(), address_, QStringLiteral("読み込み"));
        }
        return std::nullopt;
    }
    if (!query.next()) {
        if (outcome) {
            *outcome = {Status::notFound, QStringLiteral("コード %1 の商品は商品マスタにありません。").arg(code)};
        }
        return std::nullopt;
    }
    if (outcome) {
        *outcome = {};
    }
    return ProductReader(query).read(query);
}

std::optional<ProductHistory> Catalogue::history(const QString& code, Result* outcome) const
{
    const std::optional<Product> found = product(code, outcome);
    if (!found) {
        return std::nullopt;
    }
    ProductHistory out;
    out.product = *found;
    QSqlDatabase connection = db();
    QSqlQuery query(connection);
    bool ok = run(
        query,
        QStringLiteral("SELECT h.valid_from, h.tag_price, h.list_price, h.price_includes_tax, h.tax_rate, h.import_id,"
                       " i.file FROM price_history h JOIN imports i ON i.id = h.import_id"
                       " WHERE h.product_id = ? ORDER BY h.id"),
        {found->id});
    while (ok && query.next()) {
        out.prices.push_back({query.value(0).toString(), query.value(1).toLongLong(), query.value(2).toLongLong(),
                              query.value(3).toInt() != 0, query.value(4).toInt(), query.value(5).toLongLong(),
                              query.value(6).toString()});
    }
    ok = ok
        && run(query,
               QStringLiteral(
                   "SELECT %1, t.sheet AS t_sheet, t.slot AS t_slot, %2"
                   " FROM print_tags t JOIN prints r ON r.id = t.print_id WHERE t.product_id = ? ORDER BY t.id")
                   .arg(kPrintColumns, tagSelectList()),
               {found->id});
    if (ok) {
        const TagReader printed(query);
        while (query.next()) {
            out.prints.push_back({readPrint(query), query.value(QStringLiteral("t_sheet")).toInt(),
                                  query.value(QStringLiteral("t_slot")).toInt(), printed.read(query)});
        }
    }
    if (outcome) {
        *outcome = ok ? Result {} : database::failureOf(query.lastError(), address_, QStringLiteral("読み込み"));
    }
    return ok ? std::optional<ProductHistory>(out) : std::nullopt;
}

std::vector<ImportInfo> Catalogue::imports(Result* outcome) const
{
    std::vector<ImportInfo> out;
    QSqlDatabase connection = db();
    QSqlQuery query(connection);
    const bool ok = run(query,
                        QStringLiteral("SELECT id, file, imported_at, valid_from, partial, row_count, new_count,"
                                       " changed_count, discontinued_count, refused_count FROM imports ORDER BY id"));
    while (ok && query.next()) {
        ImportInfo info;
        info.id = query.value(0).toLongLong();
        info.file = query.value(1).toString();
        info.importedAt = query.value(2).toString();
        info.validFrom = query.value(3).toString();
        info.partial = query.value(4).toInt() != 0;
        info.counts.rows = query.value(5).toInt();
        info.counts.added = query.value(6).toInt();
        info.counts.changed = query.value(7).toInt();
        info.counts.discontinued = query.value(8).toInt();
        info.counts.refused = query.value(9).toInt();
        out.push_back(info);
    }
    if (outcome) {
        *outcome = ok ? Result {} : database::failureOf(query.lastError(), address_, QStringLiteral("読み込み"));
    }
    return out;
}

Result Catalogue::recordPrint(const std::vector<PlacedTag>& tags, const QString& format, int startTag, int sheetCount,
                              const QString& destination, qint64* printId)
{
    QSqlDatabase connection = db();
    const auto fail
        = [&](const QSqlError& error) { return database::failureOf(error, address_, QStringLiteral("印刷の記録")); };
    database::WriteTransaction transaction(connection);
    if (!transaction.begun()) {
        return fail(transaction.error());
    }
    bool ok = true;
    const qint64 id = database::nextId(connection, QStringLiteral("prints"), &ok);
    qint64 tagId = ok ? database::nextId(connection, QStringLiteral("print_tags"), &ok) : 0;
    if (!ok) {
        return fail(connection.lastError());
    }
    QSqlQuery query(connection);
    if (!run(
            query,
            QStringLiteral("INSERT INTO prints (id, created_at, tag_format, start_tag, sheet_count, destination, state,"
                           " decided_at) VALUES (?, ?, ?, ?, ?, ?, 'pending', '')"),
            {id, database::nowText(), format, startTag, sheetCount, destination})) {
        return fail(query.lastError());
    }
    std::vector<QVariantList> rows;
    rows.reserve(tags.size());
    for (const PlacedTag& placed : tags) {
        QVariantList row {tagId++, id, placed.productId, placed.sheet, placed.slot};
        row << tagColumnValues(placed.tag) << tagText(placed.tag);
        rows.push_back(std::move(row));
    }
    QSqlError error;
    if (!database::insertRows(connection, QStringLiteral("print_tags"),
                              QStringList {QStringLiteral("id"), QStringLiteral("print_id"),
                                           QStringLiteral("product_id"), QStringLiteral("sheet"),
                                           QStringLiteral("slot")}
                                  + tagColumnNames() + QStringList {QStringLiteral("tag_text")},
                              rows, &error)) {
        return fail(error);
    }
    query.finish();
    if (!transaction.commit()) {
        return fail(transaction.error());
    }
    if (printId) {
        *printId = id;
    }
    return {};
}

Result Catalogue::decidePrint(qint64 printId, PrintState state)
{
    QSqlDatabase connection = db();
    const auto fail
        = [&](const QSqlError& error) { return database::failureOf(error, address_, QStringLiteral("印刷の確認")); };
    database::WriteTransaction transaction(connection);
    if (!transaction.begun()) {
        return fail(transaction.error());
    }
    QSqlQuery query(connection);
    if (!run(query, QStringLiteral("SELECT state FROM prints WHERE id = ?"), {printId})) {
        return fail(query.lastError());
    }
    if (!query.next()) {
        return {Status::notFound, QStringLiteral("印刷 %1 はありません。").arg(printId)};
    }
    const PrintState now = stateOfKey(query.value(0).toString());
    query.finish();
    if (now != PrintState::pending) {
        return {Status::notFound,
                QStringLiteral("印刷 %1 はすでに「%2」です。").arg(printId).arg(printStateTitle(now))};
    }
    if (!run(query, QStringLiteral("UPDATE prints SET state = ?, decided_at = ? WHERE id = ?"),
             {printStateKey(state), database::nowText(), printId})) {
        return fail(query.lastError());
    }
    // A confirmed print's tags are on the shelf now, unless a later confirmed print put a newer
    // tag of the product there already. (Row by row: one statement with correlated subqueries
    // is planned badly by a server that has no statistics of freshly filled tables.)
    if (state == PrintState::confirmed) {
        if (!run(query,
                 QStringLiteral("SELECT product_id, MAX(id) FROM print_tags WHERE print_id = ? GROUP BY product_id"),
                 {printId})) {
            return fail(query.lastError());
        }
        std::vector<std::pair<qint64, qint64>> shelved;
        while (query.next()) {
            shelved.emplace_back(query.value(0).toLongLong(), query.value(1).toLongLong());
        }
        query.finish();
        if (!query.prepare(QStringLiteral(
                "UPDATE products SET shelf_tag_id = ? WHERE id = ? AND (shelf_tag_id IS NULL OR shelf_tag_id < ?)"))) {
            return fail(query.lastError());
        }
        for (const auto& [product, tag] : shelved) {
            query.addBindValue(tag);
            query.addBindValue(product);
            query.addBindValue(tag);
            if (!query.exec()) {
                return fail(query.lastError());
            }
        }
    }
    query.finish();
    if (!transaction.commit()) {
        return fail(transaction.error());
    }
    return {};
}

std::vector<PrintInfo> Catalogue::prints(bool pendingOnly, Result* outcome) const
{
    std::vector<PrintInfo> out;
    QSqlDatabase connection = db();
    QSqlQuery query(connection);
    const bool ok
        = run(query,
              QStringLiteral("SELECT %1 FROM prints r%2 ORDER BY r.id")
                  .arg(kPrintColumns, pendingOnly ? QStringLiteral(" WHERE r.state = 'pending'") : QString()));
    while (ok && query.next()) {
        out.push_back(readPrint(query));
    }
    if (outcome) {
        *outcome = ok ? Result {} : database::failureOf(query.lastError(), address_, QStringLiteral("読み込み"));
    }
    return out;
}

Result Catalogue::recordTakenDown(const std::vector<qint64>& productIds)
{
    QSqlDatabase connection = db();
    const auto fail = [&](const QSqlError& error) {
        return database::failureOf(error, address_, QStringLiteral("取り下げの記録"));
    };
    database::WriteTransaction transaction(connection);
    if (!transaction.begun()) {
        return fail(transaction.error());
    }
    bool ok = true;
    qint64 id = database::nextId(connection, QStringLiteral("takedowns"), &ok);
    if (!ok) {
        return fail(connection.lastError());
    }
    const QString now = database::nowText();
    QSqlQuery query(connection);
    QSqlQuery clear(connection);
    for (qint64 productId : productIds) {
        if (!run(query,
                 QStringLiteral(
                     "INSERT INTO takedowns (id, product_id, print_tag_id, done_at) SELECT ?, id, shelf_tag_id, ?"
                     " FROM products WHERE id = ? AND active = 0 AND shelf_tag_id IS NOT NULL"),
                 {id++, now, productId})
            || !run(clear, QStringLiteral("UPDATE products SET shelf_tag_id = NULL WHERE id = ? AND active = 0"),
                    {productId})) {
            return fail(query.lastError().isValid() ? query.lastError() : clear.lastError());
        }
    }
    query.finish();
    clear.finish();
    if (!transaction.commit()) {
        return fail(transaction.error());
    }
    return {};
}

}  // namespace catalogue
