#include "desktop/editor/preview_pane.h"

#include "output/painter_surface.h"

#include <QCoreApplication>
#include <QPageSize>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace desktop {

QSize a4PagePx()
{
    const QSizeF mm = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
    return QSize(qRound(mm.width() * kScreenDpi / 25.4), qRound(mm.height() * kScreenDpi / 25.4));
}

PreviewPage::PreviewPage(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewPage::setPageSize(const QSize& sizePx)
{
    pageSizePx_ = sizePx;
    image_ = QImage();
    waiting_ = nullptr;
    resize(sizePx);
    update();
}

void PreviewPage::draw(const std::function<void(draw::Surface&)>& paint)
{
    ready();
    drawOnImage(paint);
    update();
}

void PreviewPage::drawWhenNeeded(std::function<void(draw::Surface&)> paint)
{
    if (waiting_) {
        ready();
    }
    waiting_ = std::move(paint);
    update();
}

const QImage& PreviewPage::image() const
{
    return ready();
}

QImage& PreviewPage::image()
{
    return ready();
}

QImage& PreviewPage::ready() const
{
    if (image_.isNull() && !pageSizePx_.isEmpty()) {
        const double ratio = std::max(1.0, devicePixelRatioF());
        QImage image(pageSizePx_ * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        // Logical resolution of the screen, so that a surface's point sizes come out as on screen.
        const int dotsPerMetre = qRound(kScreenDpi / 0.0254);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        image.fill(Qt::white);
        image_ = image;
    }
    if (waiting_) {
        const auto paint = std::move(waiting_);
        waiting_ = nullptr;
        drawOnImage(paint);
    }
    return image_;
}

void PreviewPage::drawOnImage(const std::function<void(draw::Surface&)>& paint) const
{
    QPainter painter(&image_);
    output::PainterSurface surface(painter, kScreenDpi, kScreenDpi);
    surface.setBackground(Qt::white);
    paint(surface);
}

void PreviewPage::paintEvent(QPaintEvent* event)
{
    const QImage& page = ready();
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, Qt::white);
    painter.drawImage(
        area.topLeft(), page,
        QRectF(QPointF(area.topLeft()) * page.devicePixelRatio(), QSizeF(area.size()) * page.devicePixelRatio()));
}

PreviewFrame::PreviewFrame(QWidget* parent) : QFrame(parent), inside_(new QWidget(this))
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    inside_->setObjectName(QStringLiteral("picFrameInside"));
}

void PreviewFrame::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    inside_->setGeometry(contentsRect());
}

void PreviewFrame::wheelEvent(QWheelEvent* event)
{
    if (scrollBar_ != nullptr) {
        QCoreApplication::sendEvent(scrollBar_, event);
        return;
    }
    QFrame::wheelEvent(event);
}

int roundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

ScrollSetup scrollSetup(int pageTwips, int paneTwips)
{
    constexpr int kMax16 = 32767;
    const int maximum = std::clamp(pageTwips - paneTwips, 0, kMax16);
    const int large = std::clamp(roundHalfEven(maximum / 10.0), 1, kMax16);
    const int small = std::clamp(roundHalfEven(large / 10.0), 1, kMax16);
    return {maximum, large, small};
}

}  // namespace desktop
