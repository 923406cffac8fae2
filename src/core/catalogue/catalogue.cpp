#include "core/catalogue/catalogue.h"

#include "core/catalogue/database.h"
#include "core/catalogue/natural_order.h"

#include <QAtomicInteger>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>

namespace catalogue {

using database::run;

namespace {

QAtomicInteger<quint64> connectionCounter;

const QString kProductColumns = QStringLiteral(
    "p.id, p.code, p.jan, p.maker, p.name, p.name2, p.spec, p.lot, p.tag_price, p.list_price, p.price_includes_tax,"
    " p.tax_rate, p.shelf, p.tag_count, p.list_order, p.first_seen, p.last_seen, p.active");
constexpr int kProductColumnCount = 18;

Product readProduct(const QSqlQuery& query, int at = 0)
{
    Product out;
    out.id = query.value(at + 0).toLongLong();
    out.code = query.value(at + 1).toString();
    out.tag.jan = query.value(at + 2).toString();
    out.tag.maker = query.value(at + 3).toString();
    out.tag.productName = query.value(at + 4).toString();
    out.tag.productName2 = query.value(at + 5).toString();
    out.tag.spec = query.value(at + 6).toString();
    out.tag.lot = query.value(at + 7).toString();
    out.tag.price = qint32(query.value(at + 8).toLongLong());
    out.listPrice = query.value(at + 9).toLongLong();
    out.priceIncludesTax = query.value(at + 10).toInt() != 0;
    out.taxRatePercent = query.value(at + 11).toInt();
    out.shelf = query.value(at + 12).toString();
    out.tagCount = query.value(at + 13).toInt();
    out.listOrder = query.value(at + 14).toInt();
    out.firstSeen = query.value(at + 15).toString();
    out.lastSeen = query.value(at + 16).toString();
    out.active = query.value(at + 17).toInt() != 0;
    return out;
}

// The texts and price of a printed tag, read from print_tags columns jan..price at `at`.
sheet::TagRecord readTag(const QSqlQuery& query, int at)
{
    sheet::TagRecord tag;
    tag.jan = query.value(at + 0).toString();
    tag.maker = query.value(at + 1).toString();
    tag.productName = query.value(at + 2).toString();
    tag.productName2 = query.value(at + 3).toString();
    tag.spec = query.value(at + 4).toString();
    tag.lot = query.value(at + 5).toString();
    tag.price = qint32(query.value(at + 6).toLongLong());
    return tag;
}

PrintState stateOfKey(const QString& key)
{
    return key == QLatin1String("confirmed") ? PrintState::confirmed
        : key == QLatin1String("failed")     ? PrintState::failed
                                             : PrintState::pending;
}

const QString kPrintColumns = QStringLiteral(
    "r.id, r.created_at, r.tag_format, r.start_tag, r.sheet_count, r.destination, r.state, r.decided_at,"
    " (SELECT COUNT(*) FROM print_tags c WHERE c.print_id = r.id)");

PrintInfo readPrint(const QSqlQuery& query, int at = 0)
{
    PrintInfo out;
    out.id = query.value(at + 0).toLongLong();
    out.createdAt = query.value(at + 1).toString();
    out.format = query.value(at + 2).toString();
    out.startTag = query.value(at + 3).toInt();
    out.sheetCount = query.value(at + 4).toInt();
    out.destination = query.value(at + 5).toString();
    out.state = stateOfKey(query.value(at + 6).toString());
    out.decidedAt = query.value(at + 7).toString();
    out.tagCount = query.value(at + 8).toInt();
    return out;
}

// The fields in which `now` differs from the tag `shown`.
std::vector<sheet::Field> differences(const sheet::TagRecord& now, const sheet::TagRecord& shown)
{
    std::vector<sheet::Field> out;
    const auto check = [&](sheet::Field field, bool same) {
        if (!same) {
            out.push_back(field);
        }
    };
    check(sheet::Field::jan, now.jan == shown.jan);
    check(sheet::Field::maker, now.maker == shown.maker);
    check(sheet::Field::productName, now.productName == shown.productName);
    check(sheet::Field::productName2, now.productName2 == shown.productName2);
    check(sheet::Field::spec, now.spec == shown.spec);
    check(sheet::Field::lot, now.lot == shown.lot);
    check(sheet::Field::price, now.price == shown.price);
    return out;
}

// The tag's texts and price as one text (the fields separated by U+001F, which no cleaned text holds).
QString tagText(const QString& jan, const QString& maker, const QString& name, const QString& name2,
                const QString& spec, const QString& lot, qint64 price)
{
    const QChar separator(0x1F);
    return jan + separator + maker + separator + name + separator + name2 + separator + spec + separator + lot
        + separator + QString::number(price);
}

// The condition, on products p joined with their shelf tag t, of a product whose tag needs
// printing (new or changed) or taking down. Used by the listing and the counts alike.
const QString kNeedsTag = QStringLiteral(
    "(p.active = 1 AND (t.id IS NULL OR t.tag_text <> p.tag_text)) OR (p.active = 0 AND t.id IS NOT NULL)");

qint64 nextId(QSqlDatabase db, const QString& table, bool* ok)
{
    QSqlQuery query(db);
    *ok = run(query, QStringLiteral("SELECT MAX(id) FROM %1").arg(table)) && query.next();
    return *ok ? query.value(0).toLongLong() + 1 : 0;
}

// Inserts `rows` (each with one value per column) as multi-row INSERT statements.
bool insertRows(QSqlDatabase db, const QString& table, const QStringList& columns,
                const std::vector<QVariantList>& rows, QSqlError* error)
{
    const size_t perStatement = std::max<size_t>(1, 400 / size_t(columns.size()));
    QString placeholders = QStringLiteral("(?") + QStringLiteral(",?").repeated(columns.size() - 1) + u')';
    QSqlQuery query(db);
    QString preparedFor;
    for (size_t first = 0; first < rows.size(); first += perStatement) {
        const size_t count = std::min(perStatement, rows.size() - first);
        QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, columns.join(u','));
        for (size_t i = 0; i < count; ++i) {
            sql += (i ? QStringLiteral(",") : QString()) + placeholders;
        }
        if (sql != preparedFor && !query.prepare(sql)) {
            *error = query.lastError();
            return false;
        }
        preparedFor = sql;
        for (size_t i = first; i < first + count; ++i) {
            for (const QVariant& value : rows[i]) {
                query.addBindValue(database::bindable(value));
            }
        }
        if (!query.exec()) {
            *error = query.lastError();
            return false;
        }
    }
    return true;
}

bool sameData(const Product& old, const IncomingProduct& in)
{
    return old.tag.jan == in.jan && old.tag.maker == in.maker && old.tag.productName == in.name
        && old.tag.productName2 == in.name2 && old.tag.spec == in.spec && old.tag.lot == in.lot
        && old.tag.price == in.tagPrice && old.listPrice == in.listPrice && old.priceIncludesTax == in.priceIncludesTax
        && old.taxRatePercent == in.taxRatePercent && old.shelf == in.shelf && old.tagCount == in.tagCount;
}

}  // namespace

QString tagFieldTitle(sheet::Field field)
{
    switch (field) {
    case sheet::Field::jan:
        return QStringLiteral("JANコード");
    case sheet::Field::maker:
        return QStringLiteral("メーカー");
    case sheet::Field::productName:
        return QStringLiteral("商品名");
    case sheet::Field::productName2:
        return QStringLiteral("商品名2");
    case sheet::Field::spec:
        return QStringLiteral("規格");
    case sheet::Field::lot:
        return QStringLiteral("ロット");
    case sheet::Field::price:
        return QStringLiteral("価格");
    }
    return {};
}

QString tagFieldKey(sheet::Field field)
{
    static const char* const keys[] = {"jan", "maker", "name", "name2", "spec", "lot", "price"};
    return QString::fromLatin1(keys[int(field)]);
}

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

Catalogue::Catalogue(const Location& location, const QString& connection) : location_(location), connection_(connection)
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

std::unique_ptr<Catalogue> Catalogue::open(const Location& location, const OpenOptions& options, Outcome* outcome)
{
    const QString connection = QStringLiteral("tanafuda-catalogue-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
    Outcome result = database::connect(location, connection, options);
    if (result.ok()) {
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        if (!options.create && database::storedVersion(db) == 0) {
            result = {Failure::missing,
                      QStringLiteral("商品マスタ %1 はまだありません。商品リストを取り込むと作られます。")
                          .arg(location.display())};
        } else if (options.readOnly) {
            result = database::refuseNewer(database::storedVersion(db), location);
        } else {
            result = database::migrate(db, location);
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
    return std::unique_ptr<Catalogue>(new Catalogue(location, connection));
}

int Catalogue::schemaVersion() const
{
    QSqlDatabase connection = db();
    return database::storedVersion(connection);
}

MergeResult Catalogue::merge(const IncomingList& list, const MergeOptions& options)
{
    MergeResult result;
    QSqlDatabase connection = db();
    const auto fail = [&](const QSqlError& error) {
        result.outcome = database::failureOf(error, location_, QStringLiteral("取り込み"));
        return result;
    };
    database::WriteTransaction transaction(connection);
    if (!transaction.begun()) {
        return fail(transaction.error());
    }
    QSqlQuery query(connection);
    query.setForwardOnly(true);
    if (!run(query, QStringLiteral("SELECT %1 FROM products p").arg(kProductColumns))) {
        return fail(query.lastError());
    }
    std::vector<Product> existing;
    QHash<QString, size_t> byCode;
    int maxOrder = 0;
    while (query.next()) {
        existing.push_back(readProduct(query));
        byCode.insert(existing.back().code, existing.size() - 1);
        maxOrder = std::max(maxOrder, existing.back().listOrder);
    }
    query.finish();

    bool ok = true;
    qint64 productId = nextId(connection, QStringLiteral("products"), &ok);
    qint64 historyId = ok ? nextId(connection, QStringLiteral("price_history"), &ok) : 0;
    const qint64 importId = ok ? nextId(connection, QStringLiteral("imports"), &ok) : 0;
    if (!ok) {
        return fail(connection.lastError());
    }
    const QString date = database::dateText(options.validFrom.isValid() ? options.validFrom : QDate::currentDate());
    if (!options.dryRun
        && !run(
            query,
            QStringLiteral("INSERT INTO imports (id, file, imported_at, valid_from, partial, row_count, new_count,"
                           " changed_count, discontinued_count, refused_count) VALUES (?, ?, ?, ?, ?, ?, 0, 0, 0, 0)"),
            {importId, list.fileName, database::nowText(), date, int(options.partial), list.rowCount})) {
        return fail(query.lastError());
    }

    MergeCounts& counts = result.counts;
    counts.rows = list.rowCount;
    counts.refused = int(list.refused.size());
    std::vector<QVariantList> newProducts;
    std::vector<QVariantList> history;
    std::vector<char> seen(existing.size(), 0);
    QSqlQuery update(connection);
    bool updatePrepared = false;
    for (const IncomingProduct& in : list.products) {
        const auto it = byCode.constFind(in.code);
        if (it == byCode.cend()) {
            ++counts.added;
            const int order = options.partial ? maxOrder + in.listOrder : in.listOrder;
            newProducts.push_back({productId, in.code, in.jan, in.maker, in.name, in.name2, in.spec, in.lot,
                                   in.listPrice, int(in.priceIncludesTax), in.taxRatePercent, in.tagPrice, in.shelf,
                                   in.tagCount, order, date, date, 1,
                                   tagText(in.jan, in.maker, in.name, in.name2, in.spec, in.lot, in.tagPrice)});
            history.push_back({historyId++, productId, importId, date, in.tagPrice, in.listPrice,
                               int(in.priceIncludesTax), in.taxRatePercent});
            ++productId;
            continue;
        }
        const Product& old = existing[*it];
        seen[*it] = 1;
        const bool same = sameData(old, in);
        const int order = options.partial ? old.listOrder : in.listOrder;
        if (same && old.active && order == old.listOrder) {
            ++counts.unchanged;
            continue;
        }
        if (same && old.active) {
            ++counts.unchanged;
        } else {
            ++counts.changed;
        }
        if (old.tag.price != in.tagPrice || old.listPrice != in.listPrice || old.taxRatePercent != in.taxRatePercent
            || old.priceIncludesTax != in.priceIncludesTax) {
            history.push_back({historyId++, old.id, importId, date, in.tagPrice, in.listPrice, int(in.priceIncludesTax),
                               in.taxRatePercent});
        }
        if (options.dryRun) {
            continue;
        }
        if (!updatePrepared
            && !update.prepare(QStringLiteral(
                "UPDATE products SET jan = ?, maker = ?, name = ?, name2 = ?, spec = ?, lot = ?, list_price = ?,"
                " price_includes_tax = ?, tax_rate = ?, tag_price = ?, shelf = ?, tag_count = ?, list_order = ?,"
                " last_seen = ?, active = 1, tag_text = ? WHERE id = ?"))) {
            return fail(update.lastError());
        }
        updatePrepared = true;
        for (const QVariant& value :
             {QVariant(in.jan), QVariant(in.maker), QVariant(in.name), QVariant(in.name2), QVariant(in.spec),
              QVariant(in.lot), QVariant(in.listPrice), QVariant(int(in.priceIncludesTax)), QVariant(in.taxRatePercent),
              QVariant(in.tagPrice), QVariant(in.shelf), QVariant(in.tagCount), QVariant(order), QVariant(date),
              QVariant(tagText(in.jan, in.maker, in.name, in.name2, in.spec, in.lot, in.tagPrice)), QVariant(old.id)}) {
            update.addBindValue(database::bindable(value));
        }
        if (!update.exec()) {
            return fail(update.lastError());
        }
    }
    std::vector<qint64> gone;
    if (!options.partial) {
        for (size_t i = 0; i < existing.size(); ++i) {
            if (!seen[i] && existing[i].active) {
                gone.push_back(existing[i].id);
            }
        }
    }
    counts.discontinued = int(gone.size());
    if (options.dryRun) {
        result.outcome = {};
        return result;
    }
    QSqlError error;
    if (!insertRows(connection, QStringLiteral("products"),
                    {QStringLiteral("id"), QStringLiteral("code"), QStringLiteral("jan"), QStringLiteral("maker"),
                     QStringLiteral("name"), QStringLiteral("name2"), QStringLiteral("spec"), QStringLiteral("lot"),
                     QStringLiteral("list_price"), QStringLiteral("price_includes_tax"), QStringLiteral("tax_rate"),
                     QStringLiteral("tag_price"), QStringLiteral("shelf"), QStringLiteral("tag_count"),
                     QStringLiteral("list_order"), QStringLiteral("first_seen"), QStringLiteral("last_seen"),
                     QStringLiteral("active"), QStringLiteral("tag_text")},
                    newProducts, &error)
        || !insertRows(connection, QStringLiteral("price_history"),
                       {QStringLiteral("id"), QStringLiteral("product_id"), QStringLiteral("import_id"),
                        QStringLiteral("valid_from"), QStringLiteral("tag_price"), QStringLiteral("list_price"),
                        QStringLiteral("price_includes_tax"), QStringLiteral("tax_rate")},
                       history, &error)) {
        return fail(error);
    }
    if (!gone.empty()) {
        if (!query.prepare(QStringLiteral("UPDATE products SET active = 0 WHERE id = ?"))) {
            return fail(query.lastError());
        }
        for (qint64 id : gone) {
            query.addBindValue(id);
            if (!query.exec()) {
                return fail(query.lastError());
            }
        }
    }
    // Every product of a full list is active now, and only those: they were all seen today.
    if (!options.partial && !run(query, QStringLiteral("UPDATE products SET last_seen = ? WHERE active = 1"), {date})) {
        return fail(query.lastError());
    }
    if (options.partial) {
        if (!query.prepare(QStringLiteral("UPDATE products SET last_seen = ? WHERE id = ?"))) {
            return fail(query.lastError());
        }
        for (size_t i = 0; i < existing.size(); ++i) {
            if (seen[i] && existing[i].lastSeen != date) {
                query.addBindValue(date);
                query.addBindValue(existing[i].id);
                if (!query.exec()) {
                    return fail(query.lastError());
                }
            }
        }
    }
    if (!run(query,
             QStringLiteral(
                 "UPDATE imports SET new_count = ?, changed_count = ?, discontinued_count = ?, refused_count = ?"
                 " WHERE id = ?"),
             {counts.added, counts.changed, counts.discontinued, counts.refused, importId})) {
        return fail(query.lastError());
    }
    query.finish();
    update.finish();
    if (!transaction.commit()) {
        return fail(transaction.error());
    }
    result.importId = importId;
    return result;
}

namespace {

const QString kListedNeeds = QStringLiteral("p.active = 1 OR t.id IS NOT NULL");

// Each distinct location's place in shelf order: the natural order, then the text itself. A shop
// has a few hundred locations for many thousands of products, so the natural comparison is made
// between locations once and the products are then sorted by numbers.
QHash<QString, int> shelfRanks(const QStringList& shelves)
{
    std::vector<std::pair<QString, QString>> keyed;  // sort key, location
    keyed.reserve(size_t(shelves.size()));
    for (const QString& shelf : shelves) {
        keyed.emplace_back(naturalSortKey(shelf), shelf);
    }
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        if (const int natural = compareSortKeys(a.first, b.first); natural != 0) {
            return natural < 0;
        }
        return a.second < b.second;
    });
    QHash<QString, int> ranks;
    ranks.reserve(int(keyed.size()));
    for (size_t rank = 0; rank < keyed.size(); ++rank) {
        ranks.insert(keyed[rank].second, int(rank));
    }
    return ranks;
}

void sortInShelfOrder(std::vector<TagNeed>& needs)
{
    QHash<QString, int> seen;
    for (const TagNeed& need : needs) {
        seen.insert(need.product.shelf, 0);
    }
    const QHash<QString, int> ranks = shelfRanks(seen.keys());
    std::vector<int> rankOf(needs.size());
    for (size_t i = 0; i < needs.size(); ++i) {
        rankOf[i] = ranks.value(needs[i].product.shelf);
    }
    std::vector<size_t> order(needs.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (rankOf[a] != rankOf[b]) {
            return rankOf[a] < rankOf[b];
        }
        const Product& x = needs[a].product;
        const Product& y = needs[b].product;
        return x.listOrder != y.listOrder ? x.listOrder < y.listOrder : x.code < y.code;
    });
    std::vector<TagNeed> sorted;
    sorted.reserve(needs.size());
    for (size_t i : order) {
        sorted.push_back(std::move(needs[i]));
    }
    needs = std::move(sorted);
}

}  // namespace

std::vector<TagNeed> Catalogue::readNeeds(const QString& condition, const QStringList& shelves, Outcome* outcome) const
{
    std::vector<TagNeed> out;
    QSqlDatabase connection = db();
    QSqlQuery query(connection);
    query.setForwardOnly(true);
    QString sql = QStringLiteral("SELECT %1, t.id, t.print_id, t.jan, t.maker, t.name, t.name2, t.spec, t.lot, t.price"
                                 " FROM products p LEFT JOIN print_tags t ON t.id = p.shelf_tag_id WHERE (%2)")
                      .arg(kProductColumns, condition);
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
            *outcome = database::failureOf(query.lastError(), location_, QStringLiteral("読み込み"));
        }
        return out;
    }
    while (query.next()) {
        TagNeed need;
        need.product = readProduct(query);
        const bool shelved = !query.value(kProductColumnCount).isNull();
        if (shelved) {
            need.shelfPrintId = query.value(kProductColumnCount + 1).toLongLong();
            need.shelfTag = readTag(query, kProductColumnCount + 2);
        }
        if (!need.product.active) {
            need.kind = NeedKind::takeDown;
        } else if (!shelved) {
            need.kind = NeedKind::newTag;
        } else {
            need.changedFields = differences(need.product.tag, *need.shelfTag);
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

std::vector<TagNeed> Catalogue::tagNeeds(bool withUpToDate, Outcome* outcome) const
{
    return readNeeds(withUpToDate ? kListedNeeds : kNeedsTag, {}, outcome);
}

std::vector<TagNeed> Catalogue::firstTagNeeds(int atLeast, bool* complete, StatusCounts* statusCounts,
                                              Outcome* outcome) const
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
            *outcome = database::failureOf(query.lastError(), location_, QStringLiteral("読み込み"));
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

StatusCounts Catalogue::status(Outcome* outcome) const
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
        *outcome = ok2 ? Outcome {} : database::failureOf(query.lastError(), location_, QStringLiteral("読み込み"));
    }
    return out;
}

std::optional<Product> Catalogue::product(const QString& code, Outcome* outcome) const
{
    QSqlDatabase connection = db();
    QSqlQuery query(connection);
    if (!run(query, QStringLiteral("SELECT %1 FROM products p WHERE p.code = ?").arg(kProductColumns), {code})) {
        if (outcome) {
            *outcome = database::failureOf(query.lastError(), location_, QStringLiteral("読み込み"));
        }
        return std::nullopt;
    }
    if (!query.next()) {
        if (outcome) {
            *outcome = {Failure::notFound, QStringLiteral("コード %1 の商品は商品マスタにありません。").arg(code)};
        }
        return std::nullopt;
    }
    if (outcome) {
        *outcome = {};
    }
    return readProduct(query);
}

std::optional<ProductHistory> Catalogue::history(const QString& code, Outcome* outcome) const
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
                   "SELECT %1, t.sheet, t.slot, t.jan, t.maker, t.name, t.name2, t.spec, t.lot, t.price"
                   " FROM print_tags t JOIN prints r ON r.id = t.print_id WHERE t.product_id = ? ORDER BY t.id")
                   .arg(kPrintColumns),
               {found->id});
    while (ok && query.next()) {
        out.prints.push_back({readPrint(query), query.value(9).toInt(), query.value(10).toInt(), readTag(query, 11)});
    }
    if (outcome) {
        *outcome = ok ? Outcome {} : database::failureOf(query.lastError(), location_, QStringLiteral("読み込み"));
    }
    return ok ? std::optional<ProductHistory>(out) : std::nullopt;
}

std::vector<ImportInfo> Catalogue::imports(Outcome* outcome) const
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
        *outcome = ok ? Outcome {} : database::failureOf(query.lastError(), location_, QStringLiteral("読み込み"));
    }
    return out;
}

Outcome Catalogue::recordPrint(const std::vector<PlacedTag>& tags, const QString& format, int startTag, int sheetCount,
                               const QString& destination, qint64* printId)
{
    QSqlDatabase connection = db();
    const auto fail
        = [&](const QSqlError& error) { return database::failureOf(error, location_, QStringLiteral("印刷の記録")); };
    database::WriteTransaction transaction(connection);
    if (!transaction.begun()) {
        return fail(transaction.error());
    }
    bool ok = true;
    const qint64 id = nextId(connection, QStringLiteral("prints"), &ok);
    qint64 tagId = ok ? nextId(connection, QStringLiteral("print_tags"), &ok) : 0;
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
        const sheet::TagRecord& tag = placed.tag;
        rows.push_back({tagId++, id, placed.productId, placed.sheet, placed.slot, tag.jan, tag.maker, tag.productName,
                        tag.productName2, tag.spec, tag.lot, qint64(tag.price),
                        tagText(tag.jan, tag.maker, tag.productName, tag.productName2, tag.spec, tag.lot, tag.price)});
    }
    QSqlError error;
    if (!insertRows(connection, QStringLiteral("print_tags"),
                    {QStringLiteral("id"), QStringLiteral("print_id"), QStringLiteral("product_id"),
                     QStringLiteral("sheet"), QStringLiteral("slot"), QStringLiteral("jan"), QStringLiteral("maker"),
                     QStringLiteral("name"), QStringLiteral("name2"), QStringLiteral("spec"), QStringLiteral("lot"),
                     QStringLiteral("price"), QStringLiteral("tag_text")},
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

Outcome Catalogue::decidePrint(qint64 printId, PrintState state)
{
    QSqlDatabase connection = db();
    const auto fail
        = [&](const QSqlError& error) { return database::failureOf(error, location_, QStringLiteral("印刷の確認")); };
    database::WriteTransaction transaction(connection);
    if (!transaction.begun()) {
        return fail(transaction.error());
    }
    QSqlQuery query(connection);
    if (!run(query, QStringLiteral("SELECT state FROM prints WHERE id = ?"), {printId})) {
        return fail(query.lastError());
    }
    if (!query.next()) {
        return {Failure::notFound, QStringLiteral("印刷 %1 はありません。").arg(printId)};
    }
    const PrintState now = stateOfKey(query.value(0).toString());
    query.finish();
    if (now != PrintState::pending) {
        return {Failure::notFound,
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

std::vector<PrintInfo> Catalogue::prints(bool pendingOnly, Outcome* outcome) const
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
        *outcome = ok ? Outcome {} : database::failureOf(query.lastError(), location_, QStringLiteral("読み込み"));
    }
    return out;
}

Outcome Catalogue::recordTakenDown(const std::vector<qint64>& productIds)
{
    QSqlDatabase connection = db();
    const auto fail = [&](const QSqlError& error) {
        return database::failureOf(error, location_, QStringLiteral("取り下げの記録"));
    };
    database::WriteTransaction transaction(connection);
    if (!transaction.begun()) {
        return fail(transaction.error());
    }
    bool ok = true;
    qint64 id = nextId(connection, QStringLiteral("takedowns"), &ok);
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

Outcome Catalogue::rememberLayout(const QString& key, const QString& json)
{
    QSqlDatabase connection = db();
    database::WriteTransaction transaction(connection);
    QSqlQuery query(connection);
    const bool ok = transaction.begun()
        && run(query, QStringLiteral("DELETE FROM remembered_layouts WHERE layout_key = ?"), {key})
        && run(query, QStringLiteral("INSERT INTO remembered_layouts (layout_key, choices, saved_at) VALUES (?, ?, ?)"),
               {key, json, database::nowText()});
    query.finish();
    if (!ok || !transaction.commit()) {
        const QSqlError error = !transaction.begun() ? transaction.error()
            : query.lastError().isValid()            ? query.lastError()
                                                     : transaction.error();
        return database::failureOf(error, location_, QStringLiteral("取り込みの設定の記録"));
    }
    return {};
}

std::optional<QString> Catalogue::rememberedLayout(const QString& key, Outcome* outcome) const
{
    QSqlDatabase connection = db();
    QSqlQuery query(connection);
    const bool ok = run(query, QStringLiteral("SELECT choices FROM remembered_layouts WHERE layout_key = ?"), {key});
    if (outcome) {
        *outcome = ok ? Outcome {} : database::failureOf(query.lastError(), location_, QStringLiteral("読み込み"));
    }
    if (!ok || !query.next()) {
        return std::nullopt;
    }
    return query.value(0).toString();
}

}  // namespace catalogue
