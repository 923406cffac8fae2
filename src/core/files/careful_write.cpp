#include "core/files/careful_write.h"

#include "core/files/system_calls.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace files {

namespace detail {

namespace {

int openFile(const char* path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}

// A rename that fails with EEXIST where anything, a dangling link included, has the new name. File
// systems that cannot rename so make a second name and remove the first instead.
int renameNoReplace(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return -1;
    }
    if (::link(from, to) != 0) {
        return -1;
    }
    ::unlink(from);
    return 0;
}

const SystemCalls kRealCalls {
    openFile, ::write,  ::pwrite,    ::pread,  ::ftruncate,     ::fsync,
    ::fchown, ::fchmod, ::fsetxattr, ::rename, renameNoReplace, ::close,
};

SystemCalls gCalls = kRealCalls;

}  // namespace

SystemCalls& systemCalls()
{
    return gCalls;
}

const SystemCalls& realSystemCalls()
{
    return kRealCalls;
}

}  // namespace detail

namespace {

using detail::systemCalls;

// Temporary files are ".NAME" followed by this and six letters or digits; backup copies beside the
// file by kBackupMark and six letters or digits.
constexpr char kTemporaryMark[] = ".tanafuda-";
constexpr char kBackupMark[] = ".tanafuda-backup-";
constexpr int kRandomLength = 6;
constexpr int kMaxLinkDepth = 40;

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The error number of a call that failed, carried up to the outcome.
struct Failure {
    int error = 0;
};

FileWriteResult failed(int error)
{
    FileWriteResult outcome;
    outcome.error = reason(error);
    return outcome;
}

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {
        return QByteArray(".");
    }
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

QByteArray nameOf(const QByteArray& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray joined(const QByteArray& folder, const QByteArray& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QByteArray randomSuffix()
{
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray suffix(kRandomLength, '0');
    for (char& c : suffix) {
        c = kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
    }
    return suffix;
}

// The start of `name` that the names of its temporary files (".NAME" `mark` XXXXXX) take: the whole
// name where that fits the folder's limit on names, else as much of it as fits, cut between
// characters, so that any name that fits can be saved.
QByteArray namePart(const QByteArray& folder, const QByteArray& name, const char* mark)
{
    long limit = ::pathconf(folder.constData(), _PC_NAME_MAX);
    if (limit <= 0) {
        limit = NAME_MAX;
    }
    const qsizetype room = qsizetype(limit) - 1 - qsizetype(std::strlen(mark)) - kRandomLength;
    if (name.size() <= room) {
        return name;
    }
    qsizetype cut = std::max<qsizetype>(room, 1);
    while (cut > 1 && (uchar(name.at(cut)) & 0xC0) == 0x80) {
        --cut;  // not inside a UTF-8 sequence
    }
    return name.left(cut);
}

bool isRandomSuffix(const QByteArray& text)
{
    if (text.size() != kRandomLength) {
        return false;
    }
    for (char c : text) {
        const bool alnum = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!alnum) {
            return false;
        }
    }
    return true;
}

// The file that `path` names once symbolic links are followed (the last one may name a file that
// does not exist yet), so that a save replaces the file and keeps the link.
std::optional<QByteArray> followLinks(QByteArray path, int& error)
{
    for (int depth = 0; depth <= kMaxLinkDepth; ++depth) {
        struct stat st { };
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return path;
        }
        QByteArray target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.constData(), target.data(), target.size());
        if (n < 0) {
            error = errno;
            return std::nullopt;
        }
        target.truncate(n);
        path = target.startsWith('/') ? target : joined(folderOf(path), target);
    }
    error = ELOOP;
    return std::nullopt;
}

// Writes all of `bytes` at the file position of `fd`; a call cut short by a signal is repeated.
std::optional<Failure> writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = systemCalls().write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return Failure {n < 0 ? errno : EIO};
        }
        done += n;
    }
    return std::nullopt;
}

std::optional<Failure> writeAllAt(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = systemCalls().pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), off_t(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return Failure {n < 0 ? errno : EIO};
        }
        done += n;
    }
    return std::nullopt;
}

// The whole content of `fd` from its start.
std::optional<QByteArray> readAllAt(int fd, int& error)
{
    struct stat st { };
    if (::fstat(fd, &st) != 0) {
        error = errno;
        return std::nullopt;
    }
    QByteArray bytes;
    qint64 chunk = std::max<qint64>(st.st_size + 1, 64 * 1024);
    for (;;) {
        const qsizetype had = bytes.size();
        bytes.resize(had + chunk);
        const ssize_t n = systemCalls().pread(fd, bytes.data() + had, size_t(chunk), off_t(had));
        if (n < 0 && errno == EINTR) {
            bytes.resize(had);
            continue;
        }
        if (n < 0) {
            error = errno;
            return std::nullopt;
        }
        bytes.resize(had + n);
        if (n == 0) {
            return bytes;
        }
        chunk = 64 * 1024;
    }
}

std::optional<Failure> flush(int fd)
{
    if (systemCalls().fsync(fd) != 0) {
        return Failure {errno};
    }
    return std::nullopt;
}

// Flushes a folder's entries, so that a rename or a removal in it outlives a power cut. File
// systems that cannot flush a folder say so with EINVAL; there is nothing to flush then.
std::optional<Failure> flushFolder(const QByteArray& folder)
{
    const int fd = systemCalls().open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) {
        return Failure {errno};
    }
    std::optional<Failure> failure;
    if (systemCalls().fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP) {
        failure = Failure {errno};
    }
    ::close(fd);
    return failure;
}

// A file created for this save and removed again unless it is handed on.
class CreatedFile {
public:
    CreatedFile() = default;
    CreatedFile(const CreatedFile&) = delete;
    CreatedFile& operator=(const CreatedFile&) = delete;
    ~CreatedFile() { discard(); }

    // Creates ".NAME<mark>XXXXXX" in `folder` with `mode` (before the umask), write-only and locked
    // so that another save's cleaning does not take it for a stale one.
    std::optional<Failure> create(const QByteArray& folder, const QByteArray& name, const char* mark, mode_t mode)
    {
        const QByteArray start = '.' + namePart(folder, name, mark) + mark;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray candidate = joined(folder, start + randomSuffix());
            const int fd
                = systemCalls().open(candidate.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            if (fd < 0 && errno == EEXIST) {
                continue;
            }
            if (fd < 0) {
                return Failure {errno};
            }
            fd_ = fd;
            path_ = candidate;
            ::flock(fd_, LOCK_EX | LOCK_NB);  // a new file: nobody else can hold it
            lockFd_ = ::dup(fd_);
            return std::nullopt;
        }
        return Failure {EEXIST};
    }

    int fd() const { return fd_; }
    const QByteArray& path() const { return path_; }

    // Closes the file for writing (the lock stays until the file is handed on or removed).
    std::optional<Failure> close()
    {
        const int fd = fd_;
        fd_ = -1;
        if (systemCalls().close(fd) != 0) {
            return Failure {errno};
        }
        return std::nullopt;
    }

    // The file now belongs elsewhere (renamed into place, or a copy to keep): do not remove it.
    void release()
    {
        path_.clear();
        discard();
    }

    void discard()
    {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
        if (!path_.isEmpty()) {
            ::unlink(path_.constData());
            path_.clear();
        }
        if (lockFd_ >= 0) {
            ::close(lockFd_);
            lockFd_ = -1;
        }
    }

private:
    int fd_ = -1;
    int lockFd_ = -1;
    QByteArray path_;
};

// Removes the temporary files of earlier saves of `name` that were killed before their rename. A
// file that another save holds locked is its own temporary file and stays.
void removeStaleTemporaries(const QByteArray& folder, const QByteArray& name)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir) {
        return;
    }
    const QByteArray prefix = '.' + namePart(folder, name, kTemporaryMark) + kTemporaryMark;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray entryName(entry->d_name);
        if (!entryName.startsWith(prefix) || !isRandomSuffix(entryName.mid(prefix.size()))) {
            continue;
        }
        const QByteArray path = joined(folder, entryName);
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        struct stat st { };
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlink(path.constData());
        }
        ::close(fd);
    }
    ::closedir(dir);
}

// Copies the user's extended attributes and the access list of `from` onto `toFd`. A file system
// without extended attributes has none to copy.
std::optional<Failure> copyAttributes(const QByteArray& from, int toFd)
{
    ssize_t size = ::listxattr(from.constData(), nullptr, 0);
    if (size < 0) {
        return errno == ENOTSUP ? std::nullopt : std::optional<Failure>(Failure {errno});
    }
    QByteArray names(size, '\0');
    size = ::listxattr(from.constData(), names.data(), names.size());
    if (size < 0) {
        return Failure {errno};
    }
    names.truncate(size);
    for (const QByteArray& attribute : names.split('\0')) {
        if (!attribute.startsWith("user.") && attribute != "system.posix_acl_access") {
            continue;
        }
        ssize_t valueSize = ::getxattr(from.constData(), attribute.constData(), nullptr, 0);
        if (valueSize < 0) {
            return Failure {errno};
        }
        QByteArray value(valueSize, '\0');
        valueSize = ::getxattr(from.constData(), attribute.constData(), value.data(), value.size());
        if (valueSize < 0) {
            return Failure {errno};
        }
        value.truncate(valueSize);
        if (systemCalls().fsetxattr(toFd, attribute.constData(), value.constData(), size_t(value.size()), 0) != 0) {
            return Failure {errno};
        }
    }
    return std::nullopt;
}

// Why this process may not write the file, or 0 when it may. Root may write any file, but a file
// without any write permission was made read-only on purpose and stays so.
int whyNotWritable(const QByteArray& path, const struct stat& st)
{
    if (::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) != 0) {
        return errno;
    }
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 ? 0 : EACCES;
}

// Flushes and closes the complete temporary file, renames it to `target` (in createNew mode only
// while nothing has that name) and flushes the folder. Once renamed, the outcome says whether the
// folder could be flushed.
FileWriteResult putInPlace(CreatedFile& temp, const QByteArray& target, WriteMode mode)
{
    if (const auto failure = flush(temp.fd())) {
        return failed(failure->error);
    }
    if (const auto failure = temp.close()) {
        return failed(failure->error);
    }
    const int renamed = mode == WriteMode::createNew
        ? systemCalls().renameNoReplace(temp.path().constData(), target.constData())
        : systemCalls().rename(temp.path().constData(), target.constData());
    if (renamed != 0) {
        return failed(errno);
    }
    temp.release();
    if (const auto failure = flushFolder(folderOf(target))) {
        FileWriteResult written = failed(failure->error);
        written.replacedUnflushed = true;
        return written;
    }
    FileWriteResult written;
    written.ok = true;
    return written;
}

// How the rename-over way ended: done, failed, or given up for writing the file in place.
enum class RenameStatus { done, failed, writeInPlace };

struct RenameResult {
    RenameStatus status = RenameStatus::failed;
    FileWriteResult written;
};

RenameResult writeByRename(const QByteArray& target, const std::optional<struct stat>& old, const QByteArray& bytes)
{
    const QByteArray folder = folderOf(target);
    const QByteArray name = nameOf(target);
    removeStaleTemporaries(folder, name);

    CreatedFile temp;
    // A new file gets the mode that the umask and the folder's default access list give it.
    if (const auto failure = temp.create(folder, name, kTemporaryMark, old ? 0600 : 0666)) {
        const bool mayNotCreate = failure->error == EACCES || failure->error == EPERM;
        return {old && mayNotCreate ? RenameStatus::writeInPlace : RenameStatus::failed, failed(failure->error)};
    }
    if (const auto failure = writeAll(temp.fd(), bytes)) {
        return {RenameStatus::failed, failed(failure->error)};
    }
    if (old) {
        struct stat made { };
        if (::fstat(temp.fd(), &made) != 0) {
            return {RenameStatus::failed, failed(errno)};
        }
        if (made.st_uid != old->st_uid || made.st_gid != old->st_gid) {
            const uid_t owner = made.st_uid != old->st_uid ? old->st_uid : uid_t(-1);
            const gid_t group = made.st_gid != old->st_gid ? old->st_gid : gid_t(-1);
            if (systemCalls().fchown(temp.fd(), owner, group) != 0) {
                // Not allowed to give the file its owner or group back: keep them by writing the
                // file itself.
                const int error = errno;
                return {error == EPERM ? RenameStatus::writeInPlace : RenameStatus::failed, failed(error)};
            }
        }
        // After the owner, which clears the setgid bit.
        if (systemCalls().fchmod(temp.fd(), old->st_mode & 07777) != 0) {
            return {RenameStatus::failed, failed(errno)};
        }
        struct stat copied { };
        if (::fstat(temp.fd(), &copied) != 0) {
            return {RenameStatus::failed, failed(errno)};
        }
        if ((copied.st_mode & 07777) != (old->st_mode & 07777)) {
            return {RenameStatus::writeInPlace, failed(EPERM)};  // the system dropped a bit
        }
        if (const auto failure = copyAttributes(target, temp.fd())) {
            return {RenameStatus::failed, failed(failure->error)};
        }
    }
    const FileWriteResult written = putInPlace(temp, target, WriteMode::replace);
    return {written.ok ? RenameStatus::done : RenameStatus::failed, written};
}

// A new file at `target`, which must name nothing yet, not even a link: written beside it under a
// temporary name and renamed to it only while the name is still free.
FileWriteResult createNew(const QByteArray& target, const QByteArray& bytes)
{
    struct stat st { };
    if (::lstat(target.constData(), &st) == 0) {
        return failed(EEXIST);
    }
    if (errno != ENOENT) {
        return failed(errno);
    }
    const QByteArray folder = folderOf(target);
    removeStaleTemporaries(folder, nameOf(target));
    CreatedFile temp;
    if (const auto failure = temp.create(folder, nameOf(target), kTemporaryMark, 0666)) {
        return failed(failure->error);
    }
    if (const auto failure = writeAll(temp.fd(), bytes)) {
        return failed(failure->error);
    }
    return putInPlace(temp, target, WriteMode::createNew);
}

// Where a copy of the old content goes when it cannot go beside the file.
QByteArray backupFolderInCache()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty()) {
        return {};
    }
    const QString folder = cache + QStringLiteral("/tanafuda/backups");
    if (!QDir().mkpath(folder)) {
        return {};
    }
    return QFile::encodeName(folder);
}

// Writes a complete, flushed copy of `bytes` beside `target` or in the cache folder.
std::optional<Failure> writeBackup(CreatedFile& backup, const QByteArray& target, const QByteArray& bytes)
{
    std::optional<Failure> failure = backup.create(folderOf(target), nameOf(target), kBackupMark, 0600);
    QByteArray backupFolder = folderOf(target);
    if (failure && (failure->error == EACCES || failure->error == EPERM || failure->error == EROFS)) {
        backupFolder = backupFolderInCache();
        if (backupFolder.isEmpty()) {
            return failure;
        }
        failure = backup.create(backupFolder, nameOf(target), kBackupMark, 0600);
    }
    if (failure) {
        return failure;
    }
    if (auto f = writeAll(backup.fd(), bytes)) {
        return f;
    }
    if (auto f = flush(backup.fd())) {
        return f;
    }
    if (auto f = backup.close()) {
        return f;
    }
    return flushFolder(backupFolder);
}

// Puts `bytes` into the open file `fd` from its start, cuts it to their length, flushes it and
// reads it back.
std::optional<Failure> replaceContent(int fd, const QByteArray& bytes)
{
    if (auto f = writeAllAt(fd, bytes)) {
        return f;
    }
    if (systemCalls().ftruncate(fd, off_t(bytes.size())) != 0) {
        return Failure {errno};
    }
    if (auto f = flush(fd)) {
        return f;
    }
    int error = 0;
    const std::optional<QByteArray> back = readAllAt(fd, error);
    if (!back) {
        return Failure {error};
    }
    if (*back != bytes) {
        return Failure {EIO};
    }
    return std::nullopt;
}

FileWriteResult writeInPlace(const QByteArray& target, const QByteArray& bytes)
{
    const int fd = systemCalls().open(target.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0);
    if (fd < 0) {
        return failed(errno);
    }
    struct FdCloser {
        int fd;
        ~FdCloser()
        {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    } closer {fd};

    int error = 0;
    const std::optional<QByteArray> previous = readAllAt(fd, error);
    if (!previous) {
        return failed(error);
    }
    CreatedFile backup;
    if (const auto failure = writeBackup(backup, target, *previous)) {
        return failed(failure->error);
    }
    if (const auto failure = replaceContent(fd, bytes)) {
        FileWriteResult outcome = failed(failure->error);
        if (replaceContent(fd, *previous)) {
            // The old content could not be put back either: the copy is all there is.
            outcome.keptCopyPath = QFile::decodeName(backup.path());
            backup.release();
        }
        return outcome;
    }
    closer.fd = -1;
    if (systemCalls().close(fd) != 0) {
        FileWriteResult outcome = failed(errno);
        outcome.keptCopyPath = QFile::decodeName(backup.path());
        backup.release();
        return outcome;
    }
    backup.discard();
    FileWriteResult outcome;
    outcome.ok = true;
    return outcome;
}

// Past the file-size limit the system sends SIGXFSZ, which ends the process unless it is caught,
// and with it every unsaved sheet. While a save runs the signal is held back and then taken away,
// so that the write fails with EFBIG and the save reports it.
class FileSizeSignalHeld {
public:
    FileSizeSignalHeld()
    {
        sigemptyset(&signal_);
        sigaddset(&signal_, SIGXFSZ);
        pthread_sigmask(SIG_BLOCK, &signal_, &saved_);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGXFSZ) == 1;
    }
    ~FileSizeSignalHeld()
    {
        if (!wasPending_) {
            const timespec now {};
            while (sigtimedwait(&signal_, nullptr, &now) == SIGXFSZ) { }
        }
        pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
    }
    FileSizeSignalHeld(const FileSizeSignalHeld&) = delete;
    FileSizeSignalHeld& operator=(const FileSizeSignalHeld&) = delete;

private:
    sigset_t signal_;
    sigset_t saved_;
    bool wasPending_ = false;
};

}  // namespace

FileWriteResult writeFileCarefully(const QString& path, const QByteArray& bytes, WriteMode mode)
{
    const FileSizeSignalHeld heldSignal;
    if (path.isEmpty()) {
        return failed(ENOENT);
    }
    if (mode == WriteMode::createNew) {
        return createNew(QFile::encodeName(path), bytes);
    }
    int error = 0;
    const std::optional<QByteArray> target = followLinks(QFile::encodeName(path), error);
    if (!target) {
        return failed(error);
    }
    std::optional<struct stat> old;
    struct stat st { };
    if (::stat(target->constData(), &st) == 0) {
        old = st;
    } else if (errno != ENOENT) {
        return failed(errno);
    }
    if (old && S_ISDIR(old->st_mode)) {
        return failed(EISDIR);
    }
    if (old && !S_ISREG(old->st_mode)) {
        FileWriteResult outcome;
        outcome.error = QStringLiteral("通常のファイルではありません");
        return outcome;
    }
    if (old) {
        if (const int refused = whyNotWritable(*target, *old)) {
            return failed(refused);
        }
    }
    if (old && old->st_nlink > 1) {
        return writeInPlace(*target, bytes);
    }
    RenameResult renamed = writeByRename(*target, old, bytes);
    if (renamed.status == RenameStatus::writeInPlace) {
        return writeInPlace(*target, bytes);
    }
    return renamed.written;
}

}  // namespace files
