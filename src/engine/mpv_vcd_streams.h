#pragma once

#include <QByteArray>
#include <QString>

struct mpv_handle;

// Lets mpv open Video CD track URLs (see platform/vcd_track_url.h): each
// stream reads its own handle on the disc, on mpv's reading thread, so the
// UI thread never waits on the drive. False when mpv refused the scheme.
bool RegisterVcdStreams(mpv_handle* mpv);

// mpv opens no stream of a program's own scheme from a playlist unless told
// to trust that playlist. The per-file options for `path`: that trust when
// it is a Video CD playlist (every entry a track URL), nothing otherwise.
QByteArray VcdPlaylistOptions(const QString& path);
