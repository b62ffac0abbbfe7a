#include "engine/mpv_engine.h"
#include "engine/mpv_vcd_streams.h"
#include "platform/vcd_disc.h"
#include "platform/vcd_track_url.h"
#include "support/vcd_image.h"
#include "support/wav.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

using namespace TestVcd;

// The engine's sound, written as fast as it decodes, and its end events.
struct PlayedSound {
    Wav wav;
    int endsOfStream = 0;
    bool opened = false;
};

MpvEngineOptions pcmOutput(const QString& wavPath) {
    MpvEngineOptions options;
    options.videoOutput = QStringLiteral("null");
    options.audioOutput = QStringLiteral("pcm");
    options.audioFile = wavPath;
    return options;
}

QStringList trackUrls(const QString& image) {
    QStringList urls;
    for (const VcdTrack& track : VcdDisc(image).tracks().value_or(QList<VcdTrack>{}))
        urls << VcdTrackUrl(image, track);
    return urls;
}

} // namespace

class TestMpvVcdStreams : public QObject {
    Q_OBJECT

    VcdImage image_;
    QTemporaryDir temp_;
    int runs_ = 0;

    // A playlist of the image's tracks, as the VCD button writes it.
    QString writePlaylist(const VcdImage& image) {
        const QString path = temp_.filePath(QStringLiteral("vcd-%1.m3u").arg(++runs_));
        QFile m3u(path);
        if (!m3u.open(QIODevice::WriteOnly))
            return {};
        for (const QString& url : trackUrls(image.cue))
            m3u.write(url.toUtf8() + "\r\n");
        return path;
    }

    // `path` opened as the VCD button opens its playlist, or as a file the
    // user picked.
    PlayedSound play(const QString& path, bool ownPlaylist = false) {
        PlayedSound played;
        const QString wavPath = temp_.filePath(QStringLiteral("out-%1.wav").arg(++runs_));
        {
            MpvEngine engine(pcmOutput(wavPath));
            QSignalSpy ended(&engine, &MediaEngine::EndOfStream);
            played.opened = ownPlaylist ? engine.openPlaylist(path) : engine.setFileName(path);
            if (played.opened && ended.wait(30000))
                QTest::qWait(300); // a second end would come now
            played.endsOfStream = int(ended.count());
        } // the WAV header is finished when the engine goes
        played.wav = readWav(wavPath);
        return played;
    }

  private slots:
    void initTestCase() {
        image_ = twoTrackImage();
        QVERIFY2(image_.isValid(), "ffmpeg or vcdimager could not make the disc image");
        QCOMPARE(trackUrls(image_.cue).size(), 2);
    }

    void playsBothTracksWithTheirSoundAndEndsOnce() {
        const PlayedSound disc = play(writePlaylist(image_), true);
        QVERIFY(disc.opened);
        QCOMPARE(disc.endsOfStream, 1);
        const Wav& wav = disc.wav;
        QVERIFY(wav.channels == 2);
        const double total = FirstTrackSeconds + SecondTrackSeconds;
        QVERIFY2(std::abs(wav.seconds() - total) < 0.5, qPrintable(QString::number(wav.seconds())));

        // Each track's tone where it belongs, at the level its clip has when
        // played as a file.
        const double second = FirstTrackSeconds + 0.5;
        QVERIFY(std::abs(wav.frequencyHz(0, 0.5, 2.5) - FirstTrackHz) < 10);
        QVERIFY(std::abs(wav.frequencyHz(1, second, second + 3) - SecondTrackHz) < 10);
        const Wav firstClip = play(image_.clips[0]).wav;
        const Wav secondClip = play(image_.clips[1]).wav;
        for (int channel = 0; channel < 2; ++channel) {
            const double firstDiff =
                wav.levelDb(channel, 0.5, 2.5) - firstClip.levelDb(channel, 0.5, 2.5);
            const double secondDiff =
                wav.levelDb(channel, second, second + 3) - secondClip.levelDb(channel, 0.5, 3.5);
            qInfo("channel %d: level against the clips %+.3f dB, %+.3f dB", channel, firstDiff,
                  secondDiff);
            QVERIFY2(std::abs(firstDiff) < 0.3, qPrintable(QString::number(firstDiff)));
            QVERIFY2(std::abs(secondDiff) < 0.3, qPrintable(QString::number(secondDiff)));
        }
        QVERIFY(firstClip.levelDb(0, 0.5, 2.5) > -25); // the clip was heard at all
    }

    void seekInsideATrackLandsNearItsTarget_data() {
        QTest::addColumn<double>("target");
        QTest::newRow("forward") << 2.5;
        QTest::newRow("back to the start") << 0.0;
        QTest::newRow("near the end") << 3.6;
    }
    void seekInsideATrackLandsNearItsTarget() {
        QFETCH(double, target);
        MpvEngineOptions options;
        options.videoOutput = QStringLiteral("null");
        options.audioOutput = QStringLiteral("null");
        MpvEngine engine(options);
        QVERIFY(engine.setFileName(trackUrls(image_.cue).at(1)));
        QTest::qWait(1200);
        QVERIFY(engine.setCurrentPosition(target));
        QTest::qWait(200); // playback goes on from there
        const double landed = engine.currentPosition().value_or(-10);
        qInfo("seek to %.1f s: at %.3f s 0.2 s later", target, landed);
        QVERIFY2(landed >= target - 1 && landed <= target + 1.2,
                 qPrintable(QString::number(landed)));
        QVERIFY(std::abs(engine.duration().value_or(0) - SecondTrackSeconds) < 0.5);
    }

    // Only a playlist of track URLs is trusted to open them; a playlist with
    // anything else in it gets no such trust.
    void trustsOnlyPlaylistsOfTracks_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("trusted");
        const QByteArray track = "sonvela-vcd:///dev/sr0/MPEGAV/AVSEQ01.DAT";
        QTest::newRow("tracks") << track + "\r\n" + track + "\r\n" << true;
        QTest::newRow("a web address among them") << track + "\nhttp://example.org/a.mpg\n"
                                                  << false;
        QTest::newRow("a local file among them") << track + "\n/tmp/a.mpg\n" << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void trustsOnlyPlaylistsOfTracks() {
        QFETCH(QByteArray, content);
        QFETCH(bool, trusted);
        const QString path = temp_.filePath(QStringLiteral("trust-%1.m3u").arg(++runs_));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QCOMPARE(!VcdPlaylistOptions(path).isEmpty(), trusted);
    }

    void damagedDiscNeitherHangsNorCrashes_data() {
        QTest::addColumn<int>("track");
        QTest::addColumn<int>("fromSector");
        QTest::addColumn<int>("sectors"); // -1: the image is cut off there
        QTest::newRow("one scratched sector") << 0 << 120 << 1;
        QTest::newRow("a long scratch") << 0 << 150 << 100;
        QTest::newRow("image cut short in the second track") << 1 << 90 << -1;
    }
    void damagedDiscNeitherHangsNorCrashes() {
        QFETCH(int, track);
        QFETCH(int, fromSector);
        QFETCH(int, sectors);
        const VcdImage image = copyImage(image_, temp_.filePath(QTest::currentDataTag()));
        QVERIFY(image.isValid());
        const qint32 first = VcdDisc(image.cue).tracks()->at(track).firstSector + fromSector;
        if (sectors < 0)
            QVERIFY(QFile::resize(image.bin, qint64(first) * 2352));
        else
            QVERIFY(damageSectors(image, first, sectors));

        QElapsedTimer clock;
        clock.start();
        const PlayedSound played = play(writePlaylist(image), true);
        QVERIFY(played.opened);
        QCOMPARE(played.endsOfStream, 1);
        QVERIFY(clock.elapsed() < 20000);
        // What could be read still plays: the first track's tone is heard.
        QVERIFY(std::abs(played.wav.frequencyHz(0, 0.3, 1.0) - FirstTrackHz) < 10);
    }
};

QTEST_MAIN(TestMpvVcdStreams)
#include "tst_mpv_vcd_streams.moc"
