#pragma once

#include "platform/vcd_disc.h"
#include "platform/vcd_track_stream.h"

#include <QString>
#include <memory>
#include <optional>

// Video CD tracks appear in the playlist and in mirelle.m3u as URLs of the
// program's own scheme, which the media engine hands back to the reader:
//   sonvela-vcd://<drive or image>/<track folder>/<file>
//   e.g. sonvela-vcd:///dev/sr0/MPEGAV/AVSEQ01.DAT
inline constexpr char VcdScheme[] = "sonvela-vcd";

struct VcdTrackAddress {
    QString device; // absolute path of the drive or image
    QString folder;
    QString name;
};

QString VcdTrackUrl(const QString& device, const VcdTrack& track);
// Nothing when `url` is not a well-formed track URL.
std::optional<VcdTrackAddress> ParseVcdTrackUrl(const QString& url);
bool IsVcdTrackUrl(const QString& path);

// Opens the disc the URL names and finds the track on it; null when the
// disc is not there or lacks that track. Reads the disc's directory.
std::unique_ptr<VcdTrackStream> OpenVcdTrack(const QString& url, VcdReadLimits limits = {});
bool VcdTrackExists(const QString& url);
