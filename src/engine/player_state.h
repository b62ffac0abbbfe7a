#pragma once

#include "engine/media_info.h"

#include <QSize>
#include <QString>
#include <optional>

// What the engine last heard from mpv, kept on the UI thread. Every read
// the windows and the desktop make comes from here, so none of them waits
// for mpv's core; mpv's property reports keep it up to date.
// (Which file plays, and whether it plays, is PlaybackPolicy's to say.)
struct PlayerState {
    // Empty while nothing is open.
    std::optional<double> position;
    std::optional<double> duration;
    // The picture as it is shown: display aspect and rotation applied.
    // Empty when the open file has no picture.
    QSize pictureSize;
    // What the loaded file says about itself.
    MediaInfo media;
};
