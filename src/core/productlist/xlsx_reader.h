#pragma once

// Excel workbooks (.xlsx): the workbook part names the sheets, each sheet is a part of rows and
// cells, and most texts are kept once in the shared-strings part.

#include "core/productlist/list_table.h"
#include "core/productlist/spreadsheet.h"
#include "core/productlist/workbook_parts.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace productlist {

// Reads the sheet named `sheetName` (the first when empty) of an Excel workbook.
SpreadsheetRead readXlsx(WorkbookArchive& archive, const QString& sheetName);

// The texts of the shared-strings part `partName`, in order, appended to `strings`; the message
// why the part could not be read to its end, or an empty text (after a fault `strings` is as it
// was).
QString readSharedStrings(const QByteArray& xml, const QString& partName, QStringList& strings);

// The rows of the worksheet part `partName` into `table`, which starts empty; the message why the
// part could not be read to its end, or an empty text.
QString readWorksheet(const QByteArray& xml, const QString& partName, const QStringList& sharedStrings,
                      ListTable& table);

}  // namespace productlist
