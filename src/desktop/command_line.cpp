#include "desktop/command_line.h"

#include <QDir>

QStringList AbsoluteFilePaths(const QStringList& arguments, const QString& workingFolder) {
    QStringList paths;
    const QDir base(workingFolder);
    for (const QString& argument : arguments) {
        if (argument.isEmpty())
            continue;
        // cleanPath also takes off a trailing separator, as a drop does.
        paths.append(QDir::cleanPath(base.absoluteFilePath(argument)));
    }
    return paths;
}
