#include "core/catalogue/store/database.h"

#include "core/catalogue/store/catalogue_copies.h"
#include "core/catalogue/store/catalogue_storage.h"
#include "core/files/careful_write.h"
#include "core/pricing/shop_time.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>
#include <QUrl>

namespace catalogue::database {

bool isSqlite(const QSqlDatabase& db)
{
    return db.driverName() == QLatin1String("QSQLITE");
}

namespace {

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

}  // namespace

Result connect(const CatalogueAddress& address, const QString& connection, const OpenOptions& options)
{
    return address.kind == CatalogueAddress::Kind::sqlite ? connectSqlite(address, connection, options)
                                                          : connectPostgresql(address, connection);
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

QString thisProcess()
{
    return QString::number(QCoreApplication::applicationPid());
}

QString announcement(const QString& what)
{
    return QStringList {what, QSysInfo::machineHostName(), thisProcess()}.join(u'|');
}

bool announce(QSqlDatabase& db, const QString& what, QSqlError* error)
{
    if (isSqlite(db)) {
        return true;
    }
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("SELECT pg_notify(?, ?)"),
             {QString::fromLatin1(kNotificationChannel), announcement(what)})) {
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
