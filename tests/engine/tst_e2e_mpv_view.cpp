#include "engine/mpv_engine.h"
#include "engine/mpv_surface.h"
#include "engine/mpv_view.h"
#include "support/patience.h"
#include "support/test_clips.h"

#include <mpv/client.h>
#include <utility>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <memory>

// The picture really drawn by mpv into the view, under a real X server.
class TestMpvView : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void drawsThePictureAtTheClipsSize();
    void startsHiddenAndDrawsOnceShown();
    void fullScreenCoversTheScreenAndComesBack();
    void pressesBecomeMouseDown_data();
    void pressesBecomeMouseDown();
    void audioOnlyKeepsTheSize();
    void repaintsAroundThePictureNeverRedrawIt();
    void hiddenPictureIsNotDecodedAndComesBackWhenShown();

  private:
    // Share of the widget's pixels that are clearly red.
    static double redShare(const QImage& image);
    static QImage screenShotOf(QWidget* widget);
    void playRedClip();
    void showHost();

    std::unique_ptr<QWidget> host_;
    std::unique_ptr<MpvEngine> engine_;
    QWidget* view_ = nullptr;
};

void TestMpvView::init() {
    MpvEngineOptions options;
    options.audioOutput = QStringLiteral("null");
    engine_ = std::make_unique<MpvEngine>(options);
    QVERIFY(engine_->isValid());
    host_ = std::make_unique<QWidget>();
    host_->resize(900, 600);
    view_ = engine_->view();
    QCOMPARE(view_->objectName(), QStringLiteral("player"));
    view_->setParent(host_.get());
    view_->move(6, 36);
}

void TestMpvView::showHost() {
    host_->show();
    QVERIFY(QTest::qWaitForWindowExposed(host_.get()));
}

void TestMpvView::cleanup() {
    engine_.reset(); // frees the render context while the view still lives
    host_.reset();
}

double TestMpvView::redShare(const QImage& image) {
    if (image.isNull())
        return 0;
    int red = 0, total = 0;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4, ++total) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 80 && c.blue() < 80)
                ++red;
        }
    }
    return total ? double(red) / total : 0;
}

QImage TestMpvView::screenShotOf(QWidget* widget) {
    // What the X server shows, not what the widget believes it drew.
    const QRect area(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    return widget->screen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage();
}

void TestMpvView::playRedClip() {
    const QString clip = TestClips::colourClip(QStringLiteral("red"), 10);
    QVERIFY(!clip.isEmpty());
    QVERIFY(engine_->setFileName(clip));
    QVERIFY(engine_->play());
}

void TestMpvView::drawsThePictureAtTheClipsSize() {
    showHost();
    QCOMPARE(engine_->pictureSize(), QSize(306, 229));
    playRedClip();
    QTRY_COMPARE_WITH_TIMEOUT(view_->size(), QSize(640, 360), PatientWaitMs);
    QCOMPARE(engine_->pictureSize(), QSize(640, 360));
    QTRY_VERIFY_WITH_TIMEOUT(redShare(screenShotOf(view_)) > 0.9, PatientWaitMs);
}

void TestMpvView::startsHiddenAndDrawsOnceShown() {
    // As at start-up: the file plays while the video window is hidden.
    playRedClip();
    QTest::qWait(300);
    showHost();
    QTRY_COMPARE_WITH_TIMEOUT(view_->size(), QSize(640, 360), PatientWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(redShare(screenShotOf(view_)) > 0.9, PatientWaitMs);
}

void TestMpvView::fullScreenCoversTheScreenAndComesBack() {
    showHost();
    playRedClip();
    QTRY_COMPARE_WITH_TIMEOUT(view_->size(), QSize(640, 360), PatientWaitMs);

    QVERIFY(engine_->setDisplaySize(3));
    const QRect screen = view_->screen()->geometry();
    QTRY_VERIFY_WITH_TIMEOUT(view_->isWindow(), PatientWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(view_->geometry(), screen, PatientWaitMs);
    // The video window keeps fitting itself to the area it holds.
    QCOMPARE(engine_->pictureSize(), QSize(640, 360));
    // The GL context was replaced: the picture must come back in full screen.
    QTRY_VERIFY_WITH_TIMEOUT(redShare(screenShotOf(view_)) > 0.5, PatientWaitMs);
    const double playing = engine_->currentPosition().value_or(0);

    QVERIFY(engine_->setDisplaySize(0));
    QTRY_COMPARE_WITH_TIMEOUT(view_->parentWidget(), host_.get(), PatientWaitMs);
    QVERIFY(!view_->isWindow());
    QCOMPARE(view_->pos(), QPoint(6, 36));
    QCOMPARE(view_->size(), QSize(640, 360));
    QTRY_VERIFY_WITH_TIMEOUT(redShare(screenShotOf(view_)) > 0.9, PatientWaitMs);
    // Playback went on through both switches.
    QTRY_VERIFY_WITH_TIMEOUT(engine_->currentPosition().value_or(0) > playing + 0.3, PatientWaitMs);
}

void TestMpvView::pressesBecomeMouseDown_data() {
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("fullScreen");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("shift");
    QTest::newRow("left") << Qt::LeftButton << Qt::KeyboardModifiers() << false << 1 << 0;
    QTest::newRow("right with shift")
        << Qt::RightButton << Qt::KeyboardModifiers(Qt::ShiftModifier) << false << 2 << 1;
    QTest::newRow("middle with ctrl")
        << Qt::MiddleButton << Qt::KeyboardModifiers(Qt::ControlModifier) << false << 4 << 2;
    QTest::newRow("right in full screen")
        << Qt::RightButton << Qt::KeyboardModifiers() << true << 2 << 0;
}

void TestMpvView::pressesBecomeMouseDown() {
    QFETCH(Qt::MouseButton, button);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, fullScreen);
    QFETCH(int, code);
    QFETCH(int, shift);
    showHost();
    if (fullScreen) {
        QVERIFY(engine_->setDisplaySize(3));
        QTRY_VERIFY_WITH_TIMEOUT(view_->isWindow(), PatientWaitMs);
        QVERIFY(QTest::qWaitForWindowExposed(view_));
    }
    QSignalSpy pressed(engine_.get(), &MediaEngine::MouseDown);
    // The press lands on the native surface the picture is drawn on.
    QTest::mousePress(static_cast<MpvView*>(view_)->surface(), button, modifiers, QPoint(20, 30));
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(pressed.at(0).at(0).toInt(), code);
    QCOMPARE(pressed.at(0).at(1).toInt(), shift);
    QCOMPARE(pressed.at(0).at(2).toInt(), 20);
    QCOMPARE(pressed.at(0).at(3).toInt(), 30);
}

// Sound alone keeps the area's size, and the last frame of the clip before
// it does not stay behind.
void TestMpvView::audioOnlyKeepsTheSize() {
    showHost();
    playRedClip();
    QTRY_VERIFY_WITH_TIMEOUT(redShare(screenShotOf(view_)) > 0.9, PatientWaitMs);
    view_->resize(400, 300);
    QVERIFY(engine_->setFileName(TestClips::sineClip()));
    QTRY_VERIFY_WITH_TIMEOUT(redShare(screenShotOf(view_)) < 0.01, PatientWaitMs);
    QCOMPARE(view_->size(), QSize(400, 300));
    QVERIFY(engine_->setDisplaySize(0));
    QCoreApplication::processEvents();
    QCOMPARE(view_->size(), QSize(400, 300));
}

void TestMpvView::repaintsAroundThePictureNeverRedrawIt() {
    auto* banner = new QLabel(QStringLiteral("banner"), host_.get());
    banner->move(4, 4);
    showHost();
    playRedClip();
    QTRY_VERIFY_WITH_TIMEOUT(redShare(screenShotOf(view_)) > 0.9, PatientWaitMs);
    QVERIFY(engine_->pause());
    const MpvSurface* surface = static_cast<MpvView*>(view_)->surface();
    // Paused, mpv may still show the frame it had: wait until 300 ms pass
    // without a new one.
    quint64 drawn = surface->framesDrawn();
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QTest::qWait(300);
            const quint64 before = std::exchange(drawn, surface->framesDrawn());
            return drawn == before;
        }(),
        PatientWaitMs);
    for (int step = 0; step < 20; ++step) {
        banner->move(4 + step, 4);
        banner->repaint();
        QTest::qWait(10);
    }
    QCOMPARE(surface->framesDrawn(), drawn);
}

void TestMpvView::hiddenPictureIsNotDecodedAndComesBackWhenShown() {
    auto videoTrack = [this] {
        char* value = mpv_get_property_string(engine_->handle(), "vid");
        const QString track = QString::fromUtf8(value ? value : "");
        mpv_free(value);
        return track;
    };
    showHost();
    playRedClip();
    QTRY_VERIFY_WITH_TIMEOUT(redShare(screenShotOf(view_)) > 0.9, PatientWaitMs);
    const double before = engine_->currentPosition().value_or(0);
    host_->hide();
    QTRY_COMPARE_WITH_TIMEOUT(videoTrack(), QStringLiteral("no"), PatientWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(engine_->currentPosition().value_or(0) > before + 0.5,
                             PatientWaitMs); // the sound plays on

    QElapsedTimer shown;
    shown.start();
    showHost();
    QTRY_VERIFY_WITH_TIMEOUT(redShare(screenShotOf(view_)) > 0.9, PatientWaitMs);
    qInfo("picture back %lld ms after showing", shown.elapsed());
    QVERIFY(videoTrack() != QStringLiteral("no"));
    // Minimised counts as hidden.
    host_->showMinimized();
    QTRY_COMPARE_WITH_TIMEOUT(videoTrack(), QStringLiteral("no"), PatientWaitMs);
}

QTEST_MAIN(TestMpvView)
#include "tst_e2e_mpv_view.moc"
