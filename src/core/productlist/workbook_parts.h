#pragma once

// What the readers of .xlsx and .ods files share: the zip archive of a workbook's parts, and an XML
// reader for one part that reads nested elements without recursion, refuses absurd nesting and
// names the part and the line of any fault in its message.

#include <quazip/quazip.h>

#include <QBuffer>
#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

namespace productlist {

// Elements nested deeper than this are refused: a real workbook's parts nest a few dozen at most.
inline constexpr int kMaxXmlDepth = 256;

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

class XmlPart {
public:
    XmlPart(const QByteArray& data, const QString& partName);

    // The next token. A start element nested deeper than kMaxXmlDepth ends the reading as an error.
    QXmlStreamReader::TokenType next();
    // Whether `next` reached the end of the part or an error.
    bool atEnd() const { return xml_.atEnd(); }
    QStringView name() const { return xml_.name(); }
    QXmlStreamAttributes attributes() const { return xml_.attributes(); }
    // On a start element: the value of its first attribute with this local name, whatever its
    // prefix, or an empty text.
    QString attribute(QLatin1StringView localName) const;
    QStringView text() const { return xml_.text(); }
    // Start elements open around the current token (the current one included).
    int depth() const { return depth_; }

    // Reads on to the next start element inside the element opened at `level` (depth() on its start
    // element); false once that element or the part ends.
    bool nextStartInside(int level);
    // On a start element: the texts inside it, of nested elements too, up to kMaxCellChars
    // characters; ends on its end element.
    QString elementText();
    // On a start element: passes over it to its end element.
    void skipElement();

    // Why the part could not be read to its end, for the user; empty when it could.
    QString error() const;

private:
    QXmlStreamReader xml_;
    QString partName_;
    int depth_ = 0;
    bool tooDeep_ = false;
};

// Appends `more` to a cell's `text`, which keeps at most kMaxCellChars characters.
void appendToCell(QString& text, QStringView more);

// The value of an attribute by its local name, whatever its prefix.
QString attributeValue(const QXmlStreamAttributes& attributes, QLatin1String localName);

}  // namespace productlist
