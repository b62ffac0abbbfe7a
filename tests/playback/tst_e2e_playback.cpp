#include "engine/mpv_engine.h"
#include "playback/control_panel.h"
#include "playback/title_label.h"
#include "playback/transport.h"
#include "playlist/paths.h"
#include "playlist/playlist_pair.h"
#include "shared/title_scroller.h"
#include "support/patience.h"
#include "support/test_clips.h"
#include "video/video_window.h"
#include "video/video_window_manager.h"

#include "support/fakes.h"

#include <mpv/client.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <clocale>
#include <sys/stat.h>
#include <thread>

namespace {

// The control panel and the video window on the real engine, wired as the
// program wires them.
struct Rig {
    PlaylistPair playlist;
    TitleScroller title;
    CountingTips tips;
    RecordingMessages messages;
    VideoWindowManager video{playlist, title, tips, [] {
                                 MpvEngineOptions options;
                                 options.audioOutput = QStringLiteral("null");
                                 return std::make_unique<MpvEngine>(options);
                             }};
    ControlPanel panel{playlist, title, video, messages};

    Rig() {
        QObject::connect(&video, &VideoWindowManager::engineCreated, &panel,
                         &ControlPanel::followEngine);
        panel.show();
    }
    MpvEngine& engine() { return static_cast<MpvEngine&>(video.engine()); }
    bool mpvFlag(const char* name) {
        int flag = 0;
        mpv_get_property(engine().handle(), name, MPV_FORMAT_FLAG, &flag);
        return flag != 0;
    }
};

// Measures how long the UI thread leaves a 10 ms timer waiting; a thread
// of its own ends the test should the UI thread hang for good.
class UiWatch {
  public:
    UiWatch() {
        clock_.start();
        beat_ = 0;
        connect();
        dog_ = std::thread([this] {
            while (!done_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                if (clock_.elapsed() - beat_ > 10000)
                    qFatal("the UI thread has not answered for 10 s");
            }
        });
    }
    ~UiWatch() {
        done_ = true;
        dog_.join();
    }
    qint64 longestGapMs() const { return longest_; }

  private:
    void connect() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.elapsed();
            longest_ = std::max(longest_, now - beat_);
            beat_ = now;
        });
        timer_.start();
    }
    QElapsedTimer clock_;
    QTimer timer_;
    std::atomic<qint64> beat_;
    qint64 longest_ = 0;
    std::atomic<bool> done_ = false;
    std::thread dog_;
};

// A cue sheet whose sound file is a FIFO nobody writes: its open never
// ends, as on a stalled network share.
QString stalledCueSheet(const QTemporaryDir& dir) {
    const QString fifo = dir.filePath(QStringLiteral("stalled.wav"));
    if (mkfifo(QFile::encodeName(fifo).constData(), 0600) != 0)
        return {};
    QFile cue(dir.filePath(QStringLiteral("stalled.cue")));
    if (!cue.open(QIODevice::WriteOnly))
        return {};
    cue.write("FILE \"stalled.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    return cue.fileName();
}

// A PNG whose header declares 30000 x 30000 pixels: mpv loads it, shows
// its first position and then finds nothing it can decode.
QString undecodablePicture(const QTemporaryDir& dir) {
    QFile png(TestClips::make("dot.png", {"-f", "lavfi", "-i", "color=s=64x64", "-frames", "1"}));
    QFile patched(dir.filePath(QStringLiteral("huge.png")));
    if (!png.open(QIODevice::ReadOnly) || !patched.open(QIODevice::WriteOnly))
        return {};
    QByteArray bytes = png.readAll();
    bytes.replace(16, 8, QByteArray::fromHex("0000753000007530"));
    patched.write(bytes);
    return patched.fileName();
}

// Double-clicks entry `index`, as a user picks it.
void playEntry(Rig& rig, int index) {
    rig.playlist.select(index);
    rig.panel.transport->lstsong_DblClick();
}

} // namespace

// The control panel on the real engine: play from the list, follow the
// time, seek, and move on to the next entry when a file ends.
class TestE2ePlayback : public QObject {
    Q_OBJECT
    QStringList clips_;

  private slots:
    void initTestCase() {
        std::setlocale(LC_NUMERIC, "C");
        clips_ = {TestClips::shortClip(4, 440), TestClips::shortClip(2, 660),
                  TestClips::shortClip(2, 880)};
        for (const QString& clip : clips_)
            QVERIFY(!clip.isEmpty());
    }

    void playSeekAndMoveOn() {
        Rig rig;
        PlaylistPair& playlist = rig.playlist;
        VideoWindowManager& video = rig.video;
        ControlPanel& panel = rig.panel;
        RecordingMessages& messages = rig.messages;
        for (const QString& clip : clips_)
            QVERIFY(playlist.append(MakeTitle(clip), clip));
        panel.HScroll1->setValue(1700);
        QCOMPARE(panel.lblsound->text(), QStringLiteral("音量：68 %"));

        playlist.select(0);
        panel.transport->lstsong_DblClick();
        QVERIFY(video.window()->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(panel.Slider1->maximum(), 4, PatientWaitMs);
        QCOMPARE(panel.lblsongname->text(), MakeTitle(clips_[0]));
        QTRY_COMPARE_WITH_TIMEOUT(panel.lbltimes->text(), QStringLiteral("0:01"), PatientWaitMs);
        QVERIFY(panel.Slider1->value() >= 1);

        // Seeking through the bar moves the engine; the time follows.
        panel.Slider1->setValue(3);
        QTRY_COMPARE_WITH_TIMEOUT(panel.lbltimes->text(), QStringLiteral("0:03"), PatientWaitMs);

        // The end of the first file starts the second and selects it.
        QTRY_COMPARE_WITH_TIMEOUT(playlist.selectedIndex(), 1, PatientWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(video.engine().fileName(), clips_[1], PatientWaitMs);
        QCOMPARE(panel.lblsongname->text(), MakeTitle(clips_[1]));
        QTRY_COMPARE_WITH_TIMEOUT(panel.lbltimes->text(), QStringLiteral("0:01"), PatientWaitMs);
        QCOMPARE(panel.transport->Tnum, qint16(0));
        QVERIFY(messages.shown.isEmpty());
    }

    // Entry 2 chosen as entry 1 ends: entry 2 is heard next, never entry 3.
    void theEntryChosenAsTheFileEndsIsHeard() {
        Rig rig;
        const QStringList entries{TestClips::shortClip(1, 550), clips_[0], clips_[1]};
        for (const QString& clip : entries)
            QVERIFY(rig.playlist.append(MakeTitle(clip), clip));
        QStringList heard;
        QObject::connect(&rig.engine(), &MediaEngine::playbackStateChanged,
                         [&] { heard << rig.engine().fileName(); });
        playEntry(rig, 0);
        QTRY_VERIFY_WITH_TIMEOUT(rig.engine().currentPosition().value_or(0) > 0.85, 5000);
        playEntry(rig, 1);
        QTRY_VERIFY_WITH_TIMEOUT(!rig.engine().isOpening() && rig.engine().fileName() == entries[1],
                                 5000);
        QTest::qWait(500);
        QCOMPARE(rig.engine().fileName(), entries[1]);
        QVERIFY2(!heard.contains(entries[2]), qPrintable(heard.join(' ')));
        QCOMPARE(rig.playlist.selectedIndex(), 1);
        QCOMPARE(rig.panel.lblsongname->text(), MakeTitle(entries[1]));
    }

    // A file mpv loads but cannot decode: the file before plays on from
    // where it was, and the windows name it again.
    void aFileThatCannotDecodeLeavesTheOldOneHeard() {
        QTemporaryDir dir;
        Rig rig;
        const QStringList entries{clips_[0], undecodablePicture(dir)};
        for (const QString& path : entries)
            QVERIFY(rig.playlist.append(MakeTitle(path), path));
        playEntry(rig, 0);
        QTRY_VERIFY_WITH_TIMEOUT(rig.engine().currentPosition().value_or(0) > 1, 5000);
        QSignalSpy failed(&rig.engine(), &MediaEngine::openFailed);
        const double before = *rig.engine().currentPosition();
        playEntry(rig, 1);
        QVERIFY(failed.wait(5000));
        QTRY_VERIFY_WITH_TIMEOUT(!rig.engine().isOpening(), 5000);
        QCOMPARE(rig.engine().fileName(), entries[0]);
        QCOMPARE(rig.engine().playbackState(), PlaybackState::Playing);
        const double after = rig.engine().currentPosition().value_or(0);
        QVERIFY2(after >= before - 0.1 && after < before + 2,
                 qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(after)));
        QCOMPARE(rig.playlist.selectedIndex(), 0);
        QCOMPARE(rig.panel.lblsongname->text(), MakeTitle(entries[0]));
    }

    // While mpv waits for a file that never comes, the UI answers at once
    // and the next entry plays.
    void aFileThatNeverOpensLeavesTheUiAnswering() {
        QTemporaryDir dir;
        const QString cue = stalledCueSheet(dir);
        QVERIFY(!cue.isEmpty());
        Rig rig;
        QVERIFY(rig.playlist.append(QStringLiteral("stalled"), cue));
        QVERIFY(rig.playlist.append(MakeTitle(clips_[1]), clips_[1]));
        rig.playlist.select(0);
        rig.panel.transport->lstsong_DblClick();
        QTest::qWait(300);
        QVERIFY(rig.engine().isOpening());
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(rig.panel.Check1, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(rig.mpvFlag("mute"), PatientWaitMs);
        // At once, busy machine or not: mpv would hold a synchronous call for seconds.
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
        rig.playlist.select(1);
        rig.panel.transport->lstsong_DblClick();
        QTRY_COMPARE_WITH_TIMEOUT(rig.engine().fileName(), clips_[1], PatientWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(rig.engine().currentPosition().value_or(0) > 0.2, PatientWaitMs);
    }

    // Commands at random, quicker than files open: the UI never stalls and
    // ends showing what the last command asked for.
    void randomCommandsNeverStallTheUi() {
        QTemporaryDir dir;
        Rig rig;
        const QStringList entries =
            clips_ + QStringList{TestClips::videoClip(), TestClips::notMediaFile(),
                                 dir.filePath("missing.wav"), stalledCueSheet(dir)};
        for (const QString& path : entries)
            QVERIFY(rig.playlist.append(MakeTitle(path), path));
        ControlPanel& panel = rig.panel;
        QRandomGenerator random(QRandomGenerator::global()->generate());
        const auto anyEntry = [&] { return int(random.bounded(entries.size())); };
        const std::function<void()> commands[] = {
            [&] { rig.playlist.select(anyEntry()); },
            [&] { panel.transport->lstsong_DblClick(); }, // Enter, a double click
            [&] { panel.CtrlImage_Click(1); },            // play
            [&] { panel.CtrlImage_Click(2); },            // stop
            [&] { panel.CtrlImage_Click(3); },            // pause
            [&] { panel.CtrlImage_Click(4); },            // next
            [&] { panel.CtrlImage_Click(5); },            // previous
            [&] { rig.video.engine().setDisplaySize(3); },
            [&] { rig.video.engine().setDisplaySize(0); },
            [&] { rig.video.hideVideoWindow(); },
            [&] { rig.video.showVideoWindow(); },
            [&] {
                panel.Slider1->setValue(int(random.bounded(4)));
                panel.Slider1_Scroll();
            }};
        UiWatch watch;
        for (int i = 0; i < 200; ++i) {
            commands[random.bounded(int(std::size(commands)))]();
            QTest::qWait(int(random.bounded(60)));
        }
        // The last command: play the second clip.
        rig.video.engine().setDisplaySize(0);
        rig.playlist.select(1);
        panel.transport->lstsong_DblClick();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.engine().isOpening(), PatientWaitMs);
        QCOMPARE(rig.engine().fileName(), clips_[1]);
        QCOMPARE(panel.lblsongname->text(), MakeTitle(clips_[1]));
        QTRY_COMPARE_WITH_TIMEOUT(rig.engine().playbackState(), PlaybackState::Playing,
                                  PatientWaitMs);
        QVERIFY(rig.video.window()->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(panel.lbltimes->text() == QStringLiteral("0:01"), PatientWaitMs);
        // A busy machine may hold the thread back for some hundred ms; a
        // synchronous call into mpv while a file opens held it for seconds.
        QVERIFY2(watch.longestGapMs() < 2000, qPrintable(QString::number(watch.longestGapMs())));
    }
};

QTEST_MAIN(TestE2ePlayback)
#include "tst_e2e_playback.moc"
