#pragma once

// What the catalogue's code shares about its database: opening a connection safely, the schema
// and its migrations, write transactions, and the reading of database errors. SQLite and
// PostgreSQL differ here, and only here: in how a connection is opened and checked, how a write
// transaction takes the catalogue's write lock, how errors read, how a change is announced, and in
// a few column types and statements of the migrations.

#include "core/catalogue/catalogue_result.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <initializer_list>
#include <vector>

namespace catalogue::database {

// The schema version this build writes; each step up to it is one migration.
inline constexpr int kSchemaVersion = 8;

// Whether `db` is an SQLite connection (else PostgreSQL).
bool isSqlite(const QSqlDatabase& db);
// Opens a connection named `connection` to `address`, checked as Catalogue::open describes.
Result connect(const CatalogueAddress& address, const QString& connection, const OpenOptions& options);

// Brings the schema up to kSchemaVersion, one transaction per migration (an SQLite file is copied
// beside itself first: "NAME.vN-backup"). Refuses a database written by a newer schema.
// `toVersion` stops earlier (a test makes a catalogue of an older version so).
Result migrate(QSqlDatabase& db, const CatalogueAddress& address, int toVersion = kSchemaVersion);
int storedVersion(QSqlDatabase& db);
// The refusal of a database written by a newer schema than this build's; none for `found` up to it.
Result refuseNewer(int found, const CatalogueAddress& address);

// A write transaction holding the catalogue's write lock, so that two imports (or an import and
// a print) from two PCs run one after the other. Rolled back unless committed.
class WriteTransaction {
public:
    explicit WriteTransaction(QSqlDatabase& db);
    ~WriteTransaction();
    bool begun() const { return begun_; }
    QSqlError error() const { return error_; }
    bool commit();

private:
    QSqlDatabase& db_;
    bool begun_ = false;
    bool done_ = false;
    QSqlError error_;
};

// The outcome for a database error during `what` (Japanese, e.g. "取り込み"), naming the catalogue:
// a full disk or file system and a read-only file or folder are `unwritable` and name the folder or
// the file with the reason; another program's write lock held past the wait is `busy` (on
// PostgreSQL naming the PC that holds it). SQLite's extended codes are read by their primary code.
Result failureOf(const QSqlError& error, const CatalogueAddress& address, const QString& what);

// How long a write waits for another program's or PC's write lock: SQLite's busy timeout and
// PostgreSQL's lock_timeout; a PostgreSQL session idle inside its transaction for twice as long is
// ended by the server. TANAFUDA_CATALOGUE_LOCK_WAIT (seconds, 1 to 3600) sets another.
inline constexpr int kDefaultLockWaitSeconds = 30;
int lockWaitSeconds();

// Whether the catalogue holds neither an import nor a product (its tables made, then its first
// import stopped): such a catalogue counts as none.
bool holdsNothing(QSqlDatabase& db);

// Runs `sql` with `values` bound in order; false (error in query.lastError()) when it fails.
bool run(QSqlQuery& query, const QString& sql, std::initializer_list<QVariant> values = {});

// Tells the programs watching the catalogue (core/catalogue/catalogue_watch.h) what this write
// transaction changed (import, print, confirm, takedown, offer, check): on PostgreSQL a
// notification sent when the transaction commits; on SQLite nothing is needed (a watch sees the
// data version move). False, with the error, when it could not be said.
bool announce(QSqlDatabase& db, const QString& what, QSqlError* error);
// The channel of those notifications, and what each says: "what|host|process" (this process:
// thisProcess() on this PC's host name), so that a watch knows its own program's.
inline constexpr char kNotificationChannel[] = "tanafuda_catalogue";
QString announcement(const QString& what);
QString thisProcess();

// The next free id of `table` (ids are handed out under the write lock).
qint64 nextId(QSqlDatabase& db, const QString& table, bool* ok);

// How many values one statement should bind at most. On PostgreSQL a few thousand: few round
// trips to the server. On SQLite a couple of hundred: Qt names every placeholder, and SQLite finds
// each name in a list when it compiles the statement, work that grows with the square of the values.
int valuesPerStatement(const QSqlDatabase& db);

// Inserts `rows` (each with one value per column) as multi-row INSERT statements.
bool insertRows(QSqlDatabase& db, const QString& table, const QStringList& columns,
                const std::vector<QVariantList>& rows, QSqlError* error);

// `value` as it is bound: a null text as an empty one (every text column is NOT NULL).
QVariant bindable(const QVariant& value);

// The current time as ISO 8601 UTC text, and a date as YYYY-MM-DD.
QString nowText();
QString dateText(const QDate& date);

}  // namespace catalogue::database
