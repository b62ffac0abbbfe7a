#include "engine/mpv_engine.h"
#include "platform/settings_store.h"
#include "playback/transport.h"
#include "playlist/playlist_pair.h"
#include "shared/title_scroller.h"
#include "support/fakes.h"
#include "support/patience.h"
#include "support/vcd_image.h"
#include "tips/tips_manager.h"
#include "vcd/vcd_playback.h"
#include "video/video_window.h"
#include "video/video_window_manager.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The player's parts that a click on playvcd reaches, on the real engine.
struct Player {
    QTemporaryDir temp;
    QString tracks = temp.filePath(QStringLiteral("disc/MPEGAV"));
    QString program = temp.filePath(QStringLiteral("program"));
    PlaylistPair playlist;
    TitleScroller songTitle;
    SettingsStore settings{temp.filePath(QStringLiteral("config"))};
    TipsManager tips{settings, QStringLiteral("sonvela"), program};
    VideoWindowManager video{playlist, songTitle, tips, [] {
                                 MpvEngineOptions options;
                                 options.audioOutput = QStringLiteral("null");
                                 return std::make_unique<MpvEngine>(options);
                             }};
    // A mounted disc whose drive the reader cannot open; tests that read
    // a disc image hand the drive its path instead.
    FakeDriveProbe drive{OpticalDrive{temp.filePath(QStringLiteral("no-such-sr0")),
                                      temp.filePath(QStringLiteral("disc"))}};
    RecordingMessages messages;
    Transport transport{playlist, songTitle, video, messages};

    Player() {
        QDir().mkpath(tracks);
        QDir().mkpath(program);
    }
    void playvcd() { PlayVcd(playlist, drive, program, video, messages); }
};

} // namespace

class TestE2eVcd : public QObject {
    Q_OBJECT
  private slots:
    void playsBothTracksOfADiscThenEnds() {
        const VcdImage image = TestVcd::twoTrackImage();
        QVERIFY2(image.isValid(), "ffmpeg or vcdimager could not make the disc image");
        Player player;
        player.drive.drive = OpticalDrive{image.cue, QString()};

        QSignalSpy ended(&player.video.engine(), &MediaEngine::EndOfStream);
        QElapsedTimer clock;
        clock.start();
        player.playvcd();

        QVERIFY(player.messages.shown.isEmpty());
        QCOMPARE(player.playlist.lstsong.entries(), (QStringList{"AVSEQ01.DAT", "AVSEQ02.DAT"}));
        QTRY_COMPARE_WITH_TIMEOUT(player.video.engine().fileName(), player.program + "/mirelle.m3u",
                                  PatientWaitMs);
        QVERIFY(player.video.window()->isVisible());
        // Assigning the playlist starts it; the end comes once, after the
        // second track, not after the first.
        QTRY_VERIFY_WITH_TIMEOUT(ended.count() >= 1, PatientWaitMs);
        const qint64 both = 1000 * (TestVcd::FirstTrackSeconds + TestVcd::SecondTrackSeconds);
        QVERIFY2(clock.elapsed() >= both - 500, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(1000);
        QCOMPARE(ended.count(), 1);
    }

    void nextAndPreviousPlayTheDiscsTracks() {
        const VcdImage image = TestVcd::twoTrackImage();
        QVERIFY2(image.isValid(), "ffmpeg or vcdimager could not make the disc image");
        Player player;
        player.drive.drive = OpticalDrive{image.cue, QString()};
        player.playvcd();
        const QStringList tracks = player.playlist.temlst.entries();
        QCOMPARE(tracks.size(), 2);

        for (const int step : {+1, +1, -1}) {
            step > 0 ? player.transport.next() : player.transport.previous();
            const QString track = tracks.at(player.transport.Tnum - 1);
            QTRY_COMPARE_WITH_TIMEOUT(player.video.engine().fileName(), track, PatientWaitMs);
            QTRY_VERIFY_WITH_TIMEOUT(player.video.engine().duration().value_or(0) > 2,
                                     PatientWaitMs);
        }
        // Never marked missing: the disc is there.
        QCOMPARE(player.playlist.lstsong.entries(), (QStringList{"AVSEQ01.DAT", "AVSEQ02.DAT"}));
    }

    void emptyTrackFolderIsNoFailure() {
        // The engine may well refuse a playlist without entries; an empty
        // disc is still no reason for the failure message.
        Player player;
        player.playvcd();
        QVERIFY(player.messages.shown.isEmpty());
        QCOMPARE(player.playlist.lstsong.count(), 0);
        QVERIFY(player.video.window()->isVisible());
    }
};

QTEST_MAIN(TestE2eVcd)
#include "tst_e2e_vcd.moc"
