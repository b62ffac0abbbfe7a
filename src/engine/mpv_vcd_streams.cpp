#include "engine/mpv_vcd_streams.h"

#include "platform/vcd_track_url.h"

#include <QFile>

#include <mpv/client.h>
#include <mpv/stream_cb.h>

namespace {

VcdTrackStream* streamOf(void* cookie) {
    return static_cast<VcdTrackStream*>(cookie);
}

int64_t readTrack(void* cookie, char* buffer, uint64_t size) {
    return streamOf(cookie)->read(buffer, qint64(std::min<uint64_t>(size, INT64_MAX)));
}

int64_t seekTrack(void* cookie, int64_t offset) {
    const qint64 position = streamOf(cookie)->seek(offset);
    return position < 0 ? int64_t(MPV_ERROR_GENERIC) : position;
}

int64_t trackSize(void* cookie) {
    return streamOf(cookie)->size();
}

void cancelTrack(void* cookie) {
    streamOf(cookie)->cancel();
}

void closeTrack(void* cookie) {
    delete streamOf(cookie);
}

int openTrack(void*, char* uri, mpv_stream_cb_info* info) {
    std::unique_ptr<VcdTrackStream> stream = OpenVcdTrack(QString::fromUtf8(uri));
    if (!stream)
        return MPV_ERROR_LOADING_FAILED;
    info->cookie = stream.release();
    info->read_fn = readTrack;
    info->seek_fn = seekTrack;
    info->size_fn = trackSize;
    info->close_fn = closeTrack;
    info->cancel_fn = cancelTrack;
    return 0;
}

bool isVcdPlaylist(const QString& path) {
    // The VCD button writes one short line per track.
    constexpr qint64 LargestPlaylist = 1 << 20;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > LargestPlaylist)
        return false;
    int tracks = 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QByteArray entry = line.trimmed();
        if (entry.isEmpty())
            continue;
        if (!IsVcdTrackUrl(QString::fromUtf8(entry)))
            return false;
        ++tracks;
    }
    return tracks > 0;
}

} // namespace

QByteArray VcdPlaylistOptions(const QString& path) {
    return isVcdPlaylist(path) ? QByteArray("load-unsafe-playlists=yes") : QByteArray();
}

bool RegisterVcdStreams(mpv_handle* mpv) {
    return mpv_stream_cb_add_ro(mpv, VcdScheme, nullptr, openTrack) >= 0;
}
