#include "platform/data_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

DataFolders ChooseDataFolders(const QString& programFolder, bool programFolderWritable,
                              const QString& userDataFolder) {
    if (programFolderWritable)
        return {programFolder, programFolder};
    QDir().mkpath(userDataFolder);
    const QString share = QDir::cleanPath(programFolder + QStringLiteral("/../share/sonvela"));
    return {userDataFolder, share};
}

DataFolders DataFoldersForThisProgram() {
    const QString program = QCoreApplication::applicationDirPath();
    // GenericDataLocation is $XDG_DATA_HOME (~/.local/share) whatever the
    // application's name.
    const QString userData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                             QStringLiteral("/sonvela");
    return ChooseDataFolders(program, QFileInfo(program).isWritable(), userData);
}
