#include "support/vcd_image.h"

#include "support/test_clips.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace TestVcd {

namespace {

// Raw 2352-byte sectors in the .bin: sync and header (16 bytes) and the XA
// subheader (8) come before the payload.
constexpr qint64 RawSectorSize = 2352;
constexpr qint64 PayloadOffset = 24;
constexpr qint64 PayloadSize = 2324;

QString vcdClip(int hz, int seconds) {
    const QString length = QString::number(seconds);
    return TestClips::make(
        QStringLiteral("vcd-%1hz-%2s.mpg").arg(hz).arg(seconds),
        {"-f", "lavfi", "-i", QStringLiteral("sine=frequency=%1:sample_rate=44100").arg(hz), "-f",
         "lavfi", "-i", "testsrc=size=352x288:rate=25", "-t", length, "-target", "pal-vcd"});
}

VcdImage imageIn(const QString& folder, const QStringList& clips) {
    return {folder + QStringLiteral("/disc.cue"), folder + QStringLiteral("/disc.bin"), clips};
}

bool runVcdimager(const QString& folder, const QStringList& clips) {
    QProcess vcdimager;
    vcdimager.setWorkingDirectory(folder);
    vcdimager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    vcdimager.setStandardOutputFile(QProcess::nullDevice());
    vcdimager.start(QStringLiteral("vcdimager"),
                    QStringList{"-t", "vcd2", "-c", "disc.cue", "-b", "disc.bin"} << clips);
    return vcdimager.waitForFinished(60000) && vcdimager.exitStatus() == QProcess::NormalExit &&
           vcdimager.exitCode() == 0;
}

} // namespace

VcdImage twoTrackImage() {
    const QStringList clips{vcdClip(FirstTrackHz, FirstTrackSeconds),
                            vcdClip(SecondTrackHz, SecondTrackSeconds)};
    if (clips.contains(QString()))
        return {};
    const QString folder = QDir(TestClips::dir()).filePath(QStringLiteral("vcd2-image"));
    if (QFileInfo::exists(folder))
        return imageIn(folder, clips);
    // Made aside and renamed into place, so parallel tests never see half
    // an image.
    QTemporaryDir work(QDir(TestClips::dir()).filePath(QStringLiteral(".vcd-XXXXXX")));
    if (!work.isValid() || !runVcdimager(work.path(), clips))
        return {};
    work.setAutoRemove(!QDir().rename(work.path(), folder));
    return QFileInfo::exists(folder) ? imageIn(folder, clips) : VcdImage{};
}

VcdImage copyImage(const VcdImage& image, const QString& folder) {
    QDir().mkpath(folder);
    const VcdImage copy = imageIn(folder, image.clips);
    if (!QFile::copy(image.cue, copy.cue) || !QFile::copy(image.bin, copy.bin))
        return {};
    QFile::setPermissions(copy.bin, QFile::ReadOwner | QFile::WriteOwner);
    return copy;
}

bool damageSectors(const VcdImage& image, qint32 firstSector, int count) {
    QFile bin(image.bin);
    if (!bin.open(QIODevice::ReadWrite))
        return false;
    for (int i = 0; i < count; ++i) {
        if (!bin.seek((firstSector + i) * RawSectorSize + PayloadOffset))
            return false;
        QByteArray noise(PayloadSize, '\0');
        for (qint64 b = 0; b < PayloadSize; ++b)
            noise[b] = char((b * 131 + i * 7) & 0xFF);
        if (bin.write(noise) != PayloadSize)
            return false;
    }
    return true;
}

} // namespace TestVcd
