#pragma once

// A sheet's records as text: a tab-separated table (tabs, line breaks and the backslash in a field
// written as \t, \n, \r and \\, so that every record stays on one row) or a JSON document.
// tanafuda-render --list writes these.

#include "core/sheet/tag_sheet.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace jobs {

// A table field with its tab, line breaks and backslashes escaped.
QString escapedListField(const QString& text);

// The header line and one row per tag of `sheet`.
QString sheetListTable(const sheet::TagSheet& sheet);

// The listing of `sheets`, each named by its fileName: one table, or several each after a line
// "# FILE"; with `json` one compact JSON document, or an array of them (each with its "file")
// for several. `several` says whether more than one sheet was asked for (some may be left out).
QByteArray listSheets(const std::vector<sheet::TagSheet>& sheets, bool json, bool several);

}  // namespace jobs
