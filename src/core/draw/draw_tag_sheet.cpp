#include "core/draw/draw_tag_sheet.h"

#include "core/barcode/barcode.h"
#include "core/draw/draw_barcode.h"
#include "core/draw/surface.h"
#include "core/draw/tag_extras.h"
#include "core/draw/tag_fit.h"
#include "core/draw/text_extent.h"
#include "core/sheet/field_entry.h"
#include "core/sheet/tag_sheet.h"

#include <array>

namespace draw {

namespace {

using draw::Colour;
using draw::FontSpec;
using draw::Surface;
using sheet::SheetFormat;
using sheet::TagRecord;
using sheet::TagSheet;

// One line of the barcode placeholder: pen width in device pixels and length in mm.
struct PlaceholderStroke {
    int penPx;
    double lengthMm;
};

// Where the parts of a tag sit in its cell, per format (mm from the cell's top-left corner).
struct CellLayout {
    double numberX, numberY;              // tag number
    double barX1, barY1, barX2, barY2;    // barcode rectangle (reaches past the cell)
    double placeholderY;                  // top of the placeholder lines
    std::array<double, 21> placeholderX;  // x of each line, left to right
    int placeholderLines;
    std::array<PlaceholderStroke, 3> strokes;  // repeating cycle of (pen, length)
};

const CellLayout kLargeLayout {
    56, 16,
    27, 2,
    62, 9,
    2,  {30, 31, 32, 33, 34, 35, 36, 37, 39, 40, 41, 43, 44, 45, 47, 48, 49, 51, 52, 53, 55},
    21, {{{1, 6}, {3, 5.5}, {2, 5.8}}},
};

const CellLayout kSmallLayout {
    26,  16,
    0.5, 3.5,
    35,  9,
    3.5, {3, 4, 5, 6, 8, 9, 10, 12, 13, 14, 15, 16, 17, 19, 20, 21, 23, 24, 25, 27, 0},
    20,  {{{3, 5.3}, {2, 5.6}, {1, 5.8}}},
};

const CellLayout& layoutOf(const SheetFormat& format)
{
    return format.isLarge() ? kLargeLayout : kSmallLayout;
}

// Font, size, style and colour of one text, then the text at (x, y).
struct TextStyle {
    const QString& face;
    double sizePt;
    bool bold;
    bool italic;
    bool underline;
    Colour colour;
};

FontSpec fontOf(const TextStyle& style)
{
    return {style.face, style.sizePt, style.bold, style.italic, style.underline};
}

// The boxes a tag's own marks take, noted while it is drawn when extra texts must keep clear of
// them (nullptr: nothing is noted).
using Taken = std::vector<BoxMm>;

void note(Taken* taken, const LaidText& text)
{
    if (taken) {
        const std::vector<BoxMm> boxes = textInkBoxes(text.font, text.xMm, text.yMm, text.text);
        taken->insert(taken->end(), boxes.begin(), boxes.end());
    }
}

LaidText laidAt(const TextStyle& style, double x, double y, const QString& text)
{
    return {fontOf(style), x, y, text};
}

void print(Surface& s, const LaidText& text, Colour colour, Taken* taken = nullptr)
{
    s.setFont(text.font);
    s.setForeColor(colour);
    s.setCurrentPoint(text.xMm, text.yMm);
    s.print(text.text);
    note(taken, text);
}

void printAt(Surface& s, const TextStyle& style, double x, double y, const QString& text, Taken* taken = nullptr)
{
    print(s, laidAt(style, x, y, text), style.colour, taken);
}

// A text that gives way beside the price, as it was kept clear (tag_fit.h): drawn, or noted as left out.
void printYielding(Surface& s, const std::optional<LaidText>& text, Colour colour, Taken* taken, sheet::Field field,
                   std::vector<sheet::Field>* leftOut)
{
    if (text) {
        print(s, *text, colour, taken);
    } else if (leftOut) {
        leftOut->push_back(field);
    }
}

// How the price of a tag may give way to its 円: a price the price box does not take (from a
// damaged file) is drawn as it always was.
PriceRoom priceRoomOf(const TagRecord& r, PriceRoom within)
{
    return r.price >= 1 && r.price <= sheet::kMaxPrice ? within : PriceRoom::stays;
}

BoxMm cellBox(const TagSheet& sheet, double x0, double y0)
{
    return {x0, y0, x0 + sheet.format().cellWidthMm, y0 + sheet.format().cellHeightMm};
}

void fillAt(Surface& s, double x, double y, double w, double h, Colour c, Taken* taken)
{
    s.filled(x, y, w, h, c);
    if (taken) {
        taken->push_back({x, y, x + w, y + h});
    }
}

// The tag number as two characters, right-aligned: " 7", "24".
QString tagNumber(int tag)
{
    return QString::number(tag).rightJustified(2, u' ');
}

// The grey grid with the tag numbers under the tags of the preview.
void drawBackground(const TagSheet& sheet, Surface& s)
{
    const CellLayout& layout = layoutOf(sheet.format());
    const SheetFormat& f = sheet.format();
    for (int tag = 1; tag <= f.tagsPerPage; ++tag) {
        const sheet::CellOrigin o = sheet.cellOrigin(tag);
        s.outline(o.xMm, o.yMm, f.cellWidthMm, f.cellHeightMm, draw::kButtonFace);
        printAt(s, {sheet::kMincho, 10, false, false, false, draw::kButtonFace}, o.xMm + layout.numberX,
                o.yMm + layout.numberY, tagNumber(tag));
    }
}

// " 980 ": the price between two blanks.
QString numberForm(qint32 price)
{
    return QStringLiteral(" %1 ").arg(price);
}

// "1,980", "12,800", "1,234,567": digits grouped by three from the right.
QString groupedForm(qint32 price)
{
    const QString digits = QString::number(price);
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            out += u',';
        }
        out += digits[i];
    }
    return out;
}

QString blanks(qsizetype n)
{
    return QString(n, u' ');
}

// The small tag pads its texts with blanks to centre them on the narrow cell; the blanks after a
// name matter where the text is underlined.
QString fillMaker(const QString& t)
{
    const qsizetype n = t.size();
    return n >= 1 && n <= 5 ? blanks(5 - n) + t : t;
}

QString fillProductName(const QString& t)
{
    const qsizetype n = t.size();
    if (n >= 1 && n <= 4) {
        return blanks(3) + t + blanks(3);
    }
    if (n == 5) {
        return blanks(2) + t + blanks(2);
    }
    if (n == 6) {
        return blanks(1) + t + blanks(1);
    }
    return t;
}

QString fillProductName2(const QString& t)
{
    const qsizetype n = t.size();
    return n >= 1 && n <= 5 ? blanks(6 - n) + t + blanks(6 - n) : t;
}

void drawPlaceholder(Surface& s, const CellLayout& layout, double x0, double y0)
{
    for (int i = 0; i < layout.placeholderLines; ++i) {
        const PlaceholderStroke& stroke = layout.strokes[size_t(i % 3)];
        s.setDrawWidth(stroke.penPx);
        s.line(x0 + layout.placeholderX[size_t(i)], y0 + layout.placeholderY, 0, stroke.lengthMm, draw::kBlack);
    }
    s.setDrawWidth(1);
}

// The code placeholder in the preview, the real symbol on paper, or the slogan without a code.
// The code's rectangle is taken whether the placeholder or the symbol is drawn, so that the
// preview lays the extra texts out as the paper does.
void drawCodeArea(const TagSheet& sheet, Surface& s, const TagRecord& r, double x0, double y0, bool preview,
                  Taken* taken)
{
    const CellLayout& layout = layoutOf(sheet.format());
    const bool hasCode = r.jan.size() == 13 || r.jan.size() == 8;
    if (hasCode && taken) {
        taken->push_back({x0 + layout.barX1, y0 + layout.barY1, x0 + layout.barX2, y0 + layout.barY2});
    }
    if (hasCode && preview) {
        drawPlaceholder(s, layout, x0, y0);
    } else if (hasCode) {
        draw::drawJanBarcode(s, r.jan, x0 + layout.barX1, y0 + layout.barY1, x0 + layout.barX2, y0 + layout.barY2);
    } else if (sheet.format().isLarge()) {
        printAt(s, {sheet::kMincho, 14, false, false, true, draw::kBlue}, x0 + 25, y0 + 3,
                QStringLiteral("Happy & Merry"), taken);
    } else {
        printAt(s, {sheet::kMincho, 12, false, false, true, draw::kBlue}, x0 + 3, y0 + 3,
                QStringLiteral("Happy & Merry"), taken);
    }
}

// The tag number of the preview: drawn there only, but its place is taken on paper too, so that
// the preview shows the extra texts where they are printed.
void drawTagNumber(Surface& s, double x, double y, int tag, bool preview, Taken* taken)
{
    const TextStyle style {sheet::kMincho, 10, false, false, false, draw::kButtonFace};
    if (preview) {
        printAt(s, style, x, y, tagNumber(tag));
    }
    note(taken, laidAt(style, x, y, tagNumber(tag)));
}

// Draws a large tag; with `drawn`, notes the boxes its marks take and where its 円 is; with
// `leftOut`, notes the texts that had no room beside the price.
void drawLargeTag(const TagSheet& sheet, Surface& s, const TagRecord& r, int tag, bool preview, DrawnTag* drawn,
                  std::vector<sheet::Field>* leftOut)
{
    const sheet::CellOrigin o = sheet.cellOrigin(tag);
    const double x0 = o.xMm;
    const double y0 = o.yMm;
    Taken* taken = drawn ? &drawn->taken : nullptr;

    if (sheet.bordered) {
        const Colour c = sheet.borderColor;
        fillAt(s, x0, y0, 60, 1.8, c, taken);
        fillAt(s, x0, y0 + 28, 60, 2, c, taken);
        fillAt(s, x0, y0 + 2, 25, 1.8, c, taken);
        fillAt(s, x0, y0 + 7, 25, 2, c, taken);
        fillAt(s, x0, y0 + 15, 60, 0.5, c, taken);
        s.outline(x0, y0, 60, 30, draw::kBlack);
    } else {
        s.outline(x0, y0, 60, 30, draw::kRed);
    }

    drawCodeArea(sheet, s, r, x0, y0, preview, taken);

    const QString& mincho = sheet::kMincho;
    const LaidText jan = laidAt({mincho, 9, false, false, false, draw::kBlack}, x0 + 2, y0 + 4, r.jan);
    const LaidText name = laidAt({sheet.nameFont, 12, sheet.nameBold, sheet.nameItalic, !sheet.bordered, draw::kBlack},
                                 x0 + 2, y0 + 11, r.productName);

    const qint32 price = r.price;
    const TextStyle priceStyle {sheet.priceFont, double(sheet.priceFontSize), sheet.priceBold, sheet.priceItalic, false,
                                draw::kRed};
    const double offX = sheet.printOffsetX;
    const double offY = sheet.printOffsetY;
    LaidText priceText = laidAt(priceStyle, x0 + 22 + offX, y0 + 16 + offY, QString());
    if (price >= 1 && price <= 999) {
        priceText.text = numberForm(price);
    } else if (price >= 1000 && price <= 9999) {
        priceText = laidAt(priceStyle, x0 + 15 + offX, y0 + 16 + offY, groupedForm(price));
    } else if (price > 9999) {
        priceText = laidAt(priceStyle, x0 + 12 + offX, y0 + 16 + offY, groupedForm(price));
    }

    const double yenX = price >= 1 && price <= 99 ? 42 : 50;
    const TextStyle yenStyle {mincho, 12, false, false, false, draw::kRed};
    const LaidText yen = laidAt(yenStyle, x0 + yenX, y0 + 23, QStringLiteral("円"));
    const double specX = price < 1000 ? 10 : 2;
    const TextStyle blueUnderlined {mincho, 10, false, false, true, draw::kBlue};
    const TagTextsFitted fitted = keepTextsClear(
        {cellBox(sheet, x0, y0),
         priceText,
         priceRoomOf(r, PriceRoom::narrows),
         yen,
         {jan, name},
         {laidAt({mincho, 10, false, false, false, draw::kBlack}, x0 + 2, y0 + 17, r.maker),
          laidAt(blueUnderlined, x0 + specX, y0 + 21, r.spec), laidAt(blueUnderlined, x0 + specX, y0 + 25, r.lot)}});

    print(s, jan, draw::kBlack, taken);
    print(s, name, draw::kBlack, taken);
    print(s, fitted.price, draw::kRed, price > 0 ? taken : nullptr);
    print(s, yen, draw::kRed, taken);
    if (drawn) {
        drawn->yen = {yen.xMm, yen.yMm, yen.xMm + textAdvanceMm(yen.font, yen.text), yen.yMm + emMm(yen.font.sizePt)};
    }
    printYielding(s, fitted.yielding[0], draw::kBlack, taken, sheet::Field::maker, leftOut);
    drawTagNumber(s, x0 + 56, y0 + 16, tag, preview, taken);
    printYielding(s, fitted.yielding[1], draw::kBlue, taken, sheet::Field::spec, leftOut);
    printYielding(s, fitted.yielding[2], draw::kBlue, taken, sheet::Field::lot, leftOut);
}

// Draws a small tag; with `drawn`, notes the boxes its marks take and where its 円 is; with
// `leftOut`, notes the texts that had no room beside the price.
void drawSmallTag(const TagSheet& sheet, Surface& s, const TagRecord& r, int tag, bool preview, DrawnTag* drawn,
                  std::vector<sheet::Field>* leftOut)
{
    const sheet::CellOrigin o = sheet.cellOrigin(tag);
    const double x0 = o.xMm;
    const double y0 = o.yMm;
    Taken* taken = drawn ? &drawn->taken : nullptr;

    if (sheet.bordered) {
        const Colour c = sheet.borderColor;
        fillAt(s, x0, y0, 32, 0.5, c, taken);
        fillAt(s, x0, y0 + 30, 32, 2, c, taken);
        s.outline(x0, y0, 32, 32, draw::kBlack);
        fillAt(s, x0, y0 + 20, 32, 0.5, c, taken);
    } else {
        s.outline(x0, y0, 32, 32, draw::kRed);
    }

    drawCodeArea(sheet, s, r, x0, y0, preview, taken);
    if (!sheet.bordered) {
        // The code area's white quiet zones would otherwise cut the frame.
        s.outline(x0, y0, 32, 32, draw::kRed);
    }

    const QString& mincho = sheet::kMincho;
    const LaidText jan = laidAt({mincho, 9, false, false, false, draw::kBlack}, x0 + 5, y0 + 0.5, r.jan);
    const LaidText maker = laidAt({mincho, 11, false, false, false, draw::kBlack}, x0 + 5, y0 + 9, fillMaker(r.maker));
    const LaidText name = laidAt({sheet.nameFont, 10, false, false, true, draw::kBlack}, x0 + 4, y0 + 13,
                                 fillProductName(r.productName));
    const LaidText name2 = laidAt({sheet.nameFont, 9, false, false, !sheet.bordered, draw::kBlack}, x0 + 6, y0 + 17,
                                  fillProductName2(r.productName2));

    const qint32 price = r.price;
    const double offX = sheet.printOffsetX;
    const double offY = sheet.printOffsetY;
    auto priceStyle
        = [&sheet](double sizePt) { return TextStyle {sheet.priceFont, sizePt, false, false, false, draw::kRed}; };
    LaidText priceText = laidAt(priceStyle(sheet.priceFontSize), x0 + 10 + offX, y0 + 21 + offY, QString());
    if (price >= 1 && price <= 99) {
        priceText.text = numberForm(price);
    } else if (price >= 100 && price <= 999) {
        priceText = laidAt(priceStyle(sheet.priceFontSize), x0 + 4 + offX, y0 + 21 + offY, numberForm(price));
    } else if (price >= 1000 && price <= 9999) {
        priceText = laidAt(priceStyle(20), x0 + 2 + offX, y0 + 22 + offY, numberForm(price));
    } else if (price > 9999) {
        priceText = laidAt(priceStyle(24), x0 + 0 + offX, y0 + 22 + offY, numberForm(price));
    }

    const TextStyle yenStyle {mincho, 12, false, false, false, draw::kRed};
    const LaidText yen = laidAt(yenStyle, x0 + 27, y0 + 27, QStringLiteral("円"));
    const TextStyle blue {mincho, 9, false, false, false, draw::kBlue};
    const TagTextsFitted fitted
        = keepTextsClear({cellBox(sheet, x0, y0),
                          priceText,
                          priceRoomOf(r, PriceRoom::moves),
                          yen,
                          {jan, maker, name, name2},
                          {laidAt(blue, x0 + 2, y0 + 21, r.spec), laidAt(blue, x0 + 2, y0 + 25, r.lot)}});

    print(s, jan, draw::kBlack, taken);
    print(s, maker, draw::kBlack, taken);
    print(s, name, draw::kBlack, taken);
    print(s, name2, draw::kBlack, taken);
    print(s, fitted.price, draw::kRed, price > 0 ? taken : nullptr);
    print(s, yen, draw::kRed, taken);
    if (drawn) {
        drawn->yen = {yen.xMm, yen.yMm, yen.xMm + textAdvanceMm(yen.font, yen.text), yen.yMm + emMm(yen.font.sizePt)};
    }
    printYielding(s, fitted.yielding[0], draw::kBlue, taken, sheet::Field::spec, leftOut);
    printYielding(s, fitted.yielding[1], draw::kBlue, taken, sheet::Field::lot, leftOut);
    drawTagNumber(s, x0 + 26, y0 + 16, tag, preview, taken);
}

// A small tag's code area reaches past its cell, so the cell frames (its own and the next tag's)
// cross the right quiet zone of its symbol. Red-light scanners do not see the red line, but camera
// readers do and give up: once every frame is drawn, the quiet zones are made white again, which
// leaves a short gap in the frame line beside each symbol.
void clearSmallQuietZones(const TagSheet& sheet, Surface& s)
{
    const CellLayout& layout = layoutOf(sheet.format());
    for (int tag = 1; tag <= sheet.tagsPerPage(); ++tag) {
        const TagRecord& r = sheet.record(tag);
        if (r.productName.isEmpty() || (r.jan.size() != 13 && r.jan.size() != 8)) {
            continue;
        }
        const sheet::CellOrigin o = sheet.cellOrigin(tag);
        draw::drawJanQuietZones(s, r.jan, o.xMm + layout.barX1, o.yMm + layout.barY1, o.xMm + layout.barX2,
                                o.yMm + layout.barY2);
    }
}

}  // namespace

std::vector<LeftOutText> drawTagSheet(const TagSheet& sheet, Surface& surface, const sheet::TagTextTable& texts,
                                      std::vector<LeftOutField>* leftOutFields)
{
    std::vector<LeftOutText> leftOut;
    surface.setUnit(draw::Unit::millimetres);
    const bool preview = sheet.outputMode == sheet::OutputMode::preview;
    if (preview) {
        surface.cls();
        drawBackground(sheet, surface);
    }

    printAt(surface, {sheet::kMincho, 16, false, false, false, draw::kBlack}, 10, 5,
            QStringLiteral("FileName  ") + sheet.fileName);

    for (int tag = 1; tag <= sheet.tagsPerPage(); ++tag) {
        const TagRecord& r = sheet.record(tag);
        if (r.productName.isEmpty()) {
            continue;
        }
        // A tag with nothing beyond its record is drawn as it always was, noting nothing.
        const auto extras = sheet.extras.find(tag);
        const std::optional<sheet::SaleMark> sale = extras != sheet.extras.end() ? extras->second.sale : std::nullopt;
        const auto found = texts.find(tag);
        const sheet::TagTexts tagTexts = found != texts.end() ? found->second : sheet::TagTexts {};
        std::optional<DrawnTag> drawn;
        if (sale || !tagTexts.isEmpty()) {
            drawn = DrawnTag {&sheet.format(), sheet.cellOrigin(tag), {}, {}};
        }
        std::vector<sheet::Field> crowded;
        if (sheet.format().isLarge()) {
            drawLargeTag(sheet, surface, r, tag, preview, drawn ? &*drawn : nullptr, &crowded);
        } else {
            drawSmallTag(sheet, surface, r, tag, preview, drawn ? &*drawn : nullptr, &crowded);
        }
        if (leftOutFields) {
            for (const sheet::Field field : crowded) {
                leftOutFields->push_back({tag, field});
            }
        }
        if (drawn) {
            const ExtrasLayout layout = layOutExtras(*drawn, tagTexts, sale);
            drawExtras(surface, layout);
            for (const ExtraText text : layout.leftOut) {
                leftOut.push_back({tag, text});
            }
        }
    }
    if (!preview && sheet.format().isSmall()) {
        clearSmallQuietZones(sheet, surface);
    }
    return leftOut;
}

void drawBlankSheet(const TagSheet& sheet, Surface& surface)
{
    surface.setUnit(draw::Unit::millimetres);
    surface.cls();
    drawBackground(sheet, surface);
}

}  // namespace draw
