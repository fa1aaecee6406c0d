#pragma once

#include <QRect>

namespace sorvik::app {

// The window's layout is kept in twips, 15 to a device-independent pixel; Qt scales pixels for
// high-dpi screens itself.
constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

constexpr QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

}  // namespace sorvik::app
