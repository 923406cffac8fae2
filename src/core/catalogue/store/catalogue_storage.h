#pragma once

// What the file system under an SQLite catalogue allows: the file a path names once its symbolic
// links are followed, whether the folder lies on a file system whose locks SQLite cannot trust (a
// network or FUSE one), whether the user may write the file and its folder, and how much room the
// disk has left. Every answer is about the file SQLite really opens, never about a link to it.

#include <QString>

namespace catalogue::storage {

// The file `path` names after every symbolic link is followed, as an absolute clean path. A link to
// nothing gives the file SQLite would make through it; a path that is no link gives itself.
QString resolvedFile(const QString& path);

// The kind of file system of `folder` ("NFS", "SMB", "CIFS", "FUSE (sshfs)", ...) where SQLite's
// locking and shared memory cannot be trusted; empty for a local one. FUSE file systems count as
// such unless known to be on a local disk (fuseblk: NTFS or exFAT on a disk of this PC).
QString untrustedFileSystemAt(const QString& folder);

struct Room {
    qint64 freeBytes = -1;  // what this user may still write; -1 when unknown
    qint64 freeFiles = -1;  // files (inodes) that may still be made; -1 when unknown or unlimited
    bool readOnlyMount = false;
};
Room roomAt(const QString& folder);

// Fewer free bytes than this count as a full disk: a write of the catalogue needs the index of its
// write-ahead log (32 KiB) and a few pages of the log besides.
inline constexpr qint64 kFullDiskBytes = 64 * 1024;

// Why this user may not write the file `path`, in Japanese ("読み取り専用のファイルです", ...);
// empty when it may. A file without any write permission bit counts as read-only for root too.
QString whyFileNotWritable(const QString& path);
// The same for the folder `folder`, where SQLite makes its journal and shared-memory files.
QString whyFolderNotWritable(const QString& folder);

// "ディスクがいっぱいです (フォルダー F の空きは 12 KB)" or "ファイルシステムに新しいファイルを作る余地が
// ありません (...)" when `room` says the disk or its file table is full; empty otherwise.
QString fullDiskReason(const QString& folder, const Room& room);

// Moves `file` with its journal files (NAME-wal, NAME-shm) to "NAME.KIND-YYYYMMDD-HHMMSS[-N]", never
// over an existing file. The new name, or empty when it could not be moved.
QString setAside(const QString& file, const QString& kind);

// Whether SQLite's write-ahead log of `file` is there (NAME-wal), as after a crash or while
// another program has the catalogue open.
bool hasWriteAheadLog(const QString& file);

}  // namespace catalogue::storage
