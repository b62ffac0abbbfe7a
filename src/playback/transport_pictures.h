#pragma once

#include <QPixmap>

// The skin pictures of the control panel, drawn by the program. Each is
// painted at `devicePixelRatio` times its logical size so it stays sharp
// on high-density screens.
namespace TransportPictures {

// Logical sizes: the transport buttons are 16 x 13, the control-centre
// buttons 20 x 21 (300 x 315 twips).
constexpr int ButtonWidth = 16;
constexpr int ButtonHeight = 13;
constexpr int RoundButtonWidth = 20;
constexpr int RoundButtonHeight = 21;

// The transport buttons, by `CtrlImage` index: 0 open, 1 play, 2 stop,
// 3 pause, 4 next, 5 previous; `pressed` gives the sunken look. Any other
// index gives an empty button face.
QPixmap transportButton(int index, bool pressed, qreal devicePixelRatio);

// The help button `help` (a question mark) and the VCD button `playvcd`
// (a disc).
QPixmap helpButton(qreal devicePixelRatio);
QPixmap vcdButton(qreal devicePixelRatio);

} // namespace TransportPictures
