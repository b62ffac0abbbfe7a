#pragma once

#include <QRect>
#include <cmath>

// Layouts are given in twips; 15 twips are one device-independent pixel.
namespace Twips {
constexpr double PerPixel = 15.0;

inline int toPx(double twips) {
    return static_cast<int>(std::lround(twips / PerPixel));
}
inline double fromPx(int px) {
    return px * PerPixel;
}
inline QRect rect(double left, double top, double width, double height) {
    return QRect(toPx(left), toPx(top), toPx(width), toPx(height));
}
} // namespace Twips
