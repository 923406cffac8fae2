#pragma once

#include <QRect>
#include <QWidget>

#include <algorithm>

namespace desktop {

// Window layouts are given in twips (1/1440 inch); on screen a pixel is 15 twips (96 dpi).
inline constexpr int kTwipsPerPixel = 15;

constexpr int px(int twips)
{
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

// The pixel that holds a twips position, also left of or above the origin.
constexpr int pxFloor(int twips)
{
    return twips >= 0 ? twips / kTwipsPerPixel : -((-twips + kTwipsPerPixel - 1) / kTwipsPerPixel);
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

// A caption that is a little wider in this platform's font than the layout allows is not cut:
// the control grows to the right to hold it.
inline void widenToFit(QWidget* widget)
{
    widget->resize(std::max(widget->width(), widget->sizeHint().width()), widget->height());
}

}  // namespace desktop
