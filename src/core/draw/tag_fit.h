#pragma once

// Keeping the texts beside a tag's price clear of it. The page drawing puts each text of a tag at a
// fixed point, and a price of more digits grows into the texts beside it: 「1パック」 into 358 on
// the small tag, 「１．２ｋｇ」 into 1,480 on the large one. Where the ink of such a text (the
// maker, the size, the lot) would reach the ink of the price, of 円 or of another text of the tag,
// the text is drawn narrower, down to 60 % of its width, and then smaller as well, down to 5 pt,
// just as far as it needs to keep 0.3 mm across and 0.1 mm up and down from them. On the small
// tag the price first moves across its cell, towards its 円 as far as that leaves room (or away
// from it, where the two would touch), so that the texts give way less; on the large tag a price
// that would touch its 円 is drawn narrower instead. A text that cannot be kept clear even at its
// smallest is left out, and the page says so. Where nothing touches, nothing changes: the texts
// keep their fonts and places exactly. Only texts in the faces whose outlines were measured
// ("ＭＳ 明朝", "ＭＳ ゴシック") can be said to touch: a price in any other face (the large
// editor lets the shop choose one) leaves its tag as it always was.
//
// Where the ink lies is glyphInkBoxes (text_extent.h), from the outlines of the IPA fonts.

#include "core/draw/surface.h"
#include "core/draw/text_extent.h"

#include <QString>

#include <optional>
#include <vector>

namespace draw {

// A text of a tag as the page drawing lays it: its font, the top-left corner of its line and the text.
struct LaidText {
    FontSpec font;
    double xMm = 0.0;
    double yMm = 0.0;
    QString text;
    friend bool operator==(const LaidText&, const LaidText&) = default;
};

// The ink of a laid text (glyphInkBoxes).
std::vector<BoxMm> inkOf(const LaidText& text);

// How a tag's price may give way to its 円.
enum class PriceRoom {
    stays,    // as laid (a price beyond what the price box takes, from a damaged file)
    narrows,  // drawn narrower where it would touch its 円 (the large tag)
    moves,    // moved across its cell (the small tag)
};

// The texts of one tag as laid, before they are kept clear of each other.
struct TagTextsLaid {
    BoxMm cell;  // the tag's cell on the page
    LaidText price;
    PriceRoom priceRoom = PriceRoom::stays;
    LaidText yen;
    std::vector<LaidText> fixed;     // texts that keep their place and size: the code's digits, the names
    std::vector<LaidText> yielding;  // texts that give way, in drawing order: the maker, the size, the lot
};

// The same texts kept clear: the price where and as wide as it is drawn, and each yielding text as
// it is drawn, or none where it had no room even at its smallest.
struct TagTextsFitted {
    LaidText price;
    std::vector<std::optional<LaidText>> yielding;
};

TagTextsFitted keepTextsClear(const TagTextsLaid& laid);

// How much room a fitted text keeps from the ink of the others, across and up and down, in mm.
inline constexpr double kFitClearXMm = 0.3;
inline constexpr double kFitClearYMm = 0.1;

}  // namespace draw
