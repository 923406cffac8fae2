#include "core/draw/text_extent.h"

#include <algorithm>
#include <iterator>

namespace draw {

namespace {

// Measured on IPAMincho and IPAGothic (see the header), in ems.
constexpr double kHalfAdvanceEm = 0.5;
constexpr double kFullAdvanceEm = 1.0;
constexpr double kUnderlineBottomEm = 1.05;

// Faces of fixed pitch: the Windows names the sheets ask for and the IPA faces they map to.
const char16_t* const kMinchoFaces[] = {u"ＭＳ 明朝", u"MS Mincho", u"IPAMincho", u"IPA明朝"};
const char16_t* const kGothicFaces[] = {u"ＭＳ ゴシック", u"MS Gothic", u"IPAGothic", u"IPAゴシック"};

bool isOneOf(const QString& face, const auto& faces)
{
    return std::any_of(std::begin(faces), std::end(faces),
                       [&face](const char16_t* known) { return face == QStringView(known); });
}

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

// The ink of one glyph in thousandths of an em: across from the start of its advance, down from
// the top of its line. Measured on the outlines of IPAMincho and IPAGothic (2048 units an em,
// without hinting) and rounded outwards.
struct GlyphInk {
    qint16 left;
    qint16 right;
    qint16 top;
    qint16 bottom;
};

// '!' .. '~': {IPAMincho}, {IPAGothic}.
constexpr GlyphInk kAsciiInk[][2] = {
    {{187, 313, 76, 917}, {191, 309, 85, 896}},    // !
    {{78, 421, 54, 327}, {53, 404, 41, 314}},      // "
    {{49, 450, 80, 920}, {44, 456, 76, 923}},      // #
    {{42, 441, 50, 921}, {41, 456, 49, 921}},      // $
    {{36, 465, 51, 948}, {19, 480, 51, 948}},      // %
    {{32, 479, 111, 844}, {44, 479, 108, 850}},    // &
    {{78, 222, 54, 327}, {53, 204, 41, 314}},      // '
    {{149, 412, 47, 952}, {155, 425, 51, 948}},    // (
    {{88, 351, 47, 952}, {75, 345, 51, 948}},      // )
    {{54, 447, 279, 720}, {38, 461, 250, 750}},    // *
    {{53, 448, 226, 774}, {48, 451, 196, 803}},    // +
    {{86, 230, 714, 987}, {58, 230, 709, 996}},    // ,
    {{53, 448, 477, 523}, {48, 451, 463, 536}},    // -
    {{88, 233, 736, 881}, {91, 226, 750, 884}},    // .
    {{51, 448, 52, 947}, {28, 470, 58, 943}},      // /
    {{58, 442, 111, 844}, {56, 445, 108, 850}},    // 0
    {{138, 375, 105, 826}, {118, 306, 128, 830}},  // 1
    {{60, 438, 111, 826}, {39, 454, 109, 830}},    // 2
    {{55, 435, 111, 844}, {41, 457, 108, 850}},    // 3
    {{36, 467, 129, 826}, {24, 476, 128, 830}},    // 4
    {{62, 437, 129, 844}, {51, 455, 128, 850}},    // 5
    {{64, 441, 111, 844}, {49, 454, 108, 849}},    // 6
    {{74, 444, 129, 844}, {49, 450, 128, 830}},    // 7
    {{56, 446, 111, 844}, {35, 466, 108, 850}},    // 8
    {{57, 434, 111, 844}, {54, 452, 108, 850}},    // 9
    {{187, 313, 355, 826}, {190, 310, 354, 830}},  // :
    {{181, 313, 355, 960}, {143, 310, 354, 983}},  // ;
    {{76, 413, 186, 813}, {28, 447, 92, 907}},     // <
    {{53, 448, 392, 608}, {48, 451, 370, 630}},    // =
    {{87, 424, 186, 813}, {53, 472, 92, 907}},     // >
    {{49, 452, 77, 917}, {47, 453, 79, 896}},      // ?
    {{32, 475, 102, 879}, {20, 476, 108, 887}},    // @
    {{16, 483, 111, 826}, {20, 480, 128, 830}},    // A
    {{29, 450, 129, 826}, {67, 454, 128, 830}},    // B
    {{62, 440, 111, 844}, {45, 452, 108, 849}},    // C
    {{32, 453, 129, 826}, {26, 455, 128, 830}},    // D
    {{34, 446, 129, 826}, {69, 441, 128, 830}},    // E
    {{39, 453, 129, 826}, {69, 422, 128, 830}},    // F
    {{57, 470, 111, 844}, {45, 454, 108, 850}},    // G
    {{22, 477, 129, 826}, {61, 439, 128, 830}},    // H
    {{144, 356, 129, 826}, {106, 394, 128, 830}},  // I
    {{64, 454, 129, 844}, {43, 403, 128, 849}},    // J
    {{27, 478, 129, 826}, {62, 467, 128, 830}},    // K
    {{46, 442, 129, 826}, {69, 449, 128, 830}},    // L
    {{15, 486, 129, 826}, {47, 452, 128, 830}},    // M
    {{27, 472, 129, 844}, {58, 440, 128, 830}},    // N
    {{50, 449, 111, 844}, {45, 455, 108, 850}},    // O
    {{34, 459, 129, 826}, {69, 457, 128, 830}},    // P
    {{50, 480, 111, 909}, {45, 455, 108, 906}},    // Q
    {{29, 481, 129, 826}, {69, 468, 128, 830}},    // R
    {{71, 432, 111, 844}, {45, 454, 108, 850}},    // S
    {{49, 450, 129, 826}, {39, 461, 128, 830}},    // T
    {{17, 484, 129, 844}, {58, 442, 128, 850}},    // U
    {{18, 482, 129, 844}, {34, 467, 128, 830}},    // V
    {{13, 487, 129, 844}, {23, 477, 128, 830}},    // W
    {{18, 483, 129, 826}, {35, 466, 128, 830}},    // X
    {{16, 486, 129, 826}, {30, 471, 128, 830}},    // Y
    {{59, 432, 129, 826}, {62, 440, 128, 830}},    // Z
    {{169, 417, 53, 946}, {111, 418, 51, 948}},    // [
    {{13, 486, 129, 826}, {24, 475, 128, 830}},    // backslash
    {{83, 331, 53, 946}, {82, 389, 51, 948}},      // ]
    {{76, 425, 117, 242}, {66, 434, 118, 239}},    // ^
    {{0, 500, 975, 1000}, {0, 500, 975, 1000}},    // _
    {{69, 375, 117, 242}, {115, 364, 120, 240}},   // `
    {{64, 474, 337, 844}, {59, 463, 334, 848}},    // a
    {{41, 440, 106, 844}, {74, 450, 128, 850}},    // b
    {{79, 436, 337, 844}, {60, 440, 334, 850}},    // c
    {{64, 459, 106, 850}, {50, 426, 128, 850}},    // d
    {{70, 426, 337, 844}, {60, 442, 334, 849}},    // e
    {{76, 446, 111, 826}, {80, 413, 128, 830}},    // f
    {{41, 483, 337, 977}, {49, 428, 334, 973}},    // g
    {{37, 471, 106, 826}, {73, 433, 128, 830}},    // h
    {{160, 351, 111, 826}, {206, 294, 128, 830}},  // i
    {{79, 351, 111, 976}, {96, 319, 128, 974}},    // j
    {{37, 482, 107, 826}, {79, 461, 128, 830}},    // k
    {{155, 347, 106, 826}, {210, 404, 128, 838}},  // l
    {{15, 488, 333, 826}, {45, 455, 334, 830}},    // m
    {{37, 471, 333, 826}, {73, 433, 334, 830}},    // n
    {{62, 438, 337, 844}, {60, 440, 334, 850}},    // o
    {{50, 442, 333, 977}, {74, 451, 334, 973}},    // p
    {{67, 460, 337, 977}, {49, 426, 334, 973}},    // q
    {{95, 439, 333, 826}, {145, 408, 334, 830}},   // r
    {{89, 421, 337, 844}, {60, 437, 334, 849}},    // s
    {{86, 417, 207, 844}, {100, 396, 225, 838}},   // t
    {{34, 469, 335, 850}, {73, 433, 354, 850}},    // u
    {{25, 473, 355, 844}, {50, 449, 354, 830}},    // v
    {{11, 489, 355, 844}, {29, 470, 354, 830}},    // w
    {{25, 471, 355, 826}, {42, 458, 354, 830}},    // x
    {{25, 485, 355, 977}, {59, 457, 354, 974}},    // y
    {{70, 427, 355, 826}, {74, 432, 354, 830}},    // z
    {{148, 405, 38, 962}, {168, 418, 51, 948}},    // {
    {{227, 273, 0, 1000}, {211, 289, 0, 1000}},    // |
    {{95, 352, 38, 962}, {82, 332, 51, 948}},      // }
    {{73, 428, 125, 234}, {83, 417, 124, 223}},    // ~
};

static_assert(std::size(kAsciiInk) == u'~' - u'!' + 1);

// 円, beside every price: its ink lies well inside its em.
constexpr GlyphInk kYenInk[2] = {{130, 896, 107, 938}, {124, 875, 128, 937}};

// The kana, the kanji, the half-width katakana, the full-width forms, the signs of U+3001 ..
// U+3029 and the signs sizes are written with (×, ÷, №, ※, ①, ㎖) ink from 0.006 (Mincho) or
// 0.018 (Gothic) to 0.987 em down, and from 0.015 to 0.994 of their advance across: they are taken
// over their whole advance, this far down. Any other character is taken over its whole advance
// and the whole height of its line.
constexpr double kJapaneseBottomEm = 0.99;
constexpr double kLineEm = 1.10;

bool isJapanese(char16_t u)
{
    const bool fullWidthForm = u >= 0xFF01 && u <= 0xFF5E && u != 0xFF3F && u != 0xFF5C;  // not ＿ nor ｜
    const bool sizeSign = u == u'×' || u == u'÷' || u == u'№' || u == u'※' || (u >= 0x2460 && u <= 0x2473)
        || (u >= 0x3380 && u <= 0x33FF);
    return (u >= 0x3001 && u <= 0x3029) || (u >= 0x3041 && u <= 0x30FF) || (u >= 0x3400 && u <= 0x9FFF)
        || (u >= 0xF900 && u <= 0xFAFF) || fullWidthForm || (u >= 0xFF61 && u <= 0xFF9F) || sizeSign;
}

// Where the ink of `c` lies in ems: across from the start of its advance of `advanceEm`, down from
// the top of its line. `face` 0 is IPAMincho, 1 IPAGothic.
BoxMm glyphInkEm(QChar c, int face, double advanceEm)
{
    const char16_t u = c.unicode();
    const auto scaled = [](const GlyphInk& ink) {
        return BoxMm {ink.left / 1000.0, ink.top / 1000.0, ink.right / 1000.0, ink.bottom / 1000.0};
    };
    if (u >= u'!' && u <= u'~') {
        return scaled(kAsciiInk[u - u'!'][face]);
    }
    if (u == u'円') {
        return scaled(kYenInk[face]);
    }
    return {0.0, 0.0, advanceEm, isJapanese(u) ? kJapaneseBottomEm : kLineEm};
}

// The share of its own width a text is drawn at.
double stretchOf(const FontSpec& font)
{
    return font.stretchPercent / 100.0;
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
    return isOneOf(face, kMinchoFaces) || isOneOf(face, kGothicFaces);
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
    return ems * emMm(font.sizePt) * stretchOf(font);
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
        const double step = (isHalfWidth(c) ? kHalfAdvanceEm : kFullAdvanceEm) * em * stretchOf(font);
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

std::vector<BoxMm> glyphInkBoxes(const FontSpec& font, double xMm, double yMm, const QString& text)
{
    std::vector<BoxMm> boxes;
    const double em = emMm(font.sizePt);
    const bool mincho = isOneOf(font.face, kMinchoFaces);
    if (!mincho && !isOneOf(font.face, kGothicFaces)) {
        if (!text.trimmed().isEmpty() || (font.underline && !text.isEmpty())) {
            boxes.push_back({xMm, yMm, xMm + textAdvanceMm(font, text), yMm + kLineEm * em});
        }
        return boxes;
    }
    const double across = em * stretchOf(font);
    double x = xMm;
    for (const QChar c : text) {
        if (c.isLowSurrogate()) {
            continue;
        }
        const double advanceEm = isHalfWidth(c) ? kHalfAdvanceEm : kFullAdvanceEm;
        if (!isBlank(c)) {
            const BoxMm ink = glyphInkEm(c, mincho ? 0 : 1, advanceEm);
            const BoxMm box {x + ink.left * across, yMm + ink.top * em, x + ink.right * across, yMm + ink.bottom * em};
            // Characters taken over their whole advance make one box with their neighbours alike.
            if (!boxes.empty() && boxes.back().right == box.left && boxes.back().top == box.top
                && boxes.back().bottom == box.bottom) {
                boxes.back().right = box.right;
            } else {
                boxes.push_back(box);
            }
        }
        x += advanceEm * across;
    }
    if (font.underline && !text.isEmpty()) {
        boxes.push_back({xMm, yMm + (kUnderlineBottomEm - 0.10) * em, x, yMm + kUnderlineBottomEm * em});
    }
    return boxes;
}

}  // namespace draw
