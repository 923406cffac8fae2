#include "core/draw/tag_extras.h"

#include <array>

namespace draw {

namespace {

using sheet::SheetFormat;

// Room kept between an extra text and any other mark, across and up and down, in mm.
constexpr double kGapXMm = 0.5;
constexpr double kGapYMm = 0.15;
// Room kept inside the cell's frame, in mm.
constexpr double kInsetMm = 0.15;
// The 特価 mark: white on red, its box this far beyond the text on the left and right, in mm.
constexpr double kMarkPaddingMm = 0.3;
// The bar across the former price: a share of an em, at least this thick, in mm.
constexpr double kStrikeEm = 0.06;
constexpr double kMinStrikeMm = 0.12;

// What the former price's amount follows.
const QString kFormerPriceLabel = QStringLiteral("当店通常価格 ");

// A line of a cell that extra texts fill from one end, in mm from the cell's top-left corner.
struct Place {
    double leftMm;
    double rightMm;
    double topMm;
    double sizePt;
    bool fromRight;  // filled from its right end leftwards
};

// The places of each format (see the header) and which places each text may take, best first.
enum PlaceIndex { kTop, kMiddle, kByName, kBottom, kBesidePrice, kBesideCode, kLine2, kMark, kPlaceCount };

constexpr Place kLargePlaces[] = {
    /* kTop */ {2, 26.5, 0.5, 7, false},
    /* kMiddle */ {2, 26.5, 7.6, 7, false},
    /* kByName */ {2, 59.5, 12.5, 7, true},
    /* kBottom */ {0.5, 59.5, 27.5, 6, true},
};

constexpr Place kSmallPlaces[] = {
    /* kBesidePrice */ {0.5, 31.8, 21.0, 8, true},
    /* kBesideCode */ {0.5, 31.5, 0.7, 6.5, true},
    /* kLine2 */ {1.0, 31.5, 17.3, 7, false},
    /* kBottom */ {0.5, 26.5, 29.9, 5.5, true},
};

// The reduced-rate mark: right of 円 on a large tag (10 pt, from 0.6 mm past it), above 円 on a
// small one (8 pt).
constexpr double kLargeMarkAfterYenMm = 0.6;
constexpr double kLargeMarkTopMm = 23.4;
constexpr double kLargeMarkPt = 10;
constexpr double kSmallMarkLeftMm = 27.6;
constexpr double kSmallMarkTopMm = 24.1;
constexpr double kSmallMarkPt = 8;

struct Candidates {
    ExtraText text;
    std::array<int, 4> places;  // -1 ends the list
};

constexpr Candidates kLargeCandidates[] = {
    {ExtraText::saleMark, {kMiddle, kByName, kTop, -1}},
    {ExtraText::salePeriod, {kMiddle, kByName, kTop, -1}},
    {ExtraText::formerPrice, {kBottom, kByName, kTop, kMiddle}},
    {ExtraText::reducedRateMark, {kMark, -1, -1, -1}},
    {ExtraText::taxExclusive, {kBottom, kByName, kMiddle, kTop}},
    {ExtraText::unitPrice, {kBottom, kMiddle, kByName, kTop}},
};

constexpr Candidates kSmallCandidates[] = {
    {ExtraText::saleMark, {kBesidePrice, kBesideCode, -1, -1}}, {ExtraText::salePeriod, {kLine2, kBottom, -1, -1}},
    {ExtraText::formerPrice, {kBottom, kLine2, -1, -1}},        {ExtraText::reducedRateMark, {kMark, -1, -1, -1}},
    {ExtraText::taxExclusive, {kBottom, kLine2, -1, -1}},       {ExtraText::unitPrice, {kLine2, kBottom, -1, -1}},
};

// A place of this tag in page mm, with how far it is filled.
struct OpenPlace {
    bool exists = false;
    Place place {};
    double nextMm = 0.0;  // where the next text starts (fromRight: ends)
};

std::array<OpenPlace, kPlaceCount> openPlaces(const DrawnTag& tag)
{
    std::array<OpenPlace, kPlaceCount> places {};
    const double x0 = tag.origin.xMm;
    const double y0 = tag.origin.yMm;
    const auto open = [&](int index, const Place& p) {
        const Place page {x0 + p.leftMm, x0 + p.rightMm, y0 + p.topMm, p.sizePt, p.fromRight};
        places[size_t(index)] = {true, page, p.fromRight ? page.rightMm : page.leftMm};
    };
    if (tag.format->isLarge()) {
        open(kTop, kLargePlaces[0]);
        open(kMiddle, kLargePlaces[1]);
        open(kByName, kLargePlaces[2]);
        open(kBottom, kLargePlaces[3]);
        open(kMark,
             {tag.yen.right - x0 + kLargeMarkAfterYenMm, double(tag.format->cellWidthMm) - kInsetMm, kLargeMarkTopMm,
              kLargeMarkPt, false});
    } else {
        open(kBesidePrice, kSmallPlaces[0]);
        open(kBesideCode, kSmallPlaces[1]);
        open(kLine2, kSmallPlaces[2]);
        open(kBottom, kSmallPlaces[3]);
        open(kMark,
             {kSmallMarkLeftMm, double(tag.format->cellWidthMm) - kInsetMm, kSmallMarkTopMm, kSmallMarkPt, false});
    }
    return places;
}

FontSpec textFont(ExtraText text, double sizePt)
{
    if (text == ExtraText::saleMark) {
        return {sheet::kPGothic, sizePt, true, false, false};
    }
    return {sheet::kMincho, sizePt, false, false, false};
}

Colour textColour(ExtraText text)
{
    switch (text) {
    case ExtraText::saleMark:
        return kWhite;
    case ExtraText::salePeriod:
    case ExtraText::reducedRateMark:
        return kRed;
    case ExtraText::formerPrice:
    case ExtraText::taxExclusive:
    case ExtraText::unitPrice:
        break;
    }
    return kBlack;
}

QString contentOf(ExtraText text, const sheet::TagTexts& texts, const std::optional<sheet::SaleMark>& sale)
{
    switch (text) {
    case ExtraText::saleMark:
        return sale ? QStringLiteral("特価") : QString();
    case ExtraText::salePeriod:
        return sale ? sale->period : QString();
    case ExtraText::formerPrice:
        return sale && sale->formerPrice > 0 ? formerPriceText(sale->formerPrice) : QString();
    case ExtraText::reducedRateMark:
        return texts.reducedRateMark;
    case ExtraText::taxExclusive:
        return texts.taxExclusive;
    case ExtraText::unitPrice:
        return texts.unitPrice;
    }
    return {};
}

// `text` put at the open end of `open`, or nothing when it leaves the place or the cell or comes
// too close to a mark of `taken`.
std::optional<PlacedExtra> tryPlace(const DrawnTag& tag, const OpenPlace& open, ExtraText text, const QString& content,
                                    const std::vector<BoxMm>& taken, double* widthMm)
{
    const Place& p = open.place;
    const FontSpec font = textFont(text, p.sizePt);
    const double em = emMm(p.sizePt);
    const double padding = text == ExtraText::saleMark ? kMarkPaddingMm : 0.0;
    const double width = textAdvanceMm(font, content) + 2 * padding;
    const double left = p.fromRight ? open.nextMm - width : open.nextMm;
    *widthMm = width;

    PlacedExtra placed;
    placed.text = text;
    placed.content = content;
    placed.font = font;
    placed.colour = textColour(text);
    placed.xMm = left + padding;
    placed.yMm = p.topMm;
    std::vector<BoxMm> ink = textInkBoxes(font, placed.xMm, placed.yMm, content);
    if (text == ExtraText::saleMark) {
        placed.backing = BoxMm {left, p.topMm, left + width, p.topMm + em};
        ink = {*placed.backing};
    } else if (text == ExtraText::formerPrice) {
        // The amount is struck through; the words before it stay readable.
        const double thickness = std::max(kStrikeEm * em, kMinStrikeMm);
        const double middle = p.topMm + 0.5 * em;
        const double amountLeft = placed.xMm + textAdvanceMm(font, kFormerPriceLabel);
        placed.strike = BoxMm {amountLeft, middle - thickness / 2, placed.xMm + width, middle + thickness / 2};
    }

    const double cellLeft = tag.origin.xMm + kInsetMm;
    const double cellTop = tag.origin.yMm + kInsetMm;
    const double cellRight = tag.origin.xMm + tag.format->cellWidthMm - kInsetMm;
    const double cellBottom = tag.origin.yMm + tag.format->cellHeightMm - kInsetMm;
    if (left < std::max(p.leftMm, cellLeft) || left + width > std::min(p.rightMm, cellRight)) {
        return std::nullopt;
    }
    for (const BoxMm& box : ink) {
        if (box.top < cellTop || box.bottom > cellBottom) {
            return std::nullopt;
        }
        for (const BoxMm& other : taken) {
            if (tooClose(box, other, kGapXMm, kGapYMm)) {
                return std::nullopt;
            }
        }
    }
    return placed;
}

// The boxes a placed text takes from the texts after it.
std::vector<BoxMm> boxesOf(const PlacedExtra& placed)
{
    if (placed.backing) {
        return {*placed.backing};
    }
    return textInkBoxes(placed.font, placed.xMm, placed.yMm, placed.content);
}

}  // namespace

QString extraTextName(ExtraText text)
{
    switch (text) {
    case ExtraText::saleMark:
        return QStringLiteral("特価の印");
    case ExtraText::salePeriod:
        return QStringLiteral("特売期間");
    case ExtraText::formerPrice:
        return QStringLiteral("当店通常価格");
    case ExtraText::reducedRateMark:
        return QStringLiteral("軽減税率の印");
    case ExtraText::taxExclusive:
        return QStringLiteral("税抜価格");
    case ExtraText::unitPrice:
        return QStringLiteral("単位価格");
    }
    return {};
}

QString formerPriceText(qint32 yen)
{
    const QString digits = QString::number(yen);
    QString grouped;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && digits[i - 1] != u'-' && (digits.size() - i) % 3 == 0) {
            grouped += u',';
        }
        grouped += digits[i];
    }
    return kFormerPriceLabel + grouped + u'円';
}

ExtrasLayout layOutExtras(const DrawnTag& tag, const sheet::TagTexts& texts, const std::optional<sheet::SaleMark>& sale)
{
    ExtrasLayout layout;
    std::array<OpenPlace, kPlaceCount> places = openPlaces(tag);
    std::vector<BoxMm> taken = tag.taken;
    const auto& candidates = tag.format->isLarge() ? kLargeCandidates : kSmallCandidates;
    for (const Candidates& c : candidates) {
        const QString content = contentOf(c.text, texts, sale);
        if (content.isEmpty()) {
            continue;
        }
        bool done = false;
        for (const int index : c.places) {
            if (index < 0 || !places[size_t(index)].exists) {
                continue;
            }
            OpenPlace& open = places[size_t(index)];
            double width = 0.0;
            if (const std::optional<PlacedExtra> placed = tryPlace(tag, open, c.text, content, taken, &width)) {
                open.nextMm += open.place.fromRight ? -(width + kGapXMm) : width + kGapXMm;
                const std::vector<BoxMm> boxes = boxesOf(*placed);
                taken.insert(taken.end(), boxes.begin(), boxes.end());
                layout.placed.push_back(*placed);
                done = true;
                break;
            }
        }
        if (!done) {
            layout.leftOut.push_back(c.text);
        }
    }
    return layout;
}

void drawExtras(Surface& surface, const ExtrasLayout& layout)
{
    for (const PlacedExtra& placed : layout.placed) {
        if (placed.backing) {
            const BoxMm& b = *placed.backing;
            surface.filled(b.left, b.top, b.width(), b.bottom - b.top, placed.backingColour);
        }
        surface.setFont(placed.font);
        surface.setForeColor(placed.colour);
        surface.setCurrentPoint(placed.xMm, placed.yMm);
        surface.print(placed.content);
        if (placed.strike) {
            const BoxMm& s = *placed.strike;
            surface.filled(s.left, s.top, s.width(), s.bottom - s.top, placed.colour);
        }
    }
}

}  // namespace draw
