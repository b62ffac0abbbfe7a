#pragma once

#include "engine/media_engine.h"
#include "engine/media_info.h"

#include <QString>
#include <cmath>
#include <optional>

// What the desktop's media controls (MPRIS) reach in the player. Each
// command is the matching button or menu item of the main window.
class MprisHost {
  public:
    virtual ~MprisHost() = default;

    virtual void showMainWindow() = 0;
    // The tray menu's "关闭程序".
    virtual void exitProgram() = 0;
    virtual void pressPlay() = 0;
    // Pauses or resumes, as the pause button would to get there; asking
    // for the state the player is in changes nothing.
    virtual void setPaused(bool paused) = 0;
    virtual void pressStop() = 0;
    virtual void pressNext() = 0;
    virtual void pressPrevious() = 0;
    // As the seek bar seeks.
    virtual void seekTo(double seconds) = 0;
    // As a command-line file: appended like a drop, then played.
    virtual void openFile(const QString& path) = 0;

    virtual PlaybackState playbackState() const = 0;
    // A file is being opened: what clients see waits until it is known.
    virtual bool isOpening() const = 0;
    // The file the engine has open; empty when none.
    virtual QString currentPath() const = 0;
    // The title the player shows for it.
    virtual QString currentTitle() const = 0;
    // The tags of the file the engine has loaded.
    virtual MediaTags currentTags() const = 0;
    virtual std::optional<double> duration() const = 0;
    virtual std::optional<double> position() const = 0;
    // The volume bar, 0 (lowest) to 1 (full).
    virtual double volume() const = 0;
    virtual void setVolume(double level) = 0;
};

// MPRIS counts time in microseconds.
namespace Mpris {
constexpr double MicrosecondsPerSecond = 1e6;
inline qlonglong toMicroseconds(double seconds) {
    return qlonglong(std::llround(seconds * MicrosecondsPerSecond));
}
} // namespace Mpris
