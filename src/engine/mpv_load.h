#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>

class QObject;

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

// Initialises a configured mpv and lets it open Video CD tracks; destroys
// it and returns null when it cannot start.
mpv_handle* StartMpv(mpv_handle* mpv);

// Brings mpv's news to `receiver`'s thread: a wake-up (on one of mpv's
// threads) posts one call of `drain` there, and no second one while that
// call is still queued. Ends the wake-ups when it goes.
class MpvWakeups {
  public:
    MpvWakeups(mpv_handle* mpv, QObject* receiver, std::function<void()> drain);
    ~MpvWakeups();
    // The first thing `drain` does: news from now on posts again.
    void rearm() { posted_ = false; }

  private:
    mpv_handle* mpv_;
    QObject* receiver_;
    std::function<void()> drain_;
    std::atomic<bool> posted_{false};
};
