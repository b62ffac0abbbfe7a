#include "support/installed_copy.h"

#include <QFile>
#include <QProcess>
#include <QTextStream>

bool CopyProgramInto(const QString& folder) {
    for (const QString& name :
         {QStringLiteral("sonvela"), QStringLiteral("libsonvela_player.so")}) {
        const QString source = QStringLiteral(SONVELA_BINARY_DIR "/") + name;
        const QString copy = folder + QLatin1Char('/') + name;
        if (!QFile::copy(source, copy) || !QFile::setPermissions(copy, QFile::permissions(source)))
            return false;
    }
    return true;
}

QString InstallInto(const QString& prefix) {
    QProcess cmake;
    cmake.setProcessChannelMode(QProcess::MergedChannels);
    cmake.start(QStringLiteral("cmake"),
                {QStringLiteral("--install"), QStringLiteral(SONVELA_BINARY_DIR),
                 QStringLiteral("--prefix"), prefix});
    if (!cmake.waitForFinished(60000))
        return QStringLiteral("cmake --install did not finish");
    const QString output = QString::fromLocal8Bit(cmake.readAll());
    if (cmake.exitStatus() != QProcess::NormalExit || cmake.exitCode() != 0)
        return output.isEmpty() ? QStringLiteral("cmake --install failed") : output;
    return {};
}

QString DesktopEntryValue(const QString& prefix, const QString& key) {
    QFile entry(prefix + QStringLiteral("/share/applications/sonvela.desktop"));
    if (!entry.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&entry);
    const QString start = key + QLatin1Char('=');
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(start))
            return line.mid(start.size());
    }
    return {};
}
