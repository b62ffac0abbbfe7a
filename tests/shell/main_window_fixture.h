#pragma once

#include "playback/title_scroller.h"
#include "playlist/playlist_pair.h"
#include "shell/main_window.h"
#include "shell/messages.h"
#include "support/fake_engine.h"
#include "tips/tips_host.h"
#include "vcd/optical_drive.h"
#include "video/video_host.h"

#include <QTemporaryDir>
#include <QWidget>
#include <memory>

// The video window as far as the main window sees it: a real top-level
// widget carrying the fake engine's picture, and a count of menu popups.
class FakeVideoHost : public VideoHost {
  public:
    FakeVideoHost() {
        window.setObjectName(QStringLiteral("frmplay"));
        player.view()->setParent(&window);
        window.resize(320, 260);
    }
    MediaEngine& engine() override { return player; }
    void showVideoWindow() override { window.show(); }
    void hideVideoWindow() override { window.hide(); }
    void popupVideoMenu() override { ++menuPopups; }

    QWidget window;
    FakeEngine player;
    int menuPopups = 0;
};

class CountingTips : public TipsHost {
  public:
    void openTips() override { ++opened; }
    int opened = 0;
};

class RecordedMessages : public Messages {
  public:
    void show(QMessageBox::Icon icon, const QString& title, const QString& text) override {
        shown << QStringLiteral("%1|%2|%3").arg(int(icon)).arg(title, text);
    }
    QStringList shown;
};

// A drive with no disc in it.
class EmptyOpticalDrive : public OpticalDriveProbe {
  public:
    std::optional<OpticalDrive> firstDrive() override {
        return OpticalDrive{QStringLiteral("/dev/sr0"), QString()};
    }
};

// A main window with everything behind it faked; the window is destroyed
// first, before the playlist it shows.
struct MainWindowFixture {
    PlaylistPair playlist;
    TitleScroller songTitle;
    FakeVideoHost video;
    CountingTips tips;
    RecordedMessages messages;
    EmptyOpticalDrive drives;
    QTemporaryDir folder;
    int closes = 0;
    int exits = 0;
    bool trayAvailable = true;
    std::unique_ptr<MainWindow> window;

    MainWindow& make() {
        window = std::make_unique<MainWindow>(MainWindowDeps{
            .playlist = playlist,
            .songTitle = songTitle,
            .video = video,
            .tips = tips,
            .messages = messages,
            .drives = drives,
            .programFolder = folder.path(),
            .closeProgram = [this] { ++closes; },
            .exitProgram = [this] { ++exits; },
            .notificationAreaAvailable = [this] { return trayAvailable; },
        });
        return *window;
    }

    // Entries "<name>" with paths "/m/<name>".
    void fill(const QStringList& names) {
        for (const QString& name : names)
            playlist.append(name, QStringLiteral("/m/") + name);
    }
};
