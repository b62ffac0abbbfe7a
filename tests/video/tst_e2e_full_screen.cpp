#include "engine/mpv_engine.h"
#include "playlist/playlist_pair.h"
#include "shared/title_scroller.h"
#include "support/fakes.h"
#include "support/patience.h"
#include "support/test_clips.h"
#include "video/video_menu.h"
#include "video/video_window.h"
#include "video/video_window_manager.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>

// Full screen and back as a user does it, on a real X server with a window
// manager: real right presses (xdotool) on the picture, the menu item chosen
// with the pointer while the menu is open.
namespace {

void xdotool(const QStringList& arguments) {
    QProcess::execute(QStringLiteral("xdotool"), arguments);
}

void rightPressAt(QPoint global) {
    xdotool({"mousemove", QString::number(global.x()), QString::number(global.y()), "click", "3"});
}

// Clicks `item` of the menu once it is open and on the screen, and again
// should it still be open 3 s later. The menu runs its own event loop,
// so the click comes from a timer and a detached xdotool.
void chooseOnceOpen(const char* item) {
    auto* poll = new QTimer(qApp);
    auto clicked = std::make_shared<QElapsedTimer>();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, item, clicked] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->windowHandle() || !menu->windowHandle()->isExposed()) {
            if (clicked->isValid())
                poll->deleteLater();
            return;
        }
        if (clicked->isValid() && clicked->elapsed() < 3000)
            return;
        QAction* action = menu->findChild<QAction*>(QLatin1String(item));
        const QPoint at = menu->mapToGlobal(menu->actionGeometry(action).center());
        QProcess::startDetached(QStringLiteral("xdotool"), {"mousemove", QString::number(at.x()),
                                                            QString::number(at.y()), "click", "1"});
        clicked->start();
    });
    poll->start(100);
}

// The visible top-level window covering the whole screen, if any.
QWindow* coveringWindow() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    for (QWindow* window : QGuiApplication::topLevelWindows())
        if (window->isVisible() && window->geometry() == screen)
            return window;
    return nullptr;
}

bool screenCovered() {
    return coveringWindow() != nullptr;
}

// Covered, and the covering window is on the screen: it takes presses and keys.
bool screenCoveredAndShown() {
    QWindow* window = coveringWindow();
    return window && window->isExposed();
}

} // namespace

class TestFullScreen : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void rightPressOnFullScreenPictureRestoresIt();
    void closeLeavesFullScreenFirst();
    void theWindowFitsThePictureAsShown_data();
    void theWindowFitsThePictureAsShown();
    void keysWorkThePanelAndEscapeLeavesFullScreen();

  private:
    QWidget* picture() { return manager_->engine().view(); }
    QPoint pictureCentre() { return picture()->mapToGlobal(picture()->rect().center()); }
    void goFullScreenThroughTheMenu();

    QProcess windowManager_;
    PlaylistPair playlist_;
    TitleScroller songTitle_;
    CountingTips tips_;
    RecordingPanel panel_;
    std::unique_ptr<VideoWindowManager> manager_;
};

void TestFullScreen::initTestCase() {
    windowManager_.start(QStringLiteral("openbox"), {});
    QVERIFY(windowManager_.waitForStarted(5000));
    QTest::qWait(500);
}

void TestFullScreen::cleanupTestCase() {
    windowManager_.terminate();
    if (!windowManager_.waitForFinished(5000))
        windowManager_.kill();
}

void TestFullScreen::init() {
    manager_ = std::make_unique<VideoWindowManager>(playlist_, songTitle_, tips_, [] {
        MpvEngineOptions options;
        options.audioOutput = QStringLiteral("null");
        return std::make_unique<MpvEngine>(options);
    });
    manager_->setPanel(&panel_);
    manager_->showVideoWindow();
    QVERIFY(QTest::qWaitForWindowExposed(manager_->window()));
    const QString clip = TestClips::colourClip(QStringLiteral("red"), 30);
    QVERIFY(manager_->engine().setFileName(clip));
    QVERIFY(manager_->engine().play());
    QTRY_COMPARE_WITH_TIMEOUT(manager_->engine().pictureSize(), QSize(640, 360), PatientWaitMs);
    // The window fits itself to the picture.
    QTRY_COMPARE_WITH_TIMEOUT(manager_->window()->size(), QSize(652, 402), PatientWaitMs);
}

void TestFullScreen::cleanup() {
    manager_.reset();
}

// Turned clips fit as they are shown; clips larger than the screen are
// shown smaller, so that the whole window fits on it.
void TestFullScreen::theWindowFitsThePictureAsShown_data() {
    QTest::addColumn<QString>("clip");
    QTest::addColumn<QSize>("window");
    const auto pattern = [](const char* size) {
        return TestClips::make(QStringLiteral("pattern-%1.mp4").arg(size),
                               {"-f", "lavfi", "-i",
                                QStringLiteral("testsrc=size=%1:rate=2:duration=3").arg(size),
                                "-pix_fmt", "yuv420p"});
    };
    // The picture sits 6 pixels in from the left and 36 down, with a 6-pixel
    // margin right of and below it; the screen is 1280 x 1024.
    QTest::newRow("a quarter turn") << TestClips::rotatedClip() << QSize(372, 682);
    QTest::newRow("wider than the screen") << pattern("2560x1440") << QSize(1280, 755);
    QTest::newRow("taller than the screen") << pattern("720x1280") << QSize(564, 1024);
}

void TestFullScreen::theWindowFitsThePictureAsShown() {
    QFETCH(QString, clip);
    QFETCH(QSize, window);
    QVERIFY(!clip.isEmpty());
    QVERIFY(manager_->engine().setFileName(clip));
    const auto fits = [&] {
        const QSize now = manager_->window()->size();
        return std::abs(now.width() - window.width()) <= 2 &&
               std::abs(now.height() - window.height()) <= 2;
    };
    QTRY_VERIFY2_WITH_TIMEOUT(fits(),
                              qPrintable(QStringLiteral("%1x%2")
                                             .arg(manager_->window()->width())
                                             .arg(manager_->window()->height())),
                              PatientWaitMs);
}

void TestFullScreen::goFullScreenThroughTheMenu() {
    chooseOnceOpen("mnuFullscreen");
    rightPressAt(pictureCentre());
    QTRY_VERIFY_WITH_TIMEOUT(screenCoveredAndShown(), PatientWaitMs);
}

void TestFullScreen::rightPressOnFullScreenPictureRestoresIt() {
    VideoWindow* window = manager_->window();
    goFullScreenThroughTheMenu();

    chooseOnceOpen("mnuRestore");
    rightPressAt(QGuiApplication::primaryScreen()->geometry().center());
    QTRY_VERIFY_WITH_TIMEOUT(!screenCovered(), PatientWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(picture()->window(), static_cast<QWidget*>(window), PatientWaitMs);
    QVERIFY(window->isVisible());
    QCOMPARE(picture()->size(), QSize(640, 360));
    // The window fits itself to the picture again at its next tick.
    QTRY_COMPARE_WITH_TIMEOUT(window->size(), QSize(652, 402), PatientWaitMs);

    // And the way there and back still works a second time.
    goFullScreenThroughTheMenu();
    chooseOnceOpen("mnuRestore");
    rightPressAt(QGuiApplication::primaryScreen()->geometry().center());
    QTRY_VERIFY_WITH_TIMEOUT(!screenCovered(), PatientWaitMs);
}

void TestFullScreen::closeLeavesFullScreenFirst() {
    goFullScreenThroughTheMenu();
    const double playing = manager_->engine().currentPosition().value_or(0);

    chooseOnceOpen("mnuClose");
    rightPressAt(QGuiApplication::primaryScreen()->geometry().center());
    QTRY_VERIFY_WITH_TIMEOUT(!manager_->window()->isVisible(), PatientWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!screenCovered(), PatientWaitMs);
    // Hidden, not stopped; shown again, the picture is back in the window.
    QTRY_VERIFY_WITH_TIMEOUT(manager_->engine().currentPosition().value_or(0) > playing + 0.5,
                             PatientWaitMs);
    manager_->showVideoWindow();
    QTRY_VERIFY_WITH_TIMEOUT(picture()->isVisible(), PatientWaitMs);
    QCOMPARE(picture()->window(), static_cast<QWidget*>(manager_->window()));
}

void TestFullScreen::keysWorkThePanelAndEscapeLeavesFullScreen() {
    const QPoint at = pictureCentre();
    xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "--repeat",
             "2", "1"});
    QTRY_VERIFY_WITH_TIMEOUT(screenCoveredAndShown(), PatientWaitMs);
    xdotool({"key", "--delay", "100", "space", "Left", "Up", "m", "Escape"});
    QTRY_VERIFY_WITH_TIMEOUT(!screenCovered(), PatientWaitMs);
    QCOMPARE(panel_.calls, QStringList({"pause", "seek -5", "volume 1", "mute"}));
    xdotool({"key", "f"}); // in the window, F goes there too
    QTRY_VERIFY_WITH_TIMEOUT(screenCovered(), PatientWaitMs);
}

QTEST_MAIN(TestFullScreen)
#include "tst_e2e_full_screen.moc"
