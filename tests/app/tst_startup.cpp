#include "app/application.h"
#include "playback/control_panel.h"
#include "playback/sound_labels.h"
#include "playlist/gb18030.h"
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
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

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
    explicit Start(const QString& root) {
        AppEnvironment env;
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
        Start second(root_.path());
        QVERIFY(!second.app->Form_Load());
        QCOMPARE(second.messages->shown, QStringList{"提示……|程序已经运行，不能再装载！"});
        QCOMPARE(second.ended, 1);
        QVERIFY(!second.app->mainWindow().isVisible());
        QCOMPARE(first.ended, 0);
        QCOMPARE(readFile(program() + "/load.lwo"), QByteArray("a\r\n"));
    }

    void closeSavesTheListsAndRemovesTheVcdPlaylist() {
        writeFile(program() + "/mirelle.m3u", "/cd/mpegav/AVSEQ01.DAT\r\n");
        Start start(root_.path());
        QVERIFY(start.app->Form_Load());
        PlaylistPair& pair = start.app->playlist();
        pair.clear();
        pair.append("歌.mp3", "/音乐/歌.mp3");
        start.app->closeProgram();
        QCOMPARE(start.ended, 1);
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
