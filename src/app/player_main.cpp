// The player itself, loaded by the small `sonvela` executable (main.cpp)
// once it knows this start is not just handing files to a running copy.
#include "app/application.h"
#include "app/qt_translations.h"
#include "platform/file_commit.h"
#include "platform/local_names.h"
#include "ui/skin.h"

#include <QApplication>
#include <clocale>

extern "C" __attribute__((visibility("default"))) int SonvelaPlayerMain(int argc, char** argv) {
    // A file-size limit makes a save fail instead of ending the program.
    FileCommit::ignoreFileSizeSignal();
    QApplication qtApp(argc, argv);
    InstallQtTranslations(qtApp);
    // libmpv parses numbers the C way.
    std::setlocale(LC_NUMERIC, "C");
    // The program ends only through its close button or the tray menu,
    // never because its windows happen to be hidden or closed.
    qtApp.setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(Skin::ProgramIcon());
    AppEnvironment environment = AppEnvironment::forThisProgram();
    // The files to open, absolute paths given by main.cpp; names keep their bytes.
    environment.filesToOpen = LocalArguments(argc, argv);
    Application player(std::move(environment));
    if (!player.Form_Load())
        return 0;
    return qtApp.exec();
}
