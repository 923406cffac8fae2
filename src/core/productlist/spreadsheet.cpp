#include "core/productlist/spreadsheet.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <QBuffer>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>
#include <optional>

namespace productlist {

namespace {

// Row numbers beyond this are not read (a spreadsheet has at most about a million rows).
constexpr qint64 kMaxRowNumber = 1 << 21;
// Digits of a whole number that plainNumberText writes out.
constexpr int kMaxPlainDigits = 24;

const QString kUnreadable = QStringLiteral("表計算のファイルとして読めません");

// The archive, opened once; parts are read whole, up to kMaxListBytes.
class Archive {
public:
    explicit Archive(const QByteArray& bytes) : buffer_(const_cast<QByteArray*>(&bytes)), zip_(&buffer_)
    {
        buffer_.open(QIODevice::ReadOnly);
        open_ = zip_.open(QuaZip::mdUnzip);
    }
    bool isOpen() const { return open_; }

    std::optional<QByteArray> part(const QString& name)
    {
        if (!open_ || !zip_.setCurrentFile(name)) {
            return std::nullopt;
        }
        QuaZipFile file(&zip_);
        if (!file.open(QIODevice::ReadOnly)) {
            return std::nullopt;
        }
        QByteArray data;
        char chunk[65536];
        for (;;) {
            const qint64 got = file.read(chunk, sizeof chunk);
            if (got < 0) {
                return std::nullopt;
            }
            if (got == 0) {
                break;
            }
            if (data.size() + got > kMaxListBytes) {
                return std::nullopt;
            }
            data.append(chunk, got);
        }
        file.close();
        if (file.getZipError() != UNZ_OK) {
            return std::nullopt;
        }
        return data;
    }

private:
    QBuffer buffer_;
    QuaZip zip_;
    bool open_ = false;
};

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

// The relationships of a part: id -> (type, resolved target).
struct Relationship {
    QString type;
    QString target;
};
QHash<QString, Relationship> readRelationships(Archive& archive, const QString& partName)
{
    QHash<QString, Relationship> out;
    const QString folder = folderOf(partName);
    const auto data = archive.part(folder + QStringLiteral("_rels/") + partName.mid(folder.size()) +
                                   QStringLiteral(".rels"));
    if (!data) {
        return out;
    }
    QXmlStreamReader xml(*data);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Relationship")) {
            const auto attributes = xml.attributes();
            out.insert(attributes.value(QLatin1String("Id")).toString(),
                       {attributes.value(QLatin1String("Type")).toString(),
                        resolvePart(folder, attributes.value(QLatin1String("Target")).toString())});
        }
    }
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

// The value of an attribute by its local name, whatever its prefix.
QString attribute(const QXmlStreamAttributes& attributes, QLatin1String localName)
{
    for (const QXmlStreamAttribute& a : attributes) {
        if (a.name() == localName) {
            return a.value().toString();
        }
    }
    return {};
}
QString attribute(const QXmlStreamReader& xml, QLatin1String localName)
{
    return attribute(xml.attributes(), localName);
}

// Text of an Excel string item (<si> or <is>): its <t> texts, without phonetic guides (<rPh>).
// The reader stands on the item's start element and ends on its end element.
QString excelStringItem(QXmlStreamReader& xml)
{
    QString text;
    int depth = 1;
    int phoneticDepth = 0;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (xml.name() == QLatin1String("rPh")) {
                ++phoneticDepth;
            } else if (xml.name() == QLatin1String("t") && phoneticDepth == 0) {
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
                --depth;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
            if (xml.name() == QLatin1String("rPh") && phoneticDepth > 0) {
                --phoneticDepth;
            }
        }
    }
    return text;
}

QStringList readSharedStrings(const QByteArray& data)
{
    QStringList strings;
    QXmlStreamReader xml(data);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si")) {
            strings.append(excelStringItem(xml));
        }
    }
    return strings;
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

void addRow(ListTable& table, qint64 number, const QStringList& cells)
{
    table.append(int(number), cells);
}

ListTable readExcelWorksheet(const QByteArray& data, const QStringList& sharedStrings)
{
    ListTable table;
    QXmlStreamReader xml(data);
    qint64 rowNumber = 0;
    while (!xml.atEnd() && !table.truncated) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("row")) {
            continue;
        }
        bool numbered = false;
        const qint64 given = attribute(xml, QLatin1String("r")).toLongLong(&numbered);
        rowNumber = numbered && given > rowNumber ? given : rowNumber + 1;
        if (rowNumber > kMaxRowNumber) {
            table.truncated = true;
            break;
        }
        QStringList cells;
        int column = -1;
        int depth = 1;
        while (depth > 0 && !xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::EndElement) {
                --depth;
                continue;
            }
            if (token != QXmlStreamReader::StartElement) {
                continue;
            }
            if (xml.name() != QLatin1String("c")) {
                ++depth;
                continue;
            }
            const QXmlStreamAttributes cellAttributes = xml.attributes();
            const int referenced = columnOfCellReference(attribute(cellAttributes, QLatin1String("r")));
            column = referenced >= 0 ? referenced : column + 1;
            const QString type = attribute(cellAttributes, QLatin1String("t"));
            QString value;
            QString inlineText;
            int cellDepth = 1;
            while (cellDepth > 0 && !xml.atEnd()) {
                const auto cellToken = xml.readNext();
                if (cellToken == QXmlStreamReader::StartElement) {
                    if (xml.name() == QLatin1String("v")) {
                        value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                    } else if (xml.name() == QLatin1String("is")) {
                        inlineText = excelStringItem(xml);
                    } else {
                        xml.skipCurrentElement();
                    }
                } else if (cellToken == QXmlStreamReader::EndElement) {
                    --cellDepth;
                }
            }
            QString text;
            if (type == QLatin1String("s")) {
                bool ok = false;
                const qint64 index = value.trimmed().toLongLong(&ok);
                text = ok && index >= 0 && index < sharedStrings.size() ? sharedStrings.at(index) : QString();
            } else if (type == QLatin1String("inlineStr")) {
                text = inlineText;
            } else if (type.isEmpty() || type == QLatin1String("n")) {
                text = plainNumberText(value.trimmed());
            } else {
                text = value;
            }
            putCell(cells, column, text);
        }
        addRow(table, rowNumber, cells);
    }
    return table;
}

SpreadsheetRead readXlsx(Archive& archive, const QString& wantedSheet)
{
    SpreadsheetRead out;
    const QString workbookPart =
        targetOfType(readRelationships(archive, QStringLiteral(".rels")), QStringLiteral("officeDocument"),
                     QStringLiteral("xl/workbook.xml"));
    const auto workbook = archive.part(workbookPart);
    if (!workbook) {
        out.error = kUnreadable;
        return out;
    }
    const auto relationships = readRelationships(archive, workbookPart);
    QStringList sheetParts;
    QXmlStreamReader xml(*workbook);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("sheet")) {
            QString id;
            for (const QXmlStreamAttribute& a : xml.attributes()) {
                if (a.name() == QLatin1String("id") && !a.prefix().isEmpty()) {
                    id = a.value().toString();
                }
            }
            out.sheetNames.append(attribute(xml, QLatin1String("name")));
            sheetParts.append(relationships.value(id).target);
        }
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
    const auto sheetData = archive.part(sheetParts.at(index));
    if (!sheetData) {
        out.error = kUnreadable;
        return out;
    }
    QStringList sharedStrings;
    if (const auto shared = archive.part(
            targetOfType(relationships, QStringLiteral("sharedStrings"), QStringLiteral("xl/sharedStrings.xml")))) {
        sharedStrings = readSharedStrings(*shared);
    }
    out.table = readExcelWorksheet(*sheetData, sharedStrings);
    out.ok = true;
    return out;
}

// Text of an OpenDocument cell: its paragraphs, one line each. The reader stands on the cell's
// start element and ends on its end element.
QString odsCellText(QXmlStreamReader& xml)
{
    QString text;
    int paragraphs = 0;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const auto name = xml.name();
            if (name == QLatin1String("annotation")) {
                xml.skipCurrentElement();
                continue;
            }
            ++depth;
            if (name == QLatin1String("p") || name == QLatin1String("h")) {
                if (paragraphs++ > 0) {
                    text += u'\n';
                }
            } else if (name == QLatin1String("s")) {
                bool ok = false;
                const int count = attribute(xml, QLatin1String("c")).toInt(&ok);
                text += QString(ok ? std::clamp(count, 1, 1000) : 1, u' ');
            } else if (name == QLatin1String("tab")) {
                text += u'\t';
            } else if (name == QLatin1String("line-break")) {
                text += u'\n';
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        } else if (token == QXmlStreamReader::Characters && depth > 1) {
            text += xml.text();
        }
    }
    return text;
}

qint64 repeatCount(const QXmlStreamAttributes& attributes, QLatin1String name)
{
    bool ok = false;
    const qint64 count = attribute(attributes, name).toLongLong(&ok);
    return ok && count > 0 ? count : 1;
}

// Reads one table:table-row; the reader stands on its start element and ends on its end element.
QStringList odsRow(QXmlStreamReader& xml)
{
    QStringList cells;
    qint64 pendingEmpty = 0;  // empty cells not yet placed: only placed when a value follows
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() != QLatin1String("table-cell") && xml.name() != QLatin1String("covered-table-cell")) {
            xml.skipCurrentElement();
            continue;
        }
        const QXmlStreamAttributes cellAttributes = xml.attributes();
        const qint64 repeat = repeatCount(cellAttributes, QLatin1String("number-columns-repeated"));
        const QString type = attribute(cellAttributes, QLatin1String("value-type"));
        const QString value = attribute(cellAttributes, QLatin1String("value"));
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

SpreadsheetRead readOds(Archive& archive, const QString& wantedSheet)
{
    SpreadsheetRead out;
    const auto content = archive.part(QStringLiteral("content.xml"));
    if (!content) {
        out.error = kUnreadable;
        return out;
    }
    QXmlStreamReader xml(*content);
    bool found = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("table")) {
            continue;
        }
        const QString name = attribute(xml, QLatin1String("name"));
        out.sheetNames.append(name);
        const bool wanted = !found && (wantedSheet.isEmpty() || name == wantedSheet);
        if (!wanted) {
            xml.skipCurrentElement();
            continue;
        }
        found = true;
        out.sheetName = name;
        qint64 rowNumber = 0;
        int depth = 1;
        while (depth > 0 && !xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::EndElement) {
                --depth;
                continue;
            }
            if (token != QXmlStreamReader::StartElement) {
                continue;
            }
            const auto element = xml.name();
            if (element == QLatin1String("table-row")) {
                const qint64 repeat = repeatCount(xml.attributes(), QLatin1String("number-rows-repeated"));
                const QStringList cells = odsRow(xml);
                if (isBlankRow(cells)) {
                    rowNumber += repeat;
                    continue;
                }
                for (qint64 i = 0; i < repeat && !out.table.truncated; ++i) {
                    if (++rowNumber > kMaxRowNumber) {
                        out.table.truncated = true;
                        break;
                    }
                    addRow(out.table, rowNumber, cells);
                }
            } else if (element == QLatin1String("table-header-rows") || element == QLatin1String("table-row-group") ||
                       element == QLatin1String("table-rows")) {
                ++depth;
            } else {
                xml.skipCurrentElement();
            }
        }
    }
    if (xml.hasError() && !found) {
        out.error = kUnreadable;
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

}  // namespace

SpreadsheetRead readSpreadsheet(const QByteArray& bytes, SpreadsheetKind kind, const QString& sheetName)
{
    Archive archive(bytes);
    if (!archive.isOpen()) {
        SpreadsheetRead out;
        out.error = kUnreadable;
        return out;
    }
    return kind == SpreadsheetKind::xlsx ? readXlsx(archive, sheetName) : readOds(archive, sheetName);
}

QString plainNumberText(const QString& stored)
{
    // Whole numbers as most cells store them need no work.
    if (!stored.isEmpty() && stored.size() <= kMaxPlainDigits && stored.front() != u'0' &&
        std::all_of(stored.cbegin(), stored.cend(), [](QChar ch) { return ch >= u'0' && ch <= u'9'; })) {
        return stored;
    }
    static const QRegularExpression pattern(QStringLiteral("^(-?)(\\d+)(?:\\.(\\d*))?(?:[eE]([+-]?\\d{1,3}))?$"));
    const auto match = pattern.match(stored);
    if (!match.hasMatch()) {
        return stored;
    }
    const QString sign = match.captured(1);
    QString whole = match.captured(2);
    QString fraction = match.captured(3);
    const int exponent = match.captured(4).toInt();
    // Move the decimal point by the exponent.
    if (exponent > 0) {
        const int moved = std::min<int>(exponent, fraction.size());
        whole += fraction.left(moved);
        fraction = fraction.mid(moved);
        if (exponent > moved) {
            if (!fraction.isEmpty() || whole.size() + exponent - moved > kMaxPlainDigits) {
                return stored;
            }
            whole += QString(exponent - moved, u'0');
        }
    } else if (exponent < 0) {
        const int moved = std::min<int>(-exponent, whole.size());
        fraction = whole.right(moved) + fraction;
        whole.chop(moved);
        fraction = QString(-exponent - moved, u'0') + fraction;
    }
    while (fraction.endsWith(u'0')) {
        fraction.chop(1);
    }
    while (whole.size() > 1 && whole.startsWith(u'0')) {
        whole.remove(0, 1);
    }
    if (whole.isEmpty()) {
        whole = QStringLiteral("0");
    }
    if (whole.size() > kMaxPlainDigits) {
        return stored;
    }
    const QString number = fraction.isEmpty() ? whole : whole + u'.' + fraction;
    return number == QLatin1String("0") ? number : sign + number;
}

int columnOfCellReference(const QString& reference)
{
    qint64 column = 0;
    int letters = 0;
    for (QChar ch : reference) {
        const char16_t c = ch.toUpper().unicode();
        if (c < u'A' || c > u'Z') {
            break;
        }
        column = column * 26 + (c - u'A' + 1);
        if (column > 1 << 20) {
            return -1;
        }
        ++letters;
    }
    return letters == 0 ? -1 : int(column - 1);
}

}  // namespace productlist
