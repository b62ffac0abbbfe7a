#pragma once

#include <QPoint>

class MediaEngine;

// What the rest of the program needs from the video window `frmplay`. Each
// call creates the window (hidden, in its creation state) if it does not
// exist, so the engine is always reachable.
class VideoHost {
  public:
    virtual ~VideoHost() = default;
    virtual MediaEngine& engine() = 0;
    virtual void showVideoWindow() = 0;
    virtual void hideVideoWindow() = 0;
    // Pops up the video menu `mnuplay` at `at` (global: the pointer, or the
    // middle of the control a key opened it from); returns when it closed.
    virtual void popupVideoMenu(QPoint at) = 0;
};
