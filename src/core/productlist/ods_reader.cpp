#include "core/productlist/ods_reader.h"

#include <algorithm>

namespace productlist {

namespace {

// Row numbers beyond this are not read (a spreadsheet has at most about a million rows).
constexpr qint64 kMaxRowNumber = 1 << 21;

const QString kContentPart = QStringLiteral("content.xml");

// Text of an OpenDocument cell: its paragraphs, one line each. The reader stands on the cell's
// start element and ends on its end element.
QString odsCellText(XmlPart& xml)
{
    QString text;
    int paragraphs = 0;
    const int level = xml.depth();
    while (!xml.atEnd()) {
        const auto token = xml.next();
        if (token == QXmlStreamReader::StartElement) {
            const auto name = xml.name();
            if (name == QLatin1String("annotation")) {
                xml.skipElement();
            } else if (name == QLatin1String("p") || name == QLatin1String("h")) {
                if (paragraphs++ > 0) {
                    appendToCell(text, u"\n");
                }
            } else if (name == QLatin1String("s")) {
                bool ok = false;
                const int count = attributeValue(xml.attributes(), QLatin1String("c")).toInt(&ok);
                appendToCell(text, QString(ok ? std::clamp(count, 1, 1000) : 1, u' '));
            } else if (name == QLatin1String("tab")) {
                appendToCell(text, u"\t");
            } else if (name == QLatin1String("line-break")) {
                appendToCell(text, u"\n");
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (xml.depth() < level) {
                break;
            }
        } else if (token == QXmlStreamReader::Characters && xml.depth() > level) {
            appendToCell(text, xml.text());
        }
    }
    return text;
}

qint64 repeatCount(const QXmlStreamAttributes& attributes, QLatin1String name)
{
    bool ok = false;
    const qint64 count = attributeValue(attributes, name).toLongLong(&ok);
    return ok && count > 0 ? count : 1;
}

// Reads one table:table-row; the reader stands on its start element and ends on its end element.
QStringList odsRow(XmlPart& xml)
{
    QStringList cells;
    qint64 pendingEmpty = 0;  // empty cells not yet placed: only placed when a value follows
    const int level = xml.depth();
    while (xml.nextStartInside(level)) {
        if (xml.name() != QLatin1String("table-cell") && xml.name() != QLatin1String("covered-table-cell")) {
            xml.skipElement();
            continue;
        }
        const QXmlStreamAttributes cellAttributes = xml.attributes();
        const qint64 repeat = repeatCount(cellAttributes, QLatin1String("number-columns-repeated"));
        const QString type = attributeValue(cellAttributes, QLatin1String("value-type"));
        const QString value = attributeValue(cellAttributes, QLatin1String("value"));
        QString text = odsCellText(xml);
        if ((type == QLatin1String("float") || type == QLatin1String("currency")) && !value.isEmpty()) {
            text = plainNumberText(value);
        }
        if (text.isEmpty()) {
            pendingEmpty += repeat;
            continue;
        }
        const qint64 room = kMaxColumns - cells.size();
        for (qint64 i = 0; i < std::min(pendingEmpty, room); ++i) {
            cells.append(QString());
        }
        pendingEmpty = 0;
        for (qint64 i = 0; i < repeat && cells.size() < kMaxColumns; ++i) {
            cells.append(text);
        }
    }
    return cells;
}

// Reads the rows of the table whose start element the reader stands on into `table`.
void readTable(XmlPart& xml, ListTable& table)
{
    qint64 rowNumber = 0;
    const int level = xml.depth();
    while (xml.nextStartInside(level)) {
        const auto element = xml.name();
        if (element == QLatin1String("table-row")) {
            const qint64 repeat = repeatCount(xml.attributes(), QLatin1String("number-rows-repeated"));
            const QStringList cells = odsRow(xml);
            if (isBlankRow(cells)) {
                rowNumber += repeat;
                continue;
            }
            for (qint64 i = 0; i < repeat && !table.truncated; ++i) {
                if (++rowNumber > kMaxRowNumber) {
                    table.truncated = true;
                    break;
                }
                table.append(int(rowNumber), cells);
            }
        } else if (element != QLatin1String("table-header-rows") && element != QLatin1String("table-row-group")
                   && element != QLatin1String("table-rows")) {
            xml.skipElement();
        }
    }
}

}  // namespace

SpreadsheetRead readOdsContent(const QByteArray& content, const QString& wantedSheet)
{
    SpreadsheetRead out;
    XmlPart xml(content, kContentPart);
    bool found = false;
    while (!xml.atEnd()) {
        if (xml.next() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("table")) {
            continue;
        }
        const QString name = attributeValue(xml.attributes(), QLatin1String("name"));
        out.sheetNames.append(name);
        if (found || !(wantedSheet.isEmpty() || name == wantedSheet)) {
            xml.skipElement();
            continue;
        }
        found = true;
        out.sheetName = name;
        readTable(xml, out.table);
    }
    out.error = xml.error();
    if (!out.error.isEmpty()) {
        out.table = {};
        return out;
    }
    if (out.sheetNames.isEmpty()) {
        out.error = QStringLiteral("シートがありません");
        return out;
    }
    if (!found) {
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
