#include "core/sheet/tag_sheet.h"

#include <cassert>

namespace sheet {

const SheetFormat SheetFormat::large {SheetFormat::Kind::large, "大きい棚札", 24, 3, 8, 60, 30, 10, 15, 36, false};
const SheetFormat SheetFormat::small {SheetFormat::Kind::small, "小棚札", 40, 5, 8, 32, 32, 28, 15, 28, true};

QString SheetFormat::positionSuffix() const
{
    return QStringLiteral("/%1").arg(tagsPerPage);
}

QString SheetFormat::initialPositionText() const
{
    return QStringLiteral("1") + positionSuffix();
}

QString SheetFormat::key() const
{
    return isLarge() ? QStringLiteral("large") : QStringLiteral("small");
}

const SheetFormat* SheetFormat::ofKey(const QString& key)
{
    for (const SheetFormat* format : {&large, &small}) {
        if (key == format->key()) {
            return format;
        }
    }
    return nullptr;
}

TagSheet::TagSheet(const SheetFormat& format)
    : records(format.tagsPerPage), scratch(format.tagsPerPage), fileName(kUntitled), nameFont(kMincho),
      priceFont(kMincho), priceFontSize(format.defaultPriceFontSizePt), marginLeft(format.defaultMarginLeftMm),
      marginTop(format.defaultMarginTopMm), format_(&format)
{ }

TagRecord& TagSheet::record(int slot)
{
    assert(slot >= 1 && slot <= tagsPerPage());
    return records[static_cast<size_t>(slot - 1)];
}

const TagRecord& TagSheet::record(int slot) const
{
    assert(slot >= 1 && slot <= tagsPerPage());
    return records[static_cast<size_t>(slot - 1)];
}

CellOrigin TagSheet::cellOrigin(int tag) const
{
    const int k = tag - 1;
    const int column = k % format_->columns;
    const int row = k / format_->columns;
    return {marginLeft + column * format_->cellWidthMm, marginTop + row * format_->cellHeightMm};
}

void TagSheet::clearAll()
{
    for (auto* list : {&records, &scratch}) {
        for (TagRecord& r : *list) {
            r = TagRecord {};
        }
    }
}

void TagSheet::restoreStartMargins()
{
    if (format().isLarge()) {
        marginLeft = format().defaultMarginLeftMm;
        marginTop = format().defaultMarginTopMm;
    }
}

QString TagSheet::positionText() const
{
    return QStringLiteral(" %1").arg(current) + format_->positionSuffix();
}

}  // namespace sheet
