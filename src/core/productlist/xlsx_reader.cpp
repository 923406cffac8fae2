#include "core/productlist/xlsx_reader.h"

#include "core/productlist/xml_scanner.h"

#include <QHash>

#include <algorithm>

namespace productlist {

namespace {

// Row numbers beyond this are not read (a spreadsheet has at most about a million rows).
constexpr qint64 kMaxRowNumber = 1 << 21;

// The folder part of a part name: "xl/workbook.xml" -> "xl/".
QString folderOf(const QString& partName)
{
    const qsizetype slash = partName.lastIndexOf(u'/');
    return slash < 0 ? QString() : partName.left(slash + 1);
}

// A relationship target resolved against the folder of its source part.
QString resolvePart(const QString& folder, const QString& target)
{
    QString path = target.startsWith(u'/') ? target.mid(1) : folder + target;
    QStringList out;
    for (const QString& piece : path.split(u'/')) {
        if (piece == QLatin1String("..")) {
            if (!out.isEmpty()) {
                out.removeLast();
            }
        } else if (!piece.isEmpty() && piece != QLatin1String(".")) {
            out.append(piece);
        }
    }
    return out.join(u'/');
}

struct Relationship {
    QString type;
    QString target;
};

// The relationships of a part: id -> (type, resolved target); none when it has no relationships
// part. A relationships part that cannot be read sets `error`.
QHash<QString, Relationship> readRelationships(WorkbookArchive& archive, const QString& partName, QString& error)
{
    QHash<QString, Relationship> out;
    const QString folder = folderOf(partName);
    const QString relsName = folder + QStringLiteral("_rels/") + partName.mid(folder.size()) + QStringLiteral(".rels");
    const WorkbookPart rels = archive.part(relsName);
    if (rels.status != WorkbookPart::read) {
        if (rels.status == WorkbookPart::unreadable) {
            error = unreadablePartMessage(relsName);
        }
        return out;
    }
    XmlPart xml(rels.data, relsName);
    while (!xml.atEnd()) {
        if (xml.next() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Relationship")) {
            const auto attributes = xml.attributes();
            out.insert(attributes.value(QLatin1String("Id")).toString(),
                       {attributes.value(QLatin1String("Type")).toString(),
                        resolvePart(folder, attributes.value(QLatin1String("Target")).toString())});
        }
    }
    error = xml.error();
    return out;
}

// The first relationship whose type ends with `/suffix`.
QString targetOfType(const QHash<QString, Relationship>& relationships, const QString& suffix, const QString& fallback)
{
    for (const Relationship& relationship : relationships) {
        if (relationship.type.endsWith(u'/' + suffix)) {
            return relationship.target;
        }
    }
    return fallback;
}

// Text of an Excel string item (<si> or <is>): its <t> texts, without phonetic guides (<rPh>).
// The reader (XmlPart or XmlScanner) stands on the item's start element and ends on its end
// element.
template<class Xml> QString excelStringItem(Xml& xml)
{
    QString text;
    const int level = xml.depth();
    int phoneticDepth = 0;  // depth of the <rPh> being passed over, 0 outside one
    while (!xml.atEnd()) {
        const auto token = xml.next();
        if (token == QXmlStreamReader::EndElement) {
            if (xml.depth() < level) {
                break;
            }
            if (xml.depth() < phoneticDepth) {
                phoneticDepth = 0;
            }
        } else if (token == QXmlStreamReader::StartElement && phoneticDepth == 0) {
            if (xml.name() == QLatin1String("rPh")) {
                phoneticDepth = xml.depth();
            } else if (xml.name() == QLatin1String("t")) {
                appendToCell(text, xml.elementText());
            }
        }
    }
    return text;
}

// Places `text` at `column` of `cells`, filling the gap with empty cells.
void putCell(QStringList& cells, int column, const QString& text)
{
    if (column < 0 || column >= kMaxColumns || text.isEmpty()) {
        return;
    }
    while (cells.size() <= column) {
        cells.append(QString());
    }
    cells[column] = text;
}

// What the t attribute of a cell says its value is.
enum class CellKind { sharedString, inlineString, number, asStored };

CellKind cellKindOf(QStringView type)
{
    if (type == QLatin1String("s")) {
        return CellKind::sharedString;
    }
    if (type == QLatin1String("inlineStr")) {
        return CellKind::inlineString;
    }
    if (type.isEmpty() || type == QLatin1String("n")) {
        return CellKind::number;
    }
    return CellKind::asStored;
}

// The shared string a cell's value points to, or an empty text.
QString sharedString(const QString& value, const QStringList& sharedStrings)
{
    qint64 index = -1;
    // Most values are a few plain digits.
    if (!value.isEmpty() && value.size() <= 9
        && std::all_of(value.cbegin(), value.cend(), [](QChar ch) { return ch >= u'0' && ch <= u'9'; })) {
        index = 0;
        for (QChar ch : value) {
            index = index * 10 + (ch.unicode() - u'0');
        }
    } else {
        bool ok = false;
        index = value.trimmed().toLongLong(&ok);
        index = ok ? index : -1;
    }
    return index >= 0 && index < sharedStrings.size() ? sharedStrings.at(index) : QString();
}

// The text of a cell (<c>); the reader stands on its start element and ends on its end element.
template<class Xml> QString cellText(Xml& xml, const QStringList& sharedStrings)
{
    const CellKind kind = cellKindOf(xml.attribute(QLatin1String("t")));
    QString value;
    QString inlineText;
    const int level = xml.depth();
    while (xml.nextStartInside(level)) {
        if (xml.name() == QLatin1String("v")) {
            value = xml.elementText();
        } else if (xml.name() == QLatin1String("is")) {
            inlineText = excelStringItem(xml);
        } else {
            xml.skipElement();
        }
    }
    switch (kind) {
    case CellKind::sharedString:
        return sharedString(value, sharedStrings);
    case CellKind::inlineString:
        return inlineText;
    case CellKind::number:
        return plainNumberText(value.trimmed());
    case CellKind::asStored:
        break;
    }
    return value;
}

template<class Xml> void readSharedStringsWith(Xml& xml, QStringList& strings)
{
    while (!xml.atEnd()) {
        if (xml.next() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si")) {
            strings.append(excelStringItem(xml));
        }
    }
}

template<class Xml> void readWorksheetWith(Xml& xml, const QStringList& sharedStrings, ListTable& table)
{
    qint64 rowNumber = 0;
    while (!xml.atEnd() && !table.truncated) {
        if (xml.next() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("row")) {
            continue;
        }
        bool numbered = false;
        const qint64 given = xml.attribute(QLatin1String("r")).toLongLong(&numbered);
        rowNumber = numbered && given > rowNumber ? given : rowNumber + 1;
        if (rowNumber > kMaxRowNumber) {
            table.truncated = true;
            break;
        }
        QStringList cells;
        int column = -1;
        const int level = xml.depth();
        while (xml.nextStartInside(level)) {
            if (xml.name() != QLatin1String("c")) {
                continue;
            }
            const int referenced = columnOfCellReference(xml.attribute(QLatin1String("r")));
            column = referenced >= 0 ? referenced : column + 1;
            putCell(cells, column, cellText(xml, sharedStrings));
        }
        table.append(int(rowNumber), std::move(cells));
    }
}

}  // namespace

QString readSharedStrings(const QByteArray& data, const QString& partName, QStringList& strings)
{
    const qsizetype before = strings.size();
    XmlScanner quick(data);
    readSharedStringsWith(quick, strings);
    if (!quick.declined()) {
        return {};
    }
    strings.resize(before);
    return readSharedStringsSlowly(data, partName, strings);
}

QString readSharedStringsSlowly(const QByteArray& data, const QString& partName, QStringList& strings)
{
    XmlPart xml(data, partName);
    readSharedStringsWith(xml, strings);
    return xml.error();
}

QString readWorksheet(const QByteArray& data, const QString& partName, const QStringList& sharedStrings,
                      ListTable& table)
{
    XmlScanner quick(data);
    readWorksheetWith(quick, sharedStrings, table);
    if (!quick.declined()) {
        return {};
    }
    table = {};
    return readWorksheetSlowly(data, partName, sharedStrings, table);
}

QString readWorksheetSlowly(const QByteArray& data, const QString& partName, const QStringList& sharedStrings,
                            ListTable& table)
{
    XmlPart xml(data, partName);
    readWorksheetWith(xml, sharedStrings, table);
    return xml.error();
}

SpreadsheetRead readXlsx(WorkbookArchive& archive, const QString& wantedSheet)
{
    SpreadsheetRead out;
    const auto packageRelationships = readRelationships(archive, QStringLiteral(".rels"), out.error);
    if (!out.error.isEmpty()) {
        return out;
    }
    const QString workbookPart
        = targetOfType(packageRelationships, QStringLiteral("officeDocument"), QStringLiteral("xl/workbook.xml"));
    const WorkbookPart workbook = archive.part(workbookPart);
    if (workbook.status != WorkbookPart::read) {
        out.error = workbook.status == WorkbookPart::missing ? unreadableWorkbookMessage()
                                                             : unreadablePartMessage(workbookPart);
        return out;
    }
    const auto relationships = readRelationships(archive, workbookPart, out.error);
    if (!out.error.isEmpty()) {
        return out;
    }
    QStringList sheetParts;
    XmlPart xml(workbook.data, workbookPart);
    while (!xml.atEnd()) {
        if (xml.next() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("sheet")) {
            QString id;
            for (const QXmlStreamAttribute& a : xml.attributes()) {
                if (a.name() == QLatin1String("id") && !a.prefix().isEmpty()) {
                    id = a.value().toString();
                }
            }
            out.sheetNames.append(attributeValue(xml.attributes(), QLatin1String("name")));
            sheetParts.append(relationships.value(id).target);
        }
    }
    out.error = xml.error();
    if (!out.error.isEmpty()) {
        return out;
    }
    if (out.sheetNames.isEmpty()) {
        out.error = QStringLiteral("シートがありません");
        return out;
    }
    const qsizetype index = wantedSheet.isEmpty() ? 0 : out.sheetNames.indexOf(wantedSheet);
    if (index < 0) {
        out.error = QStringLiteral("シート「%1」がありません").arg(wantedSheet);
        return out;
    }
    out.sheetName = out.sheetNames.at(index);
    const QString sheetPart = sheetParts.at(index);
    const WorkbookPart sheetData = archive.part(sheetPart);
    if (sheetData.status != WorkbookPart::read) {
        out.error = sheetData.status == WorkbookPart::missing ? unreadableWorkbookMessage()
                                                              : unreadablePartMessage(sheetPart);
        return out;
    }
    QStringList sharedStrings;
    const QString sharedPart
        = targetOfType(relationships, QStringLiteral("sharedStrings"), QStringLiteral("xl/sharedStrings.xml"));
    const WorkbookPart shared = archive.part(sharedPart);
    if (shared.status == WorkbookPart::unreadable) {
        out.error = unreadablePartMessage(sharedPart);
        return out;
    }
    if (shared.status == WorkbookPart::read) {
        out.error = readSharedStrings(shared.data, sharedPart, sharedStrings);
        if (!out.error.isEmpty()) {
            return out;
        }
    }
    out.error = readWorksheet(sheetData.data, sheetPart, sharedStrings, out.table);
    if (!out.error.isEmpty()) {
        out.table = {};
        return out;
    }
    out.ok = true;
    return out;
}

}  // namespace productlist
