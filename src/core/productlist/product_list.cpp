#include "core/productlist/product_list.h"

#include "core/productlist/column_mapping.h"
#include "core/productlist/list_sanity.h"
#include "core/productlist/spreadsheet.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace productlist {

namespace {

const QByteArray kZipMagic("PK\x03\x04");
const QByteArray kOleMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");

bool containsName(const QByteArray& bytes, const char* name)
{
    // Zip entries carry their names in clear in the local and central headers.
    return bytes.contains(name);
}

// Whether a cell reads as a number: digits with at most the usual price decorations.
bool isNumberCell(const QString& cell)
{
    QString text = cell.normalized(QString::NormalizationForm_KC).trimmed();
    text.remove(u',');
    text.remove(u'¥');
    text.remove(u'\\');
    text.remove(u'円');
    text.remove(u'%');
    if (text.isEmpty()) {
        return false;
    }
    bool seenDigit = false;
    for (QChar ch : text) {
        if (ch.isDigit()) {
            seenDigit = true;
        } else if (ch != u'.' && ch != u'-' && ch != u'+' && ch != u'E' && ch != u'e') {
            return false;
        }
    }
    return seenDigit;
}

// The kind of file a list was read from, as a register's profile names it.
ListFormat formatOf(const ProductList& list)
{
    switch (list.kind) {
    case ListKind::xlsx:
        return ListFormat::xlsx;
    case ListKind::ods:
        return ListFormat::ods;
    case ListKind::text:
        break;
    }
    switch (list.encoding) {
    case Encoding::cp932:
        return ListFormat::cp932;
    case Encoding::utf16le:
    case Encoding::utf16be:
        return ListFormat::utf16le;
    case Encoding::utf8:
        break;
    }
    return list.bom ? ListFormat::utf8Bom : ListFormat::utf8;
}

QString columnTitle(int column)
{
    return QStringLiteral("列%1").arg(column + 1);
}

}  // namespace

std::optional<ListKind> listKindOf(const QByteArray& bytes)
{
    if (bytes.startsWith(kOleMagic)) {
        return std::nullopt;
    }
    if (bytes.startsWith(kZipMagic)) {
        if (containsName(bytes, "xl/workbook.xml") || containsName(bytes, "[Content_Types].xml")) {
            return ListKind::xlsx;
        }
        if (containsName(bytes, "content.xml")) {
            return ListKind::ods;
        }
        return std::nullopt;
    }
    return ListKind::text;
}

bool looksLikeHeader(const std::vector<ListRow>& rows)
{
    if (rows.empty()) {
        return false;
    }
    const QStringList& first = rows.front().cells;
    if (std::any_of(first.cbegin(), first.cend(),
                    [](const QString& cell) { return fieldOfHeader(cell).has_value(); })) {
        return true;
    }
    if (rows.size() < 2 || std::any_of(first.cbegin(), first.cend(), isNumberCell)) {
        return false;
    }
    const QStringList& second = rows.at(1).cells;
    for (int column = 0; column < std::min(first.size(), second.size()); ++column) {
        if (!first.at(column).trimmed().isEmpty() && isNumberCell(second.at(column))) {
            return true;
        }
    }
    return false;
}

ProductList readProductListData(const QByteArray& bytes, const ReadOptions& options)
{
    ProductList out;
    const auto kind = listKindOf(bytes);
    if (!kind) {
        out.error = bytes.startsWith(kOleMagic)
            ? QStringLiteral("古い Excel 形式 (.xls) のファイルは読めません。"
                             "Excel で .xlsx か CSV として保存してから選んでください")
            : QStringLiteral("商品リストとして読めないファイルです");
        return out;
    }
    out.kind = *kind;
    ListTable table;
    if (*kind == ListKind::text) {
        const DecodedText decoded = decodeText(bytes, options.encoding);
        if (const TextJudgement judged = judgeText(bytes, decoded.encoding); judged.verdict == TextVerdict::notText) {
            out.error = QStringLiteral("商品リストとして読めません：%1").arg(judged.reason);
            return out;
        }
        out.encoding = decoded.encoding;
        out.bom = decoded.bom;
        out.invalidBytes = decoded.invalidBytes;
        out.delimiter = options.delimiter ? *options.delimiter : detectDelimiter(decoded.text);
        table = splitDelimited(decoded.text, out.delimiter);
    } else {
        SpreadsheetRead sheet = readSpreadsheet(
            bytes, *kind == ListKind::xlsx ? SpreadsheetKind::xlsx : SpreadsheetKind::ods, options.sheetName);
        out.sheetNames = sheet.sheetNames;
        if (!sheet.ok) {
            out.error = sheet.error;
            return out;
        }
        out.sheetName = sheet.sheetName;
        table = std::move(sheet.table);
    }
    out.truncated = table.truncated;
    // Cells are read without the blanks around them, as a shop's staff sees them.
    for (ListRow& row : table.rows) {
        for (QString& cell : row.cells) {
            cell = cell.trimmed();
        }
    }
    if (options.header != HeaderMode::absent) {
        const RegisterMatch match = matchRegister(table.rows, formatOf(out), options.registerChoice);
        if (options.registerChoice.mode == RegisterChoice::Mode::forced && !match.profile) {
            out.error = QStringLiteral("%1の商品データとして読めません: 見出しに %2 がありません")
                            .arg(QString::fromUtf16(options.registerChoice.profile->name),
                                 match.missing.join(QStringLiteral("、")));
            return out;
        }
        if (match.profile) {
            out.profile = match.profile;
            out.linesBeforeTitles = match.titleRow;
            table.rows.erase(table.rows.begin(), table.rows.begin() + match.titleRow);
        }
    }
    switch (out.profile ? HeaderMode::present : options.header) {
    case HeaderMode::detect:
        out.hasHeader = looksLikeHeader(table.rows);
        break;
    case HeaderMode::present:
        out.hasHeader = !table.rows.empty();
        break;
    case HeaderMode::absent:
        out.hasHeader = false;
        break;
    }
    qsizetype columns = 0;
    for (const ListRow& row : table.rows) {
        columns = std::max(columns, row.cells.size());
    }
    QStringList header;
    if (out.hasHeader) {
        header = table.rows.front().cells;
        table.rows.erase(table.rows.begin());
    }
    for (int column = 0; column < columns; ++column) {
        const QString title = column < header.size() ? header.at(column) : QString();
        out.columnTitles.append(title.isEmpty() ? columnTitle(column) : title);
    }
    out.rows = std::move(table.rows);
    out.ok = true;
    return out;
}

ProductList readProductList(const QString& path, const ReadOptions& options)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ProductList out;
        out.error = QStringLiteral("ファイル「%1」を開けません").arg(QFileInfo(path).fileName());
        return out;
    }
    if (file.size() > kMaxListBytes) {
        ProductList out;
        out.error = QStringLiteral("ファイル「%1」が大きすぎます").arg(QFileInfo(path).fileName());
        return out;
    }
    const QByteArray bytes = file.read(kMaxListBytes + 1);
    if (bytes.size() > kMaxListBytes) {
        ProductList out;
        out.error = QStringLiteral("ファイル「%1」が大きすぎます").arg(QFileInfo(path).fileName());
        return out;
    }
    return readProductListData(bytes, options);
}

}  // namespace productlist
