#pragma once

#include "engine/media_engine.h"

#include <QPointer>
#include <QSize>

struct mpv_handle;
struct mpv_event;
class MpvView;

struct MpvEngineOptions {
    // "libmpv" draws into the view through mpv's render API; "null" decodes
    // the picture and throws it away (tests, no display).
    QString videoOutput = QStringLiteral("libmpv");
    // mpv's audio output driver; empty = mpv's own choice.
    QString audioOutput;
    // The WAV file written when audioOutput is "pcm".
    QString audioFile;
    // Longest wait of setFileName for a file to be opened or refused.
    int loadTimeoutMs = 5000;
};

// The media engine on libmpv. All calls come from the UI thread; mpv's
// threads only post queued calls back to it.
class MpvEngine : public MediaEngine {
    Q_OBJECT
  public:
    explicit MpvEngine(const MpvEngineOptions& options = {}, QObject* parent = nullptr);
    ~MpvEngine() override;

    // False when libmpv could not be started; every operation then fails.
    bool isValid() const { return mpv_ != nullptr; }

    bool setFileName(const QString& path) override;
    bool openPlaylist(const QString& path) override;
    QString fileName() const override { return fileName_; }
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

    // For the view: the core it renders, and the switch between drawing
    // into it and discarding the picture while it has no GL context.
    mpv_handle* handle() const { return mpv_; }
    bool drawsPicture() const;
    void setRendererAttached(bool attached);
    // Off while nobody can see the picture: the video track is switched
    // off, so playing costs what the sound alone costs; on again, it is
    // chosen afresh. The sound plays on without a break either way.
    void setPictureShown(bool shown);
    // The clip's own picture size (display aspect applied), empty when the
    // open file has no picture.
    QSize clipSize() const { return clipSize_; }

  signals:
    // The open file's picture size became known or changed.
    void clipSizeChanged(QSize size);

  private:
    enum class LoadState { Idle, Pending, Loaded, Failed };
    // What an opened path is, which decides what mpv may do with it.
    enum class Source { UserFile, OwnPlaylist };

    void configure(const MpvEngineOptions& options);
    void drainEvents();
    // Reads the position from mpv at once, past any pending reports.
    void refreshPosition();
    void handleEvent(const mpv_event& event);
    void handleEndFile(const mpv_event& event);
    void handlePropertyChange(const mpv_event& event);
    // A readable file, or a Video CD track on a disc that is there.
    static bool isOpenable(const QString& path);
    bool open(const QString& path, Source source);
    bool waitForLoad(qint64 entryId);
    void postEndOfStreamIfFinished();
    void applyAudioFilterOption();
    bool setFlag(const char* name, bool value);
    bool setPaused(bool paused);
    bool command(const QStringList& args);
    bool isOpen() const;
    void reportStateIfChanged();

    mpv_handle* mpv_ = nullptr;
    MpvEngineOptions options_;
    QPointer<MpvView> view_;
    QString fileName_;
    Source source_ = Source::UserFile;

    // Load tracking: the playlist entry setFileName asked for; entries that
    // an M3U expands into get higher ids.
    LoadState loadState_ = LoadState::Idle;
    qint64 loadEntryId_ = -1;
    bool loadStarted_ = false;
    // End of stream: the last file ended by reaching its end and mpv has
    // nothing left to play (idle).
    bool endedAtEof_ = false;
    // The last setFileName succeeded, so Play may start that file again
    // once it has played to its end.
    bool restartable_ = false;
    bool idle_ = true;
    bool paused_ = false;
    // Stop halts and rewinds but keeps the file open.
    bool halted_ = false;
    PlaybackState reportedState_ = PlaybackState::Stopped;
    QString reportedFile_;
    quint64 generation_ = 0;

    int volume_ = 0;
    int balance_ = 0;
    QSize clipSize_;
    // The last position mpv reported; empty while nothing is open.
    std::optional<double> timePos_;
    bool rendererAttached_ = false;
    bool pictureShown_ = true;
};
