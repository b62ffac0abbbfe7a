#include "support/test_clips.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QtEndian>

namespace TestClips {

namespace {

QString temporaryNameFor(const QString& name) {
    // Same folder (so the rename is atomic) and same extension (ffmpeg picks
    // the container from it).
    const QString suffix = QFileInfo(name).suffix();
    QString temp = QStringLiteral(".part-%1-%2")
                       .arg(QCoreApplication::applicationPid())
                       .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    if (!suffix.isEmpty())
        temp += QLatin1Char('.') + suffix;
    return temp;
}

QStringList sineInput(int seconds, int frequencyHz) {
    return {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("sine=frequency=%1:duration=%2:sample_rate=44100")
                .arg(frequencyHz)
                .arg(seconds)};
}

QString videoWithSine(const QString& name, const QString& videoSource, int seconds) {
    QStringList args{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     videoSource};
    args << sineInput(seconds, 1000)
         << QStringList{
                QStringLiteral("-t"),      QString::number(seconds), QStringLiteral("-ac"),
                QStringLiteral("2"),       QStringLiteral("-c:v"),   QStringLiteral("mpeg4"),
                QStringLiteral("-q:v"),    QStringLiteral("3"),      QStringLiteral("-pix_fmt"),
                QStringLiteral("yuv420p"), QStringLiteral("-c:a"),   QStringLiteral("aac")};
    return make(name, args);
}

} // namespace

QString dir() {
    const QString path = QStringLiteral(SONVELA_TEST_CLIP_DIR);
    QDir().mkpath(path);
    return path;
}

QString make(const QString& name, const QStringList& ffmpegArgs) {
    const QString target = QDir(dir()).filePath(name);
    if (QFileInfo::exists(target))
        return target;
    const QString temp = QDir(dir()).filePath(temporaryNameFor(name));
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 QStringList{QStringLiteral("-nostdin"), QStringLiteral("-y"),
                             QStringLiteral("-loglevel"), QStringLiteral("error")}
                     << ffmpegArgs << temp);
    const bool ok = ffmpeg.waitForFinished(120000) && ffmpeg.exitStatus() == QProcess::NormalExit &&
                    ffmpeg.exitCode() == 0 && QFileInfo(temp).size() > 0;
    if (!ok || !QFile::rename(temp, target))
        QFile::remove(temp); // failed, or another process got there first
    return QFileInfo::exists(target) ? target : QString();
}

QString rotatedClip() {
    const QString stored = make(
        QStringLiteral("stored-640x360.mp4"),
        {"-f", "lavfi", "-i", "testsrc=size=640x360:rate=5:duration=3", "-pix_fmt", "yuv420p"});
    const QString target = QDir(dir()).filePath(QStringLiteral("rotated-90.mp4"));
    QFile in(stored);
    if (QFileInfo::exists(target) || !in.open(QIODevice::ReadOnly))
        return QFileInfo::exists(target) ? target : QString();
    QByteArray bytes = in.readAll();
    // The track header's matrix follows its type by 40 bytes (version 0):
    // a quarter turn is {0, 1, 0; -1, 0, 0; 0, 0, 1} in 16.16 and 2.30.
    const qsizetype header = bytes.indexOf("tkhd");
    if (header < 0)
        return {};
    const quint32 turn[9] = {0, 0x10000, 0, 0xFFFF0000u, 0, 0, 0, 0, 0x40000000};
    for (int i = 0; i < 9; ++i)
        qToBigEndian(turn[i], bytes.data() + header + 4 + 40 + 4 * i);
    const QString temp = QDir(dir()).filePath(temporaryNameFor(QStringLiteral("rotated-90.mp4")));
    QFile out(temp);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush() ||
        !QFile::rename(temp, target))
        QFile::remove(temp);
    return QFileInfo::exists(target) ? target : QString();
}

QString shortClip(int seconds, int frequencyHz) {
    return make(QStringLiteral("sine-%1hz-%2s.wav").arg(frequencyHz).arg(seconds),
                sineInput(seconds, frequencyHz) << QStringLiteral("-ac") << QStringLiteral("2"));
}

QString sineClip() {
    return shortClip(3);
}

QString videoClip() {
    return testPatternClip(3);
}

QString testPatternClip(int seconds, int width, int height) {
    return videoWithSine(
        QStringLiteral("testsrc-%1x%2-%3s.mkv").arg(width).arg(height).arg(seconds),
        QStringLiteral("testsrc=size=%1x%2:rate=25:duration=%3")
            .arg(width)
            .arg(height)
            .arg(seconds),
        seconds);
}

QString colourClip(const QString& colour, int seconds, int width, int height) {
    return videoWithSine(
        QStringLiteral("%1-%2x%3-%4s.mkv").arg(colour).arg(width).arg(height).arg(seconds),
        QStringLiteral("color=c=%1:size=%2x%3:rate=25:duration=%4")
            .arg(colour)
            .arg(width)
            .arg(height)
            .arg(seconds),
        seconds);
}

QString notMediaFile() {
    const QString path = QDir(dir()).filePath(QStringLiteral("not-media.mp3"));
    if (QFileInfo::exists(path))
        return path;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("This is a plain text file, not a sound.\nNothing to play here.\n");
    return file.commit() ? path : QString();
}

QList<TaggedClip> taggedClips() {
    const QStringList sine = sineInput(20, 440);
    const QString png =
        make("art.png", {"-f", "lavfi", "-i", "testsrc=size=64x48", "-frames:v", "1"});
    const QString jpg =
        make("art.jpg", {"-f", "lavfi", "-i", "testsrc=size=48x48", "-frames:v", "1"});
    const auto withPicture = [](const QString& picture) {
        return QStringList{"-i",   picture, "-map",           "0",           "-map", "1",
                           "-c:v", "copy",  "-disposition:v", "attached_pic"};
    };
    const auto tags = [](const QStringList& pairs) {
        QStringList args;
        for (const QString& pair : pairs)
            args << "-metadata" << pair;
        return args;
    };
    // ffmpeg writes its ID3v1 tag only beside an ID3v2 one, which goes.
    const QString gbkMeta = dir() + "/gbk.ffmeta";
    QSaveFile meta(gbkMeta);
    if (!QFileInfo::exists(gbkMeta) && meta.open(QIODevice::WriteOnly)) {
        meta.write(";FFMETADATA1\ntitle=\xC4\xE3\xBA\xC3\nartist=\xB8\xE8\xCA\xD6\n"
                   "album=\xD7\xA8\xBC\xAD\n");
        meta.commit();
    }
    const QString bothTags =
        make("gbk-both.mp3",
             sine + QStringList{"-f", "ffmetadata", "-i", gbkMeta, "-map", "0", "-map_metadata",
                                "1", "-b:a", "128k", "-write_id3v1", "1"});
    const QString gbk = dir() + "/gbk.mp3";
    QFile both(bothTags);
    QSaveFile v1Only(gbk); // whole or not at all: tests run side by side
    if (!QFileInfo::exists(gbk) && both.open(QIODevice::ReadOnly) &&
        v1Only.open(QIODevice::WriteOnly)) {
        const QByteArray bytes = both.readAll();
        const int size = (bytes[6] << 21) | (bytes[7] << 14) | (bytes[8] << 7) | bytes[9];
        v1Only.write(bytes.mid(10 + size));
        v1Only.commit();
    }
    QDir().mkpath(dir() + "/with-cover");
    QFile::copy(jpg, dir() + "/with-cover/Cover.JPG");
    return {
        {"utf8.mp3",
         make("utf8.mp3", sine + withPicture(png) +
                              tags({"title=你好世界", "artist=歌手甲;歌手乙", "album=专辑乙",
                                    "track=3/12", "genre=流行"}) +
                              QStringList{"-b:a", "128k"}),
         png},
        {"gbk.mp3", gbk, {}},
        {"tagged.flac",
         make("tagged.flac", sine + withPicture(png) + tags({"title=Flac 标题", "artist=乐队"})),
         png},
        {"tagged.m4a",
         make("tagged.m4a", sine + withPicture(jpg) + tags({"title=M4A 标题", "album=专辑丙"}) +
                                QStringList{"-c:a", "aac", "-b:a", "96k"}),
         jpg},
        {"untagged.mp3", make("with-cover/untagged.mp3", sine + QStringList{"-b:a", "128k"}),
         dir() + "/with-cover/Cover.JPG"},
        {"untagged.wav", make("untagged.wav", sine + QStringList{"-fflags", "+bitexact"}), {}},
    };
}

} // namespace TestClips
