#pragma once

#include "platform/optical_drive.h"

#include <QByteArray>
#include <QString>

// Finds the first optical drive of a Linux machine: the lowest-numbered
// /dev/srN that the kernel lists under /sys/block, and where its disc is
// mounted according to the mount table. A drive without a mounted disc has
// an empty mount point ("not ready").
class LinuxOpticalDriveProbe : public OpticalDriveProbe {
  public:
    // The defaults are the live system; tests hand in fake trees.
    explicit LinuxOpticalDriveProbe(QString sysBlockFolder = QStringLiteral("/sys/block"),
                                    QString mountTable = QStringLiteral("/proc/self/mounts"),
                                    QString deviceFolder = QStringLiteral("/dev"));

    std::optional<OpticalDrive> firstDrive() override;

  private:
    QString firstOpticalDeviceName() const;
    QString mountPointOf(const QString& device) const;

    QString sysBlockFolder_;
    QString mountTable_;
    QString deviceFolder_;
};

// One field of a mount-table line with its octal escapes (\040 for a space,
// \011, \012, \134) turned back into bytes.
QByteArray DecodeMountField(const QByteArray& field);
