#pragma once

#include <QString>
#include <optional>

// Rounds to the nearest whole number, halves to the even neighbour
// (0.5 -> 0, 1.5 -> 2, 2.5 -> 2). Values beyond the int range are clamped;
// NaN gives 0.
int RoundHalfEven(double value);

// The elapsed-time caption of `lbltimes` for a position of `t` seconds:
// minutes (not folded into hours), then ":" and two-digit seconds, e.g.
// 65.4 -> "1:05", 3725 -> "62:05", -1 -> "0:00". The minute count is a
// 16-bit number and 60 x minutes a 16-bit product, so from 547 minutes on
// there is no caption (nullopt) and the label keeps its last text.
std::optional<QString> ElapsedText(double t);

// Milliseconds until the whole second shown for a position of `t` seconds
// changes while playing on (the next half second past `t`), at least 1.
int MsUntilShownSecondChanges(double t);
