#pragma once

#include <QRect>

namespace windows {

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

}  // namespace windows
