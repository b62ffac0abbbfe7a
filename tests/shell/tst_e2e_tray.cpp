#include "platform/settings_store.h"
#include "playback/transport.h"
#include "playlist/list_control.h"
#include "playlist/list_file.h"
#include "support/installed_copy.h"
#include "support/patience.h"
#include "support/test_clips.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

// The real program on a real X server, with a window manager (openbox) and
// a notification area (trayer), driven by xdotool as a user would: hide it
// with the hide button, bring it back through the tray icon, step to the
// next entry from the tray menu, close it with the close button, then look
// at what it left on disk.
namespace {

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs = PatientWaitMs) {
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QTest::qWait(100);
    }
    return true;
}

void xdotool(const QString& command) {
    run(QStringLiteral("xdotool"), command.split(u' '));
    QTest::qWait(150);
}

// Starts a helper (window manager, tray host) and stops it when it goes.
class Helper {
  public:
    Helper(const QString& program, const QStringList& arguments) {
        process_.start(program, arguments);
        process_.waitForStarted(5000);
    }
    ~Helper() {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
    }
    bool running() const { return process_.state() == QProcess::Running; }

  private:
    QProcess process_;
};

struct Window {
    QString id;
    QRect geometry;
};

// The mapped windows of a process, with their places on the screen.
QList<Window> visibleWindows(qint64 pid) {
    QList<Window> windows;
    const QString ids =
        run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--pid", QString::number(pid)});
    for (const QString& id : ids.split(u'\n', Qt::SkipEmptyParts)) {
        const QString shell = run(QStringLiteral("xdotool"), {"getwindowgeometry", "--shell", id});
        QMap<QString, int> values;
        for (const QString& line : shell.split(u'\n')) {
            const QStringList pair = line.split(u'=');
            if (pair.size() == 2)
                values[pair[0]] = pair[1].toInt();
        }
        windows << Window{id, QRect(values["X"], values["Y"], values["WIDTH"], values["HEIGHT"])};
    }
    return windows;
}

std::optional<Window> windowSized(qint64 pid, const std::function<bool(QSize)>& fits) {
    for (const Window& window : visibleWindows(pid))
        if (fits(window.geometry.size()))
            return window;
    return std::nullopt;
}

const QSize MainWindowSize(285, 476);

bool isMainWindow(QSize size) {
    return size == MainWindowSize;
}
// The picture area of the video window is larger than any icon.
bool isVideoWindow(QSize size) {
    return size != MainWindowSize && size.width() > 100 && size.height() > 100;
}
bool isTrayIcon(QSize size) {
    return size.width() <= 64 && size.height() <= 64;
}

// The main window once it is shown and the window manager has placed it:
// found at the same place twice, half a second apart.
std::optional<Window> settledMainWindow(qint64 pid) {
    std::optional<Window> last;
    const bool settled = waitFor([&] {
        QTest::qWait(400);
        const std::optional<Window> now = windowSized(pid, isMainWindow);
        const bool same = now && last && now->geometry == last->geometry;
        last = now;
        return same;
    });
    return settled ? last : std::nullopt;
}

void clickAt(QPoint where, int button) {
    xdotool(QStringLiteral("mousemove %1 %2").arg(where.x()).arg(where.y()));
    xdotool(QStringLiteral("click %1").arg(button));
}

// The hide and close buttons of the title strip, in window pixels.
const QPoint HideButton(252, 7);
const QPoint CloseButton(276, 8);

} // namespace

class TestE2eTray : public QObject {
    Q_OBJECT
  private slots:
    void hideRestoreNextAndClose() {
        const QString binary = QStringLiteral(SONVELA_BINARY_DIR "/sonvela");
        QVERIFY2(QFile::exists(binary), "build the program first");
        const QString present = TestClips::shortClip(30, 660);
        QVERIFY2(!present.isEmpty(), "ffmpeg could not make the clip");

        QTemporaryDir temp;
        const QString folder = temp.filePath(QStringLiteral("program"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(CopyProgramInto(folder));
        // The first entry's file is gone: stepping to it marks its title,
        // which the close button then saves.
        const QString missing = temp.filePath(QStringLiteral("gone/歌曲一.mp3"));
        ListControl titles;
        ListControl paths;
        titles.addItems({"歌曲一", "present"});
        paths.addItems({missing, present});
        List_Save(titles, folder + "/load.lwo");
        List_Save(paths, folder + "/load1.lwo");
        QFile m3u(folder + "/mirelle.m3u");
        QVERIFY(m3u.open(QIODevice::WriteOnly));
        m3u.write("/nowhere/AVSEQ01.DAT\r\n");
        m3u.close();

        const QString config = temp.filePath(QStringLiteral("config"));
        SettingsStore(config + "/sonvela").write("sonvela", "Options", "Show Tips at startup", "0");
        const QString runtime = temp.filePath(QStringLiteral("runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        Helper windowManager(QStringLiteral("openbox"), {"--sm-disable"});
        Helper trayHost(QStringLiteral("trayer"),
                        {"--edge", "bottom", "--align", "right", "--widthtype", "request",
                         "--height", "24", "--SetDockType", "true"});
        QVERIFY(waitFor([] {
            return !run(QStringLiteral("xdotool"), {"search", "--class", "trayer"}).isEmpty();
        }));
        QVERIFY(trayHost.running());

        QProcess player;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        player.setProcessEnvironment(environment);
        player.setProcessChannelMode(QProcess::ForwardedChannels);
        player.start(folder + "/sonvela", {});
        QVERIFY(player.waitForStarted(10000));
        const qint64 pid = player.processId();

        std::optional<Window> main = settledMainWindow(pid);
        QVERIFY2(main, "the main window never showed");
        std::optional<Window> icon;
        QVERIFY2(waitFor([&] { return (icon = windowSized(pid, isTrayIcon)).has_value(); }),
                 "no icon in the notification area");

        // Hide: both windows go.
        clickAt(main->geometry.topLeft() + HideButton, 1);
        QVERIFY(waitFor([&] { return visibleWindows(pid).size() == 1; }));
        QVERIFY(windowSized(pid, isTrayIcon));

        // A left click on the icon brings both back, the video window too.
        clickAt(icon->geometry.center(), 1);
        main = settledMainWindow(pid);
        QVERIFY(main);
        QVERIFY(waitFor([&] { return windowSized(pid, isVideoWindow).has_value(); }));

        // Hidden again, "下一首" from the icon's menu plays: the video
        // window shows, the main window stays hidden.
        clickAt(main->geometry.topLeft() + HideButton, 1);
        QVERIFY(waitFor([&] { return visibleWindows(pid).size() == 1; }));
        clickAt(icon->geometry.center(), 3);
        QVERIFY2(waitFor([&] { return visibleWindows(pid).size() == 2; }), "no menu");
        xdotool(QStringLiteral("key Down Down Down Return"));
        QVERIFY(waitFor([&] { return windowSized(pid, isVideoWindow).has_value(); }));
        QVERIFY(!windowSized(pid, isMainWindow));

        // Back through the icon, then the close button ends the program.
        clickAt(icon->geometry.center(), 1);
        main = settledMainWindow(pid);
        QVERIFY(main);
        clickAt(main->geometry.topLeft() + CloseButton, 1);
        QVERIFY2(waitFor([&] { return player.state() == QProcess::NotRunning; }),
                 "the close button did not end the program");
        QCOMPARE(player.exitStatus(), QProcess::NormalExit);

        ListControl savedTitles;
        ListControl savedPaths;
        List_Load(savedTitles, folder + "/load.lwo");
        List_Load(savedPaths, folder + "/load1.lwo");
        QCOMPARE(savedTitles.count(), 2);
        QCOMPARE(savedTitles.text(0), "歌曲一 " + Transport::MissingFileMark);
        QCOMPARE(savedTitles.text(1), QStringLiteral("present"));
        QCOMPARE(savedPaths.entries(), (QStringList{missing, present}));
        QVERIFY(!QFile::exists(folder + "/mirelle.m3u"));
    }
};

QTEST_GUILESS_MAIN(TestE2eTray)
#include "tst_e2e_tray.moc"
