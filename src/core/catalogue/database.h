#pragma once

// What the catalogue's code shares about its database: opening a connection safely, the schema
// and its migrations, write transactions, and the reading of database errors. The one place where
// SQLite and PostgreSQL differ is how a write transaction takes the catalogue's write lock.

#include "core/catalogue/catalogue.h"

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
inline constexpr int kSchemaVersion = 4;

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

// The outcome for a database error during `what` (Japanese, e.g. "取り込み"), naming the catalogue.
Result failureOf(const QSqlError& error, const CatalogueAddress& address, const QString& what);

// Runs `sql` with `values` bound in order; false (error in query.lastError()) when it fails.
bool run(QSqlQuery& query, const QString& sql, std::initializer_list<QVariant> values = {});

// The next free id of `table` (ids are handed out under the write lock).
qint64 nextId(QSqlDatabase& db, const QString& table, bool* ok);

// Inserts `rows` (each with one value per column) as multi-row INSERT statements.
bool insertRows(QSqlDatabase& db, const QString& table, const QStringList& columns,
                const std::vector<QVariantList>& rows, QSqlError* error);

// `value` as it is bound: a null text as an empty one (every text column is NOT NULL).
QVariant bindable(const QVariant& value);

// The current time as ISO 8601 UTC text, and a date as YYYY-MM-DD.
QString nowText();
QString dateText(const QDate& date);

}  // namespace catalogue::database
