#pragma once

#include "engine/media_info.h"

#include <QObject>
#include <QSize>
#include <QString>
#include <QWidget>
#include <optional>

// What the engine is doing, as desktop media controls report it. Stopped
// covers both nothing open and a file halted and rewound by Stop.
enum class PlaybackState { Stopped, Playing, Paused };

// The one media engine of the program (the video window's `player`). Every
// operation can fail and says so; callers decide whether to go on or stop.
// Times are seconds, volume and balance hundredths of a decibel.
class MediaEngine : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    ~MediaEngine() override = default;

    // Starts opening `path` in place of the current file and returns at
    // once: false only when the file is not there to open (nothing changes
    // then). Whether it plays is known later: the state follows once it
    // has loaded, openFailed() says it could not be played. An open still
    // pending is superseded. Playback starts by itself.
    // A file the user picked plays as that one file: a playlist found
    // inside it is not expanded and nothing it names is fetched.
    virtual bool setFileName(const QString& path) = 0;
    // A playlist the program wrote itself (the VCD's): its entries are
    // played one after the other. Otherwise as setFileName.
    virtual bool openPlaylist(const QString& path) = 0;
    virtual QString fileName() const = 0;

    virtual bool play() = 0;
    virtual bool pause() = 0;
    virtual bool stop() = 0;

    virtual std::optional<double> currentPosition() const = 0;
    virtual bool setCurrentPosition(double seconds) = 0;
    virtual std::optional<double> duration() const = 0;

    // -2500..0: 0 is full level, -2500 is 25 dB below it.
    virtual bool setVolume(int hundredthsDb) = 0;
    // Negative attenuates the right channel by |b|/100 dB, positive the left.
    virtual bool setBalance(int hundredthsDb) = 0;
    virtual std::optional<int> balance() const = 0;
    virtual bool setMute(bool muted) = 0;

    // 3 = picture over the whole screen, 0 = the clip's own size.
    virtual bool setDisplaySize(int mode) = 0;
    // Size of the picture area in device-independent pixels.
    virtual QSize pictureSize() const = 0;

    // The picture area (the control `player`), created on first use; the
    // video window takes it as a child. At display size 0 it takes the
    // clip's own pixel size; presses on it raise MouseDown, double clicks
    // DblClick and keys KeyDown.
    virtual QWidget* view() = 0;

    virtual PlaybackState playbackState() const = 0;
    // An open has started and neither loaded nor failed yet.
    virtual bool isOpening() const { return false; }
    // What the file playing says about itself (tags, container, streams);
    // empty while nothing is loaded.
    virtual MediaInfo mediaInfo() const { return {}; }

  signals:
    // Once, when what was opened has played to its end.
    void EndOfStream(int result);
    // A press on the picture: button 1 left, 2 right, 4 middle.
    void MouseDown(int button, int shift, int x, int y);
    // A double click on the picture with the left button.
    void DblClick();
    // A key pressed while the picture has the keyboard (a Qt::Key; shift
    // as for MouseDown; repeated while the key is held down). In full
    // screen the picture always has it.
    void KeyDown(int key, int shift, bool repeated);
    // playbackState(), the open file or isOpening() changed.
    void playbackStateChanged();
    // The open file's length became known.
    void durationKnown(double seconds);
    // The position moved other than by playing on (an open, a seek, Stop).
    void positionJumped();
    // The file last asked for cannot be played; what played before goes on.
    void openFailed(const QString& path);
    // mediaInfo() changed.
    void mediaInfoChanged();
};
