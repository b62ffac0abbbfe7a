#pragma once

#include "engine/media_engine.h"
#include "platform/instance_guard.h"
#include "platform/optical_drive.h"
#include "platform/settings_store.h"
#include "playlist/playlist_pair.h"
#include "shared/title_scroller.h"
#include "ui/messages.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class DesktopIntegration;
class MainWindow;
class TipsManager;
class VideoWindowManager;

// Everything the program takes from its surroundings. The program builds
// it from where its executable lives; tests give temporary folders, a fake
// engine and a fake drive.
struct AppEnvironment {
    // The folder of the list files and the VCD playlist: the executable's
    // own, or the user's data folder when the program is installed where it
    // cannot write.
    QString programFolder;
    // The folder of the tips file; empty means programFolder.
    QString tipsFolder;
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
    // Absolute paths given on the command line: played by this copy, or
    // handed to the copy already running. Set by the caller, from argv.
    QStringList filesToOpen;

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
    Messages& messages() { return *env_.messages; }
    DesktopIntegration& desktop() { return *desktop_; }

  private:
    using EngineFactory = std::function<std::unique_ptr<MediaEngine>()>;
    // Engines made by `factory` tell the desktop integration when what they
    // play changes.
    EngineFactory reportingStateChanges(EngineFactory factory);
    void openTipsIfWanted();
    void loadLists();
    void handFirstEntryToEngine();
    // A second start with files gives them to the running copy.
    bool handedToRunningCopy();

    AppEnvironment env_;
    SettingsStore settings_;
    InstanceGuard guard_;
    PlaylistPair playlist_;
    TitleScroller songTitle_;
    std::unique_ptr<TipsManager> tips_;
    std::unique_ptr<VideoWindowManager> video_;
    std::unique_ptr<MainWindow> mainWindow_;
    std::unique_ptr<DesktopIntegration> desktop_;
};
