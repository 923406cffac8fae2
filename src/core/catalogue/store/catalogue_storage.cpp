#include "core/catalogue/store/catalogue_storage.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace catalogue::storage {

namespace {

// Links followed before a path counts as a loop (the kernel's own limit).
constexpr int kMaxLinks = 40;

// File systems on which SQLite's locks and shared memory cannot be trusted, by statfs magic number
// (linux/magic.h and the file systems' own headers).
struct UntrustedKind {
    unsigned long magic;
    const char* name;
};
constexpr UntrustedKind kUntrusted[] = {
    {0x6969UL, "NFS"},        {0x517BUL, "SMB"},
    {0xFF534D42UL, "CIFS"},   {0xFE534D42UL, "SMB2"},
    {0x564CUL, "NCP"},        {0x73757245UL, "Coda"},
    {0x5346414FUL, "AFS"},    {0x6B414653UL, "AFS"},
    {0x00C36400UL, "Ceph"},   {0x01021997UL, "9P"},
    {0x0BD00BD0UL, "Lustre"}, {0x01161970UL, "GFS2"},
    {0x7461636FUL, "OCFS2"},  {0x786F4256UL, "VirtualBox の共有フォルダー"},
};
constexpr unsigned long kFuseMagic = 0x65735546UL;

// FUSE file systems on a disk of this PC (ntfs-3g and exfat-fuse mount as fuseblk).
const QStringList& localFuseTypes()
{
    static const QStringList types {QStringLiteral("fuseblk"), QStringLiteral("fuse.ntfs-3g"),
                                    QStringLiteral("fuse.exfat"), QStringLiteral("fuse.exfat-fuse")};
    return types;
}

// A field of /proc/self/mountinfo with its octal escapes (\040 for a blank) undone.
QString unescapedField(const QByteArray& field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field.at(i) == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(char(code));
                i += 3;
                continue;
            }
        }
        out.append(field.at(i));
    }
    return QFile::decodeName(out);
}

// The type of the file system mounted at the deepest mount point above `folder` ("fuse.sshfs",
// "fuseblk", "tmpfs"), as /proc/self/mountinfo gives it; empty when it cannot be read.
QString mountTypeOf(const QString& folder)
{
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QString best;
    QString bestType;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (fields.size() < 5 || dash < 0 || dash + 1 >= fields.size()) {
            continue;
        }
        const QString point = unescapedField(fields.at(4));
        const bool above = point == QLatin1String("/") || folder == point || folder.startsWith(point + u'/');
        if (above && point.size() >= best.size()) {
            best = point;
            bestType = QString::fromLatin1(fields.at(dash + 1));
        }
    }
    return bestType;
}

QString userName(uid_t uid)
{
    const passwd* user = ::getpwuid(uid);
    return user ? QString::fromLocal8Bit(user->pw_name) : QString::number(uid);
}

// "所有者 root、モード 644"
QString ownerAndMode(const QString& path)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return {};
    }
    return QStringLiteral("所有者 %1、モード %2")
        .arg(userName(info.st_uid))
        .arg(info.st_mode & 07777, 3, 8, QChar(u'0'));
}

bool onReadOnlyMount(const QString& path)
{
    struct statvfs info { };
    return ::statvfs(QFile::encodeName(path).constData(), &info) == 0 && (info.f_flag & ST_RDONLY) != 0;
}

QString readOnlyMountReason()
{
    return QStringLiteral("読み取り専用でマウントされたディスクにあります");
}

// "0 バイト", "12 KB", "3 MB"
QString shownBytes(qint64 bytes)
{
    if (bytes < 1024) {
        return QStringLiteral("%1 バイト").arg(bytes);
    }
    if (bytes < 1024 * 1024) {
        return QStringLiteral("%1 KB").arg(bytes / 1024);
    }
    return QStringLiteral("%1 MB").arg(bytes / (1024 * 1024));
}

}  // namespace

QString resolvedFile(const QString& path)
{
    QString current = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (int followed = 0; followed < kMaxLinks; ++followed) {
        const QFileInfo info(current);
        if (!info.isSymLink()) {
            break;
        }
        const QString target = info.symLinkTarget();  // absolute, even when it names nothing
        if (target.isEmpty()) {
            break;
        }
        current = QDir::cleanPath(target);
    }
    // The folders on the way may be links too.
    const QFileInfo info(current);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (folder.isEmpty()) {
        return current;
    }
    return folder.endsWith(u'/') ? folder + info.fileName() : folder + u'/' + info.fileName();
}

QString untrustedFileSystemAt(const QString& folder)
{
    struct statfs info { };
    if (::statfs(QFile::encodeName(folder).constData(), &info) != 0) {
        return {};
    }
    const auto magic = static_cast<unsigned long>(info.f_type);
    for (const UntrustedKind& kind : kUntrusted) {
        if (kind.magic == magic) {
            return QString::fromUtf8(kind.name);
        }
    }
    if (magic != kFuseMagic) {
        return {};
    }
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const QString type = mountTypeOf(canonical.isEmpty() ? folder : canonical);
    if (localFuseTypes().contains(type)) {
        return {};
    }
    // GVFS's smb:// and sftp:// folders (fuse.gvfsd-fuse, under /run/user/UID/gvfs), sshfs, rclone, ...
    return type.startsWith(QLatin1String("fuse.")) ? QStringLiteral("FUSE (%1)").arg(type.mid(5))
                                                   : QStringLiteral("FUSE");
}

Room roomAt(const QString& folder)
{
    Room room;
    struct statvfs info { };
    if (::statvfs(QFile::encodeName(folder).constData(), &info) != 0) {
        return room;
    }
    const bool root = ::geteuid() == 0;
    room.freeBytes = qint64(root ? info.f_bfree : info.f_bavail) * qint64(info.f_frsize);
    // File systems without a fixed file table (btrfs) give no count of files at all.
    room.freeFiles = info.f_files == 0 ? -1 : qint64(root ? info.f_ffree : info.f_favail);
    room.readOnlyMount = (info.f_flag & ST_RDONLY) != 0;
    return room;
}

QString whyFileNotWritable(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info { };
    if (::stat(name.constData(), &info) != 0) {
        return {};
    }
    if (onReadOnlyMount(path)) {
        return readOnlyMountReason();
    }
    if (::geteuid() == 0) {
        // Root may write anything; a file without any write bit is read-only by the owner's wish.
        return (info.st_mode & 0222) != 0
            ? QString()
            : QStringLiteral("読み取り専用のファイルです (どの利用者にも書き込みの許可がありません。%1)")
                  .arg(ownerAndMode(path));
    }
    if (::access(name.constData(), W_OK) == 0) {
        return {};
    }
    if (errno == EROFS) {
        return readOnlyMountReason();
    }
    return QStringLiteral("この利用者 (%1) には書き込みの許可がありません (%2)")
        .arg(userName(::geteuid()), ownerAndMode(path));
}

QString whyFolderNotWritable(const QString& folder)
{
    if (onReadOnlyMount(folder)) {
        return readOnlyMountReason();
    }
    if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0) {
        return {};
    }
    if (errno == EROFS) {
        return readOnlyMountReason();
    }
    if (errno == ENOENT) {
        return QStringLiteral("フォルダーがありません");
    }
    return QStringLiteral("この利用者 (%1) はこのフォルダーにファイルを作れません (%2)")
        .arg(userName(::geteuid()), ownerAndMode(folder));
}

QString fullDiskReason(const QString& folder, const Room& room)
{
    const QString shown = QDir::toNativeSeparators(folder);
    if (room.freeBytes >= 0 && room.freeBytes < kFullDiskBytes) {
        return QStringLiteral("ディスクがいっぱいです (フォルダー %1 のディスクの空きは %2)")
            .arg(shown, shownBytes(room.freeBytes));
    }
    if (room.freeFiles == 0) {
        return QStringLiteral("ファイルシステムがいっぱいです (フォルダー %1 のディスクには、空きがあっても新しい"
                              "ファイルを作る余地 (i ノード) が残っていません)")
            .arg(shown);
    }
    return {};
}

QString setAside(const QString& file, const QString& kind)
{
    const QString stem
        = file + u'.' + kind + u'-' + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = stem;
    for (int n = 2; QFileInfo::exists(target) && n < 1000; ++n) {
        target = stem + QStringLiteral("-%1").arg(n);
    }
    // rename(2) would replace an existing file; link + unlink never does.
    if (::link(QFile::encodeName(file).constData(), QFile::encodeName(target).constData()) != 0
        || ::unlink(QFile::encodeName(file).constData()) != 0) {
        return {};
    }
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString side = file + QLatin1String(suffix);
        if (QFileInfo::exists(side)
            && ::link(QFile::encodeName(side).constData(),
                      QFile::encodeName(target + QLatin1String(suffix)).constData())
                == 0) {
            ::unlink(QFile::encodeName(side).constData());
        }
    }
    return target;
}

bool hasWriteAheadLog(const QString& file)
{
    const QFileInfo wal(file + QStringLiteral("-wal"));
    return wal.exists() && wal.size() > 0;
}

}  // namespace catalogue::storage
