#include "engine/mpv_engine.h"
#include "platform/settings_store.h"
#include "playlist/playlist_pair.h"
#include "shared/title_scroller.h"
#include "support/fakes.h"
#include "support/test_clips.h"
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

// A Video CD track: an MPEG-1 program stream, as on a real disc.
QString vcdTrack(int seconds, const QString& colour) {
    const QString name = QStringLiteral("vcd-%1-%2s.dat").arg(colour).arg(seconds);
    const QString duration = QString::number(seconds);
    return TestClips::make(
        name,
        {"-f", "lavfi", "-i", "color=c=" + colour + ":size=352x240:rate=25:duration=" + duration,
         "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=" + duration, "-t",
         duration, "-ac", "2", "-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"});
}

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
    FakeDriveProbe drive{
        OpticalDrive{QStringLiteral("/dev/sr0"), temp.filePath(QStringLiteral("disc"))}};
    RecordingMessages messages;

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
    void playsBothTracksThenEnds() {
        const QString first = vcdTrack(2, QStringLiteral("blue"));
        const QString second = vcdTrack(3, QStringLiteral("green"));
        QVERIFY2(!first.isEmpty() && !second.isEmpty(), "ffmpeg could not make the tracks");
        Player player;
        QVERIFY(QFile::copy(second, player.tracks + "/AVSEQ02.DAT"));
        QVERIFY(QFile::copy(first, player.tracks + "/AVSEQ01.DAT"));

        QSignalSpy ended(&player.video.engine(), &MediaEngine::EndOfStream);
        QElapsedTimer clock;
        clock.start();
        player.playvcd();

        QVERIFY(player.messages.shown.isEmpty());
        QCOMPARE(player.playlist.lstsong.entries(), (QStringList{"AVSEQ01.DAT", "AVSEQ02.DAT"}));
        QCOMPARE(player.video.engine().fileName(), player.program + "/mirelle.m3u");
        QVERIFY(player.video.window()->isVisible());
        // Assigning the playlist starts it; the end comes once, after the
        // second track, not after the first.
        QTRY_VERIFY_WITH_TIMEOUT(ended.count() >= 1, 30000);
        QVERIFY2(clock.elapsed() >= 4500, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(1000);
        QCOMPARE(ended.count(), 1);
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
