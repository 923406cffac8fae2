#include "core/productlist/workbook_parts.h"

#include "core/productlist/list_table.h"

#include <quazip/quazipfile.h>

namespace productlist {

const QString& unreadableWorkbookMessage()
{
    static const QString message = QStringLiteral("表計算のファイルとして読めません");
    return message;
}

WorkbookArchive::WorkbookArchive(const QByteArray& bytes) : buffer_(const_cast<QByteArray*>(&bytes)), zip_(&buffer_)
{
    buffer_.open(QIODevice::ReadOnly);
    open_ = zip_.open(QuaZip::mdUnzip);
}

WorkbookPart WorkbookArchive::part(const QString& name)
{
    WorkbookPart out;
    if (!open_ || !zip_.setCurrentFile(name)) {
        return out;
    }
    out.status = WorkbookPart::unreadable;
    QuaZipFile file(&zip_);
    if (!file.open(QIODevice::ReadOnly)) {
        return out;
    }
    QByteArray data;
    char chunk[65536];
    for (;;) {
        const qint64 got = file.read(chunk, sizeof chunk);
        if (got < 0 || data.size() + got > kMaxListBytes) {
            return out;
        }
        if (got == 0) {
            break;
        }
        data.append(chunk, got);
    }
    file.close();
    if (file.getZipError() != UNZ_OK) {
        return out;
    }
    out.status = WorkbookPart::read;
    out.data = std::move(data);
    return out;
}

QString unreadablePartMessage(const QString& partName)
{
    return QStringLiteral("表計算のファイルの %1 を読めません（壊れているか大きすぎます）").arg(partName);
}

}  // namespace productlist
