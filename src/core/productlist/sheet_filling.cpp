#include "core/productlist/sheet_filling.h"

#include <algorithm>

namespace productlist {

bool isEmptyRecord(const sheet::TagRecord& record)
{
    return record == sheet::TagRecord {};
}

int fittingOnSheet(const sheet::TagSheet& sheet, int startTag, int count)
{
    if (startTag < 1 || startTag > sheet.tagsPerPage() || count <= 0) {
        return 0;
    }
    return std::min(count, sheet.tagsPerPage() - startTag + 1);
}

std::vector<int> filledTagsInRange(const sheet::TagSheet& sheet, int startTag, int count)
{
    std::vector<int> out;
    const int fitting = fittingOnSheet(sheet, startTag, count);
    for (int tag = startTag; tag < startTag + fitting; ++tag) {
        if (!isEmptyRecord(sheet.record(tag))) {
            out.push_back(tag);
        }
    }
    return out;
}

int fillSheet(sheet::TagSheet& sheet, int startTag, const std::vector<sheet::TagRecord>& records)
{
    const int fitting = fittingOnSheet(sheet, startTag, int(std::min<size_t>(records.size(), 1 << 20)));
    for (int i = 0; i < fitting; ++i) {
        sheet::TagRecord record = records.at(size_t(i));
        if (!sheet.format().hasProductName2) {
            record.productName2.clear();
        }
        sheet.record(startTag + i) = record;
    }
    return fitting;
}

std::vector<sheet::TagSheet> overflowSheets(const sheet::TagSheet& model, int startTag,
                                            const std::vector<sheet::TagRecord>& records)
{
    std::vector<sheet::TagSheet> out;
    size_t next = size_t(fittingOnSheet(model, startTag, int(std::min<size_t>(records.size(), 1 << 20))));
    while (next < records.size()) {
        sheet::TagSheet page = model;
        page.clearAll();
        page.current = 1;
        page.fileName.clear();
        const std::vector<sheet::TagRecord> rest(
            records.begin() + qsizetype(next),
            records.begin() + qsizetype(std::min(records.size(), next + size_t(page.tagsPerPage()))));
        next += size_t(fillSheet(page, 1, rest));
        out.push_back(std::move(page));
    }
    return out;
}

std::vector<sheet::TagSheet> sheetsForList(const sheet::SheetFormat& format, int startTag,
                                           const std::vector<sheet::TagRecord>& records)
{
    std::vector<sheet::TagSheet> out;
    sheet::TagSheet first(format);
    first.clearAll();
    fillSheet(first, startTag, records);
    std::vector<sheet::TagSheet> rest = overflowSheets(first, startTag, records);
    out.push_back(std::move(first));
    for (sheet::TagSheet& page : rest) {
        out.push_back(std::move(page));
    }
    return out;
}

QStringList numberedSheetFileNames(const QString& baseName, int firstNumber, int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i) {
        // Put together, not through arg(): a "%1" in the list's name is part of the name.
        out.append(baseName + u'-' + QString::number(firstNumber + i) + QStringLiteral(".csv"));
    }
    return out;
}

}  // namespace productlist
