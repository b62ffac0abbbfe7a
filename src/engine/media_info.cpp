#include "engine/media_info.h"

#include "platform/gb18030.h"

#include <QStringDecoder>
#include <algorithm>

namespace {

constexpr uint64_t MetadataId = MediaInfoProperties[0].id;
constexpr uint64_t FileFormatId = MediaInfoProperties[1].id;
constexpr uint64_t TrackListId = MediaInfoProperties[2].id;
constexpr uint64_t FileSizeId = MediaInfoProperties[3].id;

bool IsUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString ignored = decoder(bytes);
    return !decoder.hasError();
}

// Chinese text in GB18030: every byte belongs to a character, and at least
// one is a GB2312 character (both bytes A1..FE), as any Chinese title has.
// Latin-1 text is rarely that: an accented letter followed by a plain one
// ("Bj\xF6rk") is a valid pair, but not a GB2312 one.
bool IsChineseGb18030(const QByteArray& bytes, const QString& decoded) {
    const bool whole = std::none_of(decoded.cbegin(), decoded.cend(), [](QChar c) {
        return c.unicode() >= Gb18030::escapeFor(0x80) && c.unicode() <= Gb18030::escapeFor(0xFF);
    });
    if (!whole)
        return false;
    const auto gb2312 = [](unsigned char b) { return b >= 0xA1 && b <= 0xFE; };
    for (qsizetype i = 0; i + 1 < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const auto next = static_cast<unsigned char>(bytes[i + 1]);
        if (lead < 0x80)
            i += 1;
        else if (next >= '0' && next <= '9')
            i += 4; // a four-byte code
        else if (gb2312(lead) && gb2312(next))
            return true;
        else
            i += 2;
    }
    return false;
}

// 8-bit text of an unknown code page.
QString LegacyText(const QByteArray& bytes) {
    const QString chinese = Gb18030::decode(bytes);
    return IsChineseGb18030(bytes, chinese) ? chinese : QString::fromLatin1(bytes);
}

// The bytes `text` came from if it is 8-bit text read as Latin-1: every
// character below U+0100, one at least above U+007F. Empty otherwise.
QByteArray LatinBytes(const QString& text) {
    const bool latin =
        std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x100; });
    const bool eightBit =
        std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0x7F; });
    return latin && eightBit ? text.toLatin1() : QByteArray();
}

QStringList Entries(const QString& joined) {
    QStringList entries;
    for (const QString& entry : joined.split(u';'))
        if (!entry.trimmed().isEmpty())
            entries << entry.trimmed();
    return entries;
}

QString Tag(const QVariantMap& metadata, std::initializer_list<const char*> keys) {
    for (auto it = metadata.cbegin(); it != metadata.cend(); ++it)
        for (const char* key : keys)
            if (it.key().compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
                return TagText(it.value().toByteArray()).trimmed();
    return {};
}

MediaTags TagsOf(const QVariantMap& metadata) {
    MediaTags tags;
    tags.title = Tag(metadata, {"title"});
    tags.artists = Entries(Tag(metadata, {"artist"}));
    tags.album = Tag(metadata, {"album"});
    tags.genres = Entries(Tag(metadata, {"genre"}));
    // "3" or "3/12".
    bool ok = false;
    const int track = Tag(metadata, {"track", "tracknumber"}).section(u'/', 0, 0).toInt(&ok);
    if (ok && track > 0)
        tags.trackNumber = track;
    return tags;
}

// The track of `type` that plays: the one selected, else the first (the
// picture may be switched off while nobody looks at it). Cover art is no
// video.
QVariantMap PlayingTrack(const QVariantList& tracks, const QString& type) {
    QVariantMap first;
    for (const QVariant& entry : tracks) {
        const QVariantMap track = entry.toMap();
        if (track.value("type").toString() != type || track.value("albumart").toBool())
            continue;
        if (track.value("selected").toBool())
            return track;
        if (first.isEmpty())
            first = track;
    }
    return first;
}

void TakeTracks(MediaInfo& info, const QVariantList& tracks) {
    const QVariantMap audio = PlayingTrack(tracks, QStringLiteral("audio"));
    const QVariantMap video = PlayingTrack(tracks, QStringLiteral("video"));
    info.audioCodec = audio.value("codec").toString();
    info.audioBitrate = audio.value("demux-bitrate").toLongLong();
    info.sampleRate = audio.value("demux-samplerate").toInt();
    info.channels = audio.value("demux-channel-count").toInt();
    info.videoCodec = video.value("codec").toString();
    info.videoBitrate = video.value("demux-bitrate").toLongLong();
    info.videoSize = QSize(video.value("demux-w").toInt(), video.value("demux-h").toInt());
    if (info.videoSize.isEmpty())
        info.videoSize = QSize();
}

} // namespace

QString TagText(const QByteArray& raw) {
    if (!IsUtf8(raw))
        return LegacyText(raw);
    const QString text = QString::fromUtf8(raw);
    const QByteArray latin = LatinBytes(text);
    // Bytes that are UTF-8 themselves were written as UTF-8 twice over;
    // that is no code page to guess.
    return latin.isEmpty() || IsUtf8(latin) ? text : LegacyText(latin);
}

bool UpdateMediaInfo(MediaInfo& info, uint64_t id, const QVariant& value) {
    // Between files mpv has no value and no tracks: the last file's stand.
    const bool betweenFiles = !value.isValid() || (id == TrackListId && value.toList().isEmpty());
    if (betweenFiles)
        return false;
    const MediaInfo before = info;
    switch (id) {
    case MetadataId:
        info.tags = TagsOf(value.toMap());
        break;
    case FileFormatId:
        info.container = QString::fromUtf8(value.toByteArray());
        break;
    case TrackListId:
        TakeTracks(info, value.toList());
        break;
    case FileSizeId:
        info.fileSize = value.toLongLong();
        break;
    default:
        return false;
    }
    return !(info == before);
}
