#include "core/productlist/spreadsheet.h"

#include "core/productlist/ods_reader.h"
#include "core/productlist/workbook_parts.h"
#include "core/productlist/xlsx_reader.h"

#include <QRegularExpression>

#include <algorithm>

namespace productlist {

namespace {

// Digits of a whole number that plainNumberText writes out.
constexpr int kMaxPlainDigits = 24;

}  // namespace

SpreadsheetRead readSpreadsheet(const QByteArray& bytes, SpreadsheetKind kind, const QString& sheetName)
{
    WorkbookArchive archive(bytes);
    if (!archive.isOpen()) {
        SpreadsheetRead out;
        out.error = unreadableWorkbookMessage();
        return out;
    }
    return kind == SpreadsheetKind::xlsx ? readXlsx(archive, sheetName) : readOds(archive, sheetName);
}

QString plainNumberText(const QString& stored)
{
    // Whole numbers as most cells store them need no work.
    if (!stored.isEmpty() && stored.size() <= kMaxPlainDigits && stored.front() != u'0'
        && std::all_of(stored.cbegin(), stored.cend(), [](QChar ch) { return ch >= u'0' && ch <= u'9'; })) {
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

int columnOfCellReference(std::string_view reference)
{
    qint64 column = 0;
    int letters = 0;
    for (char c : reference) {
        const char upper = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
        if (upper < 'A' || upper > 'Z') {
            break;
        }
        column = column * 26 + (upper - 'A' + 1);
        if (column > 1 << 20) {
            return -1;
        }
        ++letters;
    }
    return letters == 0 ? -1 : int(column - 1);
}

}  // namespace productlist
