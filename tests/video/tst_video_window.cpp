#include "video/video_window.h"

#include "playlist/playlist_pair.h"
#include "shared/title_scroller.h"
#include "support/fake_engine.h"
#include "support/fakes.h"
#include "video/video_menu.h"
#include "video/video_window_manager.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace {

// A window with its own fake engine, playlist and title, as the program
// builds it.
struct WindowFixture {
    WindowFixture() {
        auto owned = std::make_unique<FakeEngine>();
        engine = owned.get();
        window = std::make_unique<VideoWindow>(std::move(owned), playlist, songTitle, host);
    }
    QLabel* label(const char* name) { return window->findChild<QLabel*>(name); }

    PlaylistPair playlist;
    TitleScroller songTitle;
    FakeVideoHost host; // only its menu count matters
    FakeEngine* engine = nullptr;
    std::unique_ptr<VideoWindow> window;
};

// The manager with fake engines; remembers every engine it was given.
struct ManagerFixture {
    ManagerFixture()
        : manager(playlist, songTitle, tips, [this] {
              auto engine = std::make_unique<FakeEngine>();
              engines << engine.get();
              return engine;
          }) {}
    FakeEngine& engine() { return static_cast<FakeEngine&>(manager.engine()); }
    QAction* action(const char* name) { return manager.menu().menu()->findChild<QAction*>(name); }

    PlaylistPair playlist;
    TitleScroller songTitle;
    CountingTips tips;
    QList<QPointer<FakeEngine>> engines;
    VideoWindowManager manager;
};

} // namespace

class TestVideoWindow : public QObject {
    Q_OBJECT
  private slots:
    void createdHiddenInItsCreationState() {
        WindowFixture f;
        VideoWindow& w = *f.window;
        QVERIFY(!w.isVisible());
        QCOMPARE(w.windowTitle(), QStringLiteral("Sonvela"));
        QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(w.size(), QSize(317, 272));
        QCOMPARE(w.palette().color(QPalette::Window), QColor(128, 128, 128));

        QLabel* strip = f.label("lblhand");
        QVERIFY(strip);
        QCOMPARE(strip->text(), QStringLiteral("拖拉条"));
        QCOMPARE(strip->toolTip(), QStringLiteral("拖拉窗体"));
        QCOMPARE(strip->geometry(), QRect(0, 0, 317, 16));

        QLabel* banner = f.label("Label1");
        QCOMPARE(banner->text(), QStringLiteral("Sonvela2.05版"));
        QCOMPARE(banner->pos(), QPoint(194, 21));
        QVERIFY(banner->font().bold());

        QWidget* player = w.findChild<QWidget*>("player");
        QCOMPARE(player, f.engine->view());
        QCOMPARE(player->geometry(), QRect(6, 36, 306, 229));

        auto* timer = w.findChild<QTimer*>("Timer1");
        QVERIFY(timer && !timer->isActive()); // ticks only while it can be seen
        QCOMPARE(timer->interval(), 100);
        w.show();
        QTRY_VERIFY(timer->isActive());
        w.showMinimized();
        QTRY_VERIFY(!timer->isActive());
    }

    void tickScrollsTheBannerAndFitsThePicture() {
        WindowFixture f;
        f.engine->view()->resize(400, 300);
        f.window->Timer1_Timer();
        QCOMPARE(f.label("Label1")->x(), 191); // 2860 twips
        // The whole picture shows, with a 6-pixel margin right and below.
        QCOMPARE(f.window->size(), QSize(412, 342));
        QCOMPARE(f.engine->view()->pos(), QPoint(6, 36));
        QVERIFY(f.window->rect().contains(f.engine->view()->geometry()));
    }

    void keepsItsSizeUnlessNormal_data() {
        QTest::addColumn<Qt::WindowState>("state");
        QTest::newRow("maximised") << Qt::WindowMaximized;
        QTest::newRow("minimised") << Qt::WindowMinimized;
    }
    void keepsItsSizeUnlessNormal() {
        QFETCH(Qt::WindowState, state);
        WindowFixture f;
        f.window->resize(500, 450); // a resize ends a maximised state
        f.window->setWindowState(state);
        f.window->Timer1_Timer();
        QCOMPARE(f.window->size(), QSize(500, 450));
        f.window->setWindowState(Qt::WindowNoState);
        f.window->Timer1_Timer();
        QCOMPARE(f.window->size(), QSize(318, 271));
    }

    void keepsItsSizeWhileThePictureIsFullScreen() {
        WindowFixture f;
        QWidget* player = f.engine->view();
        player->setParent(nullptr); // as the engine does for full screen
        player->resize(1280, 1024);
        f.window->Timer1_Timer();
        QCOMPARE(f.window->size(), QSize(317, 272));
        player->setParent(f.window.get());
        player->resize(320, 240);
        f.window->Timer1_Timer();
        QCOMPARE(f.window->size(), QSize(332, 282));
    }

    void dragStripSpansTheWindow() {
        WindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.window->resize(480, 300);
        QCOMPARE(f.label("lblhand")->width(), 480);
        f.window->Timer1_Timer();
        QCOMPARE(f.label("lblhand")->width(), 318);
    }

    void onlyTheRightButtonOpensTheMenu_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("popups");
        QTest::newRow("left") << 1 << 0;
        QTest::newRow("right") << 2 << 1;
        QTest::newRow("middle") << 4 << 0;
    }
    void onlyTheRightButtonOpensTheMenu() {
        QFETCH(int, button);
        WindowFixture f;
        f.engine->emitMouseDown(button);
        QCOMPARE(f.host.menuPopups, 0); // never inside the press itself
        QCoreApplication::processEvents();
        QTEST(f.host.menuPopups, "popups");
    }

    void endOfStreamPlaysTheNextEntry() {
        WindowFixture f;
        f.playlist.append(QStringLiteral("a"), QStringLiteral("/m/a.mp3"));
        f.playlist.append(QStringLiteral("b"), QStringLiteral("/m/b.mp3"));
        f.playlist.select(0);
        f.engine->emitEndOfStream();
        QCOMPARE(f.playlist.selectedIndex(), 1);
        QCOMPARE(f.engine->calls, (QStringList{"FileName /m/b.mp3", "Play"}));
        QCOMPARE(f.songTitle.text(), QStringLiteral("b"));
    }

    // The engine always holds what the end of stream would pick next, and
    // when it moves there by itself the lists and title follow.
    void queuesWhatTheEndOfStreamWouldPick() {
        WindowFixture f;
        for (const char* name : {"a", "b", "c"})
            f.playlist.append(name, QStringLiteral("/m/%1.mp3").arg(name));
        const std::pair<std::function<void()>, QString> steps[] = {
            {[&] { f.playlist.select(0); }, "/m/b.mp3"},
            {[&] { f.playlist.select(1); }, "/m/c.mp3"},
            {[&] { f.playlist.removeAt(2); }, ""},
            {[&] { f.playlist.append("d", "/m/d.mp3"); }, "/m/d.mp3"},
            {[&] { f.playlist.temlst.setText(2, "/m/e.mp3"); }, "/m/e.mp3"},
            {[&] { emit f.engine->movedOn("/m/e.mp3"); }, ""}};
        for (const auto& [step, queued] : steps) {
            step();
            QCOMPARE(f.engine->queuedNext, queued);
        }
        QCOMPARE(f.playlist.temlst.listIndex(), 2);
        QCOMPARE(f.songTitle.text(), QStringLiteral("d"));
        QVERIFY(f.engine->calls.isEmpty());
    }

    void systemCloseDestroysWindowAndEngine() {
        ManagerFixture f;
        QPointer<VideoWindow> closed = f.manager.window();
        f.manager.showVideoWindow();
        for (int i = 0; i < 5; ++i)
            closed->Timer1_Timer();
        f.songTitle.setText(QStringLiteral("a.mp3"));

        closed->close();
        QCOMPARE(f.songTitle.text(), QStringLiteral("Sonvela"));
        QTRY_VERIFY(!closed);
        QVERIFY(!f.engines.at(0));

        FakeEngine& fresh = f.engine();
        QCOMPARE(f.engines.size(), 2);
        QCOMPARE(&fresh, f.engines.at(1).data());
        VideoWindow* again = f.manager.window();
        QVERIFY(!again->isVisible());
        QCOMPARE(again->banner().text(), QStringLiteral("Sonvela2.05版"));
        QCOMPARE(again->banner().left(), 2910);
        QCOMPARE(again->banner().BannerStep(), 0);
        QCOMPARE(fresh.fileName(), QString());
    }

    void menuItemsInOrder() {
        ManagerFixture f;
        QMenu* menu = f.manager.menu().menu();
        QCOMPARE(menu->objectName(), QStringLiteral("mnuplay"));
        QStringList names, captions;
        for (QAction* item : menu->actions()) {
            names << item->objectName();
            if (item->isVisible())
                captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
        }
        QCOMPARE(names, (QStringList{"mnuFullscreen", "mnuRestore", "mnuoption", "mnuLineadg",
                                     "mnuhelp", "mnuLinekkadg", "mnuClose"}));
        QCOMPARE(captions, (QStringList{"全屏播放", "恢复视窗", "-", "帮助", "-", "关闭"}));
        QCOMPARE(f.action("mnuoption")->text(), QStringLiteral("属性设置"));
    }

    void menuActions_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("tipsOpened");
        QTest::addColumn<bool>("visible");
        QTest::newRow("full screen")
            << "mnuFullscreen" << QStringList{"DisplaySize 3"} << 0 << true;
        QTest::newRow("restore") << "mnuRestore" << QStringList{"DisplaySize 0"} << 0 << true;
        QTest::newRow("help") << "mnuhelp" << QStringList{} << 1 << true;
        QTest::newRow("close hides, playback goes on") << "mnuClose" << QStringList{} << 0 << false;
    }
    void menuActions() {
        QFETCH(QString, item);
        ManagerFixture f;
        f.manager.showVideoWindow();
        f.action(item.toLatin1().constData())->trigger();
        QTEST(f.engine().calls, "calls");
        QTEST(f.tips.opened, "tipsOpened");
        QTEST(f.manager.window()->isVisible(), "visible");
        QCOMPARE(f.engines.size(), 1);
    }

    void popupReturnsAfterTheChosenActionRan() {
        ManagerFixture f;
        QAction* fullScreen = f.action("mnuFullscreen");
        QTimer chooser;
        connect(&chooser, &QTimer::timeout, [&] {
            auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!open)
                return;
            chooser.stop();
            open->setActiveAction(fullScreen);
            QTest::keyClick(open, Qt::Key_Return);
        });
        chooser.start(10);
        f.manager.popupVideoMenu(QCursor::pos());
        QCOMPARE(f.engine().calls, QStringList{"DisplaySize 3"});
        QVERIFY(!QApplication::activePopupWidget());
    }
};

QTEST_MAIN(TestVideoWindow)
#include "tst_video_window.moc"
