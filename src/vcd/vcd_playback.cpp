#include "vcd/vcd_playback.h"

#include "engine/media_engine.h"
#include "platform/optical_drive.h"
#include "playlist/paths.h"
#include "playlist/playlist_pair.h"
#include "shared/video_host.h"
#include "ui/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>

const QString VcdPlaylistName = QStringLiteral("mirelle.m3u");
const QString VcdFailureText = QStringLiteral("VCD光盘没有准备好或光盘文件不能播放。");

namespace {

const QString TrackFolderName = QStringLiteral("mpegav");

// Where the disc's folders are: the first drive's mount point, or the
// current folder when the machine has no optical drive. Nothing when the
// drive holds no mounted disc.
std::optional<QString> discRoot(OpticalDriveProbe& drives) {
    const std::optional<OpticalDrive> drive = drives.firstDrive();
    if (!drive)
        return QDir::currentPath();
    if (drive->mountPoint.isEmpty())
        return std::nullopt;
    return drive->mountPoint;
}

bool lessIgnoringCase(const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

// The track folder under `root`: ISO 9660 mounts show "mpegav" in upper or
// lower case, so any spelling counts; the exact one wins if several exist.
std::optional<QString> trackFolder(const QString& root) {
    const QDir rootDir(root);
    QStringList matches;
    for (const QString& name : rootDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (name.compare(TrackFolderName, Qt::CaseInsensitive) == 0)
            matches << name;
    if (matches.isEmpty())
        return std::nullopt;
    std::sort(matches.begin(), matches.end(), lessIgnoringCase);
    const QString chosen = matches.contains(TrackFolderName) ? TrackFolderName : matches.first();
    return QDir::cleanPath(rootDir.absoluteFilePath(chosen));
}

// The folder's files that are neither hidden nor system files, in
// ascending name order without regard to letter case.
QStringList trackFiles(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Files, QDir::Unsorted);
    std::sort(names.begin(), names.end(), lessIgnoringCase);
    return names;
}

// Steps 3 to 7 once the disc root is known; false at the first failure.
bool buildPlaylist(PlaylistPair& pair, const QString& root, const QString& programFolder,
                   MediaEngine& engine) {
    const std::optional<QString> folder = trackFolder(root);
    // A folder that cannot be listed would pass for an empty disc.
    if (!folder || !QFileInfo(*folder).isReadable())
        return false;
    const QStringList names = trackFiles(*folder);

    QFile m3u(ProgramFile(programFolder, VcdPlaylistName));
    if (!m3u.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    for (const QString& name : names) {
        const QString path = *folder + QLatin1Char('/') + name;
        if (!pair.append(name, path))
            return false;
        // The engine opens these paths, so they are in the file-system
        // encoding rather than the list files' GB18030.
        if (m3u.write(QFile::encodeName(path) + "\r\n") < 0)
            return false;
    }
    if (!m3u.flush())
        return false;
    m3u.close();

    // An empty folder gives an empty playlist that the engine may refuse to
    // open; there is nothing to play then, which is no disc failure.
    return engine.setFileName(m3u.fileName()) || names.isEmpty();
}

} // namespace

void PlayVcd(PlaylistPair& pair, OpticalDriveProbe& drives, const QString& programFolder,
             VideoHost& video, Messages& messages) {
    pair.clear();
    const std::optional<QString> root = discRoot(drives);
    if (!root || !buildPlaylist(pair, *root, programFolder, video.engine())) {
        messages.show(QMessageBox::Critical, QStringLiteral("Sonvela"), VcdFailureText);
        return;
    }
    video.showVideoWindow();
}
