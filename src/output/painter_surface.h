#pragma once

#include "core/draw/surface.h"

#include <QColor>
#include <QRect>

#include <memory>
#include <optional>
#include <vector>

class QPaintDevice;
class QPainter;

namespace output {

namespace detail {
struct PainterFont;
}

// A surface that draws with a QPainter on a QImage, a QPrinter, a QPdfWriter or any other paint
// device, at the device's resolution.
//
// Millimetres are mapped to device pixels here (px = mm * dpi / 25.4) rather than through the
// painter's world transform, which would scale fonts and pen widths as well. One surface pixel is
// one unit of the painter's coordinates. Fonts are sized for the physical resolution: 12 pt is
// 1/6 inch on the device (16 px at 96 dpi, 100 px at 600 dpi). Fills and outlines snap to whole
// device pixels and are never antialiased, so bars and grid lines stay crisp.
class PainterSurface : public draw::Surface {
public:
    // Begins a painter of its own on `device` (ended by end() or the destructor). The resolution
    // is the device's logical one: set a QImage's dots per metre before handing it over.
    explicit PainterSurface(QPaintDevice& device);
    // Draws through `painter`, which the caller has begun and keeps, at the given resolution in
    // dots per inch. The painter is switched to aliased drawing and a transparent background.
    PainterSurface(QPainter& painter, double dpiX, double dpiY);
    ~PainterSurface() override;

    PainterSurface(const PainterSurface&) = delete;
    PainterSurface& operator=(const PainterSurface&) = delete;

    // Ends the painter this surface began (a printer's page and document are then finished).
    // Drawing afterwards does nothing. Does nothing for a painter that the caller owns.
    void end();
    // False when the painter could not begin on the device or has ended.
    bool isActive() const;

    // The colour cls() fills the device with; white unless set.
    void setBackground(const QColor& colour) { background_ = colour; }
    QColor background() const { return background_; }

    double dpiX() const { return dpiX_; }
    double dpiY() const { return dpiY_; }
    double twipsPerPixelX() const override { return 1440.0 / dpiX_; }
    double twipsPerPixelY() const override { return 1440.0 / dpiY_; }

    // The QColor of a colour as the system holds it (0x00BBGGRR, or a system colour).
    static QColor toQColor(draw::Colour colour);

protected:
    void doClear() override;
    void doText(double x, double y, const QString& text) override;
    void doOutline(double x, double y, double w, double h, draw::Colour colour) override;
    void doFilled(double x, double y, double w, double h, draw::Colour colour) override;
    void doLine(double x, double y, double dx, double dy, draw::Colour colour) override;

private:
    void setUpPainter();
    void flushFill();
    double toPxX(double v) const;
    double toPxY(double v) const;
    double devicePointSize(const draw::FontSpec& spec) const;
    std::shared_ptr<detail::PainterFont> makeFont(const draw::FontSpec& spec) const;
    detail::PainterFont& fontFor(const draw::FontSpec& spec);
    void usePen(draw::Colour colour, int widthPx);
    QColor colourOf(draw::Colour colour);

    std::unique_ptr<QPainter> ownPainter_;
    QPainter* painter_ = nullptr;
    double dpiX_ = 96.0;
    double dpiY_ = 96.0;
    // Ratio that turns a physical point size into the point size the painter's device expects,
    // when the resolution given differs from the device's logical one.
    double pointScale_ = 1.0;
    QColor background_ = Qt::white;

    // Fonts of this surface; on the GUI thread shared with every surface of the same resolution,
    // with the layouts of the texts drawn in them, since the preview draws the same page again and
    // again on new surfaces.
    bool shareFonts_ = false;
    // Whether texts go to the painter as shaped glyph runs (PDF, printers) or static texts.
    bool drawsGlyphRuns_ = false;
    // Whether neighbouring fills of one colour are joined before they reach the painter (PDF,
    // printers), and the fill waiting for its neighbours.
    bool joinsFills_ = false;
    std::optional<QRect> pendingFill_;
    draw::Colour pendingFillColour_ = 0;
    std::vector<std::shared_ptr<detail::PainterFont>> fonts_;
    detail::PainterFont* painterFont_ = nullptr;  // the font set on the painter
    std::optional<draw::Colour> penColour_;
    int penWidthPx_ = 0;
    std::optional<QColor> buttonFace_;
};

}  // namespace output
