#pragma once

#include "engine/media_engine.h"
#include "engine/mpv_load.h"
#include "engine/player_state.h"

#include <QPointer>
#include <QSize>
#include <QTimer>
#include <memory>

struct mpv_handle;
struct mpv_event;
class MpvProbe;
class MpvView;

struct MpvEngineOptions {
    // "libmpv" draws into the view through mpv's render API; "null" decodes
    // the picture and throws it away (tests, no display).
    QString videoOutput = QStringLiteral("libmpv");
    // mpv's audio output driver; empty = mpv's own choice.
    QString audioOutput;
    // The WAV file written when audioOutput is "pcm".
    QString audioFile;
};

// The media engine on libmpv. All calls come from the UI thread and none of
// them waits for mpv: commands are sent asynchronously and in order, reads
// come from the state that mpv's reports keep. mpv's threads only post.
class MpvEngine : public MediaEngine {
    Q_OBJECT
  public:
    explicit MpvEngine(const MpvEngineOptions& options = {}, QObject* parent = nullptr);
    ~MpvEngine() override;

    // False when libmpv could not be started; every operation then fails.
    bool isValid() const { return mpv_ != nullptr; }

    bool setFileName(const QString& path) override;
    bool openPlaylist(const QString& path) override;
    QString fileName() const override { return state_.fileName; }
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
    PlaybackState playbackState() const override { return state_.playback(); }
    bool isOpening() const override { return state_.opening; }
    MediaInfo mediaInfo() const override { return state_.media; }

    const PlayerState& state() const { return state_; }

    // For the view: the core it renders, and the switch between drawing
    // into it and discarding the picture while it has no renderer.
    mpv_handle* handle() const { return mpv_; }
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
    // What an opened path is, which decides what mpv may do with it.
    enum class Source { UserFile, OwnPlaylist };
    struct PendingOpen {
        QString path;
        Source source = Source::UserFile;
        // Tried by the probe first while the current file plays on.
        bool probing = false;
    };

    void configure(const MpvEngineOptions& options);
    void observe();
    void drainEvents();
    void handleEvent(const mpv_event& event);
    void handlePropertyChange(const mpv_event& event);
    void setPicture(QSize size);
    // A readable file, or a Video CD track on a disc that is there.
    static bool isOpenable(const QString& path);
    bool open(const QString& path, Source source);
    QByteArray optionsFor(const QString& path, Source source) const;
    void load();
    void onProbed(bool playable);
    void onLoaded();
    void finishOpen();
    void onLoadFailed();
    void cancelOpen();
    MpvProbe& probe();
    void postEndOfStreamIfFinished();
    void applyAudioFilter();
    void setPaused(bool paused);
    void command(std::initializer_list<const char*> args);
    void setProperty(const char* name, const char* value);
    void reportStateIfChanged();

    mpv_handle* mpv_ = nullptr;
    MpvEngineOptions options_;
    QPointer<MpvView> view_;
    std::unique_ptr<MpvProbe> probe_;
    std::unique_ptr<MpvWakeups> wakeups_;

    PlayerState state_;
    Source source_ = Source::UserFile;
    PendingOpen pending_;
    MpvLoad load_;
    // Loaded, and told to the rest of the program once mpv has reported
    // its length (or said it has none): nobody sees it without one.
    QTimer* lengthWait_;
    // End of stream: the last file ended by reaching its end and mpv has
    // nothing left to play (idle).
    bool endedAtEof_ = false;
    // The last open succeeded, so Play may start that file again once it
    // has played to its end.
    bool restartable_ = false;
    PlaybackState reportedState_ = PlaybackState::Stopped;
    QString reportedFile_;
    bool reportedOpening_ = false;
    quint64 generation_ = 0;

    int volume_ = 0;
    int balance_ = 0;
    bool rendererAttached_ = false;
    bool pictureShown_ = true;
};
