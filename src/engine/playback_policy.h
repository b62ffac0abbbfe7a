#pragma once

#include "engine/core_event.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

// Every decision about what plays, made from the player core's events and
// nothing else: which file the user asked for, which one is heard, what a
// failure or an end of stream means, and which file waits in the core's
// playlist to follow the one heard without a gap. Knows no libmpv: the
// engine feeds it the core's events and carries out what it asks through
// Core. Tests drive it with scripted events.
//
// A new file is opened in place of the one heard. Should it end with an
// error before its first frame or sample has played, the file heard before
// is opened again where it was, playing or paused as it was: a refused open
// leaves the player as it was, and the old file is never lost to a new one
// that cannot play. A file halted by Stop is not heard again when another
// starts: the core is paused for every load until the new file has begun.
class PlaybackPolicy {
  public:
    enum class State { Idle, Opening, Playing, Paused, Stopped };
    // A file the user picked plays as that file; the program's own
    // playlists (the Video CD's) are expanded by the core.
    enum class Source { UserFile, OwnPlaylist };

    // What the policy needs done by the core, in the order asked.
    class Core {
      public:
        virtual ~Core() = default;
        // Opens `path` in place of everything in the playlist, from `start`
        // seconds; returns the command's reply id.
        virtual uint64_t load(const QString& path, Source source, double start) = 0;
        // Adds `path` after the file playing; returns the reply id.
        virtual uint64_t append(const QString& path) = 0;
        // Removes everything but the file playing from the playlist.
        virtual void dropQueued() = 0;
        virtual void setPaused(bool paused) = 0;
        virtual void seek(double seconds) = 0;
        // Ends every file and leaves the core empty.
        virtual void stop() = 0;
    };
    // What the policy tells the rest of the program.
    class Listener {
      public:
        virtual ~Listener() = default;
        virtual void stateChanged() = 0;
        // The file last asked for cannot be played.
        virtual void openFailed(const QString& path) = 0;
        // What was opened has played to its end and nothing follows it.
        virtual void endOfStream() = 0;
        // The core went on by itself from the file heard to the queued one.
        virtual void movedOn(const QString& path) = 0;
        // A newly opened file is heard: its position and length start anew.
        virtual void opened() = 0;
    };

    PlaybackPolicy(Core& core, Listener& listener, std::function<bool(const QString&)> openable);

    // ---- what the program asks
    // False, and nothing changes, when `path` is not there to open.
    bool open(const QString& path, Source source);
    bool play();
    bool pause();
    bool stop();
    bool seek(double seconds);
    // The file to follow the one heard at its end, queued in the core ahead
    // of time; empty for none. Kept across opens.
    void setNext(const QString& path);

    // ---- what the core reports
    void onEvent(const CoreEvent& event);
    void onPosition(std::optional<double> seconds);

    // ---- what it knows
    // Opening while a file is on its way, else as the file heard is.
    State state() const { return pending_ ? State::Opening : state_; }
    // The file heard: Idle (none, or played to its end), Playing, Paused
    // or Stopped; stays as it was while another file opens.
    State heardState() const { return state_; }
    bool isOpening() const { return pending_.has_value(); }
    // The file heard (or halted, or ended), also while another is opening.
    QString heardFile() const { return heard_.path; }
    // The file the user asked for last: the one opening, else the one heard.
    QString askedFile() const;
    // Grows with every open: an end of stream told under an older value
    // is stale once it is delivered.
    uint64_t generation() const { return generation_; }
    // The path waiting in the core's playlist, if any.
    QString queuedFile() const { return queued_ ? queued_->path : QString(); }

  private:
    struct File {
        QString path;
        Source source = Source::UserFile;
        int64_t entry = -1;
    };
    struct Pending {
        File file;
        uint64_t request = 0;
        // Putting back the file heard before a refused open.
        bool restoring = false;
        // The state the file takes once it plays: Playing, Paused or Stopped.
        State target = State::Playing;
        bool started = false;
        bool restarted = false;
        // The first position reported after the restart: playing on past
        // it shows the file plays (a picture that cannot be decoded still
        // reports one position).
        std::optional<double> firstPosition;
    };
    struct Queued {
        QString path;
        uint64_t request = 0;
        int64_t entry = -1;
    };

    void startLoad(const File& file, bool restoring, State target, double start);
    void onReply(const CoreEvent& event);
    void onStartFile(int64_t entry);
    void onPlaybackRestart();
    void onEndFile(const CoreEvent& event);
    void onIdle();
    void confirm();
    void fail();
    void moveOn();
    bool belongsToHeard(int64_t entry) const;
    void syncQueue();
    void setCorePaused(bool paused);
    void setState(State state);

    Core& core_;
    Listener& listener_;
    std::function<bool(const QString&)> openable_;

    // The file heard, and how (never Opening).
    State state_ = State::Idle;
    File heard_;
    // mpv holds the file heard (it may be halted or paused).
    bool heardLoaded_ = false;
    std::optional<double> heardPosition_;
    std::optional<Pending> pending_;
    QString next_;
    std::optional<Queued> queued_;
    bool corePaused_ = false;
    // The file heard ended at its end; the core goes on or goes idle.
    bool ended_ = false;
    // Play after the end starts the file again, not after a refused open.
    bool restartable_ = false;
    uint64_t generation_ = 0;
};
