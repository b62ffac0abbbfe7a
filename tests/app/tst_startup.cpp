#include "app/application.h"
#include "app/desktop_integration.h"
#include "desktop/hand_over.h"
#include "platform/gb18030.h"
#include "playback/control_panel.h"
#include "playback/sound_labels.h"
#include "playback/transport.h"
#include "shell/main_window.h"
#include "support/fake_engine.h"
#include "support/fakes.h"
#include "tips/tip_dialog.h"
#include "tips/tips_manager.h"
#include "video/video_window.h"
#include "video/video_window_manager.h"

#include <QCheckBox>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// One start of the player in its own folders, with a fake engine.
struct Start {
    explicit Start(const QString& root, const QStringList& files = {}) {
        AppEnvironment env;
        env.filesToOpen = files;
        env.programFolder = root + "/program";
        env.settingsFolder = root + "/config";
        env.lockFolder = root + "/run";
        env.appName = "sonvela";
        env.engineFactory = [this] {
            auto engine = std::make_unique<FakeEngine>();
            engines << engine.get();
            return engine;
        };
        env.drives = std::make_unique<FakeDriveProbe>();
        auto recording = std::make_unique<RecordingMessages>();
        messages = recording.get();
        env.messages = std::move(recording);
        env.endProcess = [this] { ++ended; };
        app = std::make_unique<Application>(std::move(env));
    }
    FakeEngine& engine() { return *engines.last(); }
    bool tipsShown() { return app->tips().dialog() && app->tips().dialog()->isVisible(); }

    QList<FakeEngine*> engines;
    RecordingMessages* messages = nullptr;
    int ended = 0;
    std::unique_ptr<Application> app;
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir root_;
    QString program() const { return root_.path() + "/program"; }
    QString socket() const { return HandOverSocketPath(root_.path() + "/run"); }

  private slots:
    void init() {
        QVERIFY(root_.isValid());
        QDir(root_.path()).removeRecursively();
        QDir().mkpath(program());
    }

    void firstRunWithoutListFiles() {
        Start start(root_.path());
        QVERIFY(start.app->Form_Load());
        PlaylistPair& pair = start.app->playlist();
        QCOMPARE(pair.lstsong.entries(), QStringList{""});
        QCOMPARE(pair.temlst.entries(), QStringList{""});
        QCOMPARE(pair.lstsong.listIndex(), 0);
        QCOMPARE(pair.temlst.listIndex(), 0);
        QCOMPARE(start.app->songTitle().text(), QString("Sonvela"));
        QCOMPARE(start.engine().fileName(), QString());
        QCOMPARE(start.engine().volume, -800);
        QCOMPARE(start.app->mainWindow().frm->HScroll1->value(), 1700);
        QVERIFY(start.app->mainWindow().isVisible());
        QVERIFY(start.messages->shown.isEmpty());
        // Tips are on by default.
        QVERIFY(start.tipsShown());
        QCOMPARE(start.app->tips().dialog()->windowHandle()->transientParent(),
                 start.app->mainWindow().windowHandle());
    }

    void firstEntryIsHandedToTheEngineWithoutPlay() {
        writeFile(program() + "/load.lwo", Gb18030::encode("第一首.mp3\r\n二.mp3\r\n"));
        writeFile(program() + "/load1.lwo", Gb18030::encode("/music/第一首.mp3\r\n/m/2.mp3\r\n"));
        Start start(root_.path());
        QVERIFY(start.app->Form_Load());
        QCOMPARE(start.engine().fileName(), QString("/music/第一首.mp3"));
        QCOMPARE(start.app->songTitle().text(), QString("第一首.mp3"));
        QVERIFY(!start.engine().calls.contains("Play"));
        QCOMPARE(start.app->playlist().lstsong.count(), 2);
    }

    void tipsSettingDecidesTheDialog_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("shown");
        QTest::newRow("stored 0") << "Show Tips at startup"
                                  << "0" << false;
        QTest::newRow("stored 1 by the dialog's spelling") << "Show Tips at Startup"
                                                           << "1" << true;
        QTest::newRow("not a number") << "Show Tips at startup"
                                      << "yes" << false;
    }
    void tipsSettingDecidesTheDialog() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(bool, shown);
        SettingsStore(root_.path() + "/config").write("sonvela", "Options", key, value);
        Start start(root_.path());
        QVERIFY(start.app->Form_Load());
        QCOMPARE(start.tipsShown(), shown);
    }

    void secondInstanceIsRefusedAndTouchesNothing() {
        writeFile(program() + "/load.lwo", "a\r\n");
        writeFile(program() + "/load1.lwo", "/a\r\n");
        Start first(root_.path());
        QVERIFY(first.app->Form_Load());
        first.app->mainWindow().hide();
        first.app->video().hideVideoWindow();
        Start second(root_.path());
        QVERIFY(!second.app->Form_Load());
        QCOMPARE(second.messages->shown, QStringList{"提示……|程序已经运行，不能再装载！"});
        QCOMPARE(second.ended, 1);
        QVERIFY(!second.app->mainWindow().isVisible());
        QCOMPARE(first.ended, 0);
        // The running copy comes back from the notification area, in front.
        QTRY_VERIFY(first.app->mainWindow().isActiveWindow());
        QVERIFY(first.app->video().window()->isVisible());
        QCOMPARE(readFile(program() + "/load.lwo"), QByteArray("a\r\n"));
    }

    void filesOnTheCommandLineAreAppendedAndTheFirstPlayed() {
        writeFile(program() + "/load.lwo", "a\r\n");
        writeFile(program() + "/load1.lwo", "/a\r\n");
        Start start(root_.path(), {"/m/new\nline.mp3", "/m/x.mp3", "/m/folder"});
        QVERIFY(start.app->Form_Load());
        PlaylistPair& pair = start.app->playlist();
        const QString x = "x.mp3 文件不存在，请重新选择";
        QCOMPARE(pair.lstsong.entries(), (QStringList{"a", x, "folder"}));
        QCOMPARE(pair.temlst.entries(), (QStringList{"/a", "/m/x.mp3", "/m/folder"}));
        QCOMPARE(pair.selectedIndex(), 1);
        QCOMPARE(start.engine().calls.mid(start.engine().calls.indexOf("FileName /m/x.mp3")),
                 (QStringList{"FileName /m/x.mp3", "Play"}));
        QCOMPARE(start.app->songTitle().text(), x);
        QVERIFY(start.app->video().window()->isVisible());
        QVERIFY(start.messages->shown.isEmpty());
        // Played at its own number: next goes on from it.
        start.app->mainWindow().frm->transport->next();
        QCOMPARE(pair.selectedIndex(), 2);
    }

    void filesForAFullListAreRefusedWithAMessage() {
        const QByteArray lines = QByteArray("a\r\n").repeated(ListControl::MaxEntries);
        writeFile(program() + "/load.lwo", lines);
        writeFile(program() + "/load1.lwo", lines);
        Start start(root_.path(), {"/m/x.mp3"});
        QVERIFY(start.app->Form_Load());
        const QString full = "提示……|播放列表已满，不能再添加文件。";
        QTRY_COMPARE(start.messages->shown, QStringList{full});
        start.app->desktop().openFile("/m/y.mp3");
        QTRY_COMPARE(start.messages->shown, (QStringList{full, full}));
    }

    void secondStartsWithFilesHandThemToTheRunningCopy() {
        Start running(root_.path());
        QVERIFY(running.app->Form_Load());
        running.app->mainWindow().hide();
        const QString runtime = root_.path() + "/run";
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir().mkpath(root_.path() + "/cwd");
        // Two second starts at the same moment, from the real executable.
        QList<QProcess*> starts;
        for (const QString& file : {QStringLiteral("one.mp3"), QStringLiteral("two.mp3")}) {
            auto* process = new QProcess(this);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("QT_QPA_PLATFORM", "offscreen");
            env.insert("XDG_RUNTIME_DIR", runtime);
            env.insert("XDG_CONFIG_HOME", root_.path() + "/config");
            env.insert("XDG_DATA_HOME", root_.path() + "/data");
            process->setProcessEnvironment(env);
            process->setWorkingDirectory(root_.path() + "/cwd");
            process->start(SONVELA_BINARY_DIR "/sonvela", {file});
            starts << process;
        }
        QTRY_VERIFY_WITH_TIMEOUT(starts[0]->state() == QProcess::NotRunning &&
                                     starts[1]->state() == QProcess::NotRunning,
                                 10000);
        for (QProcess* process : starts) {
            QCOMPARE(process->exitStatus(), QProcess::NormalExit);
            QCOMPARE(process->exitCode(), 0);
        }
        PlaylistPair& pair = running.app->playlist();
        QTRY_COMPARE(pair.lstsong.count(), 3);
        QStringList handed = pair.temlst.entries().mid(1);
        handed.sort();
        const QString cwd = root_.path() + "/cwd/";
        QCOMPARE(handed, (QStringList{cwd + "one.mp3", cwd + "two.mp3"}));
        QVERIFY(running.engine().calls.contains("FileName " + pair.selectedPath()));
        QVERIFY(running.app->mainWindow().isVisible());
        QVERIFY(running.messages->shown.isEmpty());
    }

    void closeSavesTheListsAndRemovesTheVcdPlaylist() {
        writeFile(program() + "/mirelle.m3u", "/cd/mpegav/AVSEQ01.DAT\r\n");
        Start start(root_.path());
        QVERIFY(start.app->Form_Load());
        PlaylistPair& pair = start.app->playlist();
        pair.clear();
        pair.append("歌.mp3", "/音乐/歌.mp3");
        QVERIFY(QFile::exists(socket()));
        start.app->closeProgram();
        QCOMPARE(start.ended, 1);
        QVERIFY(!QFile::exists(socket()));
        QCOMPARE(readFile(program() + "/load.lwo"), Gb18030::encode("歌.mp3\r\n"));
        QCOMPARE(readFile(program() + "/load1.lwo"), Gb18030::encode("/音乐/歌.mp3\r\n"));
        QVERIFY(!QFile::exists(program() + "/mirelle.m3u"));
    }

    void exitThroughTheTrayMenuSavesNothing() {
        writeFile(program() + "/load.lwo", "a\r\n");
        writeFile(program() + "/load1.lwo", "/a\r\n");
        writeFile(program() + "/mirelle.m3u", "x\r\n");
        Start start(root_.path());
        QVERIFY(start.app->Form_Load());
        start.app->playlist().clear();
        start.app->exitProgram();
        QCOMPARE(start.ended, 1);
        QVERIFY(!QFile::exists(socket()));
        QCOMPARE(readFile(program() + "/load.lwo"), QByteArray("a\r\n"));
        QVERIFY(QFile::exists(program() + "/mirelle.m3u"));
    }

    void engineMadeAgainAfterASystemClosePlaysAtTheUsersSound() {
        Start start(root_.path());
        QVERIFY(start.app->Form_Load());
        ControlPanel& panel = *start.app->mainWindow().frm;
        panel.HScroll1->setValue(1000);
        panel.HScroll2->setValue(-300);
        panel.Check1->setChecked(true);
        QPointer<VideoWindow> closed = start.app->video().window();
        closed->close();
        QTRY_VERIFY(!closed);

        start.app->video().engine();
        QCOMPARE(start.engines.size(), 2);
        FakeEngine& fresh = start.engine();
        QCOMPARE(fresh.volume, EngineVolume(1000));
        QCOMPARE(fresh.balanceValue, -300);
        QVERIFY(fresh.muted);
    }

    void programFolderThatIsNoFolderStillStartsAndCloses() {
        // Nothing can be read from or written into it, even as root.
        QDir(program()).removeRecursively();
        writeFile(program(), "not a folder");
        Start start(root_.path());
        QVERIFY(start.app->Form_Load());
        QCOMPARE(start.app->playlist().lstsong.entries(), QStringList{""});
        start.app->closeProgram();
        QCOMPARE(start.ended, 1);
        QCOMPARE(readFile(program()), QByteArray("not a folder"));
        QVERIFY(start.messages->shown.isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
