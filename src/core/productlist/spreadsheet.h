#pragma once

// Product lists saved by Excel (.xlsx) or LibreOffice Calc (.ods): zip archives of XML parts.
// Only the cell values are read; styles, formulas and formats are not.

#include "core/productlist/list_table.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string_view>

namespace productlist {

enum class SpreadsheetKind { xlsx, ods };

struct SpreadsheetRead {
    bool ok = false;
    QString error;           // the reason for the user when !ok
    QStringList sheetNames;  // every sheet of the workbook, in order (also when !ok, if known)
    QString sheetName;       // the sheet that was read
    ListTable table;
};

// Reads the sheet named `sheetName` (the first sheet when empty) of the workbook in `bytes`.
// A number cell gives the digits of its exact value: "4901234567894", "98", "1.5". A fault in the
// XML of any part read (cut short, tags that do not match, entities expanding without end, absurd
// nesting) fails the whole read with a message naming the part and the line: never a partial list.
SpreadsheetRead readSpreadsheet(const QByteArray& bytes, SpreadsheetKind kind, const QString& sheetName = {});

// The text of a number as a spreadsheet stores it, without an exponent when the value is a whole
// number that the stored digits give exactly ("4.901234567894E+12" -> "4901234567894"); any other
// text is returned as it is.
QString plainNumberText(const QString& stored);

// Column index (0-based) of a cell reference such as "B7" or "AA12"; -1 when it has no letters.
int columnOfCellReference(std::string_view reference);

}  // namespace productlist
