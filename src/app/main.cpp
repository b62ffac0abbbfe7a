// The `sonvela` executable. It links only Qt's core and network modules, so
// a second start that merely hands its files to the running copy ends
// within a few milliseconds; only a start that runs the player loads the
// player (widgets, libmpv and the rest) from its library.
#include "desktop/command_line.h"
#include "desktop/hand_over.h"
#include "platform/instance_guard.h"
#include "platform/local_names.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <dlfcn.h>

namespace {

// Start-up checks again once the player runs (a copy may have started
// meanwhile), so a miss here loses nothing.
bool PassedFilesToRunningCopy(int argc, char** argv) {
    if (argc < 2)
        return false;
    const QStringList arguments = LocalArguments(argc, argv);
    InstanceGuard guard(InstanceGuard::runtimeFolder(), InstanceGuard::fallbackFolder());
    return HandedToRunningCopy(guard, AbsoluteFilePaths(arguments, LocalCurrentFolder()));
}

// Beside the executable in a build folder; under lib/sonvela when installed.
void* LoadPlayer() {
    const QString programFolder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    for (const QString& candidate :
         {programFolder + QStringLiteral("/" SONVELA_PLAYER_LIBRARY),
          programFolder + QStringLiteral("/../" SONVELA_INSTALLED_PLAYER_LIBRARY)}) {
        if (!QFileInfo::exists(candidate))
            continue;
        if (void* library = dlopen(QFile::encodeName(candidate).constData(), RTLD_NOW))
            return library;
        std::fprintf(stderr, "sonvela: %s\n", dlerror());
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    if (PassedFilesToRunningCopy(argc, argv))
        return 0;
    void* player = LoadPlayer();
    auto* playerMain =
        player ? reinterpret_cast<int (*)(int, char**)>(dlsym(player, "SonvelaPlayerMain"))
               : nullptr;
    if (!playerMain) {
        std::fprintf(stderr, "sonvela: the player library is missing\n");
        return 1;
    }
    return playerMain(argc, argv);
}
