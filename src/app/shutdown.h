#pragma once

#include <QString>
#include <functional>

class PlaylistPair;

// The two ways the program ends. Both end the process at once: no window
// gets to run closing handlers.
namespace Shutdown {

// The close button: save both lists, delete the temporary VCD playlist,
// remove the tray icon, end. A failing step never stops the next one.
void closeButton(const PlaylistPair& playlist, const QString& programFolder,
                 const std::function<void()>& removeTrayIcon,
                 const std::function<void()>& endProcess);

// "关闭程序": end at once, saving nothing.
void exitNow(const std::function<void()>& endProcess);

// Ends the process immediately with status 0.
void endProcessNow();

} // namespace Shutdown
