#include "app/shutdown.h"

#include "platform/data_folders.h"
#include "playlist/list_file.h"
#include "vcd/vcd_playback.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>

namespace Shutdown {

void closeButton(const PlaylistPair& playlist, const QString& programFolder,
                 const std::function<void()>& removeTrayIcon,
                 const std::function<void()>& endProcess) {
    SaveLists(playlist, programFolder);
    QFile::remove(ProgramFile(programFolder, VcdPlaylistName));
    if (removeTrayIcon)
        removeTrayIcon();
    endProcess();
}

void exitNow(const std::function<void()>& endProcess) {
    endProcess();
}

void endProcessNow() {
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace Shutdown
