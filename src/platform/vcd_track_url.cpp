#include "platform/vcd_track_url.h"

#include <QFileInfo>

namespace {

QString prefix() {
    return QLatin1String(VcdScheme) + QStringLiteral("://");
}

} // namespace

QString VcdTrackUrl(const QString& device, const VcdTrack& track) {
    return prefix() + QFileInfo(device).absoluteFilePath() + QLatin1Char('/') + track.folder +
           QLatin1Char('/') + track.name;
}

std::optional<VcdTrackAddress> ParseVcdTrackUrl(const QString& url) {
    if (!url.startsWith(prefix()))
        return std::nullopt;
    const QString rest = url.mid(prefix().size());
    const qsizetype nameStart = rest.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype folderStart = rest.lastIndexOf(QLatin1Char('/'), nameStart - 2) + 1;
    VcdTrackAddress address;
    address.device = rest.left(std::max<qsizetype>(folderStart - 1, 0));
    address.folder = rest.mid(folderStart, nameStart - 1 - folderStart);
    address.name = rest.mid(nameStart);
    if (nameStart < 2 || !address.device.startsWith(QLatin1Char('/')) || address.folder.isEmpty() ||
        address.name.isEmpty())
        return std::nullopt;
    return address;
}

bool IsVcdTrackUrl(const QString& path) {
    return ParseVcdTrackUrl(path).has_value();
}

std::unique_ptr<VcdTrackStream> OpenVcdTrack(const QString& url, VcdReadLimits limits) {
    const std::optional<VcdTrackAddress> address = ParseVcdTrackUrl(url);
    if (!address)
        return nullptr;
    auto disc = std::make_unique<VcdDisc>(address->device);
    const std::optional<QList<VcdTrack>> tracks = disc->tracks();
    if (!tracks)
        return nullptr;
    for (const VcdTrack& track : *tracks) {
        if (track.folder.compare(address->folder, Qt::CaseInsensitive) == 0 &&
            track.name.compare(address->name, Qt::CaseInsensitive) == 0)
            return std::make_unique<VcdTrackStream>(std::move(disc), track, limits);
    }
    return nullptr;
}

bool VcdTrackExists(const QString& url) {
    return OpenVcdTrack(url) != nullptr;
}
