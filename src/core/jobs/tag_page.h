#pragma once

// Drawing a page of tags with what the tags show beyond their records: the sale marks the sheet
// carries and the extra texts the shop's choices ask for (unit price, tax-exclusive price,
// reduced-rate mark), worked out from the records when the page is drawn. Every program that
// draws a page (the editor's preview and print, tanafuda-render, tanafuda-import,
// tanafuda-catalogue print) draws it through here, so that they all show and report the same.

#include "core/draw/draw_tag_sheet.h"
#include "core/draw/surface.h"
#include "core/draw/tag_extras.h"
#include "core/sheet/tag_sheet.h"

#include <QString>
#include <QStringList>

#include <map>
#include <vector>

namespace jobs {

// What a page's tags could not show.
struct TagPageResult {
    std::vector<draw::LeftOutText> leftOut;  // texts without room on their tag, in tag order
    std::map<int, QString> unitPriceNotes;   // by tag: why its unit price could not be worked out
    // The record's own texts without room beside the price, even at their smallest, in tag order.
    std::vector<draw::LeftOutField> leftOutFields;

    bool isEmpty() const { return leftOut.empty() && unitPriceNotes.empty() && leftOutFields.empty(); }
};

// Draws the page of `sheet` (draw::drawTagSheet) with its sale marks and the extra texts of its
// choices.
TagPageResult drawTagPage(const sheet::TagSheet& sheet, draw::Surface& surface);

// What drawing the page would leave out, without drawing it.
TagPageResult checkTagPage(const sheet::TagSheet& sheet);

// One line a tag and text, in tag order: "棚札 4: ロットは価格と重なるため省きました",
// "棚札 5: 単位価格は入りきらないため省きました", "棚札 6: 単位価格なし（規格「大」: 量が書かれていません）";
// with `sheetNumber` from 1, each line begins "シート 2 の". Lines end without a line break.
QStringList tagPageLines(const TagPageResult& result, int sheetNumber = 0);

// The lines of every sheet of `sheets` (numbered when there are several).
QStringList tagPagesLines(const std::vector<sheet::TagSheet>& sheets);

}  // namespace jobs
