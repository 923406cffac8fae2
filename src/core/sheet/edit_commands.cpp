#include "core/sheet/edit_commands.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sheet {

void clearCurrent(TagSheet& sheet)
{
    sheet.currentRecord() = TagRecord {};
}

CopyStatus copyPreviousStatus(const TagSheet& sheet)
{
    if (sheet.current <= 1) {
        return CopyStatus::atFirstTag;
    }
    return sheet.record(sheet.current - 1).productName.isEmpty() ? CopyStatus::previousEmpty : CopyStatus::copied;
}

CopyStatus copyPrevious(TagSheet& sheet)
{
    const CopyStatus outcome = copyPreviousStatus(sheet);
    if (outcome != CopyStatus::copied) {
        return outcome;
    }
    sheet.currentRecord() = sheet.record(sheet.current - 1);
    if (sheet.current < sheet.tagsPerPage()) {
        ++sheet.current;
    }
    return CopyStatus::copied;
}

bool insertAtCurrent(TagSheet& sheet)
{
    if (!sheet.records.back().productName.isEmpty()) {
        return false;
    }
    const auto at = sheet.records.begin() + (sheet.current - 1);
    std::move_backward(at, sheet.records.end() - 1, sheet.records.end());
    *at = TagRecord {};
    return true;
}

void deleteCurrent(TagSheet& sheet)
{
    const auto at = sheet.records.begin() + (sheet.current - 1);
    std::move(at + 1, sheet.records.end(), at);
    sheet.records.back() = TagRecord {};
}

QString* candidateMember(TagRecord& record, const SheetFormat& format, std::optional<Field> field)
{
    switch (field.value_or(Field::jan)) {
    case Field::maker:
        return &record.maker;
    case Field::productName:
        return &record.productName;
    case Field::productName2:
        return format.hasProductName2 ? &record.productName2 : nullptr;
    case Field::spec:
        return &record.spec;
    case Field::lot:
        return &record.lot;
    case Field::jan:
    case Field::price:
        break;
    }
    return nullptr;
}

std::optional<QString> takePreviousCandidate(TagSheet& sheet)
{
    TagRecord probe;
    if (candidateMember(probe, sheet.format(), sheet.focusedField) == nullptr) {
        return std::nullopt;
    }
    // candidateIndex is at least 1 once a box that offers candidates had the focus; anything lower or
    // beyond the sheet offers nothing rather than reading outside it.
    if (sheet.candidateIndex <= 1 || sheet.candidateIndex > sheet.tagsPerPage()) {
        return std::nullopt;
    }
    --sheet.candidateIndex;
    const QString value = *candidateMember(sheet.record(sheet.candidateIndex), sheet.format(), sheet.focusedField);
    *candidateMember(sheet.currentRecord(), sheet.format(), sheet.focusedField) = value;
    return value;
}

QString nameFontFromFace(const QString& face)
{
    return face.startsWith(u'@') ? face.mid(1) : face;
}

qint16 wholePointSize(double pointSize)
{
    if (std::isnan(pointSize)) {
        return 0;  // no size at all; converting NaN to an integer would be undefined
    }
    const double r = std::nearbyint(pointSize);  // the default rounding mode rounds halves to even
    const double lo = std::numeric_limits<qint16>::min();
    const double hi = std::numeric_limits<qint16>::max();
    return static_cast<qint16>(std::clamp(r, lo, hi));
}

bool applyNameFont(TagSheet& sheet, const QString& face)
{
    const QString name = nameFontFromFace(face);
    if (name.isEmpty()) {
        return false;
    }
    sheet.nameFont = name;
    sheet.nameBold = false;
    sheet.nameItalic = false;
    return true;
}

bool applyPriceFont(TagSheet& sheet, const QString& face, double pointSize)
{
    // Anything above half a point rounds to one point at least; NaN fails the comparison too.
    if (face.isEmpty() || !(pointSize > 0.5)) {
        return false;
    }
    sheet.priceFont = face;
    sheet.priceFontSize = wholePointSize(pointSize);
    sheet.priceBold = false;
    sheet.priceItalic = false;
    return true;
}

}  // namespace sheet
