#include "fileio/careful_write.h"

#include <QSaveFile>

namespace fileio {

WriteOutcome writeFileCarefully(const QString& path, const QByteArray& bytes)
{
    WriteOutcome outcome;
    // QSaveFile writes beside the target and renames over it in commit(); without the direct-write
    // fallback a folder that forbids the temporary file fails instead of truncating the old file.
    // Unbuffered, because a buffered flush that the disk cuts short counts as success and the
    // short file would replace the old one; here each short write is followed by another until
    // the system names its reason (disk full, file too large).
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        outcome.error = file.errorString();
        return outcome;
    }
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            outcome.error = file.errorString();
            file.cancelWriting();
            return outcome;
        }
        written += n;
    }
    if (!file.commit()) {
        outcome.error = file.errorString();
        return outcome;
    }
    outcome.ok = true;
    return outcome;
}

}  // namespace fileio
