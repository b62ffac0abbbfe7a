#include "platform/data_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// The install's prefix when `programFolder` is the bin folder of an
// installed copy; empty otherwise.
QString InstallPrefix(const QString& programFolder) {
    const QDir bin(programFolder);
    if (bin.dirName() != QStringLiteral("bin"))
        return {};
    QString prefix = QDir::cleanPath(bin.absoluteFilePath(QStringLiteral("..")));
    for (const QString& installed :
         {QStringLiteral("/share/sonvela"), QStringLiteral("/lib/sonvela")})
        if (QFileInfo(prefix + installed).isDir())
            return prefix;
    return {};
}

} // namespace

DataFolders ChooseDataFolders(const QString& programFolder, bool programFolderWritable,
                              const QString& userDataFolder) {
    const QString prefix = InstallPrefix(programFolder);
    if (prefix.isEmpty() && programFolderWritable)
        return {programFolder, programFolder};
    QDir().mkpath(userDataFolder);
    if (prefix.isEmpty())
        return {userDataFolder, programFolder};
    return {userDataFolder, prefix + QStringLiteral("/share/sonvela")};
}

DataFolders DataFoldersForThisProgram() {
    const QString program = QCoreApplication::applicationDirPath();
    // GenericDataLocation is $XDG_DATA_HOME (~/.local/share) whatever the
    // application's name.
    const QString userData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                             QStringLiteral("/sonvela");
    return ChooseDataFolders(program, QFileInfo(program).isWritable(), userData);
}

QString EnsureTrailingSeparator(const QString& path) {
    if (path.isEmpty() || path.endsWith(u'/'))
        return path;
    return path + u'/';
}

QString ProgramFile(const QString& folder, const QString& name) {
    return EnsureTrailingSeparator(folder) + name;
}
