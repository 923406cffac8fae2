#include "core/files/careful_write.h"

#include "core/files/system_calls.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <map>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using files::FileWriteResult;
using files::writeFileCarefully;
using files::detail::realSystemCalls;
using files::detail::systemCalls;

namespace {

const QByteArray kOld = QByteArray("\"old sheet\"\r\n").repeated(40);
const QByteArray kNew = QByteArray("\"the new sheet, longer than the old one\"\r\n").repeated(60);

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Every name in a folder, hidden ones included.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

struct stat statOf(const QString& path)
{
    struct stat st { };
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

bool hasUserAttributes(const QString& folder)
{
    const QByteArray probe = QFile::encodeName(folder + QStringLiteral("/probe"));
    QFile(QFile::decodeName(probe)).open(QIODevice::WriteOnly);
    const bool ok = ::setxattr(probe.constData(), "user.probe", "1", 1, 0) == 0;
    ::unlink(probe.constData());
    return ok;
}

QByteArray userAttribute(const QString& path, const char* name)
{
    QByteArray value(256, '\0');
    const ssize_t n = ::getxattr(QFile::encodeName(path).constData(), name, value.data(), value.size());
    return n < 0 ? QByteArray("<none>") : value.left(n);
}

// A temporary folder whose cache folder (where copies go that cannot stay beside the file) is a
// subfolder of it, so that the tests see every file a save leaves.
class SaveFolder {
public:
    SaveFolder()
    {
        ::chmod(QFile::encodeName(dir_.path()).constData(), 0755);  // reachable for another user
        QDir(dir_.path()).mkdir(QStringLiteral("work"));
        QDir(dir_.path()).mkdir(QStringLiteral("cache"));
        ::chmod(QFile::encodeName(cache()).constData(), 0777);
        savedCache_ = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache()));
    }
    ~SaveFolder()
    {
        qputenv("XDG_CACHE_HOME", savedCache_);
        ::chmod(QFile::encodeName(work()).constData(), 0755);  // so that the folder can be removed
    }

    QString root() const { return dir_.path(); }
    QString work() const { return dir_.filePath(QStringLiteral("work")); }
    QString cache() const { return dir_.filePath(QStringLiteral("cache")); }
    QString file(const QString& name) const { return work() + u'/' + name; }
    // Copies left in the cache folder.
    QStringList cachedCopies() const
    {
        const QString backups = cache() + QStringLiteral("/tanafuda/backups");
        return QFileInfo::exists(backups) ? entries(backups) : QStringList();
    }

private:
    QTemporaryDir dir_;
    QByteArray savedCache_;
};

// ---- Injected faults ---------------------------------------------------------------------------

enum class Call { open, write, pwrite, pread, ftruncate, fsync, fchown, fchmod, fsetxattr, rename, close };
constexpr int kCallKinds = 11;

const char* callName(Call call)
{
    static const char* const names[kCallKinds] = {"open",   "write",  "pwrite",    "pread",  "ftruncate", "fsync",
                                                  "fchown", "fchmod", "fsetxattr", "rename", "close"};
    return names[static_cast<int>(call)];
}

// Replaces the writer's system calls with ones that count themselves and fail once, at the chosen
// call, with the chosen error.
class Injector {
public:
    Injector(Call failing, int at, int error)
    {
        counts_.fill(0);
        failing_ = failing;
        failAt_ = at;
        error_ = error;
        renamed_ = false;
        failedAfterRename_ = false;
        auto& calls = systemCalls();
        calls.open
            = [](const char* p, int f, mode_t m) { return hit(Call::open) ? -1 : realSystemCalls().open(p, f, m); };
        calls.write = [](int fd, const void* d, size_t n) -> ssize_t {
            return hit(Call::write) ? -1 : realSystemCalls().write(fd, d, n);
        };
        calls.pwrite = [](int fd, const void* d, size_t n, off_t o) -> ssize_t {
            return hit(Call::pwrite) ? -1 : realSystemCalls().pwrite(fd, d, n, o);
        };
        calls.pread = [](int fd, void* d, size_t n, off_t o) -> ssize_t {
            return hit(Call::pread) ? -1 : realSystemCalls().pread(fd, d, n, o);
        };
        calls.ftruncate
            = [](int fd, off_t n) { return hit(Call::ftruncate) ? -1 : realSystemCalls().ftruncate(fd, n); };
        calls.fsync = [](int fd) { return hit(Call::fsync) ? -1 : realSystemCalls().fsync(fd); };
        calls.fchown
            = [](int fd, uid_t u, gid_t g) { return hit(Call::fchown) ? -1 : realSystemCalls().fchown(fd, u, g); };
        calls.fchmod = [](int fd, mode_t m) { return hit(Call::fchmod) ? -1 : realSystemCalls().fchmod(fd, m); };
        calls.fsetxattr = [](int fd, const char* n, const void* v, size_t s, int f) {
            return hit(Call::fsetxattr) ? -1 : realSystemCalls().fsetxattr(fd, n, v, s, f);
        };
        calls.rename = [](const char* a, const char* b) {
            if (hit(Call::rename)) {
                return -1;
            }
            const int r = realSystemCalls().rename(a, b);
            renamed_ = renamed_ || r == 0;
            return r;
        };
        calls.close = [](int fd) {
            if (hit(Call::close)) {
                ::close(fd);  // the descriptor is gone even when close reports an error
                return -1;
            }
            return realSystemCalls().close(fd);
        };
    }
    ~Injector() { systemCalls() = realSystemCalls(); }

    // How often each call was made.
    static int count(Call call) { return counts_[static_cast<int>(call)]; }
    static bool failedAfterRename() { return failedAfterRename_; }

private:
    static bool hit(Call call)
    {
        const int n = counts_[static_cast<int>(call)]++;
        if (call == failing_ && n == failAt_) {
            failedAfterRename_ = renamed_;
            errno = error_;
            return true;
        }
        return false;
    }

    static inline std::array<int, kCallKinds> counts_ {};
    static inline Call failing_ = Call::open;
    static inline int failAt_ = -1;
    static inline int error_ = 0;
    static inline bool renamed_ = false;
    static inline bool failedAfterRename_ = false;
};

// The two ways a save goes: a plain file is replaced by a rename; a hard-linked one is written in
// place after a copy of it was put aside.
enum class Way { rename, inPlace };

struct Prepared {
    QString target;
    QStringList names;  // the folder's entries before the save
    mode_t mode = 0;
    gid_t group = 0;
    bool attribute = false;
};

Prepared prepare(const SaveFolder& folder, Way way)
{
    Prepared p;
    p.target = folder.file(QStringLiteral("sheet.csv"));
    writeAll(p.target, kOld);
    const QByteArray native = QFile::encodeName(p.target);
    ::chmod(native.constData(), 0640);
    if (geteuid() == 0) {
        EXPECT_EQ(::chown(native.constData(), uid_t(-1), 4321), 0);  // another group, given back by fchown
    }
    p.attribute = ::setxattr(native.constData(), "user.shop", "north", 5, 0) == 0;
    if (way == Way::inPlace) {
        EXPECT_EQ(::link(native.constData(), QFile::encodeName(folder.file(QStringLiteral("other.csv"))).constData()),
                  0);
    }
    p.names = entries(folder.work());
    const struct stat st = statOf(p.target);
    p.mode = st.st_mode & 07777;
    p.group = st.st_gid;
    return p;
}

struct FaultRow {
    Way way;
    Call call;
    int at;
    int error;
};

// The errors each call is made to fail with. (EACCES on open is left out: a folder that forbids new
// files is a reason to write in place, tested below.)
const std::map<Call, std::vector<int>> kErrors {
    {Call::open, {ENOSPC, EMFILE, EIO}},
    {Call::write, {EIO, ENOSPC, EDQUOT, EFBIG, EINTR}},
    {Call::pwrite, {EIO, ENOSPC}},
    {Call::pread, {EIO}},
    {Call::ftruncate, {EIO}},
    {Call::fsync, {EIO, ENOSPC, EINTR}},
    {Call::fchown, {EIO, EPERM}},
    {Call::fchmod, {EPERM, EIO}},
    {Call::fsetxattr, {ENOSPC, EIO}},
    {Call::rename, {EIO, EBUSY}},
    {Call::close, {EIO, EDQUOT}},
};

// Every row of the table: each call the save makes, at each time it makes it, with each error.
std::vector<FaultRow> faultRows(Way way)
{
    std::vector<FaultRow> rows;
    std::array<int, kCallKinds> counts {};
    {
        SaveFolder folder;
        const Prepared p = prepare(folder, way);
        Injector counting(Call::open, -1, 0);
        EXPECT_TRUE(writeFileCarefully(p.target, kNew).ok);
        for (int k = 0; k < kCallKinds; ++k) {
            counts[k] = Injector::count(Call(k));
        }
    }
    for (const auto& [call, errors] : kErrors) {
        for (int at = 0; at < counts[static_cast<int>(call)]; ++at) {
            for (int error : errors) {
                rows.push_back({way, call, at, error});
            }
        }
    }
    return rows;
}

// A failure that does not stop the save: a write interrupted by a signal is repeated, and an owner
// that may not be given back makes the save write in place.
bool saveGoesOn(const FaultRow& row)
{
    return (row.call == Call::write && row.error == EINTR) || (row.call == Call::fchown && row.error == EPERM);
}

TEST(CarefulWrite, EveryInjectedFaultIsReportedAndKeepsTheOldFile)
{
    std::map<std::string, int> tally;
    for (const Way way : {Way::rename, Way::inPlace}) {
        for (const FaultRow& row : faultRows(way)) {
            const std::string what = std::string(way == Way::rename ? "rename" : "in place") + ", " + callName(row.call)
                + " #" + std::to_string(row.at + 1) + " fails with " + std::strerror(row.error);
            SCOPED_TRACE(what);
            SaveFolder folder;
            const Prepared p = prepare(folder, way);
            FileWriteResult outcome;
            {
                Injector injector(row.call, row.at, row.error);
                outcome = writeFileCarefully(p.target, kNew);
            }
            QStringList expectedNames = p.names;
            if (saveGoesOn(row)) {
                EXPECT_TRUE(outcome.ok);
                EXPECT_EQ(readAll(p.target), kNew);
                ++tally["save completed"];
            } else if (Injector::failedAfterRename()) {
                // Too late to go back: the new content is in place, and the caller hears that it
                // may not outlive a power cut.
                EXPECT_FALSE(outcome.ok);
                EXPECT_TRUE(outcome.replacedUnflushed);
                EXPECT_EQ(outcome.error, reason(row.error));
                EXPECT_EQ(readAll(p.target), kNew);
                ++tally["reported, new content not flushed"];
            } else {
                EXPECT_FALSE(outcome.ok);
                EXPECT_FALSE(outcome.replacedUnflushed);
                EXPECT_EQ(outcome.error, reason(row.error));
                if (outcome.keptCopyPath.isEmpty()) {
                    EXPECT_EQ(readAll(p.target), kOld);
                    ++tally["reported, old file kept"];
                } else {
                    EXPECT_EQ(readAll(outcome.keptCopyPath), kOld);
                    EXPECT_EQ(QFileInfo(outcome.keptCopyPath).absolutePath(), folder.work());
                    expectedNames.append(QFileInfo(outcome.keptCopyPath).fileName());
                    expectedNames.sort();
                    ++tally["reported, old content in the named copy"];
                }
            }
            const struct stat st = statOf(p.target);
            EXPECT_EQ(st.st_mode & 07777, p.mode);
            EXPECT_EQ(st.st_gid, p.group);
            if (p.attribute) {
                EXPECT_EQ(userAttribute(p.target, "user.shop"), QByteArray("north"));
            }
            if (way == Way::inPlace) {
                EXPECT_EQ(readAll(folder.file(QStringLiteral("other.csv"))), readAll(p.target));
            }
            EXPECT_EQ(entries(folder.work()), expectedNames);
            EXPECT_EQ(folder.cachedCopies(), QStringList());
            ++tally["rows"];
            ++tally[std::string(way == Way::rename ? "rows of rename, " : "rows in place, ") + callName(row.call)];
        }
    }
    for (const auto& [what, count] : tally) {
        std::cout << "[ faults   ] " << what << ": " << count << '\n';
    }
    EXPECT_GT(tally["rows"], 40);
}

// ---- Limits and small file systems ------------------------------------------------------------

// The file-size limit holds for every user, root included; past it, writes fail with EFBIG. The
// save runs in a child process with SIGXFSZ left as it comes (it ends a process by default), so
// that a save that lets the signal through is seen as a child killed, not as the tests ending.
TEST(CarefulWrite, AFileSizeLimitFailsTheSaveAndKeepsTheOldFile)
{
    for (const Way way : {Way::rename, Way::inPlace}) {
        SCOPED_TRACE(way == Way::rename ? "rename" : "in place");
        SaveFolder folder;
        const Prepared p = prepare(folder, way);
        ASSERT_GT(kNew.size(), 1024);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_DFL);
            rlimit limited {};
            getrlimit(RLIMIT_FSIZE, &limited);
            limited.rlim_cur = 1024;
            setrlimit(RLIMIT_FSIZE, &limited);
            const FileWriteResult outcome = writeFileCarefully(p.target, kNew);
            const bool reported = !outcome.ok && outcome.error == reason(EFBIG) && outcome.keptCopyPath.isEmpty();
            _exit(reported ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "not reported as EFBIG";
        EXPECT_EQ(readAll(p.target), kOld);
        EXPECT_EQ(entries(folder.work()), p.names);
        EXPECT_EQ(folder.cachedCopies(), QStringList());
    }
}

// A small file system mounted for the test; skipped where the test may not mount one.
class SmallFileSystem {
public:
    explicit SmallFileSystem(const QString& where, const char* options) : where_(QFile::encodeName(where))
    {
        mounted_ = ::mount("tanafuda-test", where_.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options) == 0;
        error_ = errno;
    }
    ~SmallFileSystem()
    {
        if (mounted_) {
            ::umount2(where_.constData(), MNT_DETACH);
        }
    }
    bool mounted() const { return mounted_; }
    std::string why() const { return std::strerror(error_); }
    bool makeReadOnly()
    {
        return ::mount(nullptr, where_.constData(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr)
            == 0;
    }

private:
    QByteArray where_;
    bool mounted_ = false;
    int error_ = 0;
};

TEST(CarefulWrite, AFullOrReadOnlyFileSystemFailsTheSaveAndKeepsTheOldFile)
{
    const struct {
        const char* what;
        Way way;
        bool readOnly;
        int error;
    } rows[] = {
        {"full", Way::rename, false, ENOSPC},
        {"full, hard-linked", Way::inPlace, false, ENOSPC},
        {"read-only", Way::rename, true, EROFS},
        {"read-only, hard-linked", Way::inPlace, true, EROFS},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SaveFolder folder;
        SmallFileSystem fs(folder.work(), "size=16k,mode=0755");
        if (!fs.mounted()) {
            GTEST_SKIP() << "cannot mount a small tmpfs here (" << fs.why() << "); needs root";
        }
        const Prepared p = prepare(folder, row.way);
        // Fill what is left, so that the new content cannot fit.
        writeAll(folder.file(QStringLiteral("filler")), QByteArray(8 * 1024, 'x'));
        QFile filler(folder.file(QStringLiteral("filler")));
        ASSERT_TRUE(filler.open(QIODevice::Append));
        while (filler.write(QByteArray(512, 'x')) > 0 && filler.flush()) { }
        filler.close();
        const QStringList names = entries(folder.work());
        if (row.readOnly) {
            ASSERT_TRUE(fs.makeReadOnly());
        }
        const FileWriteResult outcome = writeFileCarefully(p.target, kNew);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.error, reason(row.error));
        EXPECT_EQ(readAll(p.target), kOld);
        EXPECT_EQ(entries(folder.work()), names);
        EXPECT_EQ(folder.cachedCopies(), QStringList());
    }
}

// ---- What the file is ---------------------------------------------------------------------------

TEST(CarefulWrite, LinksStayLinks)
{
    const struct {
        const char* what;
        QString link;       // the name saved under, relative to the work folder
        QByteArray points;  // what the link holds
        QString file;       // the file that must get the content
    } rows[] = {
        {"relative link", "link.csv", "sheet.csv", "sheet.csv"},
        {"link into a subfolder", "link.csv", "sub/sheet.csv", "sub/sheet.csv"},
        {"absolute link", "link.csv", "<abs>sub/sheet.csv", "sub/sheet.csv"},
        {"link to a link", "link.csv", "mid.csv", "sheet.csv"},
        {"link to a file not yet there", "link.csv", "sub/new.csv", "sub/new.csv"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SaveFolder folder;
        ASSERT_TRUE(QDir(folder.work()).mkdir(QStringLiteral("sub")));
        writeAll(folder.file(QStringLiteral("sheet.csv")), kOld);
        writeAll(folder.file(QStringLiteral("sub/sheet.csv")), kOld);
        ASSERT_EQ(::symlink("sheet.csv", QFile::encodeName(folder.file(QStringLiteral("mid.csv"))).constData()), 0);
        QByteArray points = row.points;
        points.replace("<abs>", QFile::encodeName(folder.work() + u'/'));
        const QByteArray link = QFile::encodeName(folder.file(row.link));
        ASSERT_EQ(::symlink(points.constData(), link.constData()), 0);
        const QStringList before = entries(folder.work());

        const FileWriteResult outcome = writeFileCarefully(folder.file(row.link), kNew);
        ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
        EXPECT_TRUE(QFileInfo(folder.file(row.link)).isSymLink());
        QByteArray holds(4096, '\0');
        const ssize_t n = ::readlink(link.constData(), holds.data(), holds.size());
        EXPECT_EQ(holds.left(n < 0 ? 0 : n), points);
        EXPECT_EQ(readAll(folder.file(row.file)), kNew);
        EXPECT_EQ(entries(folder.work()), before);
    }
}

TEST(CarefulWrite, AHardLinkedFileStaysOneFile)
{
    SaveFolder folder;
    const Prepared p = prepare(folder, Way::inPlace);
    const ino_t inode = statOf(p.target).st_ino;
    const FileWriteResult outcome = writeFileCarefully(p.target, kNew);
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
    EXPECT_EQ(statOf(p.target).st_ino, inode);
    EXPECT_EQ(statOf(p.target).st_nlink, 2u);
    EXPECT_EQ(readAll(folder.file(QStringLiteral("other.csv"))), kNew);
    // Shorter content cuts the file to its length.
    ASSERT_TRUE(writeFileCarefully(p.target, "short").ok);
    EXPECT_EQ(readAll(folder.file(QStringLiteral("other.csv"))), QByteArray("short"));
    EXPECT_EQ(entries(folder.work()), p.names);
    EXPECT_EQ(folder.cachedCopies(), QStringList());
}

TEST(CarefulWrite, ModeAndSetgidAreKept)
{
    const mode_t modes[] = {0600, 0640, 0664, 0604, 0644 | S_ISGID, 0660 | S_ISGID};
    for (const mode_t mode : modes) {
        SCOPED_TRACE(mode);
        SaveFolder folder;
        const QString target = folder.file(QStringLiteral("sheet.csv"));
        writeAll(target, kOld);
        ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), mode), 0);
        ASSERT_EQ(statOf(target).st_mode & 07777, mode);
        const FileWriteResult outcome = writeFileCarefully(target, kNew);
        ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
        EXPECT_EQ(statOf(target).st_mode & 07777, mode);
        EXPECT_EQ(readAll(target), kNew);
    }
}

TEST(CarefulWrite, ANewFileGetsTheModeTheUmaskGives)
{
    SaveFolder folder;
    const mode_t saved = ::umask(027);
    const FileWriteResult outcome = writeFileCarefully(folder.file(QStringLiteral("new.csv")), kNew);
    ::umask(saved);
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(statOf(folder.file(QStringLiteral("new.csv"))).st_mode & 07777, mode_t(0640));
}

TEST(CarefulWrite, OwnerGroupAndAttributesAreKept)
{
    SaveFolder folder;
    const QString target = folder.file(QStringLiteral("sheet.csv"));
    writeAll(target, kOld);
    const QByteArray native = QFile::encodeName(target);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(native.constData(), 1234, 4321), 0);
    }
    const bool attributes = hasUserAttributes(folder.work());
    if (attributes) {
        ASSERT_EQ(::setxattr(native.constData(), "user.shop", "north", 5, 0), 0);
        ASSERT_EQ(::setxattr(native.constData(), "user.note", "", 0, 0), 0);
    }
    const struct stat before = statOf(target);
    const FileWriteResult outcome = writeFileCarefully(target, kNew);
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
    EXPECT_EQ(readAll(target), kNew);
    EXPECT_EQ(statOf(target).st_uid, before.st_uid);
    EXPECT_EQ(statOf(target).st_gid, before.st_gid);
    if (attributes) {
        EXPECT_EQ(userAttribute(target, "user.shop"), QByteArray("north"));
        EXPECT_EQ(userAttribute(target, "user.note"), QByteArray());
    }
    if (!root || !attributes) {
        GTEST_SKIP() << (root ? "" : "owner and group of another user need root; ")
                     << (attributes ? "" : "this file system has no user extended attributes");
    }
}

TEST(CarefulWrite, AReadOnlyFileIsRefusedEvenForRoot)
{
    for (const mode_t mode : {mode_t(0444), mode_t(0400), mode_t(0)}) {
        SCOPED_TRACE(mode);
        SaveFolder folder;
        const QString target = folder.file(QStringLiteral("sheet.csv"));
        writeAll(target, kOld);
        ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), mode), 0);
        const FileWriteResult outcome = writeFileCarefully(target, kNew);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.error, reason(EACCES));
        ::chmod(QFile::encodeName(target).constData(), 0644);
        EXPECT_EQ(readAll(target), kOld);
        EXPECT_EQ(statOf(target).st_mode & 07777, mode_t(0644));
        EXPECT_EQ(entries(folder.work()), QStringList {QStringLiteral("sheet.csv")});
    }
}

TEST(CarefulWrite, WhatIsNoFileIsRefused)
{
    SaveFolder folder;
    ASSERT_TRUE(QDir(folder.work()).mkdir(QStringLiteral("folder")));
    const struct {
        QString path;
        QString error;
    } rows[] = {
        {folder.file(QStringLiteral("folder")), reason(EISDIR)},
        {folder.file(QStringLiteral("missing/a.csv")), reason(ENOENT)},
        {QString(), reason(ENOENT)},
        {QStringLiteral("/dev/null"), QStringLiteral("通常のファイルではありません")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        const FileWriteResult outcome = writeFileCarefully(row.path, kNew);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.error, row.error);
    }
    EXPECT_EQ(entries(folder.work()), QStringList {QStringLiteral("folder")});
}

// ---- Temporary files ------------------------------------------------------------------------------

// A save killed between writing its temporary file and the rename leaves a hidden file named after
// the target, which the next save of the same target removes.
TEST(CarefulWrite, AKilledSaveLeavesARecognisableFileThatTheNextSaveRemoves)
{
    SaveFolder folder;
    const QString target = folder.file(QStringLiteral("sheet.csv"));
    writeAll(target, kOld);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        systemCalls().rename = [](const char*, const char*) -> int { _exit(0); };
        writeFileCarefully(target, kNew);
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    const QStringList left = entries(folder.work());
    ASSERT_EQ(left.size(), 2);
    EXPECT_EQ(left[1], QStringLiteral("sheet.csv"));
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\.sheet\\.csv\\.tanafuda-[A-Za-z0-9]{6}$")).match(left[0]).hasMatch())
        << left[0].toStdString();
    EXPECT_EQ(readAll(folder.file(left[0])), kNew);
    EXPECT_EQ(readAll(target), kOld);

    ASSERT_TRUE(writeFileCarefully(target, "again").ok);
    EXPECT_EQ(entries(folder.work()), QStringList {QStringLiteral("sheet.csv")});
    EXPECT_EQ(readAll(target), QByteArray("again"));
}

TEST(CarefulWrite, OnlyStaleTemporaryFilesOfTheSameTargetAreRemoved)
{
    SaveFolder folder;
    const QString target = folder.file(QStringLiteral("sheet.csv"));
    writeAll(target, kOld);
    const struct {
        QString name;
        bool locked;  // held by a save still running
        bool removed;
    } rows[] = {
        {QStringLiteral(".sheet.csv.tanafuda-Ab3xZ9"), false, true},
        {QStringLiteral(".sheet.csv.tanafuda-000000"), false, true},
        {QStringLiteral(".sheet.csv.tanafuda-Qw12er"), true, false},
        {QStringLiteral(".sheet.csv.tanafuda-backup-Ab3xZ9"), false, false},  // a copy a failure kept
        {QStringLiteral(".sheet.csv.tanafuda-Ab3xZ"), false, false},
        {QStringLiteral(".sheet.csv.tanafuda-Ab3xZ9.csv"), false, false},
        {QStringLiteral(".other.csv.tanafuda-Ab3xZ9"), false, false},
        {QStringLiteral("sheet.csv.Ab3xZ9"), false, false},
        {QStringLiteral(".sheet.csv.tanafuda-Ab-xZ9"), false, false},
    };
    std::vector<int> locks;
    for (const auto& row : rows) {
        writeAll(folder.file(row.name), "stale");
        if (row.locked) {
            const int fd = ::open(QFile::encodeName(folder.file(row.name)).constData(), O_RDONLY | O_CLOEXEC);
            ASSERT_GE(fd, 0);
            ASSERT_EQ(::flock(fd, LOCK_EX), 0);
            locks.push_back(fd);
        }
    }
    ASSERT_TRUE(writeFileCarefully(target, kNew).ok);
    for (const auto& row : rows) {
        EXPECT_EQ(QFileInfo::exists(folder.file(row.name)), !row.removed) << row.name.toStdString();
    }
    for (const int fd : locks) {
        ::close(fd);
    }
    EXPECT_EQ(readAll(target), kNew);
}

// ---- As another user --------------------------------------------------------------------------------

struct HelperRun {
    bool started = false;
    QString output;
};

// Saves `bytes` to `target` in another process: as the user nobody with the given extra group when
// the tests run as root (with setpriv), else as the user running the tests.
HelperRun saveAsUser(const SaveFolder& folder, const QString& target, const QByteArray& bytes, gid_t group)
{
    const QString source = folder.root() + QStringLiteral("/source");
    writeAll(source, bytes);
    ::chmod(QFile::encodeName(source).constData(), 0644);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CACHE_HOME"), folder.cache());
    process.setProcessEnvironment(env);
    const QString helper = QStringLiteral(TANAFUDA_CAREFUL_WRITE_HELPER);
    if (geteuid() == 0) {
        process.start(QStringLiteral("setpriv"),
                      {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                       QStringLiteral("--groups=%1").arg(group), QStringLiteral("--"), helper, target, source});
    } else {
        process.start(helper, {target, source});
    }
    HelperRun run;
    run.started = process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit;
    run.output = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    return run;
}

bool canRunAsOtherUser()
{
    return geteuid() == 0 && !QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty();
}

// A group the user running the saves belongs to besides its own: 4321 for nobody under setpriv.
std::optional<gid_t> extraGroup()
{
    if (geteuid() == 0) {
        return gid_t(4321);
    }
    gid_t groups[64];
    const int n = ::getgroups(64, groups);
    for (int i = 0; i < n; ++i) {
        if (groups[i] != getegid()) {
            return groups[i];
        }
    }
    return std::nullopt;
}

TEST(CarefulWriteAsUser, IdentityIsKeptForAUserWhoMayNotGiveEverythingBack)
{
    if (geteuid() == 0 && !canRunAsOtherUser()) {
        GTEST_SKIP() << "running as root without setpriv: cannot save as another user";
    }
    const std::optional<gid_t> group = extraGroup();
    const uid_t user = geteuid() == 0 ? 65534 : geteuid();
    const gid_t userGroup = geteuid() == 0 ? 65534 : getegid();
    const struct {
        const char* what;
        bool otherOwner;    // the file belongs to root (needs root to set up)
        bool otherGroup;    // the file's group is the extra group
        mode_t folderMode;  // the folder belongs to the user (or to root when otherOwner)
        mode_t fileMode;
        bool saved;
        bool sameInode;  // a rename cannot keep the file as it is: written in place
    } rows[] = {
        {"group of a colleague", false, true, 0755, 0664, true, false},
        {"group of a colleague, setgid", false, true, 0755, 02664, true, false},
        {"owner who is not the user", true, true, 0777, 0664, true, true},
        {"folder without create permission", false, false, 0555, 0644, true, true},
        {"folder without create permission, group kept", false, true, 0555, 0664, true, true},
        {"read-only file", false, false, 0755, 0444, false, true},
    };
    {
        // The other user must reach the helper and the temporary folder (not so when either lies
        // under a home folder that only its owner may enter).
        SaveFolder probe;
        if (geteuid() == 0) {
            ASSERT_EQ(::chown(QFile::encodeName(probe.work()).constData(), user, userGroup), 0);
        }
        const HelperRun run = saveAsUser(probe, probe.file(QStringLiteral("probe.csv")), kNew, userGroup);
        if (!run.started || run.output != QStringLiteral("ok")) {
            GTEST_SKIP() << "the user " << user << " cannot run " << TANAFUDA_CAREFUL_WRITE_HELPER << " in "
                         << probe.work().toStdString() << ": " << run.output.toStdString();
        }
    }
    int ran = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if ((row.otherOwner && geteuid() != 0) || (row.otherGroup && !group)) {
            continue;
        }
        SaveFolder folder;
        const QString target = folder.file(QStringLiteral("sheet.csv"));
        const QByteArray work = QFile::encodeName(folder.work());
        const QByteArray native = QFile::encodeName(target);
        writeAll(target, kOld);
        const uid_t owner = row.otherOwner ? 0 : user;
        const gid_t fileGroup = row.otherGroup ? *group : userGroup;
        if (geteuid() == 0) {
            ASSERT_EQ(::chown(work.constData(), row.otherOwner ? 0 : user, userGroup), 0);
        }
        ASSERT_EQ(::chown(native.constData(), owner, fileGroup), 0);
        ASSERT_EQ(::chmod(native.constData(), row.fileMode), 0);
        ASSERT_EQ(::chmod(work.constData(), row.folderMode), 0);
        const struct stat before = statOf(target);

        const HelperRun run = saveAsUser(folder, target, kNew, group.value_or(userGroup));
        ASSERT_TRUE(run.started);
        ::chmod(work.constData(), 0755);
        ++ran;
        if (row.saved) {
            EXPECT_EQ(run.output, QStringLiteral("ok"));
            EXPECT_EQ(readAll(target), kNew);
        } else {
            EXPECT_EQ(run.output, QStringLiteral("failed\n") + reason(EACCES));
            EXPECT_EQ(readAll(target), kOld);
        }
        const struct stat after = statOf(target);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777);
        if (row.sameInode) {
            EXPECT_EQ(after.st_ino, before.st_ino);
        }
        EXPECT_EQ(entries(folder.work()), QStringList {QStringLiteral("sheet.csv")});
        EXPECT_EQ(folder.cachedCopies(), QStringList());
    }
    if (ran < int(std::size(rows))) {
        GTEST_SKIP() << "ran " << ran << " of " << std::size(rows)
                     << " rows: the others need root (a file of another owner) or a second group";
    }
}

}  // namespace
