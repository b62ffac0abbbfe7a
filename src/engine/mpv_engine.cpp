#include "engine/mpv_engine.h"

#include "engine/mpv_probe.h"
#include "engine/mpv_variant.h"
#include "engine/mpv_vcd_streams.h"
#include "engine/mpv_view.h"
#include "platform/local_names.h"
#include "platform/vcd_track_url.h"

#include <mpv/client.h>

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

enum ObservedProperty : uint64_t { IdleActive = 1, VideoOutParams, TimePos, Duration, Pause };

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

const mpv_node* member(const mpv_node& map, const char* key) {
    if (map.format != MPV_FORMAT_NODE_MAP)
        return nullptr;
    for (int i = 0; i < map.u.list->num; ++i)
        if (qstrcmp(map.u.list->keys[i], key) == 0)
            return &map.u.list->values[i];
    return nullptr;
}

int64_t intMember(const mpv_node& map, const char* key) {
    const mpv_node* value = member(map, key);
    return value && value->format == MPV_FORMAT_INT64 ? value->u.int64 : 0;
}

// The picture as the window shows it: mpv's display size (aspect applied),
// turned on its side for a clip stored rotated by 90 or 270 degrees.
QSize shownPictureSize(const mpv_node& videoOutParams) {
    const QSize size(int(intMember(videoOutParams, "dw")), int(intMember(videoOutParams, "dh")));
    const bool onItsSide = intMember(videoOutParams, "rotate") % 180 == 90;
    return onItsSide ? size.transposed() : size;
}

} // namespace

MpvEngine::MpvEngine(const MpvEngineOptions& options, QObject* parent)
    : MediaEngine(parent), options_(options), lengthWait_(new QTimer(this)) {
    // mpv reports a length that did not change (the same file again) not at
    // all: after this long the one known stands.
    lengthWait_->setSingleShot(true);
    lengthWait_->setInterval(300);
    connect(lengthWait_, &QTimer::timeout, this, &MpvEngine::finishOpen);
    // libmpv refuses to start unless numbers are formatted the C way.
    std::setlocale(LC_NUMERIC, "C");
    mpv_ = mpv_create();
    if (!mpv_)
        return;
    configure(options);
    mpv_ = StartMpv(mpv_);
    if (!mpv_)
        return;
    observe();
    wakeups_ = std::make_unique<MpvWakeups>(mpv_, this, [this] { drainEvents(); });
}

MpvEngine::~MpvEngine() {
    if (!mpv_)
        return;
    wakeups_.reset();
    probe_.reset();
    if (view_) {
        view_->detachEngine(); // frees the render context on its own thread
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
    ApplyCommonMpvOptions(mpv_);
    mpv_set_option_string(mpv_, "pause", "no");
    // A video track switched back on (the video window shown again) must
    // not hold the sound back until the picture has caught up.
    mpv_set_option_string(mpv_, "initial-audio-sync", "no");
    mpv_set_option_string(mpv_, "af", audioFilterChain(volume_, balance_).constData());
}

// Everything the windows read is reported by mpv when it changes, so a
// read never reaches mpv's core and nothing costs anything while idle.
void MpvEngine::observe() {
    mpv_observe_property(mpv_, IdleActive, "idle-active", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv_, Pause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv_, VideoOutParams, "video-out-params", MPV_FORMAT_NODE);
    mpv_observe_property(mpv_, TimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_, Duration, "duration", MPV_FORMAT_DOUBLE);
    for (const MediaInfoProperty& info : MediaInfoProperties) // media info
        mpv_observe_property(mpv_, info.id, info.name, MPV_FORMAT_NODE);
}

// ---- events

void MpvEngine::drainEvents() {
    wakeups_->rearm();
    while (mpv_) {
        const mpv_event* event = mpv_wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
}

void MpvEngine::handleEvent(const mpv_event& event) {
    switch (load_.feed(event)) {
    case MpvLoad::Outcome::Loaded:
        onLoaded();
        break;
    case MpvLoad::Outcome::Failed:
        onLoadFailed();
        break;
    case MpvLoad::Outcome::Pending:
        break;
    }
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        endedAtEof_ = false;
        state_.idle = false;
        state_.media = {}; // media info: the next file's comes
        break;
    case MPV_EVENT_END_FILE:
        if (static_cast<const mpv_event_end_file*>(event.data)->reason == MPV_END_FILE_REASON_EOF) {
            endedAtEof_ = true;
            postEndOfStreamIfFinished();
        }
        break;
    case MPV_EVENT_IDLE:
        state_.idle = true;
        postEndOfStreamIfFinished();
        reportStateIfChanged();
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        handlePropertyChange(event);
        break;
    default:
        break;
    }
}

void MpvEngine::handlePropertyChange(const mpv_event& event) {
    const auto* property = static_cast<const mpv_event_property*>(event.data);
    switch (event.reply_userdata) {
    case IdleActive:
        if (property->format == MPV_FORMAT_FLAG) {
            state_.idle = *static_cast<int*>(property->data) != 0;
            if (state_.idle)
                state_.position.reset();
            postEndOfStreamIfFinished();
            reportStateIfChanged();
        }
        break;
    case Pause:
        if (property->format == MPV_FORMAT_FLAG) {
            state_.paused = *static_cast<int*>(property->data) != 0;
            reportStateIfChanged();
        }
        break;
    case TimePos:
        if (property->format == MPV_FORMAT_DOUBLE)
            state_.position = *static_cast<double*>(property->data);
        else
            state_.position.reset();
        break;
    case Duration:
        if (property->format == MPV_FORMAT_DOUBLE) {
            state_.duration = *static_cast<double*>(property->data);
            if (!state_.opening)
                emit durationKnown(*state_.duration);
        } else {
            state_.duration.reset();
        }
        if (lengthWait_->isActive())
            finishOpen();
        break;
    case VideoOutParams:
        setPicture(property->format == MPV_FORMAT_NODE
                       ? shownPictureSize(*static_cast<mpv_node*>(property->data))
                       : QSize());
        break;
    default: // media info
        if (UpdateMediaInfo(state_.media, event.reply_userdata, VariantOfProperty(*property)))
            emit mediaInfoChanged();
        break;
    }
}

void MpvEngine::setPicture(QSize size) {
    if (size.width() <= 0 || size.height() <= 0)
        size = QSize();
    if (size == state_.pictureSize)
        return;
    state_.pictureSize = size;
    if (size.isEmpty())
        emit pictureGone();
    else
        emit clipSizeChanged(size);
}

void MpvEngine::postEndOfStreamIfFinished() {
    if (!endedAtEof_ || !state_.idle)
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
    // Asked again while on its way (Enter pressed twice): one open is enough.
    if (state_.opening && pending_.path == path && pending_.source == source)
        return true;
    ++generation_;
    endedAtEof_ = false;
    pending_ = {path, source, false};
    state_.opening = true;
    lengthWait_->stop();
    // While a file plays, the new one is tried aside first: one that cannot
    // be played leaves the playing one as it was.
    const bool somethingPlays = !state_.idle && !state_.halted;
    if (somethingPlays && source == Source::UserFile && probe().isValid()) {
        pending_.probing = true;
        load_.forget();
        probe().start(path, optionsFor(path, source));
    } else {
        if (probe_)
            probe_->cancel();
        load();
    }
    reportStateIfChanged();
    return true;
}

QByteArray MpvEngine::optionsFor(const QString& path, Source source) const {
    return source == Source::OwnPlaylist ? VcdPlaylistOptions(path) : userFileOptions(path);
}

MpvProbe& MpvEngine::probe() {
    if (!probe_) {
        probe_ = std::make_unique<MpvProbe>();
        connect(probe_.get(), &MpvProbe::finished, this, &MpvEngine::onProbed);
    }
    return *probe_;
}

void MpvEngine::onProbed(bool playable) {
    if (!state_.opening || !pending_.probing)
        return;
    if (playable)
        load();
    else
        onLoadFailed();
}

void MpvEngine::load() {
    pending_.probing = false;
    setPaused(false);
    if (!load_.start(mpv_, pending_.path, optionsFor(pending_.path, pending_.source)))
        onLoadFailed();
}

void MpvEngine::onLoaded() {
    lengthWait_->start();
}

void MpvEngine::finishOpen() {
    lengthWait_->stop();
    state_.opening = false;
    state_.fileName = pending_.path;
    state_.halted = false;
    source_ = pending_.source;
    restartable_ = true;
    emit positionJumped();
    if (state_.duration)
        emit durationKnown(*state_.duration);
    reportStateIfChanged();
}

void MpvEngine::onLoadFailed() {
    lengthWait_->stop();
    state_.opening = false;
    restartable_ = false;
    // Whatever the window showed of an earlier file is no picture of this one.
    if (!pending_.probing)
        setPicture(QSize());
    pending_.probing = false;
    emit openFailed(pending_.path);
    reportStateIfChanged();
}

void MpvEngine::cancelOpen() {
    if (!state_.opening)
        return;
    lengthWait_->stop();
    ++generation_;
    state_.opening = false;
    if (pending_.probing) {
        probe_->cancel();
    } else {
        load_.forget();
        command({"stop"});
    }
    pending_.probing = false;
}

bool MpvEngine::isOpenable(const QString& path) {
    if (IsVcdTrackUrl(path))
        return VcdTrackExists(path);
    return IsReadableLocalFile(path);
}

// ---- transport

bool MpvEngine::play() {
    if (!mpv_)
        return false;
    if (state_.opening) { // it starts as soon as it has loaded
        setPaused(false);
        return true;
    }
    // Played to the end: start the file again. Not after a refused open,
    // though: the file the user asked for is missing, and starting the one
    // before it instead would replay what has just ended.
    if (state_.idle)
        return restartable_ && !state_.fileName.isEmpty() && open(state_.fileName, source_);
    setPaused(false);
    state_.halted = false;
    reportStateIfChanged();
    return true;
}

bool MpvEngine::pause() {
    if (!mpv_ || (state_.idle && !state_.opening))
        return false;
    setPaused(true);
    reportStateIfChanged();
    return true;
}

bool MpvEngine::stop() {
    if (!mpv_)
        return false;
    cancelOpen();
    // Halt and rewind, keeping the file open so Play starts it again.
    if (state_.idle) {
        reportStateIfChanged();
        return false;
    }
    setPaused(true);
    command({"seek", "0", "absolute"});
    state_.halted = true;
    state_.position = 0.0;
    emit positionJumped();
    reportStateIfChanged();
    return true;
}

void MpvEngine::reportStateIfChanged() {
    const PlaybackState state = playbackState();
    if (state == reportedState_ && state_.fileName == reportedFile_ &&
        state_.opening == reportedOpening_)
        return;
    reportedState_ = state;
    reportedFile_ = state_.fileName;
    reportedOpening_ = state_.opening;
    emit playbackStateChanged();
}

std::optional<double> MpvEngine::currentPosition() const {
    if (!state_.position)
        return std::nullopt;
    // Just after a seek to the start mpv may report a little below zero.
    return std::max(*state_.position, 0.0);
}

bool MpvEngine::setCurrentPosition(double seconds) {
    if (!mpv_ || state_.idle || state_.opening)
        return false;
    const QByteArray target = QByteArray::number(seconds, 'f', 3);
    command({"seek", target.constData(), "absolute"});
    // Read back at once as where playback goes on, not as where it was.
    state_.position = seconds;
    emit positionJumped();
    return true;
}

std::optional<double> MpvEngine::duration() const {
    // While a file opens, the length known is the old file's.
    if (state_.opening)
        return std::nullopt;
    return state_.duration;
}

// ---- sound

bool MpvEngine::setVolume(int hundredthsDb) {
    if (!mpv_ || hundredthsDb > 0 || hundredthsDb < -10000)
        return false;
    volume_ = hundredthsDb;
    applyAudioFilter();
    return true;
}

bool MpvEngine::setBalance(int hundredthsDb) {
    if (!mpv_ || std::abs(hundredthsDb) > 10000)
        return false;
    balance_ = hundredthsDb;
    applyAudioFilter();
    return true;
}

std::optional<int> MpvEngine::balance() const {
    if (!mpv_)
        return std::nullopt;
    return balance_;
}

bool MpvEngine::setMute(bool muted) {
    if (!mpv_)
        return false;
    setProperty("mute", muted ? "yes" : "no");
    return true;
}

void MpvEngine::applyAudioFilter() {
    // Replaces just our filter in the running chain: no seek, no gap (the
    // sound stays sample-exact). af-command alone would not do: mpv rebuilds
    // lavfi graphs from this option after every seek and for every file.
    setProperty("af", audioFilterChain(volume_, balance_).constData());
}

// ---- picture

bool MpvEngine::drawsPicture() const {
    return options_.videoOutput == QLatin1String("libmpv");
}

void MpvEngine::setRendererAttached(bool attached) {
    if (!mpv_ || attached == rendererAttached_)
        return;
    rendererAttached_ = attached;
    setProperty("vo", attached && drawsPicture() ? "libmpv" : "null");
}

void MpvEngine::setPictureShown(bool shown) {
    if (!mpv_ || shown == pictureShown_)
        return;
    pictureShown_ = shown;
    setProperty("vid", shown ? "auto" : "no");
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
    if (!state_.pictureSize.isEmpty())
        return state_.pictureSize;
    return {kDefaultViewWidth, kDefaultViewHeight};
}

QWidget* MpvEngine::view() {
    if (!view_) {
        view_ = new MpvView(this);
        view_->resize(kDefaultViewWidth, kDefaultViewHeight);
        if (!state_.pictureSize.isEmpty())
            view_->fitToClip(state_.pictureSize);
    }
    return view_;
}

// ---- helpers

void MpvEngine::setPaused(bool paused) {
    setProperty("pause", paused ? "yes" : "no");
    // Known at once, not only when mpv's report of the change comes in.
    state_.paused = paused;
}

// Sent without waiting; mpv carries out what we send in the order sent.
void MpvEngine::command(std::initializer_list<const char*> args) {
    std::vector<const char*> argv(args);
    argv.push_back(nullptr);
    mpv_command_async(mpv_, 0, argv.data());
}

void MpvEngine::setProperty(const char* name, const char* value) {
    mpv_set_property_async(mpv_, 0, name, MPV_FORMAT_STRING, &value);
}
