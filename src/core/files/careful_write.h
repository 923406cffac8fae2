#pragma once

#include <QByteArray>
#include <QString>

// The one way the programs write a file: sheets, PDFs, images and settings all go through here, so
// that a failure is always reported and never leaves a damaged file behind.
namespace files {

struct FileWriteResult {
    bool ok = false;
    QString error;         // the system's reason when !ok
    QString keptCopyPath;  // when !ok: a complete copy of the previous content, if one was left
    // When !ok: the new content is already in the file, but the folder could not be flushed, so a
    // power cut might still bring the previous file back.
    bool replacedUnflushed = false;
};

enum class WriteMode {
    replace,    // the file at `path` is made or replaced, as below
    createNew,  // `path` must name nothing yet, not even a dangling link: otherwise EEXIST
};

// Writes `bytes` to `path` carefully:
// - Symbolic links are followed: the file a link names gets the new content, the link stays.
// - Normally the data goes to a hidden temporary file beside the target (".NAME.tanafuda-XXXXXX"),
//   which gets the target's owner, group, mode (setgid included) and extended attributes, is
//   flushed to the disk, and replaces the target by a rename; the folder is flushed after it.
//   Temporary files of the same target left by a save that was killed are removed first. Where
//   the target's name is too long for that, the temporary (and backup) names take only its start.
// - In createNew mode the temporary file is renamed to `path` only while nothing has that name, so
//   no link is followed and no file is ever replaced.
// - Where a rename would change what the file is (a hard-linked file, a folder in which no file
//   may be created, an owner the process cannot give back), the file is written in place, after a
//   complete copy of its content has been flushed beside it (".NAME.tanafuda-backup-XXXXXX") or,
//   where that is not allowed, in the user's cache folder; the copy is removed once the new content
//   has been flushed and read back. Should the old content not be put back after a failure, the
//   copy stays and keptCopyPath names it.
// - A file that has no write permission (for root: no write bit at all) is refused.
// Every write, flush, rename and close is checked; on failure the previous content stays as it was
// (or in the kept copy) and `error` holds the system's reason.
FileWriteResult writeFileCarefully(const QString& path, const QByteArray& bytes, WriteMode mode = WriteMode::replace);

}  // namespace files
