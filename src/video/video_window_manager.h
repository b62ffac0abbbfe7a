#pragma once

#include "shared/video_host.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class PanelHost;
class PlaylistPair;
class TipsHost;
class TitleScroller;
class VideoMenu;
class VideoWindow;

// Keeps the video window `frmplay` and the menu holder `frmmnu` for the rest
// of the program. The window (with its engine) is created on first use and
// again after the window system has closed it, hidden and in its creation
// state.
class VideoWindowManager : public QObject, public VideoHost {
    Q_OBJECT
  public:
    using EngineFactory = std::function<std::unique_ptr<MediaEngine>()>;

    VideoWindowManager(PlaylistPair& playlist, TitleScroller& songTitle, TipsHost& tips,
                       EngineFactory engineFactory, QObject* parent = nullptr);
    ~VideoWindowManager() override;

    // The video window, created hidden when there is none.
    VideoWindow* window();
    // The menu holder, created on first use.
    VideoMenu& menu();
    // The control panel the video window's keys work, in this window and
    // in those made later.
    void setPanel(PanelHost* panel);

    MediaEngine& engine() override;
    void showVideoWindow() override;
    void hideVideoWindow() override;
    void popupVideoMenu(QPoint at) override;

  signals:
    // A new window came with a new engine, at mpv's own sound settings;
    // the first one at start-up, later ones after a close by the system.
    void engineCreated(MediaEngine& engine);

  private:
    void forgetClosedWindow();

    PlaylistPair& playlist_;
    TitleScroller& songTitle_;
    TipsHost& tips_;
    EngineFactory engineFactory_;
    PanelHost* panel_ = nullptr;
    QPointer<VideoWindow> window_;
    std::unique_ptr<VideoMenu> menu_;
};
