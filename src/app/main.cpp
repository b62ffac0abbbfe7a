// The `sonvela` executable. It links only Qt's core and network modules, so
// answering --help or --version, or a second start that merely hands its
// files to the running copy, ends within a few milliseconds and needs no
// display; only a start that runs the player loads the player (widgets,
// libmpv and the rest) from its library.
#include "desktop/command_line.h"
#include "desktop/hand_over.h"
#include "platform/instance_guard.h"
#include "platform/local_names.h"

#include <QFileInfo>
#include <cstdio>
#include <dlfcn.h>
#include <vector>

namespace {

void Print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, bytes.size(), stream);
}

// Start-up checks again once the player runs (a copy may have started
// meanwhile), so a miss here loses nothing.
bool PassedFilesToRunningCopy(const QStringList& files) {
    if (files.isEmpty())
        return false;
    InstanceGuard guard(InstanceGuard::runtimeFolder(), InstanceGuard::fallbackFolder());
    return HandedToRunningCopy(guard, files);
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

// The player gets the program's name and the files, all absolute paths:
// none starts with a dash, so Qt takes none of them for an option of its own.
int RunPlayer(char* programName, const QStringList& files) {
    void* player = LoadPlayer();
    auto* playerMain =
        player ? reinterpret_cast<int (*)(int, char**)>(dlsym(player, "SonvelaPlayerMain"))
               : nullptr;
    if (!playerMain) {
        std::fprintf(stderr, "sonvela: the player library is missing\n");
        return 1;
    }
    std::vector<QByteArray> names;
    for (const QString& file : files)
        names.push_back(StringToLocalName(file));
    std::vector<char*> playerArgv{programName};
    for (QByteArray& name : names)
        playerArgv.push_back(name.data());
    playerArgv.push_back(nullptr);
    return playerMain(static_cast<int>(playerArgv.size()) - 1, playerArgv.data());
}

} // namespace

int main(int argc, char** argv) {
    const CommandLine commandLine =
        ParseCommandLine(LocalArguments(argc, argv), LocalCurrentFolder());
    if (commandLine.answered) {
        Print(stdout, commandLine.standardOutput);
        Print(stderr, commandLine.standardError);
        return commandLine.exitStatus;
    }
    if (PassedFilesToRunningCopy(commandLine.files))
        return 0;
    static char fallbackName[] = "sonvela";
    return RunPlayer(argc > 0 ? argv[0] : fallbackName, commandLine.files);
}
