#pragma once

// A list written to a folder of the test's own and prepared as an import prepares it.

#include "core/jobs/import_job.h"

#include "support/file_bytes.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <vector>

namespace support {

struct PreparedFile {
    jobs::ImportStatus status = jobs::ImportStatus::unreadable;
    jobs::PreparedList prepared;
    QString problem;
};

// `bytes` as the file `fileName`, prepared for large tags with the register found by its shape
// (unless `request` says otherwise) and the request's choices.
inline PreparedFile preparedFile(const QString& fileName, const QByteArray& bytes, jobs::ImportRequest request = {},
                                 bool detectRegister = true)
{
    static QTemporaryDir dir;
    PreparedFile out;
    request.listPath = QDir(dir.path()).filePath(fileName);
    if (!writeFileBytes(request.listPath, bytes)) {
        out.problem = QStringLiteral("cannot write ") + request.listPath;
        return out;
    }
    if (detectRegister && request.read.registerChoice.mode == productlist::RegisterChoice::Mode::none) {
        request.read.registerChoice.mode = productlist::RegisterChoice::Mode::detect;
    }
    out.status = jobs::prepareList(request, sheet::SheetFormat::large, out.prepared, &out.problem);
    return out;
}

}  // namespace support
