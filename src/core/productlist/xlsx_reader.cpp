#include "core/productlist/xlsx_reader.h"

#include "core/productlist/xml_part.h"

#include <QHash>

#include <algorithm>
#include <optional>

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

// The Relationship elements of a relationships part.
class RelationshipsHandler : public XmlHandler {
public:
    RelationshipsHandler(const QString& folder, QHash<QString, Relationship>& out) : folder_(folder), out_(out) { }

    void startElement(std::string_view name, const XmlAttributes& attributes, int) override
    {
        if (name == "Relationship") {
            out_.insert(
                textOf(attributes.unprefixed("Id")),
                {textOf(attributes.unprefixed("Type")), resolvePart(folder_, textOf(attributes.unprefixed("Target")))});
        }
    }
    void endElement(std::string_view, int) override { }
    void text(std::string_view, int) override { }

private:
    const QString& folder_;
    QHash<QString, Relationship>& out_;
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
    RelationshipsHandler handler(folder, out);
    error = readXmlPart(rels.data, relsName, handler);
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

// The sheets the workbook part lists: their names and relationship ids.
class WorkbookHandler : public XmlHandler {
public:
    QStringList names;
    QStringList ids;

    void startElement(std::string_view name, const XmlAttributes& attributes, int) override
    {
        if (name == "sheet") {
            names.append(textOf(attributes.value("name")));
            ids.append(textOf(attributes.prefixed("id")));
        }
    }
    void endElement(std::string_view, int) override { }
    void text(std::string_view, int) override { }
};

// The text of an Excel string item (<si> or <is>): its <t> texts, without phonetic guides (<rPh>).
// Fed the events inside the item, below the item's own element at `itemDepth`.
class StringItem {
public:
    void begin(int itemDepth)
    {
        itemDepth_ = itemDepth;
        textDepth_ = 0;
        phoneticDepth_ = 0;
        text_.clear();
    }
    void start(std::string_view name, int depth)
    {
        if (textDepth_ > 0 || phoneticDepth_ > 0) {
            return;  // a <t> is read whole; an <rPh> is passed over whole
        }
        if (name == "rPh") {
            phoneticDepth_ = depth;
        } else if (name == "t") {
            textDepth_ = depth;
        }
    }
    void end(int depth)
    {
        if (depth == textDepth_) {
            textDepth_ = 0;
        } else if (depth == phoneticDepth_) {
            phoneticDepth_ = 0;
        }
    }
    void text(std::string_view utf8)
    {
        if (textDepth_ > 0) {
            text_.append(utf8);
        }
    }
    int depth() const { return itemDepth_; }
    QString result() const { return text_.toString(); }

private:
    int itemDepth_ = 0;
    int textDepth_ = 0;
    int phoneticDepth_ = 0;
    CellText text_;
};

class SharedStringsHandler : public XmlHandler {
public:
    explicit SharedStringsHandler(QStringList& strings) : strings_(strings) { }

    void startElement(std::string_view name, const XmlAttributes&, int depth) override
    {
        if (inItem_) {
            item_.start(name, depth);
        } else if (name == "si") {
            inItem_ = true;
            item_.begin(depth);
        }
    }
    void endElement(std::string_view, int depth) override
    {
        if (!inItem_) {
            return;
        }
        if (depth == item_.depth()) {
            strings_.append(item_.result());
            inItem_ = false;
        } else {
            item_.end(depth);
        }
    }
    void text(std::string_view utf8, int) override
    {
        if (inItem_) {
            item_.text(utf8);
        }
    }

private:
    QStringList& strings_;
    bool inItem_ = false;
    StringItem item_;
};

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

CellKind cellKindOf(std::string_view type)
{
    if (type == "s") {
        return CellKind::sharedString;
    }
    if (type == "inlineStr") {
        return CellKind::inlineString;
    }
    if (type.empty() || type == "n") {
        return CellKind::number;
    }
    return CellKind::asStored;
}

bool isDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The shared string a cell's value points to, or an empty text.
QString sharedString(const CellText& value, const QStringList& sharedStrings)
{
    qint64 index = -1;
    // Most values are a few plain digits.
    if (const std::string_view digits = value.bytes(); digits.size() <= 9 && isDigits(digits)) {
        index = 0;
        for (char c : digits) {
            index = index * 10 + (c - '0');
        }
    } else {
        bool ok = false;
        index = value.toString().trimmed().toLongLong(&ok);
        index = ok ? index : -1;
    }
    return index >= 0 && index < sharedStrings.size() ? sharedStrings.at(index) : QString();
}

// A number cell's value as plainNumberText gives it; plain digits as they stand.
QString numberText(const CellText& value)
{
    const std::string_view digits = value.bytes();
    if (digits.size() <= 24 && isDigits(digits) && digits.front() != '0') {
        return QString::fromLatin1(digits.data(), qsizetype(digits.size()));
    }
    return plainNumberText(value.toString().trimmed());
}

// A whole number of ASCII digits (blanks around it allowed), or nothing.
std::optional<qint64> numberOf(std::string_view digits)
{
    while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t')) {
        digits.remove_prefix(1);
    }
    while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\t')) {
        digits.remove_suffix(1);
    }
    if (digits.empty() || digits.size() > 18) {
        return std::nullopt;
    }
    qint64 value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// The rows of a worksheet: <row> elements anywhere outside another row, <c> cells anywhere inside
// a row; of a cell's own children its last <v> (the value) and its last <is> (an inline string).
class WorksheetHandler : public XmlHandler {
public:
    WorksheetHandler(const QStringList& sharedStrings, ListTable& table) : sharedStrings_(sharedStrings), table_(table)
    { }

    void startElement(std::string_view name, const XmlAttributes& attributes, int depth) override
    {
        if (rowDepth_ == 0) {
            if (name == "row") {
                startRow(attributes, depth);
            }
            return;
        }
        if (cellDepth_ == 0) {
            if (name == "c") {
                const int referenced = columnOfCellReference(attributes.value("r"));
                column_ = referenced >= 0 ? referenced : column_ + 1;
                kind_ = cellKindOf(attributes.value("t"));
                cellDepth_ = depth;
                value_.clear();
                inlineText_.clear();
            }
            return;
        }
        if (childDepth_ > 0) {
            if (inInline_) {
                item_.start(name, depth);
            }
            return;
        }
        // A child of the cell: its value, its inline string, or something passed over (a formula).
        childDepth_ = depth;
        if (name == "v") {
            inValue_ = true;
            valueText_.clear();
        } else if (name == "is") {
            inInline_ = true;
            item_.begin(depth);
        }
    }

    void endElement(std::string_view, int depth) override
    {
        if (childDepth_ > 0) {
            if (depth == childDepth_) {
                if (inValue_) {
                    value_ = valueText_;
                } else if (inInline_) {
                    inlineText_ = item_.result();
                }
                childDepth_ = 0;
                inValue_ = false;
                inInline_ = false;
            } else if (inInline_) {
                item_.end(depth);
            }
            return;
        }
        if (depth == cellDepth_) {
            putCell(cells_, column_, cellText());
            cellDepth_ = 0;
        } else if (depth == rowDepth_) {
            table_.append(int(rowNumber_), std::move(cells_));
            cells_ = {};
            rowDepth_ = 0;
            if (table_.truncated) {
                stop();
            }
        }
    }

    void text(std::string_view utf8, int) override
    {
        if (inValue_) {
            valueText_.append(utf8);
        } else if (inInline_) {
            item_.text(utf8);
        }
    }

private:
    void startRow(const XmlAttributes& attributes, int depth)
    {
        const auto given = numberOf(attributes.value("r"));
        rowNumber_ = given && *given > rowNumber_ ? *given : rowNumber_ + 1;
        if (rowNumber_ > kMaxRowNumber) {
            table_.truncated = true;
            stop();
            return;
        }
        rowDepth_ = depth;
        column_ = -1;
        cells_.clear();
    }

    QString cellText() const
    {
        switch (kind_) {
        case CellKind::sharedString:
            return sharedString(value_, sharedStrings_);
        case CellKind::inlineString:
            return inlineText_;
        case CellKind::number:
            return numberText(value_);
        case CellKind::asStored:
            break;
        }
        return value_.toString();
    }

    const QStringList& sharedStrings_;
    ListTable& table_;
    qint64 rowNumber_ = 0;
    int rowDepth_ = 0;
    QStringList cells_;
    int column_ = -1;
    int cellDepth_ = 0;
    CellKind kind_ = CellKind::number;
    CellText value_;
    QString inlineText_;
    int childDepth_ = 0;
    bool inValue_ = false;
    bool inInline_ = false;
    CellText valueText_;
    StringItem item_;
};

}  // namespace

QString readSharedStrings(const QByteArray& data, const QString& partName, QStringList& strings)
{
    const qsizetype before = strings.size();
    SharedStringsHandler handler(strings);
    const QString error = readXmlPart(data, partName, handler);
    if (!error.isEmpty()) {
        strings.resize(before);
    }
    return error;
}

QString readWorksheet(const QByteArray& data, const QString& partName, const QStringList& sharedStrings,
                      ListTable& table)
{
    WorksheetHandler handler(sharedStrings, table);
    return readXmlPart(data, partName, handler);
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
    WorkbookHandler sheets;
    out.error = readXmlPart(workbook.data, workbookPart, sheets);
    out.sheetNames = sheets.names;
    if (!out.error.isEmpty()) {
        return out;
    }
    QStringList sheetParts;
    for (const QString& id : sheets.ids) {
        sheetParts.append(relationships.value(id).target);
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
