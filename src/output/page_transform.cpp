#include "output/page_transform.h"

#include "output/painter_surface.h"

#include <QPaintDevice>
#include <QPainter>
#include <QTransform>

namespace output {

namespace {

constexpr double kMmPerInch = 25.4;

}  // namespace

QTransform calibrationTransform(const calibration::Calibration& c, double dpiX, double dpiY)
{
    QTransform t;
    t.translate(c.offsetXMm * dpiX / kMmPerInch, c.offsetYMm * dpiY / kMmPerInch);
    t.scale(c.scaleXPercent / 100.0, c.scaleYPercent / 100.0);
    return t;
}

bool drawCalibratedPage(QPaintDevice& device, const calibration::Calibration& calibration,
                        const std::function<void(draw::Surface&)>& drawPage)
{
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    const double dpiX = device.logicalDpiX() > 0 ? device.logicalDpiX() : 96.0;
    const double dpiY = device.logicalDpiY() > 0 ? device.logicalDpiY() : 96.0;
    painter.setWorldTransform(calibrationTransform(calibration, dpiX, dpiY));
    {
        PainterSurface surface(painter, dpiX, dpiY);
        surface.setUnit(draw::Unit::millimetres);
        drawPage(surface);
    }
    return painter.end();
}

}  // namespace output
