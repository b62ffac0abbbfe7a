#include "engine/playback_policy.h"

PlaybackPolicy::PlaybackPolicy(Core& core, Listener& listener,
                               std::function<bool(const QString&)> openable)
    : core_(core), listener_(listener), openable_(std::move(openable)) {}

QString PlaybackPolicy::askedFile() const {
    return pending_ && !pending_->restoring ? pending_->file.path : heard_.path;
}

// ---- what the program asks

bool PlaybackPolicy::open(const QString& path, Source source) {
    // Refused before anything changes: what plays goes on. (The core would
    // play a folder as a playlist of its files.)
    if (!openable_(path)) {
        restartable_ = false;
        return false;
    }
    // Asked again while on its way (Enter pressed twice): one open is enough.
    if (pending_ && !pending_->restoring && pending_->file.path == path &&
        pending_->file.source == source)
        return true;
    startLoad({path, source, -1}, false, State::Playing, 0);
    return true;
}

void PlaybackPolicy::startLoad(const File& file, bool restoring, State target, double start) {
    ++generation_;
    ended_ = false;
    queued_.reset(); // the load replaces the whole playlist
    // Every file loads paused, and one that is to play is let go once it
    // has begun: not a sample of a halted file sounds again, and the sound
    // output is idle while the old file is taken down, so opening while
    // something plays is as quick as opening after Stop.
    setCorePaused(true);
    heardLoaded_ = false;
    pending_ = Pending{
        file,        core_.load(file.path, file.source, start), restoring, target, false, false,
        std::nullopt};
    if (pending_->request == 0) {
        fail();
        return;
    }
    listener_.stateChanged();
}

bool PlaybackPolicy::play() {
    if (pending_) {
        pending_->target = State::Playing;
        if (pending_->started)
            setCorePaused(false);
        return true;
    }
    if (state_ == State::Idle) {
        // Played to the end: start it again. Not after a refused open: the
        // file asked for is not there, and the one before it has just ended.
        return restartable_ && !heard_.path.isEmpty() && open(heard_.path, heard_.source);
    }
    if (!heardLoaded_) { // halted while it was opening
        startLoad(heard_, false, State::Playing, 0);
        return true;
    }
    setCorePaused(false);
    setState(State::Playing);
    return true;
}

bool PlaybackPolicy::pause() {
    if (pending_) {
        pending_->target = State::Paused;
        setCorePaused(true);
        return true;
    }
    if (state_ == State::Idle || !heardLoaded_)
        return false;
    setCorePaused(true);
    if (state_ == State::Playing)
        setState(State::Paused);
    return true;
}

bool PlaybackPolicy::stop() {
    if (pending_) {
        // The open is given up; the file asked for is the one Play starts.
        if (!pending_->restoring)
            heard_ = {pending_->file.path, pending_->file.source, -1};
        pending_.reset();
        ++generation_;
        queued_.reset();
        heardLoaded_ = false;
        heardPosition_ = 0.0;
        restartable_ = true;
        core_.stop();
        state_ = State::Stopped;
        listener_.stateChanged();
        return true;
    }
    if (state_ == State::Idle)
        return false;
    if (!heardLoaded_)
        return true;
    // Halted and rewound, the file stays loaded for Play to start again.
    setCorePaused(true);
    core_.seek(0);
    heardPosition_ = 0.0;
    setState(State::Stopped);
    return true;
}

bool PlaybackPolicy::seek(double seconds) {
    if (pending_ || state_ == State::Idle || !heardLoaded_)
        return false;
    core_.seek(seconds);
    heardPosition_ = seconds;
    return true;
}

void PlaybackPolicy::setNext(const QString& path) {
    if (path == next_)
        return;
    next_ = path;
    syncQueue();
}

// The core's playlist holds the file heard and, after it, the next one,
// so the core opens it ahead of time and goes on without a gap. Nothing is
// queued while a file opens (a failing file would let the core go on to
// it) nor behind a playlist of the program's own.
void PlaybackPolicy::syncQueue() {
    const bool canQueue =
        !pending_ && heardLoaded_ && state_ != State::Idle && heard_.source == Source::UserFile;
    const QString wanted = canQueue && !next_.isEmpty() && openable_(next_) ? next_ : QString();
    if (queued_ && queued_->path == wanted)
        return;
    if (queued_) {
        core_.dropQueued();
        queued_.reset();
    }
    if (!wanted.isEmpty())
        queued_ = Queued{wanted, core_.append(wanted), -1};
}

// ---- what the core reports

void PlaybackPolicy::onEvent(const CoreEvent& event) {
    switch (event.kind) {
    case CoreEvent::Kind::Reply:
        onReply(event);
        break;
    case CoreEvent::Kind::StartFile:
        onStartFile(event.entry);
        break;
    case CoreEvent::Kind::PlaybackRestart:
        onPlaybackRestart();
        break;
    case CoreEvent::Kind::EndFile:
        onEndFile(event);
        break;
    case CoreEvent::Kind::Idle:
        onIdle();
        break;
    case CoreEvent::Kind::FileLoaded:
        break;
    }
}

void PlaybackPolicy::onReply(const CoreEvent& event) {
    if (pending_ && event.reply == pending_->request) {
        if (event.error < 0)
            fail();
        else
            pending_->file.entry = event.entry;
    } else if (queued_ && event.reply == queued_->request) {
        if (event.error < 0)
            queued_.reset();
        else
            queued_->entry = event.entry;
    }
}

namespace {
// An entry of `file`: itself, or one its playlist expanded into.
bool isEntryOf(int64_t entry, int64_t fileEntry, PlaybackPolicy::Source source) {
    if (fileEntry < 0)
        return false;
    return entry == fileEntry ||
           (source == PlaybackPolicy::Source::OwnPlaylist && entry > fileEntry);
}
} // namespace

bool PlaybackPolicy::belongsToHeard(int64_t entry) const {
    return heardLoaded_ && isEntryOf(entry, heard_.entry, heard_.source);
}

void PlaybackPolicy::onStartFile(int64_t entry) {
    if (pending_) {
        // Anything else starting meanwhile is what the load replaces.
        if (isEntryOf(entry, pending_->file.entry, pending_->file.source)) {
            pending_->started = true;
            // The file before it has ended: nothing of it can sound now.
            if (pending_->target == State::Playing && corePaused_)
                setCorePaused(false);
        }
        return;
    }
    if (queued_ && entry == queued_->entry) {
        moveOn();
        return;
    }
    if (belongsToHeard(entry))
        return;
    // The core went on to a file that was no longer wanted (dropped from
    // its playlist too late): end it, and let the end of stream decide.
    ended_ = true;
    core_.stop();
}

void PlaybackPolicy::moveOn() {
    heard_ = {queued_->path, Source::UserFile, queued_->entry};
    queued_.reset();
    // What followed this file was picked for the one before.
    next_.clear();
    ended_ = false;
    heardLoaded_ = true;
    heardPosition_.reset();
    restartable_ = true;
    state_ = corePaused_ ? State::Paused : State::Playing;
    listener_.movedOn(heard_.path);
    listener_.opened();
    listener_.stateChanged();
}

void PlaybackPolicy::onPlaybackRestart() {
    if (!pending_ || !pending_->started)
        return;
    pending_->restarted = true;
    // Loaded paused, it will not play on to prove itself.
    if (pending_->target != State::Playing)
        confirm();
}

void PlaybackPolicy::onPosition(std::optional<double> seconds) {
    if (!pending_) {
        heardPosition_ = seconds;
        return;
    }
    // Playing on after it started: its first frame or sample is out.
    if (!pending_->restarted || !seconds)
        return;
    if (!pending_->firstPosition)
        pending_->firstPosition = seconds;
    else if (*seconds > *pending_->firstPosition) {
        confirm();
        heardPosition_ = seconds;
    }
}

void PlaybackPolicy::confirm() {
    const Pending done = *pending_;
    pending_.reset();
    heard_ = done.file;
    heardLoaded_ = true;
    heardPosition_.reset();
    restartable_ = true;
    ended_ = false;
    state_ = done.target;
    listener_.opened();
    listener_.stateChanged();
    syncQueue();
}

void PlaybackPolicy::fail() {
    const Pending failed = *pending_;
    pending_.reset();
    restartable_ = false;
    if (failed.restoring) {
        state_ = State::Idle; // the file heard before cannot be opened again
        listener_.stateChanged();
        return;
    }
    // Back to the file heard before, where it was and as it was; whoever
    // hears of the failure finds the engine on its way back already.
    if (!heard_.path.isEmpty() && state_ != State::Idle)
        startLoad(heard_, true, state_, state_ == State::Stopped ? 0 : heardPosition_.value_or(0));
    else
        listener_.stateChanged();
    listener_.openFailed(failed.file.path);
}

void PlaybackPolicy::onEndFile(const CoreEvent& event) {
    using Reason = CoreEvent::EndReason;
    if (pending_ && isEntryOf(event.entry, pending_->file.entry, pending_->file.source)) {
        const bool itself = event.entry == pending_->file.entry;
        if (event.reason == Reason::Error && itself) {
            fail();
            return;
        }
        if (event.reason != Reason::Eof)
            return;
        confirm(); // played, however briefly, to its end
    }
    // The end of an older file while a newer one opens does not move on.
    if (pending_ || !belongsToHeard(event.entry))
        return;
    if (event.reason == Reason::Eof || event.reason == Reason::Error)
        ended_ = true;
}

void PlaybackPolicy::onIdle() {
    if (pending_) {
        // Everything a playlist of our own held failed.
        if (pending_->started)
            fail();
        return;
    }
    if (!ended_)
        return;
    ended_ = false;
    heardLoaded_ = false;
    queued_.reset();
    state_ = State::Idle;
    listener_.stateChanged();
    listener_.endOfStream();
}

// ---- helpers

void PlaybackPolicy::setCorePaused(bool paused) {
    if (paused == corePaused_)
        return;
    corePaused_ = paused;
    core_.setPaused(paused);
}

void PlaybackPolicy::setState(State state) {
    if (state == state_)
        return;
    state_ = state;
    listener_.stateChanged();
}
