#include "shell/file_properties.h"

#include "playlist/paths.h"

#include <cmath>

namespace {

// "3:25", "1:02:03".
QString Duration(double seconds) {
    const qint64 whole = std::llround(seconds);
    const QString minutes = QStringLiteral("%1:%2")
                                .arg(whole / 60 % 60, whole < 3600 ? 1 : 2, 10, QLatin1Char('0'))
                                .arg(whole % 60, 2, 10, QLatin1Char('0'));
    return whole < 3600 ? minutes : QStringLiteral("%1:%2").arg(whole / 3600).arg(minutes);
}

// The container by the name people know it by: the one of the demuxer's
// names that is the file's extension ("mp4" of "mov,mp4,m4a,..."), else
// its first. Then the codecs, unless the container says it all ("MP3").
QString Format(const QString& path, const MediaInfo& info) {
    const QStringList names = info.container.split(u',');
    const QString extension = FileExtension(MakeTitle(path)).toLower();
    const QString container = (names.contains(extension) ? extension : names.first()).toUpper();
    QStringList codecs;
    for (const QString& codec : {info.videoCodec, info.audioCodec})
        if (!codec.isEmpty())
            codecs << codec.toUpper();
    if (codecs.isEmpty() || codecs == QStringList{container})
        return container;
    return container + QStringLiteral(" (") + codecs.join(QStringLiteral(", ")) + u')';
}

// What the container declares for every stream that plays, else the
// file's size over its length.
qint64 Bitrate(const MediaInfo& info, std::optional<double> duration) {
    const bool declared = (info.audioCodec.isEmpty() || info.audioBitrate > 0) &&
                          (info.videoCodec.isEmpty() || info.videoBitrate > 0);
    if (declared && info.audioBitrate + info.videoBitrate > 0)
        return info.audioBitrate + info.videoBitrate;
    if (info.fileSize && duration && *duration > 0)
        return std::llround(*info.fileSize * 8 / *duration);
    return 0;
}

QString SoundLayout(const MediaInfo& info) {
    QStringList parts;
    if (info.sampleRate > 0)
        parts << QStringLiteral("%1 Hz").arg(info.sampleRate);
    if (info.channels > 0)
        parts << QStringLiteral("%1 声道").arg(info.channels);
    return parts.join(QStringLiteral(" / "));
}

// Decimal units, as the desktop's file manager counts: "4.2 MB".
QString Size(qint64 bytes) {
    if (bytes < 1000)
        return QStringLiteral("%1 B").arg(bytes);
    const char* units[] = {"KB", "MB", "GB"};
    int unit = 0;
    double value = bytes / 1000.0;
    while (value >= 999.95 && unit < 2) { // never "1000.0 KB"
        value /= 1000;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

} // namespace

QList<PropertyRow> FileProperties(const QString& path, const MediaInfo& info,
                                  std::optional<double> duration) {
    if (info.isEmpty())
        return {};
    const qint64 bitrate = Bitrate(info, duration);
    const QList<PropertyRow> all{
        {QStringLiteral("文件名"), MakeTitle(path)},
        {QStringLiteral("标题"), info.tags.title},
        {QStringLiteral("艺术家"), info.tags.artists.join(QStringLiteral(" / "))},
        {QStringLiteral("专辑"), info.tags.album},
        {QStringLiteral("时长"), duration && *duration > 0 ? Duration(*duration) : QString()},
        {QStringLiteral("格式"), Format(path, info)},
        {QStringLiteral("码率"),
         bitrate > 0 ? QStringLiteral("%1 kbps").arg(std::llround(bitrate / 1000.0)) : QString()},
        {QStringLiteral("采样率 / 声道"), SoundLayout(info)},
        {QStringLiteral("分辨率"),
         info.videoSize.isEmpty()
             ? QString()
             : QStringLiteral("%1×%2").arg(info.videoSize.width()).arg(info.videoSize.height())},
        {QStringLiteral("大小"), info.fileSize ? Size(*info.fileSize) : QString()},
    };
    QList<PropertyRow> known;
    for (const PropertyRow& row : all)
        if (!row.value.isEmpty())
            known << row;
    return known;
}
