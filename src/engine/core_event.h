#pragma once

#include <cstdint>

// What the player core says happened to a file of its playlist, passed on
// as it comes.
struct CoreEvent {
    enum class Kind {
        Reply,           // to one of our commands: `reply` and `error`, `entry` for loadfile
        StartFile,       // `entry` begins to open
        FileLoaded,      // the file being opened has loaded
        PlaybackRestart, // playback (re)started after a load or a seek
        EndFile,         // `entry` ended for `reason`; `error` when reason is Error
        Idle,            // nothing left to play
    };
    enum class EndReason { Eof, Stop, Quit, Error, Redirect };
    Kind kind = Kind::Idle;
    int64_t entry = -1;
    EndReason reason = EndReason::Eof;
    int error = 0;
    uint64_t reply = 0;
};
