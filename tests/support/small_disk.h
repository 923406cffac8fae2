#pragma once

// A small disk of a test's own: a tmpfs of a given size and number of files mounted on a folder,
// unmounted when the test ends. Mounting needs root; where it cannot be done, mounted() is false
// and skipReason() says why, for the test to skip with.

#include <QDir>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace test_support {

class SmallDisk {
public:
    // `options` as mount(8) takes them for tmpfs: "size=1m", "size=1m,nr_inodes=8".
    SmallDisk(const QString& folder, const char* options) : folder_(folder)
    {
        QDir().mkpath(folder_);
        if (::geteuid() != 0) {
            skip_ = "a small disk needs a tmpfs mounted, which needs root";
        } else if (::mount("tmpfs", path(), "tmpfs", 0, options) != 0) {
            skip_ = std::string("a tmpfs cannot be mounted here: ") + std::strerror(errno);
        } else {
            mounted_ = true;
        }
    }
    ~SmallDisk()
    {
        if (mounted_) {
            ::umount2(path(), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& skipReason() const { return skip_; }
    QString filePath(const QString& name) const { return folder_ + u'/' + name; }

    // Makes the disk read-only (true) or writable again.
    bool setReadOnly(bool readOnly)
    {
        return ::mount(nullptr, path(), nullptr, MS_REMOUNT | (readOnly ? MS_RDONLY : 0), nullptr) == 0;
    }

    // Fills the disk: every byte, or (with `files`) every file it may hold.
    void fill(bool files)
    {
        for (int n = 0;; ++n) {
            const int fd = ::open(QFile::encodeName(filePath(QStringLiteral("filler-%1").arg(n))).constData(),
                                  O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            if (fd < 0) {
                return;
            }
            const QByteArray block(64 * 1024, 'x');
            while (!files && ::write(fd, block.constData(), size_t(block.size())) > 0) { }
            ::close(fd);
            if (!files) {
                return;
            }
        }
    }

private:
    const char* path()
    {
        encoded_ = QFile::encodeName(folder_);
        return encoded_.constData();
    }

    QString folder_;
    QByteArray encoded_;
    bool mounted_ = false;
    std::string skip_;
};

}  // namespace test_support
