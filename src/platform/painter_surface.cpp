#include "platform/painter_surface.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QPalette>
#include <QRect>

#include <cmath>

namespace platform {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr Colour kSystemColourFlag = 0x80000000;

// System colours by index (the low byte of the value), with the grey of a default desktop for
// when no GUI application exists to ask.
struct SystemColour {
    quint32 index;
    QPalette::ColorRole role;
    QRgb fallback;
};
constexpr SystemColour kSystemColours[] = {
    {0x05, QPalette::Base, qRgb(255, 255, 255)},             // window background
    {0x08, QPalette::Text, qRgb(0, 0, 0)},                   // window text
    {0x0D, QPalette::Highlight, qRgb(0, 120, 215)},          // selection
    {0x0E, QPalette::HighlightedText, qRgb(255, 255, 255)},  // selected text
    {0x0F, QPalette::Button, qRgb(240, 240, 240)},           // button face
    {0x10, QPalette::Dark, qRgb(160, 160, 160)},             // button shadow
    {0x12, QPalette::ButtonText, qRgb(0, 0, 0)},             // button text
};

// Whole device pixel of a coordinate: edges round half up, so that rectangles which share an
// edge in millimetres share it in pixels too, without a gap or an overlap.
int snap(double px)
{
    return static_cast<int>(std::floor(px + 0.5));
}

// The pixel rectangle between two snapped corners, whatever their order.
QRect spanRect(double x0, double y0, double x1, double y1)
{
    int left = snap(x0);
    int right = snap(x1);
    int top = snap(y0);
    int bottom = snap(y1);
    if (right < left) {
        std::swap(left, right);
    }
    if (bottom < top) {
        std::swap(top, bottom);
    }
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace

PainterSurface::PainterSurface(QPaintDevice& device)
    : ownPainter_(std::make_unique<QPainter>()), painter_(ownPainter_.get())
{
    dpiX_ = device.logicalDpiX() > 0 ? device.logicalDpiX() : 96.0;
    dpiY_ = device.logicalDpiY() > 0 ? device.logicalDpiY() : 96.0;
    if (painter_->begin(&device)) {
        setUpPainter();
    }
}

PainterSurface::PainterSurface(QPainter& painter, double dpiX, double dpiY)
    : painter_(&painter), dpiX_(dpiX > 0 ? dpiX : 96.0), dpiY_(dpiY > 0 ? dpiY : 96.0)
{
    if (painter_->isActive()) {
        setUpPainter();
        const int deviceDpiY = painter_->device()->logicalDpiY();
        if (deviceDpiY > 0) {
            pointScale_ = dpiY_ / deviceDpiY;
        }
    }
}

PainterSurface::~PainterSurface()
{
    end();
}

void PainterSurface::setUpPainter()
{
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setBackgroundMode(Qt::TransparentMode);
    painter_->setBrush(Qt::NoBrush);
}

void PainterSurface::end()
{
    if (ownPainter_ && ownPainter_->isActive()) {
        ownPainter_->end();
    }
}

bool PainterSurface::isActive() const
{
    return painter_->isActive();
}

double PainterSurface::toPxX(double v) const
{
    return unit() == Unit::millimetres ? v * dpiX_ / kMmPerInch : v;
}

double PainterSurface::toPxY(double v) const
{
    return unit() == Unit::millimetres ? v * dpiY_ / kMmPerInch : v;
}

QColor PainterSurface::toQColor(Colour colour)
{
    if ((colour & kSystemColourFlag) == 0) {
        return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    }
    const quint32 index = colour & 0xFF;
    for (const SystemColour& sc : kSystemColours) {
        if (sc.index == index) {
            if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
                return QGuiApplication::palette().color(QPalette::Active, sc.role);
            }
            return QColor(sc.fallback);
        }
    }
    return QColor(Qt::black);
}

QColor PainterSurface::colourOf(Colour colour)
{
    if (colour == kButtonFace) {
        // The preview grid asks for it hundreds of times a page: look the palette up once.
        if (!buttonFace_) {
            buttonFace_ = toQColor(colour);
        }
        return *buttonFace_;
    }
    return toQColor(colour);
}

void PainterSurface::usePen(Colour colour, int widthPx)
{
    if (penColour_ == colour && penWidthPx_ == widthPx) {
        return;
    }
    QPen pen(colourOf(colour), widthPx, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    painter_->setPen(pen);
    penColour_ = colour;
    penWidthPx_ = widthPx;
}

const PainterSurface::CachedFont& PainterSurface::fontFor(const FontSpec& spec)
{
    for (const CachedFont& cached : fonts_) {
        if (cached.spec == spec) {
            return cached;
        }
    }
    CachedFont cached;
    cached.spec = spec;
    cached.font = QFont(spec.face);
    // Sizes below one point cannot be rendered; they come only from a damaged sheet.
    const double pt = spec.sizePt < 1.0 ? 1.0 : spec.sizePt;
    cached.font.setPointSizeF(pt * pointScale_);
    cached.font.setBold(spec.bold);
    cached.font.setItalic(spec.italic);
    cached.font.setUnderline(spec.underline);
    cached.ascentPx = QFontMetricsF(cached.font, painter_->device()).ascent();
    fonts_.push_back(std::move(cached));
    return fonts_.back();
}

void PainterSurface::doClear()
{
    if (!isActive()) {
        return;
    }
    const QPaintDevice* device = painter_->device();
    painter_->fillRect(QRect(0, 0, device->width(), device->height()), background_);
}

void PainterSurface::doText(double x, double y, const QString& text)
{
    if (!isActive()) {
        return;
    }
    const FontSpec& spec = font();
    int index = painterFont_;
    if (index < 0 || !(fonts_[index].spec == spec)) {
        const CachedFont& cached = fontFor(spec);
        index = static_cast<int>(&cached - fonts_.data());
        painter_->setFont(cached.font);
        painterFont_ = index;
    }
    usePen(foreColor(), penWidthPx_ > 0 ? penWidthPx_ : 1);
    painter_->drawText(QPointF(toPxX(x), toPxY(y) + fonts_[index].ascentPx), text);
}

void PainterSurface::doOutline(double x, double y, double w, double h, Colour colour)
{
    if (!isActive()) {
        return;
    }
    usePen(colour, drawWidth());
    // An aliased stroke of a w x h rectangle covers columns x .. x + w and rows y .. y + h.
    painter_->drawRect(spanRect(toPxX(x), toPxY(y), toPxX(x + w), toPxY(y + h)));
}

void PainterSurface::doFilled(double x, double y, double w, double h, Colour colour)
{
    if (!isActive()) {
        return;
    }
    const QRect rect = spanRect(toPxX(x), toPxY(y), toPxX(x + w), toPxY(y + h));
    if (rect.isEmpty()) {
        return;
    }
    painter_->fillRect(rect, colourOf(colour));
}

void PainterSurface::doLine(double x, double y, double dx, double dy, Colour colour)
{
    if (!isActive()) {
        return;
    }
    usePen(colour, drawWidth());
    const QPoint from(snap(toPxX(x)), snap(toPxY(y)));
    const QPoint to(snap(toPxX(x + dx)), snap(toPxY(y + dy)));
    painter_->drawLine(from, to);
}

}  // namespace platform
