#pragma once

#include <QByteArray>
#include <QString>

// The one way the programs write a file: sheets, PDFs, images and settings all go through here, so
// that a failure is always reported and never leaves a damaged file behind.
namespace fileio {

struct WriteOutcome {
    bool ok = false;
    QString error;         // the system's reason when !ok
    QString keptCopyPath;  // when !ok: a complete copy of the previous content, if one was left
};

// Writes `bytes` to `path` carefully: the data goes to a temporary file beside the target, every
// write is checked, and the temporary file replaces the target only once everything is written.
// On failure the previous file stays as it was.
WriteOutcome writeFileCarefully(const QString& path, const QByteArray& bytes);

}  // namespace fileio
