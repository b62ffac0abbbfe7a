#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <optional>

// The tags of the open file, as its tagger wrote them. Empty = none.
struct MediaTags {
    QString title;
    // A file may name several; repeated entries reach us joined by ';'.
    QStringList artists;
    QString album;
    std::optional<int> trackNumber;
    QStringList genres;

    bool operator==(const MediaTags&) const = default;
};

// What the file loaded last says about itself: its tags, its container
// and the streams that play. It stands until the next file has loaded (a
// file played to its end or stopped is still the one shown); empty before
// any file has. Zero, empty or unset = not known.
struct MediaInfo {
    MediaTags tags;
    // The demuxer's name for the container: "mp3", "matroska,webm", ...
    QString container;
    QString audioCodec;
    // Empty for sound alone; cover art is no video.
    QString videoCodec;
    // Bits per second as the container declares them.
    qint64 audioBitrate = 0;
    qint64 videoBitrate = 0;
    int sampleRate = 0;
    int channels = 0;
    QSize videoSize;
    std::optional<qint64> fileSize;

    bool isEmpty() const { return container.isEmpty(); }
    bool operator==(const MediaInfo&) const = default;
};

// mpv's properties the media info follows, each under its own report id
// (clear of the engine's other observed properties).
struct MediaInfoProperty {
    uint64_t id;
    const char* name;
};
inline constexpr MediaInfoProperty MediaInfoProperties[] = {
    {101, "metadata"}, {102, "file-format"}, {103, "track-list"}, {104, "file-size"}};

// Takes mpv's report of the property with report id `id`, its value
// converted to Qt: maps and lists as QVariantMap and QVariantList, text as
// its raw bytes (QByteArray), numbers and flags as they are; an invalid
// value when the property has none. False when `id` is none of
// MediaInfoProperties or nothing changed. The engine empties the info
// when the next file starts loading; reports of no value (mpv's between
// files) change nothing.
bool UpdateMediaInfo(MediaInfo& info, uint64_t id, const QVariant& value);

// The text of a tag as a file holds it. UTF-8 is taken as it is; old
// taggers on Chinese systems wrote GBK, which arrives either as raw bytes
// (ID3v1, other 8-bit tags) or as those bytes read as Latin-1 and made
// UTF-8 (ID3v2's Latin-1 frames). Both read as GB18030 when the bytes are
// Chinese text in it; anything else 8-bit reads as Latin-1.
QString TagText(const QByteArray& raw);
