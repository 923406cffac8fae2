#pragma once

// What the readers of .xlsx and .ods files share: the zip archive of a workbook's parts (each part's
// XML is read with readXmlPart, xml_part.h).

#include <quazip/quazip.h>

#include <QBuffer>
#include <QByteArray>
#include <QString>

namespace productlist {

const QString& unreadableWorkbookMessage();

// A part of the archive: its bytes, or why there are none.
struct WorkbookPart {
    enum Status { read, missing, unreadable };
    Status status = missing;
    QByteArray data;
};

// The archive of a workbook, opened once; parts are read whole, up to kMaxListBytes.
class WorkbookArchive {
public:
    explicit WorkbookArchive(const QByteArray& bytes);
    bool isOpen() const { return open_; }
    WorkbookPart part(const QString& name);

private:
    QBuffer buffer_;
    QuaZip zip_;
    bool open_ = false;
};

// The message for a part that is in the archive but could not be unpacked.
QString unreadablePartMessage(const QString& partName);

}  // namespace productlist
