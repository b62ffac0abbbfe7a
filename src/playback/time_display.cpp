#include "playback/time_display.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

bool fitsInt16(long long v) {
    return v >= std::numeric_limits<std::int16_t>::min() &&
           v <= std::numeric_limits<std::int16_t>::max();
}

} // namespace

int MsUntilShownSecondChanges(double t) {
    // At a half the second shown may turn on the next step already.
    if (!std::isfinite(t) || t - std::floor(t) == 0.5)
        return 1;
    const double nextHalf = std::floor(t - 0.5) + 1.5;
    return std::max(1, static_cast<int>(std::ceil((nextHalf - t) * 1000.0 - 1e-6)) + 1);
}

int RoundHalfEven(double value) {
    if (std::isnan(value))
        return 0;
    // Decided by hand rather than through the floating-point rounding mode,
    // which any library may have changed.
    double rounded = std::floor(value);
    const double fraction = value - rounded;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0))
        rounded += 1.0;
    if (rounded <= std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    if (rounded >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(rounded);
}

std::optional<QString> ElapsedText(double t) {
    if (!std::isfinite(t))
        return std::nullopt;
    const long long minutesWide = static_cast<long long>(RoundHalfEven(t)) / 60;
    if (!fitsInt16(minutesWide) || !fitsInt16(60 * minutesWide))
        return std::nullopt;
    const auto minutes = static_cast<std::int16_t>(minutesWide);
    int seconds = RoundHalfEven(t - 60.0 * minutes);
    if (!fitsInt16(seconds))
        return std::nullopt;
    if (seconds == -1)
        seconds = 0;
    const QString separator = seconds < 10 ? QStringLiteral(":0") : QStringLiteral(":");
    return QString::number(minutes) + separator + QString::number(seconds);
}
