#include "engine/mpv_engine.h"

#include "engine/mpv_vcd_streams.h"
#include "engine/mpv_view.h"
#include "platform/local_names.h"
#include "platform/vcd_track_url.h"

#include <mpv/client.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QMetaObject>
#include <clocale>
#include <cmath>

namespace {

// The label of our audio filter in mpv's chain. Its libavfilter graph is an
// exact gain in dB, then a balance stage that attenuates one side.
constexpr const char* kFilterLabel = "sonvela";
constexpr int kDefaultViewWidth = 306;  // 4590 twips
constexpr int kDefaultViewHeight = 229; // 3435 twips

enum ObservedProperty : uint64_t { IdleActive = 1, DisplayWidth, DisplayHeight, TimePos, Pause };

QString gainText(int hundredthsDb) {
    return QString::number(hundredthsDb / 100.0) + "dB";
}

// stereotools in "balance" mode scales the left side by (1 - b) for b > 0
// and the right side by (1 + b) for b < 0: pick b for an exact dB drop.
QString balanceText(int hundredthsDb) {
    const double keep = std::pow(10.0, -std::abs(hundredthsDb) / 2000.0);
    const double b = hundredthsDb > 0 ? 1.0 - keep : hundredthsDb < 0 ? keep - 1.0 : 0.0;
    return QString::number(b, 'g', 12);
}

QByteArray audioFilterChain(int volume, int balance) {
    return QStringLiteral("@%1:lavfi=[volume=volume=%2,stereotools=balance_out=%3]")
        .arg(QLatin1String(kFilterLabel), gainText(volume), balanceText(balance))
        .toUtf8();
}

// Options for a file the user picked. It may hold a playlist or anything
// else that names other files or addresses; none of them is followed, so a
// local file never makes the engine reach the network. A cue sheet still
// needs its audio file (which mpv only looks for beside it), so it is read
// by the cue reader alone. The program's own playlist is opened through
// openPlaylist instead.
QByteArray userFileOptions(const QString& path) {
    const QByteArray localOnly = "demuxer-lavf-o=protocol_whitelist=file";
    if (QFileInfo(path).suffix().compare(QLatin1String("cue"), Qt::CaseInsensitive) == 0)
        return "demuxer=+cue," + localOnly;
    return "access-references=no," + localOnly;
}

void setOption(mpv_handle* mpv, const char* name, const QString& value) {
    mpv_set_option_string(mpv, name, value.toUtf8().constData());
}

} // namespace

MpvEngine::MpvEngine(const MpvEngineOptions& options, QObject* parent)
    : MediaEngine(parent), options_(options) {
    // libmpv refuses to start unless numbers are formatted the C way.
    std::setlocale(LC_NUMERIC, "C");
    mpv_ = mpv_create();
    if (!mpv_)
        return;
    configure(options);
    if (mpv_initialize(mpv_) < 0) {
        mpv_terminate_destroy(mpv_);
        mpv_ = nullptr;
        return;
    }
    RegisterVcdStreams(mpv_);
    mpv_observe_property(mpv_, IdleActive, "idle-active", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv_, Pause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv_, DisplayWidth, "dwidth", MPV_FORMAT_INT64);
    mpv_observe_property(mpv_, DisplayHeight, "dheight", MPV_FORMAT_INT64);
    // The position is polled many times a second by the time display; a
    // read of mpv's property would wake its core thread every time, while
    // an observed one costs nothing when nothing plays.
    mpv_observe_property(mpv_, TimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_set_wakeup_callback(
        mpv_,
        [](void* self) {
            // mpv's thread: only post; the UI thread talks to mpv.
            QMetaObject::invokeMethod(static_cast<MpvEngine*>(self), &MpvEngine::drainEvents,
                                      Qt::QueuedConnection);
        },
        this);
}

MpvEngine::~MpvEngine() {
    if (!mpv_)
        return;
    mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    if (view_) {
        view_->detachEngine(); // frees the render context with its GL context current
        if (!view_->parent())
            delete view_;
    }
    mpv_terminate_destroy(mpv_);
}

void MpvEngine::configure(const MpvEngineOptions& options) {
    // The picture goes to the null output until the view has a render
    // context; the view switches it (mpv can change its video output live).
    setOption(mpv_, "vo", QStringLiteral("null"));
    if (!options.audioOutput.isEmpty())
        setOption(mpv_, "ao", options.audioOutput);
    if (!options.audioFile.isEmpty())
        setOption(mpv_, "ao-pcm-file", options.audioFile);
    const char* fixed[][2] = {
        {"audio-fallback-to-null", "yes"}, // no sound device: play silently
        {"idle", "yes"},
        {"keep-open", "no"},
        {"config", "no"},
        {"load-scripts", "no"},
        {"osc", "no"},
        {"ytdl", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"input-cursor", "no"},
        {"input-builtin-bindings", "no"},
        {"cursor-autohide", "no"},
        {"osd-level", "0"},
        {"audio-display", "no"},     // cover art is no picture to show
        {"gpu-hwdec-interop", "no"}, // software decoding: probe no GPU APIs
        {"terminal", "no"},
        {"pause", "no"},
        // A video track switched back on (the video window shown again)
        // must not hold the sound back until the picture has caught up.
        {"initial-audio-sync", "no"},
    };
    for (const auto& [name, value] : fixed)
        mpv_set_option_string(mpv_, name, value);
    mpv_set_option_string(mpv_, "af", audioFilterChain(volume_, balance_).constData());
}

// ---- events

void MpvEngine::drainEvents() {
    while (mpv_) {
        mpv_event* event = mpv_wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
}

void MpvEngine::handleEvent(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_START_FILE: {
        const auto* start = static_cast<const mpv_event_start_file*>(event.data);
        endedAtEof_ = false;
        idle_ = false;
        if (loadState_ == LoadState::Pending && start->playlist_entry_id >= loadEntryId_)
            loadStarted_ = true;
        break;
    }
    case MPV_EVENT_FILE_LOADED:
        if (loadState_ == LoadState::Pending && loadStarted_)
            loadState_ = LoadState::Loaded;
        break;
    case MPV_EVENT_END_FILE:
        handleEndFile(event);
        break;
    case MPV_EVENT_IDLE:
        idle_ = true;
        postEndOfStreamIfFinished();
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        handlePropertyChange(event);
        break;
    default:
        break;
    }
}

void MpvEngine::handleEndFile(const mpv_event& event) {
    const auto* end = static_cast<const mpv_event_end_file*>(event.data);
    if (end->reason == MPV_END_FILE_REASON_EOF) {
        endedAtEof_ = true;
        postEndOfStreamIfFinished();
    }
    if (loadState_ == LoadState::Pending && end->reason == MPV_END_FILE_REASON_ERROR &&
        end->playlist_entry_id == loadEntryId_)
        loadState_ = LoadState::Failed;
}

void MpvEngine::handlePropertyChange(const mpv_event& event) {
    const auto* property = static_cast<const mpv_event_property*>(event.data);
    switch (event.reply_userdata) {
    case IdleActive:
        if (property->format == MPV_FORMAT_FLAG) {
            idle_ = *static_cast<int*>(property->data) != 0;
            postEndOfStreamIfFinished();
            reportStateIfChanged();
        }
        break;
    case Pause:
        if (property->format == MPV_FORMAT_FLAG) {
            paused_ = *static_cast<int*>(property->data) != 0;
            reportStateIfChanged();
        }
        break;
    case TimePos:
        if (property->format == MPV_FORMAT_DOUBLE)
            timePos_ = *static_cast<double*>(property->data);
        else
            timePos_.reset();
        break;
    case DisplayWidth:
    case DisplayHeight: {
        const bool known = property->format == MPV_FORMAT_INT64;
        const int value = known ? int(*static_cast<int64_t*>(property->data)) : 0;
        const QSize before = clipSize_;
        if (event.reply_userdata == DisplayWidth)
            clipSize_.setWidth(value);
        else
            clipSize_.setHeight(value);
        if (clipSize_ != before && clipSize_.width() > 0 && clipSize_.height() > 0)
            emit clipSizeChanged(clipSize_);
        break;
    }
    default:
        break;
    }
}

void MpvEngine::postEndOfStreamIfFinished() {
    if (!endedAtEof_ || !idle_)
        return;
    endedAtEof_ = false;
    // Queued, so the receiver may open the next file without running inside
    // our event handling; a file opened meanwhile cancels it.
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == generation_)
                emit EndOfStream(0);
        },
        Qt::QueuedConnection);
}

// ---- opening

bool MpvEngine::setFileName(const QString& path) {
    return open(path, Source::UserFile);
}

bool MpvEngine::openPlaylist(const QString& path) {
    return open(path, Source::OwnPlaylist);
}

bool MpvEngine::open(const QString& path, Source source) {
    // Refused before anything changes: the open file keeps playing. (mpv
    // would play a folder as a playlist of its files.)
    if (!mpv_ || !isOpenable(path)) {
        restartable_ = false;
        return false;
    }
    ++generation_;
    endedAtEof_ = false;
    setPaused(false);
    const QByteArray name = StringToLocalName(path);
    const QByteArray options =
        source == Source::OwnPlaylist ? VcdPlaylistOptions(path) : userFileOptions(path);
    const char* args[] = {"loadfile", name.constData(), "replace",
                          options.isEmpty() ? nullptr : options.constData(), nullptr};
    mpv_node result;
    if (mpv_command_ret(mpv_, args, &result) < 0)
        return false;
    qint64 entryId = -1;
    if (result.format == MPV_FORMAT_NODE_MAP) {
        for (int i = 0; i < result.u.list->num; ++i) {
            if (qstrcmp(result.u.list->keys[i], "playlist_entry_id") == 0 &&
                result.u.list->values[i].format == MPV_FORMAT_INT64)
                entryId = result.u.list->values[i].u.int64;
        }
    }
    mpv_free_node_contents(&result);
    restartable_ = waitForLoad(entryId);
    if (!restartable_)
        return false;
    fileName_ = path;
    source_ = source;
    halted_ = false;
    reportStateIfChanged();
    return true;
}

bool MpvEngine::isOpenable(const QString& path) {
    if (IsVcdTrackUrl(path))
        return VcdTrackExists(path);
    return IsReadableLocalFile(path);
}

bool MpvEngine::waitForLoad(qint64 entryId) {
    loadState_ = LoadState::Pending;
    loadEntryId_ = entryId;
    loadStarted_ = false;
    QElapsedTimer clock;
    clock.start();
    while (loadState_ == LoadState::Pending) {
        const qint64 left = options_.loadTimeoutMs - clock.elapsed();
        if (left <= 0)
            break;
        // The renderer may have queued work for the UI thread; keep it going.
        if (view_)
            view_->serviceRenderer();
        mpv_event* event = mpv_wait_event(mpv_, std::min<qint64>(left, 50) / 1000.0);
        if (event->event_id != MPV_EVENT_NONE) {
            handleEvent(*event);
            continue;
        }
        int idle = 0;
        // Everything an M3U held failed: mpv went idle without loading.
        if (loadStarted_ && mpv_get_property(mpv_, "idle-active", MPV_FORMAT_FLAG, &idle) >= 0 &&
            idle)
            loadState_ = LoadState::Failed;
    }
    const bool loaded = loadState_ == LoadState::Loaded;
    loadState_ = loaded ? LoadState::Loaded : LoadState::Failed;
    if (!loaded)
        command({QStringLiteral("stop")}); // give up on a file that hangs
    // Events that arrived meanwhile are handled in order by the next drain.
    QMetaObject::invokeMethod(this, &MpvEngine::drainEvents, Qt::QueuedConnection);
    return loaded;
}

bool MpvEngine::isOpen() const {
    int idle = 1;
    return mpv_ && mpv_get_property(mpv_, "idle-active", MPV_FORMAT_FLAG, &idle) >= 0 && !idle;
}

// ---- transport

bool MpvEngine::play() {
    if (!mpv_)
        return false;
    // Played to the end: start the file again. Not after a refused open,
    // though: the file the user asked for is missing, and starting the one
    // before it instead would replay what has just ended.
    if (!isOpen() && (!restartable_ || fileName_.isEmpty() || !open(fileName_, source_)))
        return false;
    if (!setPaused(false))
        return false;
    halted_ = false;
    reportStateIfChanged();
    return true;
}

bool MpvEngine::pause() {
    if (!isOpen() || !setPaused(true))
        return false;
    refreshPosition();
    reportStateIfChanged();
    return true;
}

bool MpvEngine::stop() {
    // Halt and rewind, keeping the file open so Play starts it again.
    if (!isOpen() || !setPaused(true))
        return false;
    const bool rewound =
        command({QStringLiteral("seek"), QStringLiteral("0"), QStringLiteral("absolute")});
    refreshPosition();
    halted_ = true;
    reportStateIfChanged();
    return rewound;
}

PlaybackState MpvEngine::playbackState() const {
    if (idle_ || halted_)
        return PlaybackState::Stopped;
    return paused_ ? PlaybackState::Paused : PlaybackState::Playing;
}

void MpvEngine::reportStateIfChanged() {
    const PlaybackState state = playbackState();
    if (state == reportedState_ && fileName_ == reportedFile_)
        return;
    reportedState_ = state;
    reportedFile_ = fileName_;
    emit playbackStateChanged();
}

void MpvEngine::refreshPosition() {
    // After a pause or a seek the position must read what mpv holds now,
    // not a report still on its way from before.
    drainEvents();
    double seconds = 0;
    if (mpv_ && mpv_get_property(mpv_, "time-pos", MPV_FORMAT_DOUBLE, &seconds) >= 0)
        timePos_ = seconds;
}

std::optional<double> MpvEngine::currentPosition() const {
    if (!timePos_)
        return std::nullopt;
    // Just after a seek to the start mpv may report a little below zero.
    return std::max(*timePos_, 0.0);
}

bool MpvEngine::setCurrentPosition(double seconds) {
    if (!isOpen() || !command({QStringLiteral("seek"), QString::number(seconds, 'f', 3),
                               QStringLiteral("absolute")}))
        return false;
    refreshPosition();
    return true;
}

std::optional<double> MpvEngine::duration() const {
    double seconds = 0;
    if (!mpv_ || mpv_get_property(mpv_, "duration", MPV_FORMAT_DOUBLE, &seconds) < 0)
        return std::nullopt;
    return seconds;
}

// ---- sound

bool MpvEngine::setVolume(int hundredthsDb) {
    if (!mpv_ || hundredthsDb > 0 || hundredthsDb < -10000)
        return false;
    volume_ = hundredthsDb;
    applyAudioFilterOption();
    return true;
}

bool MpvEngine::setBalance(int hundredthsDb) {
    if (!mpv_ || std::abs(hundredthsDb) > 10000)
        return false;
    balance_ = hundredthsDb;
    applyAudioFilterOption();
    return true;
}

std::optional<int> MpvEngine::balance() const {
    if (!mpv_)
        return std::nullopt;
    return balance_;
}

bool MpvEngine::setMute(bool muted) {
    return mpv_ && setFlag("mute", muted);
}

void MpvEngine::applyAudioFilterOption() {
    // Replaces just our filter in the running chain: no seek, no gap (the
    // sound stays sample-exact). af-command alone would not do: mpv rebuilds
    // lavfi graphs from this option after every seek and for every file.
    mpv_set_property_string(mpv_, "af", audioFilterChain(volume_, balance_).constData());
}

// ---- picture

bool MpvEngine::drawsPicture() const {
    return options_.videoOutput == QLatin1String("libmpv");
}

void MpvEngine::setRendererAttached(bool attached) {
    if (!mpv_ || attached == rendererAttached_)
        return;
    rendererAttached_ = attached;
    const char* output = attached && drawsPicture() ? "libmpv" : "null";
    mpv_set_property_string(mpv_, "vo", output);
}

void MpvEngine::setPictureShown(bool shown) {
    if (!mpv_ || shown == pictureShown_)
        return;
    pictureShown_ = shown;
    mpv_set_property_string(mpv_, "vid", shown ? "auto" : "no");
}

bool MpvEngine::setDisplaySize(int mode) {
    if (!mpv_ || (mode != 0 && mode != 3))
        return false;
    static_cast<MpvView*>(view())->setFullScreen(mode == 3);
    return true;
}

QSize MpvEngine::pictureSize() const {
    if (view_)
        return view_->areaSize();
    if (clipSize_.width() > 0 && clipSize_.height() > 0)
        return clipSize_;
    return {kDefaultViewWidth, kDefaultViewHeight};
}

QWidget* MpvEngine::view() {
    if (!view_) {
        view_ = new MpvView(this);
        view_->resize(clipSize_.isValid() && !clipSize_.isEmpty()
                          ? clipSize_
                          : QSize(kDefaultViewWidth, kDefaultViewHeight));
    }
    return view_;
}

// ---- helpers

bool MpvEngine::setFlag(const char* name, bool value) {
    int flag = value ? 1 : 0;
    return mpv_ && mpv_set_property(mpv_, name, MPV_FORMAT_FLAG, &flag) >= 0;
}

bool MpvEngine::setPaused(bool paused) {
    if (!setFlag("pause", paused))
        return false;
    // Known at once, not only when mpv's report of the change comes in.
    paused_ = paused;
    return true;
}

bool MpvEngine::command(const QStringList& args) {
    if (!mpv_)
        return false;
    QList<QByteArray> utf8;
    QList<const char*> argv;
    for (const QString& arg : args)
        utf8 << arg.toUtf8();
    for (const QByteArray& arg : utf8)
        argv << arg.constData();
    argv << nullptr;
    return mpv_command(mpv_, argv.data()) >= 0;
}
