#include "engine/mpv_engine.h"
#include "playlist/playlist_pair.h"
#include "shared/title_scroller.h"
#include "support/fakes.h"
#include "support/test_clips.h"
#include "video/video_window.h"
#include "video/video_window_manager.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The picture under Wayland, in a weston nested in the X server the e2e
// tests share: it moves in the video window, in full screen (F) and back in
// the window after Escape, and after the window was hidden. What the compositor shows is read back
// from the X server, so a picture drawn where nobody sees it does not count.
namespace {

const char* const WestonSocket = "sonvela-test-wayland";
constexpr int ScreenWidth = 1024;
constexpr int ScreenHeight = 768;

// A picture that turns from red to blue and back every half second.
QString blinkingClip() {
    return TestClips::make(QStringLiteral("red-blue-640x360.mkv"),
                           {"-f", "lavfi", "-i",
                            "color=c=red:size=640x360:rate=10:duration=60,format=rgb24,"
                            "geq=r='255*lt(mod(T,1),0.5)':g=0:b='255*gte(mod(T,1),0.5)'",
                            "-pix_fmt", "yuv420p"});
}

struct Colours {
    int red = 0;
    int blue = 0;
};

Colours coloursOnScreen() {
    QProcess shot;
    shot.start(QStringLiteral("import"), {"-window", "root", "png:-"});
    shot.waitForFinished(30000);
    const QImage image =
        QImage::fromData(shot.readAllStandardOutput()).convertToFormat(QImage::Format_RGB32);
    Colours found;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            const bool dark = qGreen(pixel) < 60;
            found.red += dark && qRed(pixel) > 190 && qBlue(pixel) < 60;
            found.blue += dark && qBlue(pixel) > 190 && qRed(pixel) < 60;
        }
    }
    return found;
}

// Within the deadline the screen shows the picture red once and blue once,
// each over at least `least` and at most `most` pixels.
bool pictureMoves(int least, int most) {
    bool red = false;
    bool blue = false;
    for (QDeadlineTimer deadline(30000); !deadline.hasExpired() && !(red && blue);) {
        const Colours now = coloursOnScreen();
        red = red || (now.red >= least && now.red <= most);
        blue = blue || (now.blue >= least && now.blue <= most);
        QTest::qWait(150);
    }
    return red && blue;
}

} // namespace

class TestWayland : public QObject {
    Q_OBJECT

  private slots:
    void pictureMovesInFullScreenAndBack();

  private:
    void runUnderWeston();
};

// Run under X, this starts weston and runs itself as its client.
void TestWayland::runUnderWeston() {
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    QProcess weston;
    weston.setProcessEnvironment(environment);
    weston.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    weston.start(QStringLiteral("weston"),
                 {"--backend=x11-backend.so", "--no-config", "--idle-time=0",
                  QStringLiteral("--socket=%1").arg(WestonSocket),
                  QStringLiteral("--width=%1").arg(ScreenWidth),
                  QStringLiteral("--height=%1").arg(ScreenHeight)});
    QVERIFY(weston.waitForStarted(10000));
    const QString socket = runtime.filePath(QString::fromLatin1(WestonSocket));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket), 30000);

    QProcess client;
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QString::fromLatin1(WestonSocket));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    client.setProcessEnvironment(environment);
    client.setProcessChannelMode(QProcess::ForwardedChannels);
    client.start(QCoreApplication::applicationFilePath(), {"pictureMovesInFullScreenAndBack"});
    const bool ended = client.waitForFinished(240000);
    weston.terminate();
    if (!weston.waitForFinished(10000))
        weston.kill();
    QVERIFY(ended);
    QCOMPARE(client.exitCode(), 0);
}

void TestWayland::pictureMovesInFullScreenAndBack() {
    if (QGuiApplication::platformName() != QLatin1String("wayland")) {
        runUnderWeston();
        return;
    }
    PlaylistPair playlist;
    TitleScroller songTitle;
    CountingTips tips;
    RecordingPanel panel;
    VideoWindowManager manager(playlist, songTitle, tips, [] {
        MpvEngineOptions options;
        options.audioOutput = QStringLiteral("null");
        return std::make_unique<MpvEngine>(options);
    });
    manager.setPanel(&panel);
    manager.showVideoWindow();
    QVERIFY(QTest::qWaitForWindowExposed(manager.window()));
    const QString clip = blinkingClip();
    QVERIFY(!clip.isEmpty());
    QVERIFY(manager.engine().setFileName(clip));
    QVERIFY(manager.engine().play());
    QWidget* picture = manager.engine().view();

    // In the window: the picture's 640 x 360 pixels; in full screen: as
    // wide as the screen, its height kept in proportion.
    const int window = 640 * 360;
    const int screen = ScreenWidth * (ScreenWidth * 360 / 640);
    QVERIFY(pictureMoves(window * 8 / 10, window * 12 / 10));
    for (int round = 0; round < 2; ++round) {
        QTest::keyClick(manager.window(), Qt::Key_F);
        QTRY_VERIFY_WITH_TIMEOUT(picture->window() != manager.window(), 10000);
        QVERIFY2(pictureMoves(screen * 9 / 10, screen * 11 / 10), "in full screen");
        QTest::keyClick(picture, Qt::Key_Escape);
        QTRY_COMPARE_WITH_TIMEOUT(picture->window(), static_cast<QWidget*>(manager.window()),
                                  10000);
        QVERIFY2(pictureMoves(window * 8 / 10, window * 12 / 10), "back in the window");
        manager.window()->hide(); // as the main window's 隐藏 does
        QTest::qWait(300);
        manager.window()->show();
        QVERIFY2(pictureMoves(window * 8 / 10, window * 12 / 10), "shown again");
    }
}

QTEST_MAIN(TestWayland)
#include "tst_e2e_wayland.moc"
