#pragma once

#include <QString>

class Messages;
class OpticalDriveProbe;
class PlaylistPair;
class VideoHost;

// The temporary Video CD playlist in the program folder; the close button
// deletes it.
extern const QString VcdPlaylistName;
// The one message of a failed Video CD start (stop icon, title "Sonvela").
extern const QString VcdFailureText;

// playvcd_Click: replaces the playlist with the track files of the first
// optical drive's "mpegav" folder (read from the disc's sectors, as track
// URLs the engine opens through the reader), writes them to mirelle.m3u in
// `programFolder`, hands that file to the engine and shows the video
// window. The playlist is emptied first; any later failure stops at once
// with the one failure message and keeps what was done before it.
void PlayVcd(PlaylistPair& pair, OpticalDriveProbe& drives, const QString& programFolder,
             VideoHost& video, Messages& messages);
