#pragma once

// What the video window's keys reach in the control panel `frm`. Each call
// works a control of the panel as the user would, through that control's
// own handlers.
class PanelHost {
  public:
    virtual ~PanelHost() = default;
    // A click on the pause button.
    virtual void pressPause() = 0;
    // Moves the seek bar by `seconds` (negative: back) and seeks there.
    virtual void seekBy(int seconds) = 0;
    // Moves the volume bar by `steps` of its small step (negative: softer).
    virtual void stepVolume(int steps) = 0;
    // Ticks or clears the mute box.
    virtual void toggleMute() = 0;
};
