#pragma once

#include "engine/media_engine.h"
#include "platform/instance_guard.h"
#include "platform/optical_drive.h"
#include "platform/settings_store.h"
#include "playlist/playlist_pair.h"
#include "shared/title_scroller.h"
#include "ui/messages.h"

#include <QString>
#include <functional>
#include <memory>

class MainWindow;
class TipsManager;
class VideoWindowManager;

// Everything the program takes from its surroundings. The program builds
// it from where its executable lives; tests give temporary folders, a fake
// engine and a fake drive.
struct AppEnvironment {
    QString programFolder;
    QString settingsFolder;
    QString lockFolder;
    // Where the lock goes when `lockFolder` cannot hold one.
    QString lockFallbackFolder;
    // The settings' application name: the executable's name.
    QString appName;
    std::function<std::unique_ptr<MediaEngine>()> engineFactory;
    std::unique_ptr<OpticalDriveProbe> drives;
    std::unique_ptr<Messages> messages;
    std::function<void()> endProcess;

    // The environment of the installed program: the executable's folder,
    // the per-user config and runtime folders, libmpv, the real drives.
    static AppEnvironment forThisProgram();
};

// The running player: owns the playlist, the windows and the dialogs, and
// runs the start-up sequence and the two ways of ending.
class Application {
  public:
    explicit Application(AppEnvironment environment);
    ~Application();

    // The start-up sequence. False when another instance is already running;
    // the process has then been told to end.
    bool Form_Load();

    // The close button's path and the tray menu's "关闭程序".
    void closeProgram();
    void exitProgram();

    PlaylistPair& playlist() { return playlist_; }
    TitleScroller& songTitle() { return songTitle_; }
    MainWindow& mainWindow() { return *mainWindow_; }
    VideoWindowManager& video() { return *video_; }
    TipsManager& tips() { return *tips_; }
    SettingsStore& settings() { return settings_; }

  private:
    void openTipsIfWanted();
    void loadLists();
    void handFirstEntryToEngine();

    AppEnvironment env_;
    SettingsStore settings_;
    InstanceGuard guard_;
    PlaylistPair playlist_;
    TitleScroller songTitle_;
    std::unique_ptr<TipsManager> tips_;
    std::unique_ptr<VideoWindowManager> video_;
    std::unique_ptr<MainWindow> mainWindow_;
};
