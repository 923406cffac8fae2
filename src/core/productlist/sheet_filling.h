#pragma once

// Putting the records of a product list onto tag sheets: the first sheet from a start tag, the
// rest onto further sheets of the same format from their first tag, in list order.

#include "core/sheet/tag_sheet.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace productlist {

// Whether a tag holds anything: a text or a price.
bool isEmptyRecord(const sheet::TagRecord& record);

// Tags of `sheet` from `startTag` that `count` records would fill, and that are not empty.
std::vector<int> filledTagsInRange(const sheet::TagSheet& sheet, int startTag, int count);

// How many of `count` records fit on `sheet` from `startTag`.
int fittingOnSheet(const sheet::TagSheet& sheet, int startTag, int count);

// Puts records from the front of `records` into the tags of `sheet` from `startTag` (1-based) on,
// replacing those tags' records only, as many as fit; returns how many it put.
int fillSheet(sheet::TagSheet& sheet, int startTag, const std::vector<sheet::TagRecord>& records);

// The records that do not fit on the first sheet, on further sheets of the format and settings of
// `model` (its records are not copied), each filled from its first tag.
std::vector<sheet::TagSheet> overflowSheets(const sheet::TagSheet& model, int startTag,
                                            const std::vector<sheet::TagRecord>& records);

// The sheets of a whole list, starting at `startTag` on the first: an empty sheet of `format`
// filled from `startTag`, followed by the overflow sheets. At least one sheet.
std::vector<sheet::TagSheet> sheetsForList(const sheet::SheetFormat& format, int startTag,
                                           const std::vector<sheet::TagRecord>& records);

// File names of further sheets beside a sheet named `baseName`: "NAME-2.csv", "NAME-3.csv", ...
// for `count` sheets, numbered from `firstNumber`.
QStringList numberedSheetFileNames(const QString& baseName, int firstNumber, int count);

}  // namespace productlist
