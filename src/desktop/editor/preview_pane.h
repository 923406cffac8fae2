#pragma once

#include <QFrame>
#include <QImage>
#include <QWidget>

#include <functional>

class QScrollBar;

namespace draw {
class Surface;
}

namespace desktop {

// The screen resolution that window layouts assume: 15 twips to a pixel.
inline constexpr double kScreenDpi = 96.0;

// The printed page, A4, in device-independent screen pixels (794 x 1123).
QSize a4PagePx();

// The preview surface "picDraw": it keeps the page as an image of its full size (at the screen's
// resolution times the device pixel ratio) and paints that image, so that whatever part of it is
// scrolled into view shows the page.
class PreviewPage : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPage(QWidget* parent);

    // Sizes the page in device-independent pixels; the image starts white (a drawing still
    // waiting, see drawWhenNeeded, is dropped). The image itself is made when it is first needed.
    void setPageSize(const QSize& sizePx);

    // Draws on the page through a surface whose pixels are the widget's, at kScreenDpi, then
    // repaints. What was drawn before stays until something clears it.
    void draw(const std::function<void(draw::Surface&)>& paint);

    // The same, done when the page is first needed: painted, drawn on, or its image read. A
    // window's first page is so drawn once the window is up, as Qt paints its own widgets.
    void drawWhenNeeded(std::function<void(draw::Surface&)> paint);

    // The page, with any drawing that was waiting done.
    const QImage& image() const;
    QImage& image();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The image, made (white) if need be, with the waiting drawing done.
    QImage& ready() const;
    void drawOnImage(const std::function<void(draw::Surface&)>& paint) const;

    QSize pageSizePx_;
    mutable QImage image_;
    mutable std::function<void(draw::Surface&)> waiting_;
};

// The pane "picFrame": a sunken panel whose inside shows and clips the page. Turning the mouse
// wheel over it moves its scroll bar.
class PreviewFrame : public QFrame {
    Q_OBJECT
public:
    explicit PreviewFrame(QWidget* parent);

    // The visible area inside the border: the page's parent.
    QWidget* inside() const { return inside_; }
    void setScrollBar(QScrollBar* scrollBar) { scrollBar_ = scrollBar; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QWidget* inside_;
    QScrollBar* scrollBar_ = nullptr;
};

// The scroll bar's set-up for a page `pageTwips` high seen through a pane `paneTwips` high:
// Max = page - pane, LargeChange = Max / 10, SmallChange = LargeChange / 10, each rounded to the
// nearest whole number with halves to the even neighbour and kept within 16 bits. Max is never
// below 0, the changes never below 1.
struct ScrollSetup {
    int maximum;
    int largeChange;
    int smallChange;
    friend bool operator==(const ScrollSetup&, const ScrollSetup&) = default;
};
ScrollSetup scrollSetup(int pageTwips, int paneTwips);

// `value` rounded to the nearest whole number, halves to the even neighbour.
int roundHalfEven(double value);

}  // namespace desktop
