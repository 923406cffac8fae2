#pragma once

// Where the ink of a printed text lies, worked out without a font engine (the core draws on an
// abstract surface), so that the page drawing can keep the extra texts of a tag clear of its own
// marks. The figures were measured on the IPA fonts the tag faces map to (IPAMincho for
// "ＭＳ 明朝", IPAGothic for "ＭＳ ゴシック", IPAPGothic for "ＭＳ Ｐゴシック"), with Qt's font
// metrics at 600 dpi, in ems from the top of the text's line (the current point of Surface::print):
// - the fixed-pitch faces advance half an em for ASCII and half-width katakana, one em for the
//   rest; a line is 1.10 em high, its baseline 0.88 em down;
// - digits, letters and colons ink from 0.10 to 0.89 em (g, j, p, q, y down to 0.98 em), commas
//   and full stops from 0.71 to 0.99 em, other ASCII signs (brackets, slashes) from 0.04 to
//   1.00 em, kanji, kana and full-width signs from 0.04 to 0.97 em;
// - an underline lies 0.12 em below the baseline, 0.05 em thick: down to 1.05 em, along the
//   blanks too.
// Any other face (proportional ones such as "ＭＳ Ｐゴシック" advance 0.63 em for a digit, up to
// 0.95 em for a capital) is taken as the widest it could be: one box from the current point over
// one em a character (0.63 em a digit, comma, point or blank), 0.04 to 1.05 em down.
// A text drawn narrower (FontSpec::stretchPercent) takes that share of each width.
//
// The boxes above take each character over its whole advance. glyphInkBoxes is tighter, for
// keeping a tag's texts clear of its price (tag_fit.h): there the ASCII characters and 円 of the
// fixed-pitch faces ink as their outlines say, from a table of each glyph's own extent.

#include "core/draw/surface.h"

#include <QString>

#include <vector>

namespace draw {

// A rectangle on the page in millimetres.
struct BoxMm {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;

    double width() const { return right - left; }
    friend bool operator==(const BoxMm&, const BoxMm&) = default;
};

// Whether `a` and `b` come closer than `gapXMm` across or `gapYMm` up and down (overlapping
// counts as closer).
bool tooClose(const BoxMm& a, const BoxMm& b, double gapXMm, double gapYMm);

// Whether `face` is one of the fixed-pitch faces whose advances are known exactly.
bool isFixedPitchFace(const QString& face);

// Millimetres in one em of a font of `sizePt` points.
inline double emMm(double sizePt)
{
    return sizePt * 25.4 / 72.0;
}

// How far `text` in `font` advances, in mm.
double textAdvanceMm(const FontSpec& font, const QString& text);

// The boxes that hold the ink of `text` printed in `font` with its line's top-left corner at
// (`xMm`, `yMm`); none for a text of blanks alone (unless underlined).
std::vector<BoxMm> textInkBoxes(const FontSpec& font, double xMm, double yMm, const QString& text);

// The same ink as the glyphs lay it: for "ＭＳ 明朝" and "ＭＳ ゴシック" (IPAMincho and
// IPAGothic) each ASCII character and 円 from the left to the right and the top to the bottom of
// its own outline; a kana, kanji, full-width form or sign of sizes (×, ※, ①, ㎖) over its whole
// advance, 0 to 0.99 em down; any other character over its whole advance and line (0 to 1.10 em).
// Any other face: one box from the current point over the widest advance the text could have, 0 to
// 1.10 em down. Every glyph of the IPA fonts inks inside its box (tests/output/fonts_test.cpp
// holds the fonts to it).
std::vector<BoxMm> glyphInkBoxes(const FontSpec& font, double xMm, double yMm, const QString& text);

}  // namespace draw
