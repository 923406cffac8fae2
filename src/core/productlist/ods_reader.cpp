#include "core/productlist/ods_reader.h"

#include "core/productlist/xml_part.h"

#include <algorithm>

namespace productlist {

namespace {

// Row numbers beyond this are not read (a spreadsheet has at most about a million rows).
constexpr qint64 kMaxRowNumber = 1 << 21;

const QString kContentPart = QStringLiteral("content.xml");

qint64 repeatCount(const XmlAttributes& attributes, std::string_view name)
{
    const std::string_view given = attributes.value(name);
    bool ok = false;
    const qint64 count = textOf(given).trimmed().toLongLong(&ok);
    return ok && count > 0 ? count : 1;
}

// The tables of content.xml (the sheets) and the rows of the one read: its rows are
// table:table-row elements in the table or in its groups of rows (header rows, row groups); a
// row's cells are its table:table-cell and table:covered-table-cell children; a cell's text is its
// paragraphs, one line each, with text:s, text:tab and text:line-break, without its annotation.
// Other elements of a table, a row or a cell are passed over whole.
class ContentHandler : public XmlHandler {
public:
    ContentHandler(const QString& wantedSheet, SpreadsheetRead& out) : wantedSheet_(wantedSheet), out_(out) { }

    bool found() const { return found_; }

    void startElement(std::string_view name, const XmlAttributes& attributes, int depth) override
    {
        if (tableDepth_ == 0) {
            if (name == "table") {
                tableDepth_ = depth;
                const QString sheet = textOf(attributes.value("name"));
                out_.sheetNames.append(sheet);
                reading_ = !found_ && (wantedSheet_.isEmpty() || sheet == wantedSheet_);
                if (reading_) {
                    found_ = true;
                    out_.sheetName = sheet;
                }
            }
            return;
        }
        if (!reading_ || skipDepth_ > 0) {
            return;
        }
        if (rowDepth_ == 0) {
            if (name == "table-row") {
                rowDepth_ = depth;
                rowRepeat_ = repeatCount(attributes, "number-rows-repeated");
                cells_.clear();
                pendingEmpty_ = 0;
            } else if (name != "table-header-rows" && name != "table-row-group" && name != "table-rows") {
                skipDepth_ = depth;
            }
            return;
        }
        if (cellDepth_ == 0) {
            if (depth == rowDepth_ + 1 && (name == "table-cell" || name == "covered-table-cell")) {
                cellDepth_ = depth;
                cellRepeat_ = repeatCount(attributes, "number-columns-repeated");
                const std::string_view type = attributes.value("value-type");
                numeric_ = type == "float" || type == "currency";
                value_ = textOf(attributes.value("value"));
                text_.clear();
                paragraphs_ = 0;
            } else {
                skipDepth_ = depth;
            }
            return;
        }
        if (name == "annotation") {
            skipDepth_ = depth;
        } else if (name == "p" || name == "h") {
            if (paragraphs_++ > 0) {
                text_.append('\n');
            }
        } else if (name == "s") {
            bool ok = false;
            const int count = textOf(attributes.value("c")).toInt(&ok);
            text_.append(' ', ok ? std::clamp(count, 1, 1000) : 1);
        } else if (name == "tab") {
            text_.append('\t');
        } else if (name == "line-break") {
            text_.append('\n');
        }
    }

    void endElement(std::string_view, int depth) override
    {
        if (depth == skipDepth_) {
            skipDepth_ = 0;
        } else if (depth == cellDepth_) {
            endCell();
            cellDepth_ = 0;
        } else if (depth == rowDepth_) {
            endRow();
            rowDepth_ = 0;
        } else if (depth == tableDepth_) {
            tableDepth_ = 0;
            reading_ = false;
        }
    }

    void text(std::string_view utf8, int depth) override
    {
        if (cellDepth_ > 0 && skipDepth_ == 0 && depth > cellDepth_) {
            text_.append(utf8);
        }
    }

private:
    void endCell()
    {
        QString text = text_.toString();
        if (numeric_ && !value_.isEmpty()) {
            text = plainNumberText(value_);
        }
        if (text.isEmpty()) {
            pendingEmpty_ += cellRepeat_;
            return;
        }
        // Empty cells are only placed when a value follows them.
        const qint64 room = kMaxColumns - cells_.size();
        for (qint64 i = 0; i < std::min(pendingEmpty_, room); ++i) {
            cells_.append(QString());
        }
        pendingEmpty_ = 0;
        for (qint64 i = 0; i < cellRepeat_ && cells_.size() < kMaxColumns; ++i) {
            cells_.append(text);
        }
    }

    void endRow()
    {
        ListTable& table = out_.table;
        if (isBlankRow(cells_)) {
            rowNumber_ += rowRepeat_;
            return;
        }
        for (qint64 i = 0; i < rowRepeat_ && !table.truncated; ++i) {
            if (++rowNumber_ > kMaxRowNumber) {
                table.truncated = true;
                break;
            }
            table.append(int(rowNumber_), cells_);
        }
    }

    const QString& wantedSheet_;
    SpreadsheetRead& out_;
    bool found_ = false;
    bool reading_ = false;
    int tableDepth_ = 0;
    int skipDepth_ = 0;  // an element passed over whole
    int rowDepth_ = 0;
    qint64 rowRepeat_ = 1;
    qint64 rowNumber_ = 0;
    QStringList cells_;
    qint64 pendingEmpty_ = 0;  // empty cells not yet placed
    int cellDepth_ = 0;
    qint64 cellRepeat_ = 1;
    bool numeric_ = false;
    QString value_;
    CellText text_;
    int paragraphs_ = 0;
};

}  // namespace

SpreadsheetRead readOdsContent(const QByteArray& content, const QString& wantedSheet)
{
    SpreadsheetRead out;
    ContentHandler handler(wantedSheet, out);
    out.error = readXmlPart(content, kContentPart, handler);
    if (!out.error.isEmpty()) {
        out.table = {};
        return out;
    }
    if (out.sheetNames.isEmpty()) {
        out.error = QStringLiteral("シートがありません");
        return out;
    }
    if (!handler.found()) {
        out.error = QStringLiteral("シート「%1」がありません").arg(wantedSheet);
        return out;
    }
    out.ok = true;
    return out;
}

SpreadsheetRead readOds(WorkbookArchive& archive, const QString& wantedSheet)
{
    const WorkbookPart content = archive.part(kContentPart);
    if (content.status != WorkbookPart::read) {
        SpreadsheetRead out;
        out.error = content.status == WorkbookPart::missing ? unreadableWorkbookMessage()
                                                            : unreadablePartMessage(kContentPart);
        return out;
    }
    return readOdsContent(content.data, wantedSheet);
}

}  // namespace productlist
