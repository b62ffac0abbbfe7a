#include "vcd/vcd_playback.h"

#include "engine/media_engine.h"
#include "platform/data_folders.h"
#include "platform/file_commit.h"
#include "platform/optical_drive.h"
#include "platform/vcd_track_url.h"
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

// A track as the playlist shows it and as the engine opens it.
struct TrackEntry {
    QString title;
    QString path;
};
using TrackEntries = QList<TrackEntry>;

std::optional<QString> trackFolder(const QString& root) {
    const QDir rootDir(root);
    const std::optional<QString> name =
        PickVcdTrackFolder(rootDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot));
    if (!name)
        return std::nullopt;
    return QDir::cleanPath(rootDir.absoluteFilePath(*name));
}

// The files of the folder "mpegav" under `root` that are neither hidden
// nor system files, in ascending name order without regard to letter case.
std::optional<TrackEntries> tracksInFolder(const QString& root) {
    const std::optional<QString> folder = trackFolder(root);
    // A folder that cannot be listed would pass for an empty disc.
    if (!folder || !QFileInfo(*folder).isReadable())
        return std::nullopt;
    QStringList names = QDir(*folder).entryList(QDir::Files, QDir::Unsorted);
    std::sort(names.begin(), names.end(), VcdNameLess);
    TrackEntries entries;
    for (const QString& name : names)
        entries.append({name, *folder + QLatin1Char('/') + name});
    return entries;
}

// The tracks of a disc read sector by sector, as URLs the engine opens
// through the reader.
std::optional<TrackEntries> tracksOnDisc(const VcdDisc& disc, const QString& device) {
    const std::optional<QList<VcdTrack>> tracks = disc.tracks();
    if (!tracks)
        return std::nullopt;
    TrackEntries entries;
    for (const VcdTrack& track : *tracks)
        entries.append({track.name, VcdTrackUrl(device, track)});
    return entries;
}

// The first drive's disc, read raw. A disc the reader cannot open (no
// access to the device, or no CD) is still listed from its mount point.
// With no drive at all, the folder "mpegav" of the current folder.
std::optional<TrackEntries> findTracks(OpticalDriveProbe& drives) {
    const std::optional<OpticalDrive> drive = drives.firstDrive();
    if (!drive)
        return tracksInFolder(QDir::currentPath());
    const VcdDisc disc(drive->device);
    if (disc.isOpen())
        return tracksOnDisc(disc, drive->device);
    if (drive->mountPoint.isEmpty())
        return std::nullopt;
    return tracksInFolder(drive->mountPoint);
}

// Steps 4 to 7 once the tracks are known; false at the first failure.
bool buildPlaylist(PlaylistPair& pair, const TrackEntries& tracks, const QString& programFolder,
                   MediaEngine& engine) {
    // The engine opens these paths, so they are in the file-system
    // encoding rather than the list files' GB18030.
    QByteArray m3u;
    for (const TrackEntry& track : tracks)
        m3u += QFile::encodeName(track.path) + "\r\n";
    const QString m3uPath = ProgramFile(programFolder, VcdPlaylistName);
    if (!FileCommit::createAnew(m3uPath, m3u))
        return false;
    for (const TrackEntry& track : tracks)
        if (!pair.append(track.title, track.path))
            return false;

    // An empty folder gives an empty playlist that the engine may refuse to
    // open; there is nothing to play then, which is no disc failure.
    return engine.openPlaylist(m3uPath) || tracks.isEmpty();
}

} // namespace

void PlayVcd(PlaylistPair& pair, OpticalDriveProbe& drives, const QString& programFolder,
             VideoHost& video, Messages& messages) {
    pair.clear();
    const std::optional<TrackEntries> tracks = findTracks(drives);
    if (!tracks || !buildPlaylist(pair, *tracks, programFolder, video.engine())) {
        messages.show(QMessageBox::Critical, QStringLiteral("Sonvela"), VcdFailureText);
        return;
    }
    video.showVideoWindow();
}
