#include "engine/mpv_engine.h"
#include "playback/control_panel.h"
#include "playback/title_label.h"
#include "playback/transport.h"
#include "playlist/paths.h"
#include "playlist/playlist_pair.h"
#include "shared/title_scroller.h"
#include "support/test_clips.h"
#include "video/video_window.h"
#include "video/video_window_manager.h"

#include "support/fakes.h"

#include <QLabel>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <clocale>

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
        PlaylistPair playlist;
        TitleScroller title;
        CountingTips tips;
        RecordingMessages messages;
        VideoWindowManager video(playlist, title, tips, [] {
            MpvEngineOptions options;
            options.audioOutput = QStringLiteral("null");
            return std::make_unique<MpvEngine>(options);
        });
        ControlPanel panel(playlist, title, video, messages);
        QObject::connect(&video, &VideoWindowManager::engineCreated, &panel,
                         &ControlPanel::followEngine);
        panel.show();
        for (const QString& clip : clips_)
            QVERIFY(playlist.append(MakeTitle(clip), clip));
        panel.HScroll1->setValue(1700);
        QCOMPARE(panel.lblsound->text(), QStringLiteral("音量：68 %"));

        playlist.select(0);
        panel.transport->lstsong_DblClick();
        QVERIFY(video.window()->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(panel.Slider1->maximum(), 4, 5000);
        QCOMPARE(panel.lblsongname->text(), MakeTitle(clips_[0]));
        QTRY_COMPARE_WITH_TIMEOUT(panel.lbltimes->text(), QStringLiteral("0:01"), 5000);
        QVERIFY(panel.Slider1->value() >= 1);

        // Seeking through the bar moves the engine; the time follows.
        panel.Slider1->setValue(3);
        QTRY_COMPARE_WITH_TIMEOUT(panel.lbltimes->text(), QStringLiteral("0:03"), 3000);

        // The end of the first file starts the second and selects it.
        QTRY_COMPARE_WITH_TIMEOUT(playlist.selectedIndex(), 1, 8000);
        QTRY_COMPARE_WITH_TIMEOUT(video.engine().fileName(), clips_[1], 5000);
        QCOMPARE(panel.lblsongname->text(), MakeTitle(clips_[1]));
        QTRY_COMPARE_WITH_TIMEOUT(panel.lbltimes->text(), QStringLiteral("0:01"), 5000);
        QCOMPARE(panel.transport->Tnum, qint16(0));
        QVERIFY(messages.shown.isEmpty());
    }
};

QTEST_MAIN(TestE2ePlayback)
#include "tst_e2e_playback.moc"
