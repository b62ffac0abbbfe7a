#include "app/application.h"
#include "app/qt_translations.h"
#include "platform/instance_guard.h"
#include "desktop/hand_over.h"
#include "desktop/opened_files.h"
#include "ui/skin.h"

#include <QApplication>
#include <QDir>
#include <clocale>

namespace {

// A second start with files passes them to the running copy before a
// window or the engine is built, so it ends at once. Start-up checks again
// (a copy may have started meanwhile), so a miss here loses nothing.
bool PassedFilesToRunningCopy(int argc, char** argv) {
    if (argc < 2)
        return false;
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString runtimeFolder = InstanceGuard::runtimeFolder();
    InstanceGuard guard(runtimeFolder, InstanceGuard::fallbackFolder());
    return HandedToRunningCopy(guard, runtimeFolder,
                               AbsoluteFilePaths(arguments, QDir::currentPath()));
}

} // namespace

int main(int argc, char** argv) {
    if (PassedFilesToRunningCopy(argc, argv))
        return 0;
    QApplication qtApp(argc, argv);
    InstallQtTranslations(qtApp);
    // libmpv parses numbers the C way.
    std::setlocale(LC_NUMERIC, "C");
    // The program ends only through its close button or the tray menu,
    // never because its windows happen to be hidden or closed.
    qtApp.setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(Skin::ProgramIcon());
    Application player(AppEnvironment::forThisProgram());
    if (!player.Form_Load())
        return 0;
    return qtApp.exec();
}
