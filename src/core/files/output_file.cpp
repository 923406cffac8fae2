#include "core/files/output_file.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace files {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Writes all of `bytes` to `fd`; false with errno set when the system refuses.
bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// Flushes `fd` to the disk; devices and pipes that cannot be flushed count as flushed.
bool flushToDisk(int fd)
{
    while (::fsync(fd) != 0) {
        if (errno == EINTR) {
            continue;
        }
        return errno == EINVAL || errno == EROFS;
    }
    return true;
}

FileWriteResult writeInPlace(const QString& path, const QByteArray& bytes)
{
    FileWriteResult outcome;
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        outcome.error = systemError(errno);
        return outcome;
    }
    const bool ok = writeAll(fd, bytes) && flushToDisk(fd);
    const int writeError = errno;
    if (::close(fd) != 0 && ok) {
        outcome.error = systemError(errno);
        return outcome;
    }
    if (!ok) {
        outcome.error = systemError(writeError);
    }
    outcome.ok = ok;
    return outcome;
}

}  // namespace

FileWriteResult writeOutputFile(const QString& path, const QByteArray& bytes)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        if (info.isDir()) {
            FileWriteResult outcome;
            outcome.error = QStringLiteral("is a folder");
            return outcome;
        }
        return writeInPlace(path, bytes);
    }
    FileWriteResult written = writeFileCarefully(path, bytes);
    if (!written.ok && !written.keptCopyPath.isEmpty()) {
        written.error += QStringLiteral(" (the previous content is kept in %1)").arg(written.keptCopyPath);
    }
    return written;
}

}  // namespace files
