#pragma once

// The options that say how a product list is read, which columns fill which fields and how its
// prices get their tax, shared by tanafuda-import and tanafuda-catalogue import; and the options
// of the sheets a program lays out and prints (--format, --start, --pdf, --print, --printer). Each
// is declared once as rows of the option table and checked once.

#include "apps/common/option_table.h"
#include "core/jobs/import_job.h"
#include "core/sheet/tag_sheet.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace command_line {

// The list options. `otherMapKeys` are the keys --map takes beyond the tag's fields (the
// catalogue's code, shelf and count); `mapNote` ends --map's description.
std::vector<OptionRow> listOptionRows(const QStringList& otherMapKeys, const QString& mapNote);

// Puts the list options given into `request` (the list's path aside); the usage problem when one
// is wrong.
std::optional<QString> readListOptions(const QCommandLineParser& parser, const QStringList& otherMapKeys,
                                       jobs::ImportRequest& request);

// --format, --start.
std::vector<OptionRow> sheetLayoutRows();

// The format and start tag given (large and 1 when not given); the usage problem when wrong.
std::optional<QString> readSheetLayout(const QCommandLineParser& parser, const sheet::SheetFormat*& format,
                                       int& startTag);
// --printer only with --print, and a PDF file name that ends in .pdf; the usage problem when not.
std::optional<QString> checkSheetOutputs(const QCommandLineParser& parser);

}  // namespace command_line
