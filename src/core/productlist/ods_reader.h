#pragma once

// LibreOffice spreadsheets (.ods): every sheet is a table in the one part content.xml.

#include "core/productlist/spreadsheet.h"
#include "core/productlist/workbook_parts.h"

#include <QByteArray>
#include <QString>

namespace productlist {

// Reads the sheet named `sheetName` (the first when empty) of an OpenDocument spreadsheet.
SpreadsheetRead readOds(WorkbookArchive& archive, const QString& sheetName);

// The same from the XML of its content part.
SpreadsheetRead readOdsContent(const QByteArray& xml, const QString& sheetName);

}  // namespace productlist
