#include "engine/mpv_engine.h"

#include "engine/mpv_adapter.h"
#include "engine/mpv_vcd_streams.h"
#include "engine/mpv_view.h"
#include "platform/listed_path.h"
#include "platform/local_names.h"
#include "platform/vcd_track_url.h"

#include "engine/playback_policy.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QVariantMap>
#include <cmath>

namespace {

// The label of our audio filter in mpv's chain. Its libavfilter graph is an
// exact gain in dB, then a balance stage that attenuates one side.
constexpr const char* kFilterLabel = "sonvela";
constexpr int kDefaultViewWidth = 306;  // 4590 twips
constexpr int kDefaultViewHeight = 229; // 3435 twips

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

// The picture as the window shows it: mpv's display size (aspect applied),
// turned on its side for a clip stored rotated by 90 or 270 degrees.
QSize shownPictureSize(const QVariantMap& videoOutParams) {
    const QSize size(videoOutParams.value(QStringLiteral("dw")).toInt(),
                     videoOutParams.value(QStringLiteral("dh")).toInt());
    const bool onItsSide = videoOutParams.value(QStringLiteral("rotate")).toInt() % 180 == 90;
    return onItsSide ? size.transposed() : size;
}

QByteArray optionsFor(const QString& path, PlaybackPolicy::Source source) {
    return source == PlaybackPolicy::Source::OwnPlaylist ? VcdPlaylistOptions(path)
                                                         : userFileOptions(path);
}

} // namespace

// What the policy asks of mpv, and what it tells the program.
class MpvEngine::Bridge : public PlaybackPolicy::Core, public PlaybackPolicy::Listener {
  public:
    explicit Bridge(MpvEngine& engine) : engine_(engine) {}

    uint64_t load(const QString& path, PlaybackPolicy::Source source, double start) override {
        QByteArray options = optionsFor(path, source);
        if (start > 0)
            options += ",start=" + QByteArray::number(start, 'f', 3);
        return loadFile(path, "replace", options);
    }
    uint64_t append(const QString& path) override {
        return loadFile(path, "append", optionsFor(path, PlaybackPolicy::Source::UserFile));
    }
    void dropQueued() override { mpv().command({"playlist-clear"}); }
    void setPaused(bool paused) override { mpv().setProperty("pause", paused ? "yes" : "no"); }
    void seek(double seconds) override {
        mpv().command({"seek", QByteArray::number(seconds, 'f', 3), "absolute"});
    }
    void stop() override { mpv().command({"stop"}); }

    void stateChanged() override { engine_.reportStateIfChanged(); }
    void openFailed(const QString& path) override { emit engine_.openFailed(path); }
    void endOfStream() override { engine_.postEndOfStream(); }
    void movedOn(const QString& path) override { emit engine_.movedOn(path); }
    void opened() override { engine_.onOpened(); }

  private:
    MpvAdapter& mpv() { return *engine_.mpv_; }
    uint64_t loadFile(const QString& path, const char* mode, const QByteArray& options) {
        // A name that is not UTF-8 reaches mpv as the bytes it has on disc;
        // a path from a list file may name a GBK-named file by its text.
        const QString onDisc = IsVcdTrackUrl(path) ? path : ResolveListedPath(path);
        QList<QByteArray> args{"loadfile", StringToLocalName(onDisc), mode};
        if (!options.isEmpty())
            args.append(options);
        return mpv().command(args);
    }

    MpvEngine& engine_;
};

// Every property the engine follows: one row each, reported when it changes.
struct MpvEngine::ObservedProperty {
    MpvAdapter::Property property;
    void (MpvEngine::*apply)(const QVariant& value);
    // A row of the media info instead: its id there.
    uint64_t mediaInfoId = 0;
};

const std::vector<MpvEngine::ObservedProperty>& MpvEngine::observedProperties() {
    static const std::vector<ObservedProperty> rows{
        {{"time-pos", MpvAdapter::Format::Double}, &MpvEngine::onTimePos},
        {{"duration", MpvAdapter::Format::Double}, &MpvEngine::onDuration},
        {{"video-out-params", MpvAdapter::Format::Node}, &MpvEngine::onVideoOutParams},
    };
    static const std::vector<ObservedProperty> all = [] {
        std::vector<ObservedProperty> withInfo = rows;
        for (const MediaInfoProperty& info : MediaInfoProperties)
            withInfo.push_back({{info.name, MpvAdapter::Format::Node}, nullptr, info.id});
        return withInfo;
    }();
    return all;
}

MpvEngine::MpvEngine(const MpvEngineOptions& options, QObject* parent)
    : MediaEngine(parent), options_(options), mpv_(std::make_unique<MpvAdapter>()),
      bridge_(std::make_unique<Bridge>(*this)),
      policy_(std::make_unique<PlaybackPolicy>(*bridge_, *bridge_, &MpvEngine::isOpenable)) {
    configure(options);
    QList<MpvAdapter::Property> properties;
    for (const ObservedProperty& row : observedProperties())
        properties.append(row.property);
    if (!mpv_->start(properties))
        return;
    RegisterVcdStreams(mpv_->handle());
    connect(mpv_.get(), &MpvAdapter::propertyChanged, this, &MpvEngine::onProperty);
    connect(mpv_.get(), &MpvAdapter::fileEvent, this, [this](const CoreEvent& event) {
        if (event.kind == CoreEvent::Kind::StartFile)
            state_.media = {}; // the next file's comes
        policy_->onEvent(event);
    });
}

MpvEngine::~MpvEngine() {
    if (view_) {
        view_->detachEngine(); // frees the render context on its own thread
        if (!view_->parent())
            delete view_;
    }
    policy_.reset();
    mpv_.reset();
}

bool MpvEngine::isValid() const {
    return mpv_->isValid();
}

mpv_handle* MpvEngine::handle() const {
    return mpv_->handle();
}

void MpvEngine::configure(const MpvEngineOptions& options) {
    // The picture goes to the null output until the view has a render
    // context; the view switches it (mpv can change its video output live).
    mpv_->setOption("vo", "null");
    if (!options.audioOutput.isEmpty())
        mpv_->setOption("ao", options.audioOutput.toUtf8());
    if (!options.audioFile.isEmpty())
        mpv_->setOption("ao-pcm-file", options.audioFile.toUtf8());
    const char* fixed[][2] = {
        {"audio-fallback-to-null", "yes"}, // no sound device: play silently
        {"idle", "yes"},
        {"keep-open", "no"},
        {"config", "no"},
        {"terminal", "no"},
        {"pause", "no"},
        // No script runs inside the core, not even mpv's built-in ones
        // (each would start a Lua thread).
        {"load-scripts", "no"},
        {"osc", "no"},
        {"ytdl", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"input-cursor", "no"},
        {"input-builtin-bindings", "no"},
        {"cursor-autohide", "no"},
        {"osd-level", "0"},
        {"audio-display", "no"},     // cover art is no picture to show
        {"gpu-hwdec-interop", "no"}, // software decoding: probe no GPU APIs
        // The next entry is opened ahead of time and follows without a
        // gap where the sound's format allows.
        {"prefetch-playlist", "yes"},
        {"gapless-audio", "weak"},
        // What is read ahead of the position, and kept behind it, is
        // bounded: a long file does not grow the player.
        {"demuxer-max-bytes", "32MiB"},
        {"demuxer-max-back-bytes", "8MiB"},
        // A video track switched back on (the video window shown again)
        // must not hold the sound back until the picture has caught up.
        {"initial-audio-sync", "no"},
        // Chinese subtitles beside a clip are mostly GBK: a file that is
        // not UTF-8 is read as GB18030, its superset.
        {"sub-codepage", "gb18030"},
    };
    for (const auto& [name, value] : fixed)
        mpv_->setOption(name, value);
    mpv_->setOption("af", audioFilterChain(volume_, balance_));
}

// ---- what mpv reports

void MpvEngine::onProperty(int row, const QVariant& value) {
    const auto& rows = observedProperties();
    if (row < 0 || row >= int(rows.size()))
        return;
    const ObservedProperty& observed = rows[size_t(row)];
    if (observed.apply)
        (this->*observed.apply)(value);
    else if (UpdateMediaInfo(state_.media, observed.mediaInfoId, value))
        emit mediaInfoChanged();
}

void MpvEngine::onTimePos(const QVariant& value) {
    state_.position = value.isValid() ? std::optional(value.toDouble()) : std::nullopt;
    policy_->onPosition(state_.position);
}

void MpvEngine::onDuration(const QVariant& value) {
    state_.duration = value.isValid() ? std::optional(value.toDouble()) : std::nullopt;
    if (state_.duration && !isOpening())
        emit durationKnown(*state_.duration);
}

void MpvEngine::onVideoOutParams(const QVariant& value) {
    setPicture(shownPictureSize(value.toMap()));
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

void MpvEngine::onOpened() {
    emit positionJumped();
    if (state_.duration)
        emit durationKnown(*state_.duration);
}

void MpvEngine::postEndOfStream() {
    // Queued, so the receiver may open the next file without running inside
    // our event handling; a file opened meanwhile cancels it.
    const uint64_t generation = policy_->generation();
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == policy_->generation())
                emit EndOfStream(0);
        },
        Qt::QueuedConnection);
}

// ---- opening and transport

bool MpvEngine::setFileName(const QString& path) {
    return isValid() && policy_->open(path, PlaybackPolicy::Source::UserFile);
}

bool MpvEngine::openPlaylist(const QString& path) {
    return isValid() && policy_->open(path, PlaybackPolicy::Source::OwnPlaylist);
}

void MpvEngine::setNext(const QString& path) {
    policy_->setNext(path);
}

bool MpvEngine::isOpenable(const QString& path) {
    if (IsVcdTrackUrl(path))
        return VcdTrackExists(path);
    return IsReadableLocalFile(ResolveListedPath(path));
}

QString MpvEngine::fileName() const {
    return policy_->heardFile();
}

bool MpvEngine::isOpening() const {
    return policy_->isOpening();
}

PlaybackState MpvEngine::playbackState() const {
    switch (policy_->heardState()) {
    case PlaybackPolicy::State::Playing:
        return PlaybackState::Playing;
    case PlaybackPolicy::State::Paused:
        return PlaybackState::Paused;
    default:
        return PlaybackState::Stopped;
    }
}

bool MpvEngine::play() {
    return isValid() && policy_->play();
}

bool MpvEngine::pause() {
    return isValid() && policy_->pause();
}

bool MpvEngine::stop() {
    if (!isValid() || !policy_->stop())
        return false;
    state_.position = 0.0;
    emit positionJumped();
    return true;
}

void MpvEngine::reportStateIfChanged() {
    const PlaybackState state = playbackState();
    if (state == reportedState_ && fileName() == reportedFile_ && isOpening() == reportedOpening_)
        return;
    reportedState_ = state;
    reportedFile_ = fileName();
    reportedOpening_ = isOpening();
    emit playbackStateChanged();
}

std::optional<double> MpvEngine::currentPosition() const {
    if (!state_.position || policy_->heardState() == PlaybackPolicy::State::Idle)
        return std::nullopt;
    // Just after a seek to the start mpv may report a little below zero.
    return std::max(*state_.position, 0.0);
}

bool MpvEngine::setCurrentPosition(double seconds) {
    if (!isValid() || !policy_->seek(seconds))
        return false;
    // Read back at once as where playback goes on, not as where it was.
    state_.position = seconds;
    emit positionJumped();
    return true;
}

std::optional<double> MpvEngine::duration() const {
    // While a file opens, the length known is the old file's.
    if (isOpening())
        return std::nullopt;
    return state_.duration;
}

// ---- sound

bool MpvEngine::setVolume(int hundredthsDb) {
    if (!isValid() || hundredthsDb > 0 || hundredthsDb < -10000)
        return false;
    volume_ = hundredthsDb;
    applyAudioFilter();
    return true;
}

bool MpvEngine::setBalance(int hundredthsDb) {
    if (!isValid() || std::abs(hundredthsDb) > 10000)
        return false;
    balance_ = hundredthsDb;
    applyAudioFilter();
    return true;
}

std::optional<int> MpvEngine::balance() const {
    if (!isValid())
        return std::nullopt;
    return balance_;
}

bool MpvEngine::setMute(bool muted) {
    if (!isValid())
        return false;
    mpv_->setProperty("mute", muted ? "yes" : "no");
    return true;
}

void MpvEngine::applyAudioFilter() {
    // Replaces just our filter in the running chain: no seek, no gap (the
    // sound stays sample-exact). af-command alone would not do: mpv rebuilds
    // lavfi graphs from this option after every seek and for every file.
    mpv_->setProperty("af", audioFilterChain(volume_, balance_));
}

// ---- picture

bool MpvEngine::drawsPicture() const {
    return options_.videoOutput == QLatin1String("libmpv");
}

void MpvEngine::setRendererAttached(bool attached) {
    if (!isValid() || attached == rendererAttached_)
        return;
    rendererAttached_ = attached;
    mpv_->setProperty("vo", attached && drawsPicture() ? "libmpv" : "null");
}

void MpvEngine::setPictureShown(bool shown) {
    if (!isValid() || shown == pictureShown_)
        return;
    pictureShown_ = shown;
    mpv_->setProperty("vid", shown ? "auto" : "no");
}

bool MpvEngine::setDisplaySize(int mode) {
    if (!isValid() || (mode != 0 && mode != 3))
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
