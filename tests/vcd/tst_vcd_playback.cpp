#include "platform/vcd_track_url.h"
#include "playlist/playlist_pair.h"
#include "support/fakes.h"
#include "support/vcd_image.h"
#include "vcd/vcd_playback.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString FailureMessage = QStringLiteral("Sonvela|VCD光盘没有准备好或光盘文件不能播放。");

void touch(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

} // namespace

class TestVcdPlayback : public QObject {
    Q_OBJECT

    QTemporaryDir root_;
    QString disc_;
    QString program_;
    PlaylistPair pair_;
    FakeDriveProbe drives_;
    FakeVideoHost video_;
    RecordingMessages messages_;

    // A drive the reader cannot open, whatever the machine has: its disc
    // is only seen through its mount point, if any.
    QString noDevice() const { return root_.path() + QStringLiteral("/no-such-sr0"); }
    QString m3uPath() const { return program_ + QStringLiteral("/mirelle.m3u"); }
    QByteArray m3u() const {
        QFile file(m3uPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void play() { PlayVcd(pair_, drives_, program_, video_, messages_); }
    // A mounted disc whose track folder is spelt `folderName`.
    QString discWithTracks(const QString& folderName, const QStringList& tracks) {
        const QString folder = disc_ + QLatin1Char('/') + folderName;
        QDir().mkpath(folder);
        for (const QString& track : tracks)
            touch(folder + QLatin1Char('/') + track);
        drives_.drive = OpticalDrive{noDevice(), disc_};
        return folder;
    }
    void writeStaleM3u() {
        QFile stale(m3uPath());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write(QByteArray(4096, 'z'));
    }
    void verifyFailedWithEmptyLists() {
        QCOMPARE(messages_.shown, QStringList{FailureMessage});
        QCOMPARE(messages_.icons, QList{QMessageBox::Critical});
        QCOMPARE(pair_.lstsong.count(), 0);
        QCOMPARE(pair_.temlst.count(), 0);
        QCOMPARE(video_.shown, 0);
        QVERIFY(video_.player.calls.isEmpty());
    }

  private slots:
    void init() {
        QVERIFY(root_.isValid());
        disc_ = root_.path() + QStringLiteral("/disc");
        program_ = root_.path() + QStringLiteral("/program");
        QDir(root_.path()).removeRecursively();
        QDir().mkpath(disc_);
        QDir().mkpath(program_);
        QDir::setCurrent(root_.path());
        pair_.clear();
        pair_.append(QStringLiteral("old.mp3"), QStringLiteral("/music/old.mp3"));
        drives_ = FakeDriveProbe{};
        video_.shown = 0;
        video_.player.calls.clear();
        video_.player.failFileName = false;
        messages_.clear();
    }

    void threeTracksInNameOrder() {
        const QString folder =
            discWithTracks(QStringLiteral("mpegav"), {"b.dat", "AVSEQ03.DAT", "a.DAT", ".hidden"});
        play();
        QCOMPARE(pair_.lstsong.entries(), (QStringList{"a.DAT", "AVSEQ03.DAT", "b.dat"}));
        const QStringList paths{folder + "/a.DAT", folder + "/AVSEQ03.DAT", folder + "/b.dat"};
        QCOMPARE(pair_.temlst.entries(), paths);
        QCOMPARE(m3u(), (paths.join("\r\n") + "\r\n").toUtf8());
        QCOMPARE(video_.player.calls, QStringList{"Playlist " + m3uPath()});
        QCOMPARE(video_.shown, 1);
        QVERIFY(messages_.shown.isEmpty());
        // Nothing is selected and nothing played.
        QCOMPARE(pair_.selectedIndex(), -1);
        QCOMPARE(drives_.asked, 1);
    }

    void discReadThroughTheReader() {
        const VcdImage image = TestVcd::twoTrackImage();
        QVERIFY2(image.isValid(), "ffmpeg or vcdimager could not make the disc image");
        // Not mounted: the reader needs only the device.
        drives_.drive = OpticalDrive{image.cue, QString()};
        play();
        QCOMPARE(pair_.lstsong.entries(), (QStringList{"AVSEQ01.DAT", "AVSEQ02.DAT"}));
        const QString prefix = "sonvela-vcd://" + image.cue + "/MPEGAV/";
        const QStringList urls{prefix + "AVSEQ01.DAT", prefix + "AVSEQ02.DAT"};
        QCOMPARE(pair_.temlst.entries(), urls);
        QCOMPARE(m3u(), (urls.join("\r\n") + "\r\n").toUtf8());
        QCOMPARE(video_.player.calls, QStringList{"Playlist " + m3uPath()});
        QCOMPARE(video_.shown, 1);
        QVERIFY(messages_.shown.isEmpty());
    }

    void trackFolderInAnyCase_data() {
        QTest::addColumn<QString>("folderName");
        QTest::newRow("upper") << "MPEGAV";
        QTest::newRow("mixed") << "MpegAV";
    }
    void trackFolderInAnyCase() {
        QFETCH(QString, folderName);
        const QString folder = discWithTracks(folderName, {"AVSEQ01.DAT"});
        play();
        QCOMPARE(pair_.temlst.entries(), QStringList{folder + "/AVSEQ01.DAT"});
        QCOMPARE(video_.shown, 1);
    }

    void nonAsciiPathsAreWrittenInUtf8() {
        disc_ += QStringLiteral("/光盘 一");
        const QString folder = discWithTracks(QStringLiteral("mpegav"), {"曲目.dat"});
        play();
        QCOMPARE(m3u(), (folder + "/曲目.dat\r\n").toUtf8());
    }

    void failures_data() {
        QTest::addColumn<QString>("situation");
        QTest::newRow("drive without disc") << "nodisc";
        QTest::newRow("disc without mpegav") << "nofolder";
        QTest::newRow("mpegav is a file") << "folderisfile";
        QTest::newRow("no drive, no relative mpegav") << "nodrive";
        QTest::newRow("first of two drives empty") << "firstempty";
        QTest::newRow("device that holds no disc") << "notadisc";
    }
    void failures() {
        QFETCH(QString, situation);
        if (situation == "nodisc" || situation == "firstempty") {
            // The probe reports only the first drive; a disc elsewhere is
            // never looked at.
            discWithTracks(QStringLiteral("mpegav"), {"AVSEQ01.DAT"});
            drives_.drive = OpticalDrive{noDevice(), QString()};
        } else if (situation == "nofolder") {
            drives_.drive = OpticalDrive{noDevice(), disc_};
        } else if (situation == "notadisc") {
            touch(disc_ + QStringLiteral("/disc.cue"));
            drives_.drive = OpticalDrive{disc_ + QStringLiteral("/disc.cue"), QString()};
        } else if (situation == "folderisfile") {
            touch(disc_ + QStringLiteral("/mpegav"));
            drives_.drive = OpticalDrive{noDevice(), disc_};
        }
        play();
        verifyFailedWithEmptyLists();
        QCOMPARE(drives_.asked, 1);
    }

    void noDriveUsesTheRelativeFolder() {
        QDir().mkpath(root_.path() + QStringLiteral("/mpegav"));
        touch(root_.path() + QStringLiteral("/mpegav/AVSEQ01.DAT"));
        QDir::setCurrent(root_.path());
        play();
        // Resolved against the current folder: the engine reads the m3u from
        // the program folder, so its paths must not be relative.
        const QString track = QDir(root_.path()).canonicalPath() + "/mpegav/AVSEQ01.DAT";
        QCOMPARE(QFileInfo(pair_.temlst.text(0)).canonicalFilePath(), track);
        QVERIFY(QDir::isAbsolutePath(pair_.temlst.text(0)));
        QCOMPARE(video_.shown, 1);
    }

    void emptyFolderIsNoFailure_data() {
        QTest::addColumn<bool>("engineRefuses");
        QTest::newRow("engine accepts") << false;
        QTest::newRow("engine refuses the empty playlist") << true;
    }
    void emptyFolderIsNoFailure() {
        QFETCH(bool, engineRefuses);
        writeStaleM3u();
        discWithTracks(QStringLiteral("mpegav"), {});
        video_.player.failFileName = engineRefuses;
        play();
        QCOMPARE(pair_.lstsong.count(), 0);
        QCOMPARE(m3u(), QByteArray());
        QCOMPARE(video_.player.calls, QStringList{"Playlist " + m3uPath()});
        QCOMPARE(video_.shown, 1);
        QVERIFY(messages_.shown.isEmpty());
    }

    void engineRefusingTracksIsAFailure() {
        discWithTracks(QStringLiteral("mpegav"), {"AVSEQ01.DAT", "AVSEQ02.DAT"});
        video_.player.failFileName = true;
        play();
        QCOMPARE(messages_.shown, QStringList{FailureMessage});
        QCOMPARE(messages_.icons, QList{QMessageBox::Critical});
        QCOMPARE(pair_.lstsong.count(), 2); // kept: appended before the failure
        QCOMPARE(video_.shown, 0);
    }

    void pressingTwiceRebuildsTheSameList() {
        discWithTracks(QStringLiteral("mpegav"), {"AVSEQ01.DAT", "AVSEQ02.DAT"});
        writeStaleM3u();
        play();
        const QStringList titles = pair_.lstsong.entries();
        const QByteArray firstM3u = m3u();
        play();
        QCOMPARE(titles, (QStringList{"AVSEQ01.DAT", "AVSEQ02.DAT"}));
        QCOMPARE(pair_.lstsong.entries(), titles);
        QCOMPARE(pair_.temlst.count(), 2);
        QCOMPARE(m3u(), firstM3u);
        // Nothing of the stale content is left (the temporary folder's own
        // name may hold a 'z', so look for a run of them).
        QVERIFY(!firstM3u.contains("zzzz"));
        QCOMPARE(video_.shown, 2);
    }

    // A link at the playlist's name is replaced, never written through:
    // whoever can write the program folder must not reach the user's files.
    void aLinkAtThePlaylistsNameIsReplaced_data() {
        QTest::addColumn<bool>("targetExists");
        QTest::newRow("link to a file of the user") << true;
        QTest::newRow("dangling link") << false;
    }
    void aLinkAtThePlaylistsNameIsReplaced() {
        QFETCH(bool, targetExists);
        const QString victim = root_.path() + QStringLiteral("/victim.txt");
        if (targetExists)
            touch(victim);
        QVERIFY(QFile::link(victim, m3uPath()));
        const QString folder = discWithTracks(QStringLiteral("mpegav"), {"AVSEQ01.DAT"});
        play();
        QVERIFY(messages_.shown.isEmpty());
        QVERIFY(!QFileInfo(m3uPath()).isSymLink());
        QCOMPARE(m3u(), (folder + "/AVSEQ01.DAT\r\n").toUtf8());
        QFile target(victim);
        QCOMPARE(target.open(QIODevice::ReadOnly) ? target.readAll() : QByteArray("<missing>"),
                 targetExists ? QByteArray("x") : QByteArray("<missing>"));
    }

    void unwritablePlaylist_data() {
        QTest::addColumn<bool>("programFolderMissing");
        QTest::newRow("a folder in the playlist's place") << false;
        QTest::newRow("program folder missing") << true;
    }
    void unwritablePlaylist() {
        QFETCH(bool, programFolderMissing);
        discWithTracks(QStringLiteral("mpegav"), {"AVSEQ01.DAT"});
        // Neither can be opened for writing, whoever runs the test (root
        // ignores permission bits).
        if (programFolderMissing)
            program_ += QStringLiteral("/gone");
        else
            QDir().mkpath(m3uPath());
        play();
        verifyFailedWithEmptyLists();
    }
};

QTEST_MAIN(TestVcdPlayback)
#include "tst_vcd_playback.moc"
