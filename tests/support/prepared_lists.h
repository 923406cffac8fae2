#pragma once

// A list written to a folder of the test's own and prepared for large tags as an import prepares
// it: by default with the register found by its shape, as the command line reads a list.

#include "core/jobs/import_job.h"

#include "support/file_bytes.h"

#include <QTemporaryDir>

namespace test_support {

struct PreparedFile {
    jobs::ImportStatus status = jobs::ImportStatus::unreadable;
    jobs::PreparedList prepared;
    QString problem;
};

inline jobs::ImportRequest detectingRegisters()
{
    jobs::ImportRequest request;
    request.read.registerChoice.mode = productlist::RegisterChoice::Mode::detect;
    return request;
}

inline PreparedFile preparedFile(const QString& fileName, const QByteArray& bytes,
                                 jobs::ImportRequest request = detectingRegisters())
{
    static QTemporaryDir dir;
    request.listPath = dir.filePath(fileName);
    PreparedFile out;
    if (writeFileBytes(request.listPath, bytes)) {
        out.status = jobs::prepareList(request, sheet::SheetFormat::large, out.prepared, &out.problem);
    }
    return out;
}

}  // namespace test_support
