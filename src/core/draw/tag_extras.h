#pragma once

// Where the extra texts of a tag go: the sale tag's 特価 mark, its period and its former price
// (当店通常価格 with its amount struck through), the reduced-rate mark, the tax-exclusive price and the unit
// price. Each is smaller than the price and is put in the first of its places (a line of the
// cell, filled from one end) where it stays inside the cell and clear of the tag's own marks and
// of the texts put before it; a text that fits nowhere is left out, never drawn over another.
// The places were chosen from the tag's free room as measured on the IPA fonts (text_extent.h):
//
// large tag (60 x 30 mm)                     small tag (32 x 32 mm)
//   top:    above the code's digits, 7 pt      beside the code's digits: 特価, 6.5 pt
//   middle: between the digits and the name    beside the price, above 円: 特価, 8 pt
//   name:   right of a short name, 7 pt        name line 2 when it is empty, 7 pt
//   bottom: below the price, 6 pt              below the price, left of 円, 5.5 pt
//   mark:   right of 円, 10 pt                  mark: above 円, 8 pt
//
// The texts are placed in this order, each taking the first of its places with room:
//   特価 mark, period, former price, reduced-rate mark, tax-exclusive price, unit price.

#include "core/draw/surface.h"
#include "core/draw/text_extent.h"
#include "core/sheet/tag_sheet.h"

#include <QString>

#include <optional>
#include <vector>

namespace draw {

// The extra texts, in the order they are placed.
enum class ExtraText { saleMark, salePeriod, formerPrice, reducedRateMark, taxExclusive, unitPrice };

// How the report names a text: "特価の印", "特売期間", "当店通常価格", "軽減税率の印", "税抜価格",
// "単位価格".
QString extraTextName(ExtraText text);

// A text a tag would have shown but had no room for.
struct LeftOutText {
    int slot = 0;  // 1-based
    ExtraText text = ExtraText::unitPrice;
    friend bool operator==(const LeftOutText&, const LeftOutText&) = default;
};

// One extra text where it is drawn: its font, colour and the top-left corner of its line, with
// the filled box behind it (the 特価 mark) or the bar across it (the struck-through former price).
struct PlacedExtra {
    ExtraText text = ExtraText::unitPrice;
    QString content;
    FontSpec font;
    Colour colour = kBlack;
    double xMm = 0.0;
    double yMm = 0.0;
    std::optional<BoxMm> backing;  // filled in `backingColour` first
    Colour backingColour = kRed;
    std::optional<BoxMm> strike;  // filled in `colour` over the text's amount
    friend bool operator==(const PlacedExtra&, const PlacedExtra&) = default;
};

struct ExtrasLayout {
    std::vector<PlacedExtra> placed;
    std::vector<ExtraText> leftOut;
};

// What the layout needs of a drawn tag: its cell and format, the boxes its own marks take (texts,
// code, bands; in page mm) and the box of its 円.
struct DrawnTag {
    const sheet::SheetFormat* format = &sheet::SheetFormat::large;
    sheet::CellOrigin origin {0, 0};
    std::vector<BoxMm> taken;
    BoxMm yen;
};

// Lays out the sale mark of `sale` and the texts of `texts` on the tag. Empty texts (and no sale)
// take no place.
ExtrasLayout layOutExtras(const DrawnTag& tag, const sheet::TagTexts& texts,
                          const std::optional<sheet::SaleMark>& sale);

// Draws what layOutExtras placed.
void drawExtras(Surface& surface, const ExtrasLayout& layout);

// "当店通常価格 1,280円".
QString formerPriceText(qint32 yen);

}  // namespace draw
