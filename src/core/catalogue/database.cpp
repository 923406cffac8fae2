#include "core/catalogue/database.h"

#include "core/files/careful_write.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace catalogue::database {

namespace {

bool isSqlite(const QSqlDatabase& db)
{
    return db.driverName() == QLatin1String("QSQLITE");
}

// File systems on which SQLite's locking and WAL index cannot be trusted (statfs magic numbers).
QString networkFileSystemAt(const QString& folder)
{
    struct statfs info { };
    if (::statfs(QFile::encodeName(folder).constData(), &info) != 0) {
        return {};
    }
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0x6969UL:
        return QStringLiteral("NFS");
    case 0x517BUL:
        return QStringLiteral("SMB");
    case 0xFF534D42UL:
        return QStringLiteral("CIFS");
    case 0xFE534D42UL:
        return QStringLiteral("SMB2");
    default:
        return {};
    }
}

// Whether the file may be written. Root may write anything, so for root (as for the careful
// writer) a file without any write bit counts as read-only.
bool mayWrite(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    if (::geteuid() == 0) {
        struct stat info { };
        return ::stat(name.constData(), &info) == 0 && (info.st_mode & 0222) != 0;
    }
    return ::access(name.constData(), W_OK) == 0;
}

bool looksDamaged(const QSqlError& error)
{
    const QString code = error.nativeErrorCode();
    return code == QLatin1String("26") || code == QLatin1String("11")
        || error.databaseText().contains(QLatin1String("not a database"))
        || error.databaseText().contains(QLatin1String("malformed"));
}

// Moves the damaged file (and its journal files) to "NAME.damaged-YYYYMMDD-HHMMSS[-N]", never
// over an existing file. The new name, or empty when it could not be moved.
QString moveAside(const QString& path)
{
    const QString stem
        = path + QStringLiteral(".damaged-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = stem;
    for (int n = 2; QFileInfo::exists(target) && n < 1000; ++n) {
        target = stem + QStringLiteral("-%1").arg(n);
    }
    // rename(2) would replace an existing file; link + unlink never does.
    if (::link(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) != 0
        || ::unlink(QFile::encodeName(path).constData()) != 0) {
        return {};
    }
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString side = path + QLatin1String(suffix);
        if (QFileInfo::exists(side)) {
            ::link(QFile::encodeName(side).constData(), QFile::encodeName(target + QLatin1String(suffix)).constData());
            ::unlink(QFile::encodeName(side).constData());
        }
    }
    return target;
}

Result connectSqlite(const CatalogueAddress& address, const QString& connection, const OpenOptions& options)
{
    const QFileInfo file(address.path);
    const QString shown = QDir::toNativeSeparators(address.path);
    if (!file.exists()) {
        if (!options.create) {
            return {Status::missing,
                    QStringLiteral("商品マスタ %1 はまだありません。商品リストを取り込むと作られます。").arg(shown)};
        }
        if (!QDir().mkpath(file.absolutePath())) {
            return {Status::unwritable,
                    QStringLiteral("商品マスタのフォルダー %1 を作れません。")
                        .arg(QDir::toNativeSeparators(file.absolutePath()))};
        }
    } else if (!file.isFile()) {
        return {Status::notACatalogue, QStringLiteral("%1 はファイルではありません。").arg(shown)};
    }
    const QString network = networkFileSystemAt(file.absolutePath());
    if (!network.isEmpty()) {
        return {Status::networkFolder,
                QStringLiteral("商品マスタ %1 はネットワーク上のフォルダー (%2) にあるため使えません。"
                               "SQLite のファイルは共有フォルダーでは壊れることがあります。"
                               "複数のパソコンで使うときは PostgreSQL のサーバーを --database postgresql://… "
                               "または設定ファイルの [catalogue] database= で指定してください。")
                    .arg(shown, network)};
    }
    if (options.readOnly) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(address.path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000;QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            return failureOf(db.lastError(), address, QStringLiteral("読み込み"));
        }
        return {};
    }
    const bool writable = !file.exists() || mayWrite(address.path);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(address.path);
        db.setConnectOptions(writable ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=30000")
                                      : QStringLiteral("QSQLITE_BUSY_TIMEOUT=30000;QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            return failureOf(db.lastError(), address, QStringLiteral("読み込み"));
        }
        QSqlQuery query(db);
        QSqlError checkError;
        QString verdict;
        if (run(query, QStringLiteral("PRAGMA quick_check")) && query.next()) {
            verdict = query.value(0).toString();
        } else {
            checkError = query.lastError();
        }
        query.finish();
        if (verdict == QLatin1String("ok")) {
            if (writable && !run(query, QStringLiteral("PRAGMA journal_mode=WAL"))) {
                return failureOf(query.lastError(), address, QStringLiteral("読み込み"));
            }
            run(query, QStringLiteral("PRAGMA foreign_keys=ON"));
            // A shop's catalogue is tens of megabytes: read it through a memory map.
            run(query, QStringLiteral("PRAGMA mmap_size=268435456"));
            return {};
        }
        if (verdict.isEmpty() && !looksDamaged(checkError)) {
            return failureOf(checkError, address, QStringLiteral("読み込み"));
        }
        db.close();
        if (verdict.isEmpty()) {
            verdict = checkError.databaseText();
        }
        // Let go of the connection before it is removed and the file moved.
        query = QSqlQuery();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection);
        const QString aside = moveAside(address.path);
        return {Status::damaged,
                aside.isEmpty()
                    ? QStringLiteral(
                          "商品マスタ %1 が壊れています (%2)。ファイルをよけられませんでした。そのまま残してあります。")
                          .arg(shown, verdict.left(200))
                    : QStringLiteral("商品マスタ %1 が壊れています (%2)。ファイルは %3 に移しました。"
                                     "新しい商品マスタは、商品リストを取り込むと作られます。")
                          .arg(shown, verdict.left(200), QDir::toNativeSeparators(aside))};
    }
}

Result connectPostgresql(const CatalogueAddress& address, const QString& connection)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
    if (!db.isValid()) {
        return {Status::unreachable, QStringLiteral("PostgreSQL を使う部品 (Qt の QPSQL ドライバー) がありません。")};
    }
    db.setHostName(address.host);
    db.setPort(address.port);
    db.setUserName(address.user);
    db.setPassword(address.password);
    db.setDatabaseName(address.database);
    db.setConnectOptions(QStringLiteral("connect_timeout=5"));
    if (!db.open()) {
        return {Status::unreachable,
                QStringLiteral("商品マスタのサーバー %1 に接続できません: %2")
                    .arg(address.display(), db.lastError().databaseText().trimmed())};
    }
    QSqlQuery query(db);
    run(query, QStringLiteral("SET client_min_messages TO WARNING"));
    return {};
}

struct Migration {
    int version;
    std::vector<const char*> statements;
};

// Each step brings the schema from version - 1 to version. Never edit a step once released: add one.
const std::vector<Migration>& migrations()
{
    static const std::vector<Migration> all {
        {1,
         {
             // Ids are INTEGER PRIMARY KEY: SQLite's row ids (its fastest joins), PostgreSQL's integer.
             // The products. shelf_tag_id points at the print_tags row of the tag last confirmed as
             // printed (set when a print is confirmed, cleared when the tag is taken down). tag_text,
             // here and in print_tags, is the tag's texts and price in one text, so that comparing
             // a product's tag with the one on the shelf is one comparison.
             "CREATE TABLE products (id INTEGER PRIMARY KEY, code TEXT NOT NULL UNIQUE, jan TEXT NOT NULL,"
             " maker TEXT NOT NULL, name TEXT NOT NULL, name2 TEXT NOT NULL, spec TEXT NOT NULL, lot TEXT NOT NULL,"
             " list_price BIGINT NOT NULL, price_includes_tax INTEGER NOT NULL, tax_rate INTEGER NOT NULL,"
             " tag_price BIGINT NOT NULL, shelf TEXT NOT NULL, tag_count INTEGER NOT NULL, list_order INTEGER NOT NULL,"
             " first_seen TEXT NOT NULL, last_seen TEXT NOT NULL, active INTEGER NOT NULL, shelf_tag_id BIGINT,"
             " tag_text TEXT NOT NULL)",
             "CREATE TABLE imports (id INTEGER PRIMARY KEY, file TEXT NOT NULL, imported_at TEXT NOT NULL,"
             " valid_from TEXT NOT NULL, partial INTEGER NOT NULL, row_count INTEGER NOT NULL,"
             " new_count INTEGER NOT NULL, changed_count INTEGER NOT NULL, discontinued_count INTEGER NOT NULL,"
             " refused_count INTEGER NOT NULL)",
             "CREATE TABLE price_history (id INTEGER PRIMARY KEY, product_id BIGINT NOT NULL REFERENCES products(id),"
             " import_id BIGINT NOT NULL REFERENCES imports(id), valid_from TEXT NOT NULL, tag_price BIGINT NOT NULL,"
             " list_price BIGINT NOT NULL, price_includes_tax INTEGER NOT NULL, tax_rate INTEGER NOT NULL)",
             "CREATE INDEX price_history_product ON price_history (product_id)",
             "CREATE TABLE prints (id INTEGER PRIMARY KEY, created_at TEXT NOT NULL, tag_format TEXT NOT NULL,"
             " start_tag INTEGER NOT NULL, sheet_count INTEGER NOT NULL, destination TEXT NOT NULL,"
             " state TEXT NOT NULL, decided_at TEXT NOT NULL)",
             "CREATE TABLE print_tags (id INTEGER PRIMARY KEY, print_id BIGINT NOT NULL REFERENCES prints(id),"
             " product_id BIGINT NOT NULL REFERENCES products(id), sheet INTEGER NOT NULL, slot INTEGER NOT NULL,"
             " jan TEXT NOT NULL, maker TEXT NOT NULL, name TEXT NOT NULL, name2 TEXT NOT NULL, spec TEXT NOT NULL,"
             " lot TEXT NOT NULL, price BIGINT NOT NULL, tag_text TEXT NOT NULL)",
             "CREATE INDEX print_tags_print ON print_tags (print_id)",
             "CREATE INDEX print_tags_product ON print_tags (product_id)",
             "CREATE TABLE takedowns (id INTEGER PRIMARY KEY, product_id BIGINT NOT NULL REFERENCES products(id),"
             " print_tag_id BIGINT NOT NULL REFERENCES print_tags(id), done_at TEXT NOT NULL)",
         }},
        {2,
         {
             "CREATE TABLE remembered_layouts (layout_key TEXT PRIMARY KEY, choices TEXT NOT NULL, saved_at TEXT NOT "
             "NULL)",
         }},
        // The choices of each list layout are kept in the settings file, for the catalogue's
        // imports as for the others: the table of version 2 was never written.
        {3,
         {
             "DROP TABLE remembered_layouts",
         }},
        // Prices that live in time. A list holds from its date: each product's state from a date is
        // a version of it, and the products row keeps the newest version (valid_from its date).
        // Offers give products a sale price for a period; a print records the moment it was made
        // for (as_of, local "YYYY-MM-DDTHH:MM"; empty for the prints made before) and, for a sale
        // tag, its offer and the former price it showed. A catalogue of before keeps its history:
        // each product's state holds from the date of its last price, else from its first day.
        {4,
         {
             "ALTER TABLE products ADD COLUMN valid_from TEXT NOT NULL DEFAULT ''",
             "UPDATE products SET valid_from = COALESCE((SELECT MAX(h.valid_from) FROM price_history h"
             " WHERE h.product_id = products.id), first_seen)",
             "CREATE INDEX products_valid_from ON products (valid_from)",
             "CREATE TABLE product_versions (id INTEGER PRIMARY KEY, product_id BIGINT NOT NULL REFERENCES "
             "products(id),"
             " import_id BIGINT REFERENCES imports(id), valid_from TEXT NOT NULL, jan TEXT NOT NULL,"
             " maker TEXT NOT NULL, name TEXT NOT NULL, name2 TEXT NOT NULL, spec TEXT NOT NULL, lot TEXT NOT NULL,"
             " list_price BIGINT NOT NULL, price_includes_tax INTEGER NOT NULL, tax_rate INTEGER NOT NULL,"
             " tag_price BIGINT NOT NULL, shelf TEXT NOT NULL, tag_count INTEGER NOT NULL, list_order INTEGER NOT NULL,"
             " active INTEGER NOT NULL, tag_text TEXT NOT NULL)",
             "INSERT INTO product_versions (id, product_id, import_id, valid_from, jan, maker, name, name2, spec, lot,"
             " list_price, price_includes_tax, tax_rate, tag_price, shelf, tag_count, list_order, active, tag_text)"
             " SELECT id, id, NULL, valid_from, jan, maker, name, name2, spec, lot, list_price, price_includes_tax,"
             " tax_rate, tag_price, shelf, tag_count, list_order, active, tag_text FROM products",
             "CREATE INDEX product_versions_product ON product_versions (product_id, valid_from)",
             "ALTER TABLE prints ADD COLUMN as_of TEXT NOT NULL DEFAULT ''",
             "ALTER TABLE print_tags ADD COLUMN offer_id BIGINT",
             "ALTER TABLE print_tags ADD COLUMN former_price BIGINT NOT NULL DEFAULT 0",
             // An offer, and its products with their sale prices. An item's days (and daily hours,
             // -1 for all day) are its own: a list may date its rows; an offer ended early has its
             // items' last days brought forward and ended_on set.
             "CREATE TABLE offers (id INTEGER PRIMARY KEY, name TEXT NOT NULL, first_day TEXT NOT NULL,"
             " last_day TEXT NOT NULL, start_minutes INTEGER NOT NULL, end_minutes INTEGER NOT NULL,"
             " ended_on TEXT NOT NULL, created_at TEXT NOT NULL, file TEXT NOT NULL)",
             "CREATE TABLE offer_items (id INTEGER PRIMARY KEY, offer_id BIGINT NOT NULL REFERENCES offers(id),"
             " product_id BIGINT NOT NULL REFERENCES products(id), sale_price BIGINT NOT NULL, first_day TEXT NOT NULL,"
             " last_day TEXT NOT NULL, start_minutes INTEGER NOT NULL, end_minutes INTEGER NOT NULL,"
             " former_price BIGINT NOT NULL, former_note TEXT NOT NULL)",
             "CREATE INDEX offer_items_product ON offer_items (product_id)",
             "CREATE INDEX offer_items_offer ON offer_items (offer_id)",
             "CREATE INDEX offer_items_days ON offer_items (last_day, first_day)",
         }},
    };
    return all;
}

int versionInTransaction(QSqlDatabase& db, bool* ok)
{
    QSqlQuery query(db);
    *ok = run(query, QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"))
        && run(query, QStringLiteral("SELECT MAX(version) FROM schema_version"));
    return *ok && query.next() ? query.value(0).toInt() : 0;
}

// A copy of the SQLite file beside it, taken before a migration changes it.
bool backUp(QSqlDatabase& db, const CatalogueAddress& address, int fromVersion, QString* error)
{
    QSqlQuery query(db);
    run(query, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    query.finish();
    QFile file(address.path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    const files::FileWriteResult written
        = files::writeFileCarefully(address.path + QStringLiteral(".v%1-backup").arg(fromVersion), file.readAll());
    *error = written.error;
    return written.ok;
}

}  // namespace

Result connect(const CatalogueAddress& address, const QString& connection, const OpenOptions& options)
{
    return address.kind == CatalogueAddress::Kind::sqlite ? connectSqlite(address, connection, options)
                                                          : connectPostgresql(address, connection);
}

int storedVersion(QSqlDatabase& db)
{
    QSqlQuery query(db);
    return run(query, QStringLiteral("SELECT MAX(version) FROM schema_version")) && query.next()
        ? query.value(0).toInt()
        : 0;
}

Result refuseNewer(int found, const CatalogueAddress& address)
{
    if (found > kSchemaVersion) {
        return {Status::notACatalogue,
                QStringLiteral("商品マスタ %1 はこれより新しい版の tanafuda で作られています (版 %2)。")
                    .arg(address.display())
                    .arg(found)};
    }
    return {};
}

Result migrate(QSqlDatabase& db, const CatalogueAddress& address, int toVersion)
{
    const int found = storedVersion(db);
    if (found >= kSchemaVersion) {
        return refuseNewer(found, address);
    }
    if (found > 0 && isSqlite(db)) {
        QString error;
        if (!backUp(db, address, found, &error)) {
            return {Status::unwritable,
                    QStringLiteral("商品マスタ %1 を新しい形に変える前の控えを作れません: %2")
                        .arg(address.display(), error)};
        }
    }
    for (const Migration& migration : migrations()) {
        if (migration.version > toVersion) {
            break;
        }
        WriteTransaction transaction(db);
        if (!transaction.begun()) {
            return failureOf(transaction.error(), address, QStringLiteral("準備"));
        }
        bool ok = false;
        const int current = versionInTransaction(db, &ok);
        if (!ok) {
            return failureOf(db.lastError(), address, QStringLiteral("準備"));
        }
        if (current >= migration.version) {
            continue;  // done already (or by another process meanwhile)
        }
        QSqlQuery query(db);
        for (const char* statement : migration.statements) {
            if (!run(query, QString::fromLatin1(statement))) {
                return failureOf(query.lastError(), address, QStringLiteral("準備"));
            }
        }
        if (!run(query, QStringLiteral("DELETE FROM schema_version"))
            || !run(query, QStringLiteral("INSERT INTO schema_version (version) VALUES (?)"), {migration.version})) {
            return failureOf(query.lastError(), address, QStringLiteral("準備"));
        }
        query.finish();
        if (!transaction.commit()) {
            return failureOf(transaction.error(), address, QStringLiteral("準備"));
        }
    }
    return {};
}

WriteTransaction::WriteTransaction(QSqlDatabase& db) : db_(db)
{
    QSqlQuery query(db_);
    if (isSqlite(db_)) {
        // IMMEDIATE takes the write lock at once (waiting up to the busy timeout), so that a
        // transaction never has to upgrade a read lock that another writer makes stale.
        begun_ = run(query, QStringLiteral("BEGIN IMMEDIATE"));
    } else {
        begun_ = db_.transaction() && run(query, QStringLiteral("SELECT pg_advisory_xact_lock(2026120901)"));
    }
    if (!begun_) {
        error_ = query.lastError().isValid() ? query.lastError() : db_.lastError();
        if (!isSqlite(db_)) {
            db_.rollback();
        }
        done_ = true;
    }
}

WriteTransaction::~WriteTransaction()
{
    if (!done_) {
        if (isSqlite(db_)) {
            QSqlQuery query(db_);
            run(query, QStringLiteral("ROLLBACK"));
        } else {
            db_.rollback();
        }
    }
}

bool WriteTransaction::commit()
{
    done_ = true;
    if (isSqlite(db_)) {
        QSqlQuery query(db_);
        if (!run(query, QStringLiteral("COMMIT"))) {
            error_ = query.lastError();
            run(query, QStringLiteral("ROLLBACK"));
            return false;
        }
        return true;
    }
    if (!db_.commit()) {
        error_ = db_.lastError();
        db_.rollback();
        return false;
    }
    return true;
}

Result failureOf(const QSqlError& error, const CatalogueAddress& address, const QString& what)
{
    const QString code = error.nativeErrorCode();
    const QString text
        = error.databaseText().trimmed().isEmpty() ? error.text().trimmed() : error.databaseText().trimmed();
    Status status = Status::failed;
    QString reason;
    if (address.kind == CatalogueAddress::Kind::sqlite) {
        if (code == QLatin1String("13")) {
            status = Status::unwritable;
            reason = QStringLiteral("ディスクがいっぱいです");
        } else if (code == QLatin1String("8")) {
            status = Status::unwritable;
            reason = QStringLiteral("書き込みできないファイルです");
        } else if (code == QLatin1String("14") || code == QLatin1String("10")) {
            status = Status::unwritable;
            reason = QStringLiteral("ファイルを読み書きできません");
        } else if (code == QLatin1String("5") || code == QLatin1String("6")) {
            reason = QStringLiteral("ほかのプログラムが使っていて待ちきれませんでした");
        } else if (looksDamaged(error)) {
            status = Status::damaged;
            reason = QStringLiteral("ファイルが壊れています");
        }
    } else {
        if (code == QLatin1String("53100") || code == QLatin1String("25006") || code == QLatin1String("42501")) {
            status = Status::unwritable;
            reason = QStringLiteral("サーバーに書き込めません");
        } else if (code.startsWith(QLatin1String("08")) || code.isEmpty()) {
            status = Status::unreachable;
            reason = QStringLiteral("サーバーとの接続が切れました");
        }
    }
    const QString where = address.kind == CatalogueAddress::Kind::sqlite
        ? QStringLiteral("商品マスタ %1").arg(address.display())
        : QStringLiteral("商品マスタのサーバー %1").arg(address.display());
    return {status,
            reason.isEmpty() ? QStringLiteral("%1 の%2に失敗しました: %3").arg(where, what, text)
                             : QStringLiteral("%1 の%2に失敗しました: %3 (%4)").arg(where, what, reason, text)};
}

bool run(QSqlQuery& query, const QString& sql, std::initializer_list<QVariant> values)
{
    if (values.size() == 0) {
        return query.exec(sql);
    }
    if (!query.prepare(sql)) {
        return false;
    }
    for (const QVariant& value : values) {
        query.addBindValue(bindable(value));
    }
    return query.exec();
}

qint64 nextId(QSqlDatabase& db, const QString& table, bool* ok)
{
    QSqlQuery query(db);
    *ok = run(query, QStringLiteral("SELECT MAX(id) FROM %1").arg(table)) && query.next();
    return *ok ? query.value(0).toLongLong() + 1 : 0;
}

bool insertRows(QSqlDatabase& db, const QString& table, const QStringList& columns,
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
                query.addBindValue(bindable(value));
            }
        }
        if (!query.exec()) {
            *error = query.lastError();
            return false;
        }
    }
    return true;
}

QVariant bindable(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString && value.toString().isNull()) {
        return QVariant(QStringLiteral(""));
    }
    return value;
}

QString nowText()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
}

QString dateText(const QDate& date)
{
    return date.toString(Qt::ISODate);
}

}  // namespace catalogue::database
