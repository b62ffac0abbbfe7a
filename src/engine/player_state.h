#pragma once

#include "engine/media_engine.h"
#include "engine/media_info.h"

#include <QSize>
#include <QString>
#include <optional>

// What the engine last heard from mpv, kept on the UI thread. Every read
// the windows and the desktop make comes from here, so none of them waits
// for mpv's core; mpv's property reports keep it up to date.
struct PlayerState {
    // The file open, or the one played before an open that is pending.
    QString fileName;
    // An open was started and has neither loaded nor failed.
    bool opening = false;
    // mpv has nothing loaded.
    bool idle = true;
    bool paused = false;
    // Stop halts and rewinds but keeps the file open.
    bool halted = false;
    // Empty while nothing is open.
    std::optional<double> position;
    std::optional<double> duration;
    // The picture as it is shown: display aspect and rotation applied.
    // Empty when the open file has no picture.
    QSize pictureSize;
    // What the loaded file says about itself.
    MediaInfo media;

    PlaybackState playback() const {
        if (idle || halted)
            return PlaybackState::Stopped;
        return paused ? PlaybackState::Paused : PlaybackState::Playing;
    }
};
