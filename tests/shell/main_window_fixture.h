#pragma once

#include "playlist/playlist_pair.h"
#include "shared/title_scroller.h"
#include "shell/main_window.h"
#include "support/fakes.h"

#include <QTemporaryDir>
#include <memory>

// A main window with everything behind it faked; the window is destroyed
// first, before the playlist it shows.
struct MainWindowFixture {
    PlaylistPair playlist;
    TitleScroller songTitle;
    FakeVideoHost video;
    CountingTips tips;
    RecordingMessages messages;
    // A drive with no disc in it.
    FakeDriveProbe drives{OpticalDrive{QStringLiteral("/dev/sr0"), QString()}};
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
