#include "platform/cover_art.h"

#include "platform/local_names.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <fcntl.h>
#include <memory>
#include <sys/time.h>
#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
}

namespace CoverArt {

namespace {

struct InputCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};

bool IsFrontCover(const AVStream& stream) {
    // ID3 and FLAC name the picture's role in the stream's comment.
    const AVDictionaryEntry* role = av_dict_get(stream.metadata, "comment", nullptr, 0);
    return role && qstrcmp(role->value, "Cover (front)") == 0;
}

QByteArray PacketBytes(const AVPacket& packet) {
    if (packet.size <= 0 || packet.size > MaxPictureBytes)
        return {};
    return QByteArray(reinterpret_cast<const char*>(packet.data), packet.size);
}

// Reads a file of any name (its bytes may not be UTF-8), up to the limit.
QByteArray ReadPicture(const QString& path) {
    const int fd = ::open(StringToLocalName(path).constData(), O_RDONLY | O_CLOEXEC);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return {};
    }
    return file.size() > MaxPictureBytes ? QByteArray() : file.readAll();
}

QString ExtensionFor(const QByteArray& picture) {
    if (picture.startsWith("\x89PNG"))
        return QStringLiteral("png");
    if (picture.startsWith("GIF8"))
        return QStringLiteral("gif");
    if (picture.startsWith("RIFF") && picture.mid(8, 4) == "WEBP")
        return QStringLiteral("webp");
    return QStringLiteral("jpg");
}

void MarkUsed(const QString& path) {
    ::utimes(QFile::encodeName(path).constData(), nullptr);
}

// Removes the files used longest ago until the folder is within `limits`;
// `keep` stays whatever its age.
void Trim(const QString& folder, const QString& keep, CacheLimits limits) {
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Time);
    qint64 bytes = 0;
    for (const QFileInfo& file : files)
        bytes += file.size();
    qsizetype count = files.size();
    for (qsizetype i = files.size() - 1; i >= 0 && (count > limits.files || bytes > limits.bytes);
         --i) {
        if (files[i].absoluteFilePath() == QFileInfo(keep).absoluteFilePath())
            continue;
        if (QFile::remove(files[i].absoluteFilePath())) {
            --count;
            bytes -= files[i].size();
        }
    }
}

} // namespace

QByteArray EmbeddedPicture(const QString& mediaPath) {
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVFormatContext* opened = nullptr;
    // "file:" keeps a name with a colon from being taken for a protocol.
    const QByteArray url = "file:" + StringToLocalName(mediaPath);
    const int result = avformat_open_input(&opened, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (result < 0)
        return {};
    const std::unique_ptr<AVFormatContext, InputCloser> context(opened);
    // The demuxer has read the pictures with the header; nothing is decoded.
    const AVStream* chosen = nullptr;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream* stream = context->streams[i];
        if (!(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            continue;
        if (!chosen || (IsFrontCover(*stream) && !IsFrontCover(*chosen)))
            chosen = stream;
    }
    return chosen ? PacketBytes(chosen->attached_pic) : QByteArray();
}

QString PictureFileBeside(const QString& mediaPath) {
    const QString folder = QFileInfo(mediaPath).path();
    const QStringList names = ListFolder(folder, FolderEntries::Files);
    for (const char* base : {"cover", "folder", "front", "albumart"})
        for (const char* extension : {"jpg", "jpeg", "png"})
            for (const QString& name : names)
                if (name.compare(QLatin1String(base) + u'.' + QLatin1String(extension),
                                 Qt::CaseInsensitive) == 0)
                    return folder + u'/' + name;
    return {};
}

QString CacheFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/sonvela/covers");
}

QString Keep(const QByteArray& picture, const QString& folder, CacheLimits limits) {
    if (picture.isEmpty() || !QDir().mkpath(folder))
        return {};
    const QString hash = QCryptographicHash::hash(picture, QCryptographicHash::Sha1).toHex();
    const QString path = folder + u'/' + hash + u'.' + ExtensionFor(picture);
    if (QFileInfo(path).size() == picture.size()) {
        MarkUsed(path);
    } else {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(picture) != picture.size() ||
            !file.commit())
            return {};
    }
    Trim(folder, path, limits);
    return path;
}

QString Find(const QString& mediaPath, const QString& folder, CacheLimits limits) {
    QByteArray picture = EmbeddedPicture(mediaPath);
    if (picture.isEmpty()) {
        const QString beside = PictureFileBeside(mediaPath);
        if (!beside.isEmpty())
            picture = ReadPicture(beside);
    }
    return Keep(picture, folder, limits);
}

} // namespace CoverArt
