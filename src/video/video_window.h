#pragma once

#include "video/banner.h"

#include <QWidget>
#include <memory>

class MediaEngine;
class PanelHost;
class PlaylistPair;
class QLabel;
class QTimer;
class TitleScroller;
class VideoHost;

// `frmplay`: the borderless window that owns the media engine and shows its
// picture (`player`) under a drag strip (`lblhand`) and a scrolling banner
// (`Label1`). Ten times a second (`Timer1`, also while hidden) it scrolls
// the banner and fits itself to the picture. A close by the window system
// destroys it, and the engine with it.
//
// Keys, in the window and in full screen: Escape leaves full screen, F (or
// a double click on the picture) goes there and back, the Menu key and
// Shift+F10 open the video menu at the picture's middle, Space is the pause
// button, Left and Right seek 5 s, Up and Down move the volume bar one
// step, M ticks or clears the mute box. The last four work the control
// panel's own controls, given by setPanel.
class VideoWindow : public QWidget {
    Q_OBJECT
  public:
    // Picture offset and the room the window keeps around it, in twips.
    static constexpr int PlayerLeft = 90;
    static constexpr int PlayerTop = 540;
    static constexpr int PlayerWidth = 4590;
    static constexpr int PlayerHeight = 3435;
    // Grey margin left of, right of and below the picture.
    static constexpr int FrameMargin = 90;
    static constexpr int InitialWidth = 4755;
    static constexpr int InitialHeight = 4080;
    static constexpr int HandleHeight = 240;
    static constexpr int TickMs = 100;
    // How far Left and Right seek, in seconds.
    static constexpr int SeekKeySeconds = 5;

    // `host` opens the video menu on a right press on the picture.
    VideoWindow(std::unique_ptr<MediaEngine> engine, PlaylistPair& playlist,
                TitleScroller& songTitle, VideoHost& host, QWidget* parent = nullptr);
    ~VideoWindow() override;

    MediaEngine& engine() const { return *player_; }
    void setVisible(bool visible) override;
    const Banner& banner() const { return banner_; }
    // The control panel the keys work; none until the program has one.
    void setPanel(PanelHost* panel) { panel_ = panel; }

    void Timer1_Timer();
    void player_EndOfStream(int result);
    // The engine went on by itself to the next entry, queued ahead of time.
    void player_movedOn();
    void player_MouseDown(int button, int shift, int x, int y);
    void player_DblClick();
    void player_KeyDown(int key, int shift, bool repeated);
    void lblhand_MouseDown();

  signals:
    // The window system closed the window; it is being destroyed.
    void closedBySystem();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildDragStrip();
    void buildBanner();
    void embedPlayer();
    void placeBanner();
    bool keepsItsSize() const;
    // The picture covers the screen in a window of its own.
    bool pictureIsAway() const;
    void toggleFullScreen();
    void fitToPicture();
    void followSeen(bool seen);
    void placeOnScreen();
    // Keeps the engine's queued file on what the end of stream would pick.
    void followNextEntry();
    void queueNextEntry();
    // Opens the video menu at `at` once the current event is over.
    void popupMenuLater(QPoint at);

    std::unique_ptr<MediaEngine> player_;
    PlaylistPair& playlist_;
    TitleScroller& songTitle_;
    VideoHost& host_;
    PanelHost* panel_ = nullptr;
    Banner banner_;
    QLabel* lblhand_ = nullptr;
    QLabel* Label1_ = nullptr;
    QTimer* Timer1_ = nullptr;
};
