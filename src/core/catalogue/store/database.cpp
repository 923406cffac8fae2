#include "core/catalogue/store/database.h"

#include "core/catalogue/catalogue_watch.h"
#include "core/catalogue/store/catalogue_copies.h"
#include "core/catalogue/store/catalogue_storage.h"
#include "core/files/careful_write.h"
#include "core/pricing/shop_time.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>
#include <QUrl>

namespace catalogue::database {

namespace {

bool isSqlite(const QSqlDatabase& db)
{
    return db.driverName() == QLatin1String("QSQLITE");
}

// The key of the advisory lock that a write transaction takes on PostgreSQL.
constexpr qint64 kWriteLockKey = 2026120901;
// How long the editor's look-up waits for a catalogue another program is writing (ms).
constexpr int kLookUpBusyMs = 2000;

// SQLite's primary result codes (https://www.sqlite.org/rescode.html); an extended code is one of
// these in its low byte, the cause above it (SQLITE_IOERR_SHMSIZE is 10 | 19 << 8).
enum SqliteCode {
    kSqlitePerm = 3,
    kSqliteBusy = 5,
    kSqliteLocked = 6,
    kSqliteReadOnly = 8,
    kSqliteIoErr = 10,
    kSqliteCorrupt = 11,
    kSqliteFull = 13,
    kSqliteCantOpen = 14,
    kSqliteAuth = 23,
    kSqliteNotADb = 26,
};
constexpr int kSqliteReadOnlyDirectory = kSqliteReadOnly | (6 << 8);
// The index of the write-ahead log could not be made as large as it must be: a full disk.
constexpr int kSqliteIoErrShmSize = kSqliteIoErr | (19 << 8);

// The extended code of an SQLite error (-1 when it holds none).
int sqliteCodeOf(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code : -1;
}

int primaryOf(int extended)
{
    return extended < 0 ? -1 : extended & 0xff;
}

bool looksDamaged(const QSqlError& error)
{
    const int primary = primaryOf(sqliteCodeOf(error));
    return primary == kSqliteNotADb || primary == kSqliteCorrupt
        || error.databaseText().contains(QLatin1String("not a database"))
        || error.databaseText().contains(QLatin1String("malformed"));
}

// An error in which SQLite could not make or open what a reader needs beside the file (the
// write-ahead log's index): a folder or a disk that takes no new file.
bool cannotMakeSideFiles(const QSqlError& error)
{
    const int primary = primaryOf(sqliteCodeOf(error));
    return primary == kSqliteReadOnly || primary == kSqliteCantOpen || primary == kSqliteIoErr
        || primary == kSqliteFull;
}

// "FILE", or "LINK (リンク先 FILE)" when the address is a symbolic link.
QString shownFile(const QString& given, const QString& file)
{
    const QString cleaned = QDir::cleanPath(QFileInfo(given).absoluteFilePath());
    return cleaned == file
        ? QDir::toNativeSeparators(file)
        : QStringLiteral("%1 (リンク先 %2)").arg(QDir::toNativeSeparators(cleaned), QDir::toNativeSeparators(file));
}

// How an SQLite file is opened: to write, to read, or to read as a file nobody changes (where no
// journal can be made beside it and none is there: a read-only folder or disk).
enum class Opening { write, read, unchanging };

QSqlDatabase openSqlite(const QString& file, const QString& connection, Opening opening, int busyMs)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    const QString busy = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyMs);
    switch (opening) {
    case Opening::write:
        db.setDatabaseName(file);
        db.setConnectOptions(busy);
        break;
    case Opening::read:
        db.setDatabaseName(file);
        db.setConnectOptions(busy + QStringLiteral(";QSQLITE_OPEN_READONLY"));
        break;
    case Opening::unchanging:
        // https://www.sqlite.org/uri.html: immutable=1 takes no locks and makes no journal files.
        db.setDatabaseName(QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded)
                           + QStringLiteral("?mode=ro&immutable=1"));
        db.setConnectOptions(busy + QStringLiteral(";QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
        break;
    }
    db.open();
    return db;
}

void dropConnection(const QString& connection)
{
    {
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

// The verdict of PRAGMA quick_check ("ok" for a sound file); empty, with the error, when it could
// not run.
QString quickCheck(QSqlDatabase& db, QSqlError* error)
{
    if (!db.isOpen()) {
        *error = db.lastError();
        return {};
    }
    QSqlQuery query(db);
    if (run(query, QStringLiteral("PRAGMA quick_check")) && query.next()) {
        return query.value(0).toString();
    }
    *error = query.lastError();
    return {};
}

// "ok" when the schema can be read; empty, with the error, when it cannot.
QString readsSchema(QSqlDatabase& db, QSqlError* error)
{
    QSqlQuery query(db);
    if (db.isOpen() && run(query, QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) && query.next()) {
        return QStringLiteral("ok");
    }
    *error = db.isOpen() ? query.lastError() : db.lastError();
    return {};
}

// "まだありません" for a file that is not there (yet, or any more), naming the copies beside it.
Result missingSqlite(const QString& shown, const QString& file)
{
    QString text = QStringLiteral("商品マスタ %1 はまだありません。商品リストを取り込むと作られます。").arg(shown);
    if (const auto copy = copies::newestCopyFile(file); !copy.isEmpty()) {
        text = QStringLiteral("商品マスタ %1 はありません。控え %2 があります。控えから戻すには "
                              "tanafuda-catalogue restore、控えを使わずに新しく始めるには import に --fresh "
                              "を付けてください。")
                   .arg(shown, QDir::toNativeSeparators(copy));
    }
    return {Status::missing, text};
}

// The damaged file moved aside (never overwritten), with what can be done now.
Result damagedSqlite(const QString& shown, const QString& file, const QString& verdict)
{
    const QString aside = storage::setAside(file, QStringLiteral("damaged"));
    if (aside.isEmpty()) {
        return {Status::damaged,
                QStringLiteral(
                    "商品マスタ %1 が壊れています (%2)。ファイルをよけられませんでした。そのまま残してあります。")
                    .arg(shown, verdict.left(200))};
    }
    QString text = QStringLiteral("商品マスタ %1 が壊れています (%2)。ファイル %3 は %4 に移しました。")
                       .arg(shown, verdict.left(200), QDir::toNativeSeparators(file), QDir::toNativeSeparators(aside));
    if (const auto copy = copies::newestSoundCopy(file)) {
        text += QStringLiteral("%1から戻せます: tanafuda-catalogue restore。戻らないもの: %2")
                    .arg(copies::describeCopy(*copy), copies::lostSince(*copy, aside));
    } else {
        text += QStringLiteral("使える控えはありません。新しい商品マスタは、商品リストを取り込むと作られます。");
    }
    return {Status::damaged, text, aside};
}

Result connectSqlite(const CatalogueAddress& address, const QString& connection, const OpenOptions& options)
{
    // Everything below is about the file SQLite opens, never about a link to it.
    const QString file = storage::resolvedFile(address.path);
    const QString folder = QFileInfo(file).absolutePath();
    const QString shown = shownFile(address.path, file);
    const QFileInfo info(file);
    if (!info.exists()) {
        if (!options.create) {
            return missingSqlite(shown, file);
        }
        if (!options.afresh && !copies::newestCopyFile(file).isEmpty()) {
            return missingSqlite(shown, file);
        }
        if (!QDir().mkpath(folder)) {
            return {Status::unwritable,
                    QStringLiteral("商品マスタのフォルダー %1 を作れません。").arg(QDir::toNativeSeparators(folder))};
        }
    } else if (!info.isFile()) {
        return {Status::notACatalogue, QStringLiteral("%1 はファイルではありません。").arg(shown)};
    }
    const QString untrusted = storage::untrustedFileSystemAt(folder);
    if (!untrusted.isEmpty()) {
        return {Status::networkFolder,
                QStringLiteral("商品マスタ %1 はネットワーク上のフォルダー (%2) にあるため使えません。"
                               "SQLite のファイルは共有フォルダーでは壊れることがあります。"
                               "複数のパソコンで使うときは PostgreSQL のサーバーを --database postgresql://… "
                               "または設定ファイルの [catalogue] database= で指定してください。")
                    .arg(shown, untrusted)};
    }
    if (!options.readOnly) {
        // A write needs the file, its folder (SQLite makes its journal and the log's index there)
        // and room on the disk: said before anything is tried.
        if (const QString why = info.exists() ? storage::whyFileNotWritable(file) : QString(); !why.isEmpty()) {
            return {Status::unwritable, QStringLiteral("商品マスタ %1 に書き込めません: %2").arg(shown, why)};
        }
        if (const QString why = storage::whyFolderNotWritable(folder); !why.isEmpty()) {
            return {Status::unwritable,
                    QStringLiteral("商品マスタ %1 に書き込めません: フォルダー %2 に書き込めません (%3)。"
                                   "SQLite は書き込むとき、そのフォルダーにジャーナル (-wal, -shm) を作ります。")
                        .arg(shown, QDir::toNativeSeparators(folder), why)};
        }
        storage::Room room = storage::roomAt(folder);
        if (room.freeFiles == 0 && info.exists() && QFileInfo::exists(file + QStringLiteral("-wal"))
            && QFileInfo::exists(file + QStringLiteral("-shm"))) {
            room.freeFiles = -1;  // every file SQLite needs is there already
        }
        if (const QString full = storage::fullDiskReason(folder, room); !full.isEmpty()) {
            return {Status::unwritable, QStringLiteral("商品マスタ %1 に書き込めません: %2").arg(shown, full)};
        }
    }
    const bool lookUp = options.readOnly && !options.check;
    const int busyMs = lookUp ? kLookUpBusyMs : lockWaitSeconds() * 1000;
    Opening opening = options.readOnly ? Opening::read : Opening::write;
    QSqlDatabase db = openSqlite(file, connection, opening, busyMs);
    QSqlError checkError;
    // The look-up reads the schema only (a full check would hold up the editor); any read finds
    // out whether SQLite can make what a reader needs beside the file.
    const auto check = [&] { return lookUp ? readsSchema(db, &checkError) : quickCheck(db, &checkError); };
    QString verdict = check();
    if (verdict.isEmpty() && opening == Opening::read && cannotMakeSideFiles(checkError)
        && !storage::hasWriteAheadLog(file)) {
        // A read-only folder or disk, a full one: nothing is being written (no log), so the file
        // is read as it stands, without the log's index SQLite could not make.
        db = QSqlDatabase();
        dropConnection(connection);
        opening = Opening::unchanging;
        db = openSqlite(file, connection, opening, busyMs);
        verdict = check();
    }
    if (lookUp && verdict.isEmpty()) {
        return failureOf(checkError, address, QStringLiteral("読み込み"));
    }
    if (verdict == QLatin1String("ok")) {
        QSqlQuery query(db);
        if (opening == Opening::write && !run(query, QStringLiteral("PRAGMA journal_mode=WAL"))) {
            return failureOf(query.lastError(), address, QStringLiteral("読み込み"));
        }
        run(query, QStringLiteral("PRAGMA foreign_keys=ON"));
        // A shop's catalogue is tens of megabytes: read it through a memory map, and keep the pages
        // a query has read (up to 64 MiB) for the next, which reads the same ones.
        run(query, QStringLiteral("PRAGMA mmap_size=268435456"));
        run(query, QStringLiteral("PRAGMA cache_size=-65536"));
        return {};
    }
    if (verdict.isEmpty() && !looksDamaged(checkError)) {
        if (opening == Opening::read && cannotMakeSideFiles(checkError)) {
            return {Status::failed,
                    QStringLiteral("商品マスタ %1 を読めません: 書き込みの途中の記録 (%2-wal) が残っていますが、"
                                   "フォルダー %3 に書き込めないため読み込めません。書き込みのできる利用者が"
                                   "一度 tanafuda-catalogue status を実行すると片付きます。(%4)")
                        .arg(shown, QFileInfo(file).fileName(), QDir::toNativeSeparators(folder),
                             checkError.databaseText())};
        }
        return failureOf(checkError, address, QStringLiteral("読み込み"));
    }
    if (verdict.isEmpty()) {
        verdict = checkError.databaseText();
    }
    // Let go of the connection before it is removed and the file moved.
    db = QSqlDatabase();
    dropConnection(connection);
    return damagedSqlite(shown, file, verdict);
}

// "shop-pc2" for the program's own sessions, else the client's address or the server's process.
QString holderOfWriteLock(QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("SELECT a.application_name, host(a.client_addr), a.client_hostname, a.pid, a.xact_start"
                            " FROM pg_locks l JOIN pg_stat_activity a ON a.pid = l.pid"
                            " WHERE l.locktype = 'advisory' AND l.granted AND l.classid = %1 AND l.objid = %2")
                 .arg(kWriteLockKey >> 32)
                 .arg(kWriteLockKey & 0xffffffff))
        || !query.next()) {
        return {};
    }
    const QString application = query.value(0).toString();
    QStringList names;
    if (application.startsWith(QLatin1String("tanafuda:"))) {
        names << application.mid(9);
    }
    for (int column : {2, 1}) {
        const QString name = query.value(column).toString();
        if (!name.isEmpty() && !names.contains(name)) {
            names << name;
        }
    }
    if (names.isEmpty()) {
        names << QStringLiteral("サーバーのプロセス %1").arg(query.value(3).toString());
    }
    QString out = names.join(QStringLiteral("、"));
    const QDateTime since = query.value(4).toDateTime();
    if (since.isValid()) {
        out += QStringLiteral("、%1 から").arg(pricing::shownDateTime(since.toLocalTime()));
    }
    return out;
}

// This PC's name as other PCs are told it when they wait for its write lock.
QString programName()
{
    QString host = QSysInfo::machineHostName();
    host.remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")));
    return QStringLiteral("tanafuda:") + (host.isEmpty() ? QStringLiteral("?") : host.left(50));
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
    // A write waits for another PC's at most lockWaitSeconds(); a session that stops inside its
    // transaction (a PC frozen or switched off halfway through an import) is ended by the server
    // after twice that, which lets its lock go; a connection to a PC that is gone is found by the
    // server's TCP keepalives within about two minutes rather than the system's two hours.
    const int wait = lockWaitSeconds();
    run(query, QStringLiteral("SET lock_timeout = '%1s'").arg(wait));
    run(query, QStringLiteral("SET idle_in_transaction_session_timeout = '%1s'").arg(2 * wait));
    run(query, QStringLiteral("SET tcp_keepalives_idle = 60"));
    run(query, QStringLiteral("SET tcp_keepalives_interval = 10"));
    run(query, QStringLiteral("SET tcp_keepalives_count = 6"));
    run(query, QStringLiteral("SELECT set_config('application_name', ?, false)"), {programName()});
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
        // Shelf checks: when and for which moment (as_of, local "YYYY-MM-DDTHH:MM") a check was made,
        // the place it looked (as shown: "A-1", "A-1〜A-5", "全部"), every location it covered (so
        // that the last check of each location is one lookup), and its results in the order listed:
        // a verdict key, the product (none for a code the catalogue does not hold), where the tag
        // was scanned, the catalogue's location, the tag as it was then and what was wrong.
        {5,
         {
             "CREATE TABLE shelf_checks (id INTEGER PRIMARY KEY, created_at TEXT NOT NULL, as_of TEXT NOT NULL,"
             " place TEXT NOT NULL, scan_count INTEGER NOT NULL)",
             "CREATE TABLE shelf_check_locations (check_id BIGINT NOT NULL REFERENCES shelf_checks(id),"
             " location TEXT NOT NULL)",
             "CREATE INDEX shelf_check_locations_check ON shelf_check_locations (check_id)",
             "CREATE TABLE shelf_check_results (id INTEGER PRIMARY KEY, check_id BIGINT NOT NULL"
             " REFERENCES shelf_checks(id), seq INTEGER NOT NULL, verdict TEXT NOT NULL,"
             " product_id BIGINT REFERENCES products(id), code TEXT NOT NULL, location TEXT NOT NULL,"
             " shelf TEXT NOT NULL, name TEXT NOT NULL, price BIGINT NOT NULL, detail TEXT NOT NULL,"
             " tags INTEGER NOT NULL, tag_count INTEGER NOT NULL)",
             "CREATE INDEX shelf_check_results_check ON shelf_check_results (check_id, seq)",
         }},
        // What a unit price needs beyond the size text: the product's own base (empty: the shop's,
        // なし: none) and its content where the list gives it apart (内容量 and 単位).
        {6,
         {
             "ALTER TABLE products ADD COLUMN unit_base TEXT NOT NULL DEFAULT ''",
             "ALTER TABLE products ADD COLUMN content TEXT NOT NULL DEFAULT ''",
             "ALTER TABLE product_versions ADD COLUMN unit_base TEXT NOT NULL DEFAULT ''",
             "ALTER TABLE product_versions ADD COLUMN content TEXT NOT NULL DEFAULT ''",
         }},
        // What needs a tag, found without reading every product: each product keeps the tag text
        // of the tag on its shelf beside its own (set when a print is confirmed, cleared with the
        // shelf tag), and the database works out from the two whether its tag is due (a new tag,
        // a changed one, or one to take down), indexed for the few that are. {generated} is how
        // the database keeps a computed column: SQLite works it out when read, PostgreSQL stores it.
        {7,
         {
             "ALTER TABLE products ADD COLUMN shelf_tag_text TEXT",
             "UPDATE products SET shelf_tag_text = (SELECT t.tag_text FROM print_tags t WHERE t.id = "
             "products.shelf_tag_id)",
             "ALTER TABLE products ADD COLUMN tag_due INTEGER GENERATED ALWAYS AS (CASE"
             " WHEN active = 1 AND (shelf_tag_id IS NULL OR shelf_tag_text IS NULL OR shelf_tag_text <> tag_text) THEN "
             "1"
             " WHEN active = 0 AND shelf_tag_id IS NOT NULL THEN 1 ELSE 0 END) {generated}",
             "CREATE INDEX products_tag_due ON products (id) WHERE tag_due = 1",
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
            QString text = QString::fromLatin1(statement);
            text.replace(QLatin1String("{generated}"),
                         isSqlite(db) ? QLatin1String("VIRTUAL") : QLatin1String("STORED"));
            if (!run(query, text)) {
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
        begun_ = db_.transaction() && run(query, QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kWriteLockKey));
    }
    if (!begun_) {
        error_ = query.lastError().isValid() ? query.lastError() : db_.lastError();
        if (!isSqlite(db_)) {
            db_.rollback();
            if (error_.nativeErrorCode() == QLatin1String("55P03")) {
                // The lock was not had within lock_timeout: the error carries who holds it.
                error_
                    = QSqlError(error_.driverText(), holderOfWriteLock(db_), error_.type(), error_.nativeErrorCode());
            }
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
    const bool sqlite = address.kind == CatalogueAddress::Kind::sqlite;
    if (sqlite) {
        // By the primary code, so that every extended code of a family is read the same way.
        const int extended = sqliteCodeOf(error);
        const QString file = storage::resolvedFile(address.path);
        const QString folder = QFileInfo(file).absolutePath();
        const QString full = storage::fullDiskReason(folder, storage::roomAt(folder));
        // SQLite says "disk I/O error" when the log's index cannot grow: the disk is full then too.
        const int primary = extended == kSqliteIoErrShmSize ? kSqliteFull : primaryOf(extended);
        switch (primary) {
        case kSqliteFull:
            status = Status::unwritable;
            reason = full.isEmpty()
                ? QStringLiteral("ディスクがいっぱいです (フォルダー %1)").arg(QDir::toNativeSeparators(folder))
                : full;
            break;
        case kSqliteIoErr:
        case kSqliteCantOpen:
            if (!full.isEmpty()) {
                status = Status::unwritable;
                reason = full;
            } else if (primary == kSqliteCantOpen) {
                status = Status::unwritable;
                const QString folderWhy = storage::whyFolderNotWritable(folder);
                reason = folderWhy.isEmpty() ? QStringLiteral("ファイルを開けません")
                                             : QStringLiteral("フォルダー %1 に書き込めません (%2)")
                                                   .arg(QDir::toNativeSeparators(folder), folderWhy);
            } else {
                reason = QStringLiteral("ディスクの読み書きに失敗しました");
            }
            break;
        case kSqliteReadOnly: {
            status = Status::unwritable;
            const QString fileWhy = storage::whyFileNotWritable(file);
            const QString folderWhy = storage::whyFolderNotWritable(folder);
            if (extended == kSqliteReadOnlyDirectory || (fileWhy.isEmpty() && !folderWhy.isEmpty())) {
                reason = QStringLiteral("フォルダー %1 に書き込めません (%2)。SQLite は書き込むとき、そのフォルダーに"
                                        "ジャーナル (-wal, -shm) を作ります")
                             .arg(QDir::toNativeSeparators(folder),
                                  folderWhy.isEmpty() ? QStringLiteral("書き込みの許可がありません") : folderWhy);
            } else {
                reason = QStringLiteral("書き込めません: %1")
                             .arg(fileWhy.isEmpty() ? QStringLiteral("読み取り専用で開かれています") : fileWhy);
            }
            break;
        }
        case kSqlitePerm:
        case kSqliteAuth:
            status = Status::unwritable;
            reason = QStringLiteral("書き込みの許可がありません");
            break;
        case kSqliteBusy:
        case kSqliteLocked:
            status = Status::busy;
            reason = QStringLiteral("ほかのプログラムが商品マスタに書き込んでいて、%1 秒待っても終わりませんでした")
                         .arg(lockWaitSeconds());
            break;
        default:
            if (looksDamaged(error)) {
                status = Status::damaged;
                reason = QStringLiteral("ファイルが壊れています");
            }
            break;
        }
    } else if (code == QLatin1String("55P03")) {
        // WriteTransaction puts who holds the lock where the server's text would be.
        status = Status::busy;
        reason = QStringLiteral("別の PC (%1) が取り込み中です。%2 秒待っても終わらないため、やめました。"
                                "その PC の作業が終わってから、もう一度してください")
                     .arg(text.isEmpty() ? QStringLiteral("不明") : text)
                     .arg(lockWaitSeconds());
        return {status,
                QStringLiteral("商品マスタのサーバー %1 の%2に失敗しました: %3").arg(address.display(), what, reason)};
    } else if (code == QLatin1String("53100") || code == QLatin1String("25006") || code == QLatin1String("42501")) {
        status = Status::unwritable;
        reason = code == QLatin1String("53100") ? QStringLiteral("サーバーのディスクがいっぱいです")
                                                : QStringLiteral("サーバーに書き込めません");
    } else if (code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57P"))
               || code == QLatin1String("25P03") || code.isEmpty()) {
        status = Status::unreachable;
        reason = QStringLiteral("サーバーとの接続が切れました");
    }
    const QString where = sqlite ? QStringLiteral("商品マスタ %1").arg(address.display())
                                 : QStringLiteral("商品マスタのサーバー %1").arg(address.display());
    return {status,
            reason.isEmpty() ? QStringLiteral("%1 の%2に失敗しました: %3").arg(where, what, text)
                             : QStringLiteral("%1 の%2に失敗しました: %3 (%4)").arg(where, what, reason, text)};
}

int lockWaitSeconds()
{
    bool ok = false;
    const int given = qEnvironmentVariableIntValue("TANAFUDA_CATALOGUE_LOCK_WAIT", &ok);
    return ok && given >= 1 && given <= 3600 ? given : kDefaultLockWaitSeconds;
}

bool holdsNothing(QSqlDatabase& db)
{
    QSqlQuery query(db);
    return run(query,
               QStringLiteral("SELECT (SELECT COUNT(*) FROM (SELECT id FROM imports LIMIT 1) i)"
                              " + (SELECT COUNT(*) FROM (SELECT id FROM products LIMIT 1) p)"))
        && query.next() && query.value(0).toInt() == 0;
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

bool announce(QSqlDatabase& db, const QString& what, QSqlError* error)
{
    if (isSqlite(db)) {
        return true;
    }
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("SELECT pg_notify('tanafuda_catalogue', ?)"), {announcement(what)})) {
        *error = query.lastError();
        return false;
    }
    return true;
}

qint64 nextId(QSqlDatabase& db, const QString& table, bool* ok)
{
    QSqlQuery query(db);
    *ok = run(query, QStringLiteral("SELECT MAX(id) FROM %1").arg(table)) && query.next();
    return *ok ? query.value(0).toLongLong() + 1 : 0;
}

int valuesPerStatement(const QSqlDatabase& db)
{
    // Well within what each takes (SQLite 32,766, PostgreSQL 65,535).
    return isSqlite(db) ? 200 : 4000;
}

bool insertRows(QSqlDatabase& db, const QString& table, const QStringList& columns,
                const std::vector<QVariantList>& rows, QSqlError* error)
{
    const size_t perStatement = std::max<size_t>(1, size_t(valuesPerStatement(db)) / size_t(columns.size()));
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
