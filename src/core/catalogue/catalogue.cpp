#include "core/catalogue/catalogue.h"

#include "core/catalogue/rules/shelf_order.h"
#include "core/catalogue/store/apply_merge.h"
#include "core/catalogue/store/catalogue_copies.h"
#include "core/catalogue/store/catalogue_queries.h"
#include "core/catalogue/store/catalogue_storage.h"
#include "core/catalogue/store/database.h"
#include "core/catalogue/store/product_columns.h"

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
    "r.id AS r_id, r.created_at AS r_created_at, r.as_of AS r_as_of, r.tag_format AS r_tag_format, r.start_tag AS "
    "r_start_tag,"
    " r.sheet_count AS r_sheet_count, r.destination AS r_destination, r.state AS r_state,"
    " r.decided_at AS r_decided_at, (SELECT COUNT(*) FROM print_tags c WHERE c.print_id = r.id) AS r_tag_count");

PrintInfo readPrint(const QSqlQuery& query)
{
    const auto value = [&](const char* name) { return query.value(QLatin1String(name)); };
    PrintInfo out;
    out.id = value("r_id").toLongLong();
    out.createdAt = value("r_created_at").toString();
    out.asOf = value("r_as_of").toString();
    out.format = value("r_tag_format").toString();
    out.startTag = value("r_start_tag").toInt();
    out.sheetCount = value("r_sheet_count").toInt();
    out.destination = value("r_destination").toString();
    out.state = stateOfKey(value("r_state").toString());
    out.decidedAt = value("r_decided_at").toString();
    out.tagCount = value("r_tag_count").toInt();
    return out;
}

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

std::vector<Product> Catalogue::productsOn(const QDate& day, QSqlError* error) const
{
    std::vector<Product> out;
    QSqlQuery query(db());
    query.setForwardOnly(true);
    if (!run(query, QStringLiteral("SELECT %1 FROM products p").arg(mergedProductSelectList()))) {
        *error = query.lastError();
        return out;
    }
    const ProductReader reader(query);
    const QString dayText = database::dateText(day);
    std::vector<qint64> later;
    while (query.next()) {
        out.push_back(reader.read(query));
        if (out.back().validFrom > dayText) {
            later.push_back(out.back().id);
        }
    }
    query.finish();
    if (later.empty()) {
        return out;
    }
    // A product a later list changed is as it was on the day; one that came with a later list is
    // as that list has it (it is in the catalogue, and this list may name it too).
    QHash<qint64, Product> states;
    if (!database::versionsOn(db(), day, later, states, error)) {
        return out;
    }
    for (Product& product : out) {
        if (const auto found = states.constFind(product.id); found != states.cend()) {
            product = *found;
        }
    }
    return out;
}

MergePlan Catalogue::planMerge(const IncomingList& list, const MergeOptions& options, Result* outcome) const
{
    QSqlError error;
    const QDate day = options.validFrom.isValid() ? options.validFrom : QDate::currentDate();
    const std::vector<Product> existing = productsOn(day, &error);
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
    const QDate day = options.validFrom.isValid() ? options.validFrom : QDate::currentDate();
    const std::vector<Product> existing = productsOn(day, &error);
    if (error.isValid()) {
        return failed(error);
    }
    const MergePlan plan = catalogue::planMerge(existing, list, options);
    MergeResult result
        = applyMerge(connection, transaction, plan, existing, {address_, list.fileName, day, options.partial});
    if (result.ok()) {
        // The offers after the list's date see its prices in the weeks before them.
        std::vector<qint64> repriced;
        for (const PlannedUpdate& update : plan.updated) {
            if (std::any_of(update.changedFields.begin(), update.changedFields.end(), isPriceField)) {
                repriced.push_back(update.id);
            }
        }
        if (const Result refreshed = refreshFormerPrices(connection, repriced, day); !refreshed.ok()) {
            static_cast<Result&>(result) = refreshed;
        }
    }
    if (QSqlError said; result.ok() && !database::announce(connection, QStringLiteral("import"), &said)) {
        return failed(said);
    }
    if (result.ok() && !transaction.commit()) {
        result = failed(transaction.error());
    }
    result.copyProblem = copyProblem;
    return result;
}

std::optional<Product> Catalogue::product(const QString& code, Result* outcome) const
{
    return productAt(code, Moment::now(), outcome);
}

std::optional<Product> Catalogue::productAt(const QString& code, const Moment& at, Result* outcome) const
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
    Product found = ProductReader(query).read(query);
    query.finish();
    if (found.validFrom > at.dayText()) {
        // Changed by a list not yet in force: as it is on the day.
        QHash<qint64, Product> states;
        QSqlError error;
        if (!database::versionsOn(connection, at.day, {found.id}, states, &error)) {
            if (outcome) {
                *outcome = database::failureOf(error, address_, QStringLiteral("読み込み"));
            }
            return std::nullopt;
        }
        if (!states.contains(found.id)) {
            if (outcome) {
                *outcome
                    = {Status::notFound,
                       QStringLiteral("コード %1 の商品は %2 から商品マスタに入ります。").arg(code, found.validFrom)};
            }
            return std::nullopt;
        }
        found = states.value(found.id);
    }
    if (outcome) {
        *outcome = {};
    }
    return found;
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
                   "SELECT %1, t.sheet AS t_sheet, t.slot AS t_slot, t.offer_id AS t_offer_id, %2"
                   " FROM print_tags t JOIN prints r ON r.id = t.print_id WHERE t.product_id = ? ORDER BY t.id")
                   .arg(kPrintColumns, tagSelectList()),
               {found->id});
    if (ok) {
        const TagReader printed(query);
        while (query.next()) {
            out.prints.push_back({readPrint(query), query.value(QStringLiteral("t_sheet")).toInt(),
                                  query.value(QStringLiteral("t_slot")).toInt(), printed.read(query),
                                  query.value(QStringLiteral("t_offer_id")).toLongLong()});
        }
    }
    ok = ok
        && run(query,
               QStringLiteral("SELECT %1 FROM offer_items i JOIN offers o ON o.id = i.offer_id WHERE i.product_id = ?"
                              " ORDER BY i.first_day, i.id")
                   .arg(database::offerItemColumns()),
               {found->id});
    while (ok && query.next()) {
        out.offers.push_back(database::readOfferItem(query));
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
                              const QString& destination, const Moment& asOf, qint64* printId)
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
                           " decided_at, as_of) VALUES (?, ?, ?, ?, ?, ?, 'pending', '', ?)"),
            {id, database::nowText(), format, startTag, sheetCount, destination, asOf.text()})) {
        return fail(query.lastError());
    }
    std::vector<QVariantList> rows;
    rows.reserve(tags.size());
    for (const PlacedTag& placed : tags) {
        QVariantList row {tagId++, id, placed.productId, placed.sheet, placed.slot};
        row << tagColumnValues(placed.tag)
            << comparedTagText(placed.tag, placed.offerId, placed.formerPrice, placed.unitText)
            << (placed.offerId != 0 ? QVariant(placed.offerId) : QVariant(QMetaType::fromType<qint64>()))
            << placed.formerPrice;
        rows.push_back(std::move(row));
    }
    QSqlError error;
    if (!database::insertRows(
            connection, QStringLiteral("print_tags"),
            QStringList {QStringLiteral("id"), QStringLiteral("print_id"), QStringLiteral("product_id"),
                         QStringLiteral("sheet"), QStringLiteral("slot")}
                + tagColumnNames()
                + QStringList {QStringLiteral("tag_text"), QStringLiteral("offer_id"), QStringLiteral("former_price")},
            rows, &error)) {
        return fail(error);
    }
    query.finish();
    if (QSqlError said; !database::announce(connection, QStringLiteral("print"), &said)) {
        return fail(said);
    }
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
                "UPDATE products SET shelf_tag_id = ?, shelf_tag_text = (SELECT tag_text FROM print_tags WHERE id = ?)"
                " WHERE id = ? AND (shelf_tag_id IS NULL OR shelf_tag_id < ?)"))) {
            return fail(query.lastError());
        }
        for (const auto& [product, tag] : shelved) {
            query.addBindValue(tag);
            query.addBindValue(tag);
            query.addBindValue(product);
            query.addBindValue(tag);
            if (!query.exec()) {
                return fail(query.lastError());
            }
        }
    }
    query.finish();
    if (QSqlError said; !database::announce(connection, QStringLiteral("confirm"), &said)) {
        return fail(said);
    }
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
            || !run(clear,
                    QStringLiteral("UPDATE products SET shelf_tag_id = NULL, shelf_tag_text = NULL"
                                   " WHERE id = ? AND active = 0"),
                    {productId})) {
            return fail(query.lastError().isValid() ? query.lastError() : clear.lastError());
        }
    }
    query.finish();
    clear.finish();
    if (QSqlError said; !database::announce(connection, QStringLiteral("takedown"), &said)) {
        return fail(said);
    }
    if (!transaction.commit()) {
        return fail(transaction.error());
    }
    return {};
}

}  // namespace catalogue
