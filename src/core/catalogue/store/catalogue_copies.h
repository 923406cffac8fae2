#pragma once

// The copies an SQLite catalogue keeps of itself, and restoring one. Before the first import of each
// day the catalogue is copied beside itself through SQLite's VACUUM INTO, a consistent snapshot
// taken while other programs go on reading: NAME.copy-YYYY-MM-DD, the newest kKeptCopies of them
// kept. A damaged catalogue can be put back from the newest copy that passes integrity_check; the
// user is told what the copy holds and what is lost since. (A PostgreSQL catalogue is the server's
// to keep copies of: pg_dump and the server's own backups.)
//
// A window offers the same as `tanafuda-catalogue restore`: newestSoundCopy() for the copy to
// offer, describeCopy() and lostSince() for what to say, restore() to put it back.

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

#include <optional>
#include <vector>

namespace catalogue::copies {

inline constexpr int kKeptCopies = 7;

// What a copy (or any catalogue file) holds, as far as it can be read.
struct CopyInfo {
    QString path;
    QDate day;          // the day it was taken, from its name (invalid for another file)
    QDateTime takenAt;  // when it was written, local time
    bool sound = false;
    QString problem;  // why it is not sound (Japanese)
    int schemaVersion = 0;
    int products = 0;  // in the shop's range (not discontinued)
    int imports = 0;
    qint64 lastImportId = 0;
    QString lastImportAt;  // ISO 8601 UTC
    QString lastImportFile;
    int prints = 0;
    qint64 lastPrintId = 0;
};

// NAME.copy-YYYY-MM-DD beside `catalogueFile` (the file itself, links followed).
QString copyFileFor(const QString& catalogueFile, QDate day);
// The newest copy's file by its name, without looking into it; empty when there is none.
QString newestCopyFile(const QString& catalogueFile);

// Reads what `file` holds, read-only, as a file nobody changes; with `fullCheck`, integrity_check
// first (else quick_check).
CopyInfo lookInto(const QString& file, bool fullCheck = true);
// The copies beside `catalogueFile`, newest first, each looked into.
std::vector<CopyInfo> listCopies(const QString& catalogueFile);
// The newest copy that passes integrity_check.
std::optional<CopyInfo> newestSoundCopy(const QString& catalogueFile);

// Takes today's copy of the catalogue open on `db`, unless there is one or the catalogue has
// never taken a list in; then removes the oldest beyond kKeptCopies. Empty when done or not
// needed, else why not (Japanese): the caller goes on, the older copies stay.
QString takeDailyCopy(QSqlDatabase& db, const QString& catalogueFile, QDate today);

// "控え catalogue.sqlite.copy-2026-12-08 (12/08(火) 09:00、商品 200、取り込み 5 回まで (最後は 12/08(火)
// 08:55 の week1.csv)、印刷の記録 3 回)"
QString describeCopy(const CopyInfo& copy);
// What putting `copy` in place of the catalogue file `current` (the one in use, or a damaged one
// moved aside) loses: the imports, prints, confirmations and take-downs `current` holds beyond the
// copy, as far as it can be read; else everything since the copy was taken, with the time `current`
// was last written.
QString lostSince(const CopyInfo& copy, const QString& current);

enum class RestoreStatus { restored, catalogueSound, copyUnsound, failed };
struct RestoreResult {
    RestoreStatus status = RestoreStatus::failed;
    QString message;   // Japanese: what was done, what the copy holds and what is lost; or why not
    QString setAside;  // where the file it replaced went, if one was there
};
// Puts `copy` in place of the catalogue at `catalogueFile` (links followed). A sound catalogue
// there is replaced only with `replaceSound`; a file there is moved aside first (NAME.replaced-…),
// never deleted, and the copy stays as it is. Other programs must not have the catalogue open.
RestoreResult restore(const QString& catalogueFile, const CopyInfo& copy, bool replaceSound);

}  // namespace catalogue::copies
