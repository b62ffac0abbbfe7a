#pragma once

#include <QObject>
#include <QString>

class Messages;
class MediaEngine;
class PlaylistPair;
class TitleScroller;
class VideoHost;

// The transport commands of the main window: play by number (`PlayIt`,
// driven by `Tnum`), pause toggle, and the commands that play, stop or
// step from the playlist's selection. Windows forward their events here.
class Transport : public QObject {
    Q_OBJECT
  public:
    // The mark a missing file gets in its title, once.
    static const QString MissingFileMark;

    Transport(PlaylistPair& playlist, TitleScroller& songTitle, VideoHost& video,
              Messages& messages, QObject* parent = nullptr);

    // 1-based number of the entry PlayIt plays; 0 until first stepped.
    qint16 Tnum = 0;

    // Plays entry Tnum, wrapping it into 1..count first; marks a missing
    // file in its title, shows the video window and selects the entry.
    void PlayIt();
    // First use pauses, the next resumes, and so on.
    void PauseIt();
    // Pauses or resumes outright (the desktop's media controls); the
    // toggle then stands as if the pause button had got there.
    void setPaused(bool paused);
    // The engine learnt the open file's length: the seek bar takes it when
    // the play button or the list asked for it.
    void onDurationKnown(double seconds);
    // The engine could not play the file last asked for and went back to
    // the one heard before: so do the selection and the title.
    void onOpenFailed();
    // The engine's file or state changed: a file newly heard is remembered
    // with the entry and title it was started with.
    void onPlaybackChanged();

    void playSelected(); // the play button
    void stopSelected(); // the stop button
    void next();         // next button, tray menu "下一首"
    void previous();     // previous button, tray menu "上一首"
    void mnunext_Click() { next(); }
    void mnupre_Click() { previous(); }

    // Plays the selected entry; also the list's Enter key and popup item.
    void lstsong_DblClick();
    // The playlist popup's "播放文件".
    void mnuplay_Click();

    // Appends a file chosen in the open dialog, titled by its bare name;
    // an empty path (the dialog was cancelled) or one the list files cannot
    // hold adds nothing.
    void appendOpenedFile(const QString& fullPath);

  signals:
    // The seek bar's new maximum, the opened file's duration in seconds.
    void seekMaximumChanged(int seconds);

  private:
    MediaEngine& engine();
    // Shows "没有媒体文件" when nothing is selected; true when something is.
    bool requireSelection();
    void markIfMissing(int index, const QString& path);

    PlaylistPair& playlist_;
    TitleScroller& songTitle_;
    VideoHost& video_;
    Messages& messages_;
    void showLength(double seconds);

    // The file the engine plays, as the windows showed it when it started.
    struct HeardEntry {
        QString path;
        int index = -1;
        QString title;
    };
    HeardEntry heard_;
    bool engineWasOpening_ = false;

    bool paused_ = false;
    // The play button or the list opened a file whose length is not known
    // yet; the seek bar takes it when it is.
    bool awaitingLength_ = false;
};
