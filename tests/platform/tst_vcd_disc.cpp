#include "platform/vcd_disc.h"
#include "platform/vcd_track_stream.h"
#include "platform/vcd_track_url.h"
#include "playlist/paths.h"
#include "support/vcd_image.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readAllOf(VcdTrackStream& stream, qint64 chunk = 100000) {
    QByteArray data;
    QByteArray buffer(chunk, '\0');
    for (;;) {
        const qint64 got = stream.read(buffer.data(), chunk);
        if (got <= 0)
            break;
        data.append(buffer.constData(), got);
    }
    return data;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::unique_ptr<VcdTrackStream> openTrack(const VcdImage& image, int index,
                                          VcdReadLimits limits = {}) {
    auto disc = std::make_unique<VcdDisc>(image.cue);
    const auto tracks = disc->tracks();
    if (!tracks || tracks->size() <= index)
        return nullptr;
    const VcdTrack track = tracks->at(index);
    return std::make_unique<VcdTrackStream>(std::move(disc), track, limits);
}

} // namespace

class TestVcdDisc : public QObject {
    Q_OBJECT

    VcdImage image_;
    QList<VcdTrack> tracks_;
    QTemporaryDir temp_;

  private slots:
    void initTestCase() {
        image_ = TestVcd::twoTrackImage();
        QVERIFY2(image_.isValid(), "ffmpeg or vcdimager could not make the disc image");
        const auto tracks = VcdDisc(image_.cue).tracks();
        QVERIFY(tracks);
        tracks_ = *tracks;
    }

    void listsBothTracksHoldingTheirClips() {
        QCOMPARE(tracks_.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(tracks_[i].folder, QStringLiteral("MPEGAV"));
            QCOMPARE(tracks_[i].name, QStringLiteral("AVSEQ0%1.DAT").arg(i + 1));
            auto stream = openTrack(image_, i);
            const QByteArray data = readAllOf(*stream);
            QCOMPARE(data.size(), tracks_[i].size());
            QCOMPARE(stream->badSectors(), 0);
            // The clip, byte for byte, after the empty sectors a Video CD
            // puts in front of a track; little but padding after it.
            const QByteArray clip = fileBytes(image_.clips[i]);
            const qsizetype start = data.indexOf(clip.left(4096));
            QVERIFY(start >= 0);
            QCOMPARE(start % VcdSectorPayload, 0);
            QCOMPARE(data.mid(start, clip.size()), clip);
            QVERIFY(data.size() - clip.size() < 100 * VcdSectorPayload);
        }
    }

    void seeksToAnyByte_data() {
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<qint64>("expected"); // -1: refused
        const qint64 size = tracks_.value(0).size();
        QTest::newRow("start") << qint64(0) << qint64(0);
        QTest::newRow("last byte of a sector")
            << qint64(40 * VcdSectorPayload - 1) << qint64(40 * VcdSectorPayload - 1);
        QTest::newRow("inside a sector") << qint64(123457) << qint64(123457);
        QTest::newRow("end") << size << size;
        QTest::newRow("past the end") << size + 1 << qint64(-1);
        QTest::newRow("negative") << qint64(-5) << qint64(-1);
    }
    void seeksToAnyByte() {
        QFETCH(qint64, offset);
        QFETCH(qint64, expected);
        auto whole = openTrack(image_, 0);
        const QByteArray data = readAllOf(*whole);
        auto stream = openTrack(image_, 0);
        readAllOf(*stream, 7000); // seek back from the end
        QCOMPARE(stream->seek(offset), expected);
        if (expected >= 0)
            QCOMPARE(readAllOf(*stream, 1000), data.mid(offset));
    }

    void damagedSectors_data() {
        QTest::addColumn<int>("damagedSectors");
        QTest::addColumn<bool>("trackEndsEarly");
        QTest::newRow("one scratched sector is skipped") << 1 << false;
        QTest::newRow("a short scratch is skipped") << 15 << false;
        QTest::newRow("a long scratch ends the track") << 16 << true;
    }
    void damagedSectors() {
        QFETCH(int, damagedSectors);
        QFETCH(bool, trackEndsEarly);
        const VcdImage image = TestVcd::copyImage(image_, temp_.filePath(QTest::currentDataTag()));
        QVERIFY(image.isValid());
        const qint32 damagedFrom = 100; // counted from the track's start
        QVERIFY(
            TestVcd::damageSectors(image, tracks_[0].firstSector + damagedFrom, damagedSectors));
        const QByteArray clean = readAllOf(*openTrack(image_, 0));

        auto stream = openTrack(image, 0);
        const QByteArray data = readAllOf(*stream);
        const qint64 damageStart = qint64(damagedFrom) * VcdSectorPayload;
        const qint64 damageEnd = damageStart + qint64(damagedSectors) * VcdSectorPayload;
        QCOMPARE(data.left(damageStart), clean.left(damageStart));
        if (trackEndsEarly) {
            QVERIFY(data.size() < damageEnd);
            QCOMPARE(stream->read(QByteArray(10, '\0').data(), 10), qint64(0));
        } else {
            QCOMPARE(data.size(), clean.size());
            QCOMPARE(data.mid(damageStart, damageEnd - damageStart),
                     QByteArray(damageEnd - damageStart, '\0'));
            QCOMPARE(data.mid(damageEnd), clean.mid(damageEnd));
        }
        QCOMPARE(stream->badSectors(), damagedSectors);
    }

    void imageCutShortEndsTheTrack() {
        const VcdImage image = TestVcd::copyImage(image_, temp_.filePath("cut"));
        const qint64 keptSectors = tracks_[1].firstSector + 50;
        QVERIFY(QFile::resize(image.bin, keptSectors * 2352));
        auto stream = openTrack(image, 1);
        QVERIFY(stream);
        const QByteArray data = readAllOf(*stream);
        const QByteArray clean = readAllOf(*openTrack(image_, 1));
        // What is there, then at most one run of missing sectors as silence.
        QCOMPARE(data.left(50 * VcdSectorPayload), clean.left(50 * VcdSectorPayload));
        QVERIFY(data.size() <= (50 + 16) * VcdSectorPayload);
    }

    void cancelFailsEveryLaterRead() {
        auto stream = openTrack(image_, 0);
        char byte = 0;
        QCOMPARE(stream->read(&byte, 1), qint64(1));
        stream->cancel();
        QCOMPARE(stream->read(&byte, 1), qint64(-1));
        QCOMPARE(stream->seek(0), qint64(-1));
    }

    void trackUrls_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("device"); // empty: not a track URL
        QTest::addColumn<QString>("name");
        QTest::newRow("drive") << "sonvela-vcd:///dev/sr0/MPEGAV/AVSEQ01.DAT"
                               << "/dev/sr0"
                               << "AVSEQ01.DAT";
        QTest::newRow("image with spaces") << "sonvela-vcd:///home/a b/disc.cue/mpegav/x.dat"
                                           << "/home/a b/disc.cue"
                                           << "x.dat";
        QTest::newRow("no device") << "sonvela-vcd:///MPEGAV/AVSEQ01.DAT"
                                   << ""
                                   << "";
        QTest::newRow("relative device") << "sonvela-vcd://sr0/MPEGAV/A.DAT"
                                         << ""
                                         << "";
        QTest::newRow("no name") << "sonvela-vcd:///dev/sr0/MPEGAV/"
                                 << ""
                                 << "";
        QTest::newRow("other scheme") << "file:///dev/sr0/MPEGAV/A.DAT"
                                      << ""
                                      << "";
        QTest::newRow("plain path") << "/dev/sr0/MPEGAV/A.DAT"
                                    << ""
                                    << "";
    }
    void trackUrls() {
        QFETCH(QString, url);
        QFETCH(QString, device);
        QFETCH(QString, name);
        const auto address = ParseVcdTrackUrl(url);
        QCOMPARE(address.has_value(), !device.isEmpty());
        if (address) {
            QCOMPARE(address->device, device);
            QCOMPARE(address->name, name);
            QCOMPARE(VcdTrackUrl(device, {address->folder, name}), url);
        }
    }

    // The playlist's file check knows track URLs: true while the disc
    // holds the track.
    void trackUrlsPassTheFileCheckWhileTheDiscIsThere() {
        const QString moved = temp_.filePath("moved.cue");
        const QString track = VcdTrackUrl(image_.cue, tracks_[1]);
        QVERIFY(FileExists(track));
        QVERIFY(FileExists(QString(track).replace("AVSEQ02", "avseq02")));
        QVERIFY(!FileExists(QString(track).replace("AVSEQ02", "AVSEQ09")));
        QVERIFY(!FileExists(VcdTrackUrl(moved, tracks_[1])));
        QVERIFY(!FileExists(VcdTrackUrl(image_.clips[0], tracks_[0]))); // no disc at all
    }
};

QTEST_MAIN(TestVcdDisc)
#include "tst_vcd_disc.moc"
