#include "core/jobs/tag_page.h"

#include "core/draw/draw_tag_sheet.h"
#include "core/draw/recording_surface.h"
#include "core/pricing/tag_texts.h"

#include <set>

namespace jobs {

namespace {

// How the report names a text of the record that gives way beside the price.
QString fieldName(sheet::Field field)
{
    switch (field) {
    case sheet::Field::maker:
        return QStringLiteral("メーカー");
    case sheet::Field::spec:
        return QStringLiteral("規格");
    case sheet::Field::lot:
        return QStringLiteral("ロット");
    case sheet::Field::jan:
    case sheet::Field::productName:
    case sheet::Field::productName2:
    case sheet::Field::price:
        break;
    }
    return QStringLiteral("文字");
}

}  // namespace

TagPageResult drawTagPage(const sheet::TagSheet& sheet, draw::Surface& surface)
{
    pricing::SheetTextsResult texts = pricing::sheetTexts(sheet);
    TagPageResult result;
    result.leftOut = draw::drawTagSheet(sheet, surface, texts.texts, &result.leftOutFields);
    result.unitPriceNotes = std::move(texts.unitPriceNotes);
    return result;
}

TagPageResult checkTagPage(const sheet::TagSheet& sheet)
{
    draw::RecordingSurface scratch;
    return drawTagPage(sheet, scratch);
}

QStringList tagPageLines(const TagPageResult& result, int sheetNumber)
{
    const QString sheetPrefix = sheetNumber > 0 ? QStringLiteral("シート %1 の").arg(sheetNumber) : QString();
    std::set<int> tags;
    for (const draw::LeftOutText& left : result.leftOut) {
        tags.insert(left.slot);
    }
    for (const auto& [slot, note] : result.unitPriceNotes) {
        tags.insert(slot);
    }
    for (const draw::LeftOutField& left : result.leftOutFields) {
        tags.insert(left.slot);
    }
    QStringList lines;
    for (const int slot : tags) {
        const QString head = sheetPrefix + QStringLiteral("棚札 %1: ").arg(slot);
        for (const draw::LeftOutField& left : result.leftOutFields) {
            if (left.slot == slot) {
                lines << head + QStringLiteral("%1は価格と重なるため省きました").arg(fieldName(left.field));
            }
        }
        for (const draw::LeftOutText& left : result.leftOut) {
            if (left.slot == slot) {
                lines << head + QStringLiteral("%1は入りきらないため省きました").arg(draw::extraTextName(left.text));
            }
        }
        if (const auto note = result.unitPriceNotes.find(slot); note != result.unitPriceNotes.end()) {
            lines << head + QStringLiteral("単位価格なし（%1）").arg(note->second);
        }
    }
    return lines;
}

QStringList tagPagesLines(const std::vector<sheet::TagSheet>& sheets)
{
    QStringList lines;
    for (size_t i = 0; i < sheets.size(); ++i) {
        lines << tagPageLines(checkTagPage(sheets[i]), sheets.size() > 1 ? int(i + 1) : 0);
    }
    return lines;
}

}  // namespace jobs
