#pragma once

#include "engine/media_engine.h"

#include <QPointer>
#include <QStringList>

// A media engine for unit tests: records every call, plays nothing. Each
// operation can be made to fail; position and duration are set by the test.
class FakeEngine : public MediaEngine {
    Q_OBJECT
  public:
    using MediaEngine::MediaEngine;
    ~FakeEngine() override;

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
    PlaybackState playbackState() const override { return state_; }
    MediaInfo mediaInfo() const override { return media; }

    // Every call in order, e.g. "FileName /a.mp3", "Play", "Volume -800".
    QStringList calls;
    bool failAll = false;
    bool failFileName = false;
    double position = 0;
    std::optional<double> length;
    int volume = 0;
    int balanceValue = 0;
    bool muted = false;
    int displaySize = 0;
    MediaInfo media;

    void emitEndOfStream() { emit EndOfStream(0); }
    void emitMediaInfoChanged() { emit mediaInfoChanged(); }
    void emitMouseDown(int button) { emit MouseDown(button, 0, 0, 0); }

  private:
    bool record(const QString& call);
    // Both ways of opening: the file is open and playing unless told to fail.
    bool open(const QString& call, const QString& path);
    // Records the call and, when it succeeds, moves to `state`.
    bool transport(const QString& call, PlaybackState state);
    PlaybackState state_ = PlaybackState::Stopped;
    QString fileName_;
    QPointer<QWidget> view_;
};
