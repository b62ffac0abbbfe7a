#pragma once

#include <QString>
#include <optional>

// Texts of the shared label `lblsound` and the engine values behind the
// volume bar `HScroll1` (0..2500) and the balance bar `HScroll2`
// (-5000..5000). `dragging` selects the scroll handler's variant (the thumb
// is being dragged) over the change handler's.

// "音量：" (while dragging "音量： ") + v/25 (remainder dropped) + " %".
QString VolumeLabel(int v, bool dragging);

// The bar covers -2500..0 hundredths of a decibel: 25 dB of range below
// full level.
int EngineVolume(int v);

// "立体声" strictly inside (-T, T), T = 500 (change) or 2500 (dragging);
// beyond it "均衡:" + |v|/50 + " % 左声道 " or " % 右声道 ". Exactly at -T or T
// there is no text: the label keeps what it shows.
std::optional<QString> BalanceLabel(int v, bool dragging);

// The widest text the sound label shows: a balance with two digits and two
// decimals.
QString WidestSoundText();

// |b|/50 in plain decimals: at most two places, no trailing zeros or point
// (5000 -> "100", -2510 -> "50.2", 505 -> "10.1").
QString BalancePercent(int b);
