#pragma once

#include "engine/media_engine.h"
#include "engine/player_state.h"

#include <QPointer>
#include <QSize>
#include <QVariant>
#include <memory>

struct mpv_handle;
class MpvAdapter;
class MpvView;
class PlaybackPolicy;

struct MpvEngineOptions {
    // "libmpv" draws into the view through mpv's render API; "null" decodes
    // the picture and throws it away (tests, no display).
    QString videoOutput = QStringLiteral("libmpv");
    // mpv's audio output driver; empty = mpv's own choice.
    QString audioOutput;
    // The WAV file written when audioOutput is "pcm".
    QString audioFile;
};

// The media engine on libmpv: one mpv core (MpvAdapter), the decisions of
// PlaybackPolicy, and the observed state the windows read. All calls come
// from the UI thread and none of them waits for mpv: commands are sent
// asynchronously and in order, reads come from the state that mpv's reports
// keep. mpv's threads only post.
class MpvEngine : public MediaEngine {
    Q_OBJECT
  public:
    explicit MpvEngine(const MpvEngineOptions& options = {}, QObject* parent = nullptr);
    ~MpvEngine() override;

    // False when libmpv could not be started; every operation then fails.
    bool isValid() const;

    bool setFileName(const QString& path) override;
    bool openPlaylist(const QString& path) override;
    QString fileName() const override;
    bool play() override;
    bool pause() override;
    bool stop() override;
    std::optional<double> currentPosition() const override;
    bool setCurrentPosition(double seconds) override;
    std::optional<double> duration() const override;
    bool setVolume(int hundredthsDb) override;
    bool setBalance(int hundredthsDb) override;
    std::optional<int> balance() const override;
    bool setMute(bool muted) override;
    bool setDisplaySize(int mode) override;
    QSize pictureSize() const override;
    QWidget* view() override;
    PlaybackState playbackState() const override;
    bool isOpening() const override;
    void setNext(const QString& path) override;
    MediaInfo mediaInfo() const override { return state_.media; }

    const PlayerState& state() const { return state_; }

    // For the view: the core it renders, and the switch between drawing
    // into it and discarding the picture while it has no renderer.
    mpv_handle* handle() const;
    bool drawsPicture() const;
    void setRendererAttached(bool attached);
    // Off while nobody can see the picture: the video track is switched
    // off, so playing costs what the sound alone costs; on again, it is
    // chosen afresh. The sound plays on without a break either way.
    void setPictureShown(bool shown);
    // The clip's picture as shown (aspect and rotation applied); empty when
    // the open file has no picture.
    QSize clipSize() const { return state_.pictureSize; }

  signals:
    // The open file's picture size became known or changed.
    void clipSizeChanged(QSize size);
    // The open file has no picture (an audio file, a failed open).
    void pictureGone();

  private:
    class Bridge;
    struct ObservedProperty;
    static const std::vector<ObservedProperty>& observedProperties();

    void configure(const MpvEngineOptions& options);
    void onProperty(int row, const QVariant& value);
    void onTimePos(const QVariant& value);
    void onDuration(const QVariant& value);
    void onVideoOutParams(const QVariant& value);
    void setPicture(QSize size);
    void onOpened();
    void postEndOfStream();
    // A readable file, or a Video CD track on a disc that is there.
    static bool isOpenable(const QString& path);
    void applyAudioFilter();
    void reportStateIfChanged();

    MpvEngineOptions options_;
    // The core goes last: the rest still refers to it.
    std::unique_ptr<MpvAdapter> mpv_;
    std::unique_ptr<Bridge> bridge_;
    std::unique_ptr<PlaybackPolicy> policy_;
    QPointer<MpvView> view_;

    PlayerState state_;
    PlaybackState reportedState_ = PlaybackState::Stopped;
    QString reportedFile_;
    bool reportedOpening_ = false;

    int volume_ = 0;
    int balance_ = 0;
    bool rendererAttached_ = false;
    bool pictureShown_ = true;
};
