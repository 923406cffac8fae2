#pragma once

// How a catalogue's opening or change went, and how it is to be opened: what the store reports and
// the catalogue hands on to the windows and commands.

#include "core/catalogue/catalogue_address.h"
#include "core/catalogue/rules/merge_plan.h"

#include <QString>

namespace catalogue {

// Why a catalogue could not be opened or changed. Every kind comes with a Japanese message.
enum class Status {
    none,
    missing,        // no catalogue yet (and none is to be made)
    damaged,        // an SQLite file that is not a sound database (it has been moved aside)
    networkFolder,  // an SQLite file on NFS/SMB/CIFS
    notACatalogue,  // a database of some other program, or of a newer tanafuda
    unreachable,    // the server does not answer, or refuses the user
    unwritable,     // read-only file or folder, full disk or file system, no permission
    busy,           // another program or PC held the write lock for longer than the wait
    notFound,       // no such product, print or offer
    refused,        // against the catalogue's rules (an offer overlapping another, ended already)
    failed,         // anything else the database reports
};

struct Result {
    Status status = Status::none;
    QString message;  // Japanese, for the user
    // For a damaged SQLite file: where it was moved ("NAME.damaged-YYYYMMDD-HHMMSS"); empty when
    // it could not be moved and stays where it was.
    QString movedTo = {};
    bool ok() const { return status == Status::none; }
};

struct OpenOptions {
    bool create = false;  // make the catalogue (file, folder, tables) when there is none
    // Only read: nothing is written, not even to bring an older schema up to date. An SQLite file
    // is opened read-only (as a file nobody changes where its folder or disk takes no journal and
    // none is there), so that a user who may only read it, or a read-only disk, can read it; it is
    // not checked (a damaged one fails its queries, and stays where it is) unless `check` says so.
    bool readOnly = false;
    // With readOnly: check the file all the same (quick_check) and move a damaged one aside.
    bool check = false;
    // With create: make a new SQLite catalogue even where copies of an earlier one lie beside it.
    bool afresh = false;
};

// What a merge did.
struct MergeResult : Result {
    MergeCounts counts;
    qint64 importId = 0;
    QString copyProblem;  // why the day's copy of an SQLite catalogue could not be taken (Japanese)
};

}  // namespace catalogue
