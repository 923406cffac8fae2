#pragma once

#include "core/sheet/tag_sheet.h"

#include <QString>
#include <QtGlobal>

namespace draw {

// Unit of the coordinates handed to a surface.
enum class Unit { millimetres, pixels };

// Colours as the sheet holds them (sheet::Colour, 0x00BBGGRR). A value with the top bit set names a
// system colour; kButtonFace is the face colour of buttons, the grey of the preview grid.
using sheet::Colour;
inline constexpr Colour kBlack = 0x00000000;
inline constexpr Colour kWhite = 0x00FFFFFF;
inline constexpr Colour kRed = 0x000000FF;
inline constexpr Colour kGreen = 0x0000FF00;
inline constexpr Colour kBlue = 0x00FF0000;
inline constexpr Colour kButtonFace = 0x8000000F;

struct FontSpec {
    QString face;
    double sizePt = 9.0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    // The width the text is drawn at, in percent of its own: below 100 it is drawn narrower, its
    // height kept (a text that would otherwise touch the price, see tag_fit.h).
    int stretchPercent = 100;
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// A page to draw on: the preview panel, the printer page, an image or a recording. It keeps the
// drawing state (unit, current point, font, foreground colour, pen width) from one call to the
// next, as the page drawing expects; subclasses only put marks on their device.
//
// Coordinates are absolute from the surface's top-left corner, in the current unit. Pen widths
// are in device pixels whatever the unit.
class Surface {
public:
    virtual ~Surface() = default;

    Unit unit() const { return unit_; }
    void setUnit(Unit unit) { unit_ = unit; }

    // Clears the whole surface to its background.
    void cls() { doClear(); }

    void setCurrentPoint(double x, double y)
    {
        currentX_ = x;
        currentY_ = y;
    }
    double currentX() const { return currentX_; }
    double currentY() const { return currentY_; }

    // Draws `text` with the top-left corner of its character cell at the current point, in the
    // current font and foreground colour, on a transparent background. An empty text draws
    // nothing.
    void print(const QString& text);

    void setFontName(const QString& face) { font_.face = face; }
    void setFontSize(double pt) { font_.sizePt = pt; }
    void setFontBold(bool on) { font_.bold = on; }
    void setFontItalic(bool on) { font_.italic = on; }
    void setFontUnderline(bool on) { font_.underline = on; }
    void setFontStretch(int percent) { font_.stretchPercent = percent; }
    void setFont(const FontSpec& font) { font_ = font; }
    const FontSpec& font() const { return font_; }

    void setForeColor(Colour colour) { foreColor_ = colour; }
    Colour foreColor() const { return foreColor_; }

    void setDrawWidth(int px) { drawWidth_ = px < 1 ? 1 : px; }
    int drawWidth() const { return drawWidth_; }

    // Rectangle outline from (x, y) to (x + w, y + h), drawn with the current pen width.
    void outline(double x, double y, double w, double h, Colour colour) { doOutline(x, y, w, h, colour); }
    // The same rectangle filled. In pixels it covers columns x .. x + w - 1 and rows y .. y + h - 1.
    void filled(double x, double y, double w, double h, Colour colour) { doFilled(x, y, w, h, colour); }
    // Straight line from (x, y) to (x + dx, y + dy) with the current pen width.
    void line(double x, double y, double dx, double dy, Colour colour) { doLine(x, y, dx, dy, colour); }

    // Device resolution in twips (1/1440 inch) per pixel.
    virtual double twipsPerPixelX() const = 0;
    virtual double twipsPerPixelY() const = 0;

protected:
    virtual void doClear() = 0;
    virtual void doText(double x, double y, const QString& text) = 0;
    virtual void doOutline(double x, double y, double w, double h, Colour colour) = 0;
    virtual void doFilled(double x, double y, double w, double h, Colour colour) = 0;
    virtual void doLine(double x, double y, double dx, double dy, Colour colour) = 0;

private:
    Unit unit_ = Unit::pixels;
    double currentX_ = 0.0;
    double currentY_ = 0.0;
    FontSpec font_;
    Colour foreColor_ = kBlack;
    int drawWidth_ = 1;
};

}  // namespace draw
