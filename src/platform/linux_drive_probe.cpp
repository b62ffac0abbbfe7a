#include "platform/linux_drive_probe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

bool isOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// True when the mount source names `device`, directly or through a link
// such as /dev/cdrom.
bool sourceIsDevice(const QString& source, const QString& device) {
    if (source == device)
        return true;
    if (!source.startsWith(QLatin1Char('/')))
        return false;
    const QString resolved = QFileInfo(source).canonicalFilePath();
    return !resolved.isEmpty() && resolved == QFileInfo(device).canonicalFilePath();
}

} // namespace

QByteArray DecodeMountField(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const bool escape = field[i] == '\\' && i + 3 < field.size() &&
                            isOctalDigit(field[i + 1]) && isOctalDigit(field[i + 2]) &&
                            isOctalDigit(field[i + 3]);
        if (escape) {
            out.append(static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                                         (field[i + 3] - '0')));
            i += 3;
        } else {
            out.append(field[i]);
        }
    }
    return out;
}

LinuxOpticalDriveProbe::LinuxOpticalDriveProbe(QString sysBlockFolder, QString mountTable,
                                               QString deviceFolder)
    : sysBlockFolder_(std::move(sysBlockFolder)), mountTable_(std::move(mountTable)),
      deviceFolder_(std::move(deviceFolder)) {}

std::optional<OpticalDrive> LinuxOpticalDriveProbe::firstDrive() {
    const QString name = firstOpticalDeviceName();
    if (name.isEmpty())
        return std::nullopt;
    OpticalDrive drive;
    drive.device = deviceFolder_ + QLatin1Char('/') + name;
    drive.mountPoint = mountPointOf(drive.device);
    return drive;
}

QString LinuxOpticalDriveProbe::firstOpticalDeviceName() const {
    static const QRegularExpression srName(QStringLiteral("^sr(\\d+)$"));
    const QStringList entries =
        QDir(sysBlockFolder_).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    QString best;
    qint64 bestNumber = -1;
    for (const QString& entry : entries) {
        const QRegularExpressionMatch match = srName.match(entry);
        if (!match.hasMatch())
            continue;
        bool ok = false;
        const qint64 number = match.captured(1).toLongLong(&ok);
        if (ok && (bestNumber < 0 || number < bestNumber)) {
            best = entry;
            bestNumber = number;
        }
    }
    return best;
}

QString LinuxOpticalDriveProbe::mountPointOf(const QString& device) const {
    QFile table(mountTable_);
    if (!table.open(QIODevice::ReadOnly))
        return {};
    // /proc files report size 0: read them to the end, never by size.
    const QList<QByteArray> lines = table.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2)
            continue;
        const QString source = QFile::decodeName(DecodeMountField(fields[0]));
        if (sourceIsDevice(source, device))
            return QFile::decodeName(DecodeMountField(fields[1]));
    }
    return {};
}
