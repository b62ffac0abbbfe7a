#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

struct mpv_handle;
struct mpv_event;

// Follows one `loadfile` through mpv's events to its outcome, without ever
// waiting for it. The entries an M3U expands into count as the load.
class MpvLoad {
  public:
    enum class Outcome { Pending, Loaded, Failed };

    // Sends `loadfile path replace options` without waiting for mpv.
    bool start(mpv_handle* mpv, const QString& path, const QByteArray& options);
    // What follows no longer counts.
    void forget() { active_ = false; }
    bool active() const { return active_; }
    // Loaded or Failed once `event` decides it, Pending before and after.
    Outcome feed(const mpv_event& event);

  private:
    Outcome finish(Outcome outcome);

    bool active_ = false;
    // The reply to our loadfile names the playlist entry it made.
    uint64_t request_ = 0;
    int64_t entry_ = -1;
    bool started_ = false;
};

// The options for loading a file with the command-line player's own
// defaults for our purposes, read by the engine and the probe alike.
void ApplyCommonMpvOptions(mpv_handle* mpv);
