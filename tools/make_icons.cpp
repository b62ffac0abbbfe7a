// Build-time tool: writes the program icon, drawn by the skin, as the PNG
// files of the hicolor icon theme under the folder given as its argument.
#include "ui/skin.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    // Drawing needs a GUI application but no screen.
    char platformOption[] = "-platform";
    char platformName[] = "offscreen";
    char* qtArgs[] = {argv[0], platformOption, platformName, nullptr};
    int qtArgc = 3;
    QGuiApplication app(qtArgc, qtArgs);
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        if (!QDir().mkpath(folder) ||
            !Skin::ProgramIconImage(size).save(folder + QStringLiteral("/sonvela.png"))) {
            std::fprintf(stderr, "cannot write the %d px icon under %s\n", size, argv[1]);
            return 1;
        }
    }
    return 0;
}
