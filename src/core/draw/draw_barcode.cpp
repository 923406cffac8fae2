#include "core/draw/draw_barcode.h"

#include "core/draw/surface.h"

#include <cmath>

namespace draw {

namespace {

// Twips per millimetre, the conversion the drawing uses between the page and device pixels.
constexpr double kTwipsPerMm = 56.7;

// The whole number of device pixels in `lengthMm` at `twipsPerPixel`, rounded down.
//
// Lengths on the page carry binary noise: a width computed as 66.1 - 6.1 is 59.99999999999999,
// and 60 mm at 720 dpi would then give 1700.9999999999998 pixels and lose a whole pixel. A page
// length has at most a few decimals and the resolution is 1440 / dpi, so a true pixel count that
// is not whole lies at least about 1e-7 from the next whole number; a nudge of 1e-9 repairs the
// noise without ever rounding up a count that is really fractional.
int wholePixels(double lengthMm, double twipsPerPixel)
{
    constexpr double kNoise = 1e-9;
    return static_cast<int>(std::floor(lengthMm * kTwipsPerMm / twipsPerPixel + kNoise));
}

// Nearest integer, halves to the even neighbour.
double roundHalfEven(double v)
{
    const double down = std::floor(v);
    const double rest = v - down;
    if (rest > 0.5) {
        return down + 1;
    }
    if (rest < 0.5) {
        return down;
    }
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1;
}

Colour moduleColour(QChar module)
{
    return module == u'0' ? kWhite : kBlack;
}

// Draws modules [first, end) of `modules` where drawJanBarcode places them when the whole string
// fills the rectangle (x1, y1)-(x2, y2): whole device pixels a module where the device allows,
// else widths in hundredths of the caller's unit.
void drawModuleRange(Surface& surface, const QString& modules, int first, int end, double x1, double y1, double x2,
                     double y2)
{
    const int count = static_cast<int>(modules.size());
    const Unit savedUnit = surface.unit();
    surface.setUnit(Unit::pixels);
    const double tx = surface.twipsPerPixelX();
    const double ty = surface.twipsPerPixelY();
    const int moduleWidthPx = wholePixels(x2 - x1, tx) / count;
    const int topPx = wholePixels(y1, ty);
    const int heightPx = wholePixels(y2 - y1, ty);
    const int leftPx = wholePixels(x1, tx);

    if (moduleWidthPx > 0) {
        // Each module covers rows topPx .. topPx + heightPx inclusive.
        for (int k = first; k < end; ++k) {
            surface.filled(leftPx + k * moduleWidthPx, topPx, moduleWidthPx, heightPx + 1, moduleColour(modules.at(k)));
        }
        surface.setUnit(savedUnit);
        return;
    }

    // Narrower than one device pixel a module: draw in the caller's unit, with the width per
    // module cut down to a multiple of 0.01.
    surface.setUnit(savedUnit);
    const auto hundredths = static_cast<long long>(roundHalfEven((x2 - x1) * 100));
    // Whole hundredths a module, on purpose.
    // NOLINTNEXTLINE(bugprone-integer-division)
    const double moduleWidth = static_cast<double>(hundredths / count) / 100;
    if (moduleWidth <= 0) {
        return;  // not even 0.01 a module: there is nothing to draw
    }
    for (int k = first; k < end; ++k) {
        surface.filled(x1 + k * moduleWidth, y1, moduleWidth - 0.01, y2 - y1, moduleColour(modules.at(k)));
    }
}

// The module string of `code` with its check digit, or the reason there is none.
barcode::JanStatus symbolModules(const QString& code, QString& modules)
{
    QString number = code;
    qint16 checkDigit = 0;
    const barcode::JanStatus result = barcode::normalizeJan(number, checkDigit);
    if (result == barcode::JanStatus::ok) {
        number.append(QChar(u'0' + checkDigit));
        modules = barcode::janModuleString(number);
    }
    return result;
}

}  // namespace

barcode::JanStatus drawJanBarcode(Surface& surface, const QString& code, double x1, double y1, double x2, double y2)
{
    QString modules;
    const barcode::JanStatus result = symbolModules(code, modules);
    if (result == barcode::JanStatus::ok) {
        drawModuleRange(surface, modules, 0, static_cast<int>(modules.size()), x1, y1, x2, y2);
    }
    return result;
}

barcode::JanStatus drawJanQuietZones(Surface& surface, const QString& code, double x1, double y1, double x2, double y2)
{
    QString modules;
    const barcode::JanStatus result = symbolModules(code, modules);
    if (result != barcode::JanStatus::ok) {
        return result;
    }
    const int count = static_cast<int>(modules.size());
    // The quiet zones are the light modules before the first bar and after the last one.
    int firstBar = 0;
    while (firstBar < count && modules.at(firstBar) == u'0') {
        ++firstBar;
    }
    int afterLastBar = count;
    while (afterLastBar > firstBar && modules.at(afterLastBar - 1) == u'0') {
        --afterLastBar;
    }
    drawModuleRange(surface, modules, 0, firstBar, x1, y1, x2, y2);
    drawModuleRange(surface, modules, afterLastBar, count, x1, y1, x2, y2);
    return barcode::JanStatus::ok;
}

}  // namespace draw
