#include "core/draw/text_extent.h"

#include <algorithm>

namespace draw {

namespace {

// Measured on IPAMincho and IPAGothic (see the header), in ems.
constexpr double kHalfAdvanceEm = 0.5;
constexpr double kFullAdvanceEm = 1.0;
constexpr double kUnderlineBottomEm = 1.05;

// Faces of fixed pitch: the Windows names the sheets ask for and the IPA faces they map to.
const char16_t* const kFixedPitchFaces[] = {
    u"ＭＳ 明朝", u"MS Mincho", u"ＭＳ ゴシック", u"MS Gothic", u"IPAMincho", u"IPA明朝", u"IPAGothic", u"IPAゴシック",
};

// Any other face: the widest advance of a character, in ems (IPAPGothic's digits advance 0.63 em,
// IPAPMincho's 0.62 em; a blank, comma or point less).
constexpr double kProportionalNarrowEm = 0.63;
constexpr double kProportionalTopEm = 0.04;
constexpr double kProportionalBottomEm = 1.05;

bool isHalfWidth(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x20 && u <= 0x7E) || (u >= 0xFF61 && u <= 0xFF9F);
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\u3000';
}

// The ink of one character of a fixed-pitch face, from the line's top, in ems.
struct InkBand {
    double top;
    double bottom;
};

InkBand inkBand(QChar c)
{
    const char16_t u = c.unicode();
    if (u == u'g' || u == u'j' || u == u'p' || u == u'q' || u == u'y') {
        return {0.10, 0.98};
    }
    if ((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || u == u':') {
        return {0.10, 0.89};
    }
    if (u == u',' || u == u'.') {
        return {0.71, 0.99};
    }
    if (isHalfWidth(c)) {
        return {0.04, 1.00};
    }
    return {0.04, 0.97};
}

double proportionalAdvanceEm(QChar c)
{
    const char16_t u = c.unicode();
    const bool narrow = (u >= u'0' && u <= u'9') || u == u',' || u == u'.' || u == u' ';
    return narrow ? kProportionalNarrowEm : kFullAdvanceEm;
}

}  // namespace

bool tooClose(const BoxMm& a, const BoxMm& b, double gapXMm, double gapYMm)
{
    // Exactly the gap apart is far enough, whatever the last bits of the sums say.
    constexpr double kSlackMm = 1e-6;
    return a.left < b.right + gapXMm - kSlackMm && b.left < a.right + gapXMm - kSlackMm
        && a.top < b.bottom + gapYMm - kSlackMm && b.top < a.bottom + gapYMm - kSlackMm;
}

bool isFixedPitchFace(const QString& face)
{
    return std::any_of(std::begin(kFixedPitchFaces), std::end(kFixedPitchFaces),
                       [&face](const char16_t* known) { return face == QStringView(known); });
}

double textAdvanceMm(const FontSpec& font, const QString& text)
{
    const bool fixed = isFixedPitchFace(font.face);
    double ems = 0.0;
    for (const QChar c : text) {
        if (c.isLowSurrogate()) {
            continue;  // one character with its high surrogate
        }
        ems += fixed ? (isHalfWidth(c) ? kHalfAdvanceEm : kFullAdvanceEm) : proportionalAdvanceEm(c);
    }
    return ems * emMm(font.sizePt);
}

std::vector<BoxMm> textInkBoxes(const FontSpec& font, double xMm, double yMm, const QString& text)
{
    std::vector<BoxMm> boxes;
    const double em = emMm(font.sizePt);
    const double advance = textAdvanceMm(font, text);
    if (!isFixedPitchFace(font.face)) {
        if (!text.trimmed().isEmpty() || (font.underline && !text.isEmpty())) {
            boxes.push_back({xMm, yMm + kProportionalTopEm * em, xMm + advance, yMm + kProportionalBottomEm * em});
        }
        return boxes;
    }
    double x = xMm;
    for (const QChar c : text) {
        if (c.isLowSurrogate()) {
            continue;
        }
        const double step = (isHalfWidth(c) ? kHalfAdvanceEm : kFullAdvanceEm) * em;
        if (!isBlank(c)) {
            const InkBand band = inkBand(c);
            const BoxMm box {x, yMm + band.top * em, x + step, yMm + band.bottom * em};
            // A run of characters of one band is one box.
            if (!boxes.empty() && boxes.back().right == x && boxes.back().top == box.top
                && boxes.back().bottom == box.bottom) {
                boxes.back().right = box.right;
            } else {
                boxes.push_back(box);
            }
        }
        x += step;
    }
    if (font.underline && !text.isEmpty()) {
        boxes.push_back({xMm, yMm + (kUnderlineBottomEm - 0.10) * em, xMm + advance, yMm + kUnderlineBottomEm * em});
    }
    return boxes;
}

}  // namespace draw
