#pragma once

// Where a command-line program writes its output: a file, or a device or a FIFO named as the
// output (/dev/stdout, a pipe to a printer). Files go through the careful writer; a device or a
// FIFO cannot be replaced, and must not be, so it is written where it is, every write checked.

#include "core/files/careful_write.h"

#include <QByteArray>
#include <QString>

namespace files {

// Writes `bytes` to `path` as above; `error` says why not (with where the previous content was
// kept, when the careful writer kept a copy).
FileWriteResult writeOutputFile(const QString& path, const QByteArray& bytes);

}  // namespace files
