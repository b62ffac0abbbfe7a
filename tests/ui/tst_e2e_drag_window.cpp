#include "platform/settings_store.h"
#include "support/patience.h"
#include "tips/tip_dialog.h"
#include "tips/tip_store.h"
#include "ui/drag_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <utility>

// Drags a real window on a real X server with a real window manager
// (openbox, which runs the move itself) and with the pointer driven by
// xdotool, as a user would.
namespace {

bool windowManagerRunning() {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {"-root", "_NET_SUPPORTING_WM_CHECK"});
    xprop.waitForFinished(5000);
    return xprop.readAllStandardOutput().contains("window id");
}

// Starts openbox unless some window manager already runs; stops the one it
// started when it goes.
class WindowManager {
  public:
    WindowManager() {
        if (windowManagerRunning())
            return;
        openbox_.start(QStringLiteral("openbox"), {"--sm-disable"});
        QElapsedTimer waited;
        waited.start();
        while (!windowManagerRunning() && waited.elapsed() < PatientWaitMs)
            QTest::qSleep(100);
    }
    ~WindowManager() {
        if (openbox_.state() == QProcess::NotRunning)
            return;
        openbox_.terminate();
        if (!openbox_.waitForFinished(5000))
            openbox_.kill();
    }

  private:
    QProcess openbox_;
};

class Handle : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void mousePressEvent(QMouseEvent*) override { DragWindow(this); }
};

// Runs xdotool commands one after another while the event loop goes on.
void xdotool(const QStringList& steps) {
    for (const QString& step : steps) {
        QProcess tool;
        tool.start(QStringLiteral("xdotool"), step.split(' '));
        while (tool.state() != QProcess::NotRunning)
            QTest::qWait(10);
        QTest::qWait(80);
    }
}

// Output of one xdotool command, run to its end.
QString xdotoolOutput(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    tool.waitForFinished(5000);
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

QPoint windowPosition(const QString& id) {
    const QStringList numbers = xdotoolOutput({"getwindowgeometry", "--shell", id}).split('\n');
    QPoint position;
    for (const QString& line : numbers) {
        if (line.startsWith("X="))
            position.setX(line.mid(2).toInt());
        else if (line.startsWith("Y="))
            position.setY(line.mid(2).toInt());
    }
    return position;
}

// The visible window of `process` whose title is `title`, once it shows.
QString windowOf(const QProcess& process, const QString& title) {
    QElapsedTimer waited;
    for (waited.start(); waited.elapsed() < PatientWaitMs;) {
        const QString ids = xdotoolOutput(
            {"search", "--onlyvisible", "--pid", QString::number(process.processId())});
        for (const QString& id : ids.split('\n', Qt::SkipEmptyParts))
            if (xdotoolOutput({"getwindowname", id}) == title)
                return id;
        QTest::qWait(100);
    }
    return {};
}

// Every window of `process`, shown or not, with its title: what a failure
// should say.
QString windowsOf(const QProcess& process) {
    QStringList windows;
    const QString ids = xdotoolOutput({"search", "--pid", QString::number(process.processId())});
    for (const QString& id : ids.split('\n', Qt::SkipEmptyParts))
        windows << id + " " + xdotoolOutput({"getwindowname", id});
    return windows.join(", ");
}

} // namespace

class TestE2eDragWindow : public QObject {
    Q_OBJECT
  private slots:
    void dragsTheWholeWindow_data() {
        QTest::addColumn<int>("button");
        QTest::newRow("left") << 1;
        QTest::newRow("right") << 3;
        QTest::newRow("middle") << 2;
    }
    void dragsTheWholeWindow() {
        QFETCH(int, button);
        QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
        auto* handle = new Handle(&window);
        handle->setGeometry(0, 0, 240, 20);
        window.setGeometry(200, 200, 240, 160);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE_WITH_TIMEOUT(window.pos(), QPoint(200, 200), PatientWaitMs);

        const QPoint grip = handle->mapToGlobal(QPoint(20, 10));
        const QString b = QString::number(button);
        xdotool({QStringLiteral("mousemove %1 %2").arg(grip.x()).arg(grip.y()), "mousedown " + b,
                 QStringLiteral("mousemove %1 %2").arg(grip.x() + 40).arg(grip.y() + 30),
                 QStringLiteral("mousemove %1 %2").arg(grip.x() + 120).arg(grip.y() + 90),
                 "mouseup " + b});
        QTRY_COMPARE_WITH_TIMEOUT(window.pos(), QPoint(320, 290), PatientWaitMs);

        // After the release the pointer moves alone.
        xdotool({QStringLiteral("mousemove %1 %2").arg(grip.x()).arg(grip.y())});
        QTest::qWait(200);
        QCOMPARE(window.pos(), QPoint(320, 290));
    }

    // A plain click on a drag handle moves nothing, and the window does
    // not follow the pointer afterwards: a bare handle, and the strip of the
    // tip of the day.
    void pressAndReleaseLeaveTheWindowWhereItWas_data() {
        QTest::addColumn<bool>("tipDialog");
        QTest::newRow("handle") << false;
        QTest::newRow("tip of the day") << true;
    }
    void pressAndReleaseLeaveTheWindowWhereItWas() {
        QFETCH(bool, tipDialog);
        QTemporaryDir folder;
        SettingsStore settings(folder.path());
        TipStore tips;
        std::unique_ptr<QWidget> window;
        QWidget* handle = nullptr;
        if (tipDialog) {
            auto* dialog = new TipDialog(settings, "sonvela", folder.path(), tips);
            dialog->setAttribute(Qt::WA_DeleteOnClose, false);
            handle = dialog->Image1;
            window.reset(dialog);
        } else {
            window = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint);
            handle = new Handle(window.get());
            handle->setGeometry(0, 0, 240, 20);
            window->resize(240, 160);
        }
        window->move(0, 0);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_COMPARE_WITH_TIMEOUT(window->pos(), QPoint(0, 0), PatientWaitMs);
        const QPoint grip = handle->mapToGlobal(QPoint(20, 10));
        // The pointer arrives and clicks at once, as a quick hand does.
        xdotool({QStringLiteral("mousemove %1 %2 click 1").arg(grip.x()).arg(grip.y())});
        xdotool({QStringLiteral("mousemove %1 %2").arg(grip.x() + 50).arg(grip.y() + 50)});
        QTest::qWait(200);
        QCOMPARE(window->pos(), QPoint(0, 0));
    }
    // The same quick click on the running player, whose event loop is busier
    // than a test's: the main window's handle and the tip of the day's strip.
    void quickClicksLeaveThePlayersWindowsWhereTheyWere() {
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
            QDir(home.path()).mkpath(name);
            env.insert(name, home.path() + "/" + name);
        }
        QFile::setPermissions(home.path() + "/XDG_RUNTIME_DIR",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcess player;
        player.setProcessEnvironment(env);
        player.start(QStringLiteral(SONVELA_BINARY_DIR "/sonvela"));
        QVERIFY(player.waitForStarted());
        for (const QString& title : {QStringLiteral("Sonvela"), QStringLiteral("每日一帖")}) {
            const QString window = windowOf(player, title);
            QVERIFY2(!window.isEmpty(),
                     qPrintable(title + " not shown; windows: " + windowsOf(player)));
            // Placed by the window manager: at the same place twice, 400 ms apart.
            QPoint before = windowPosition(window);
            QTRY_VERIFY_WITH_TIMEOUT(
                [&] {
                    QTest::qWait(400);
                    const QPoint last = std::exchange(before, windowPosition(window));
                    return before == last;
                }(),
                PatientWaitMs);
            for (int click = 0; click < 3; ++click) {
                xdotool({QStringLiteral("mousemove %1 %2 click 1")
                             .arg(before.x() + 60)
                             .arg(before.y() + 8),
                         QStringLiteral("mousemove %1 %2")
                             .arg(before.x() + 200)
                             .arg(before.y() + 200)});
                QTest::qWait(300);
                QCOMPARE(windowPosition(window), before);
            }
        }
        player.kill();
        player.waitForFinished();
    }
};

int main(int argc, char** argv) {
    // The window manager must be up before Qt asks the display what it
    // supports.
    WindowManager windowManager;
    QApplication app(argc, argv);
    TestE2eDragWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_e2e_drag_window.moc"
