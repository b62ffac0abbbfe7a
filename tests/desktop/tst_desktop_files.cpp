#include "desktop/command_line.h"
#include "desktop/hand_over.h"
#include "desktop/opened_files.h"
#include "platform/data_folders.h"
#include "platform/instance_guard.h"
#include "platform/local_names.h"
#include "playlist/playlist_pair.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <memory>
#include <sys/resource.h>

class TestDesktopFiles : public QObject {
    Q_OBJECT
  private slots:
    void argumentsBecomeAbsolutePaths_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("paths");
        QTest::newRow("relative") << QStringList{"a.mp4", "sub/b.mp3"}
                                  << QStringList{"/home/u/a.mp4", "/home/u/sub/b.mp3"};
        QTest::newRow("absolute kept") << QStringList{"/m/x.mp3"} << QStringList{"/m/x.mp3"};
        QTest::newRow("folder with separator")
            << QStringList{"c/", "/"} << QStringList{"/home/u/c", "/"};
        QTest::newRow("dots resolved")
            << QStringList{"../v/./y.avi"} << QStringList{"/home/v/y.avi"};
        QTest::newRow("empty argument dropped")
            << QStringList{"", "z.wav"} << QStringList{"/home/u/z.wav"};
    }
    void argumentsBecomeAbsolutePaths() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, paths);
        QCOMPARE(AbsoluteFilePaths(arguments, "/home/u"), paths);
    }

    // Status -1: the start hands `files` (~: working folder) over or runs the player; else it
    // prints `printed`, ends. The built executable too, without a display, beside this test's copy.
    void commandLine_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("printed");
        QTest::addColumn<QString>("files");
        // clang-format off
        QTest::newRow("files") << "a c/ ./-a /m/-b -" << -1 << "" << "~/a ~/c ~/-a /m/-b ~/-";
        QTest::newRow("version") << "--version" << 0 << "sonvela " + ProgramVersion() + "\n" << "";
        QTest::newRow("help") << "a -h --version" << 0 << "用法：sonvela [选项]" << "";
        QTest::newRow("unknown") << "a --help --version=2" << 2 << "sonvela：无法识别的选项“--version=2”；用 sonvela --help 查看用法。\n" << "";
        QTest::newRow("after --") << "./-a -- -b --help --" << -1 << "" << "~/-a ~/-b ~/--help ~/--";
        // clang-format on
    }
    void commandLine() {
        QFETCH(QString, arguments);
        QFETCH(int, status);
        QFETCH(QString, printed);
        QFETCH(QString, files);
        QTemporaryDir cwd, runtime;
        const QStringList args = arguments.split(' ', Qt::SkipEmptyParts);
        const QStringList paths = files.replace("~", cwd.path()).split(' ', Qt::SkipEmptyParts);
        const CommandLine line = ParseCommandLine(args, cwd.path());
        QCOMPARE(line.answered ? line.exitStatus : -1, status);
        QCOMPARE((status == 2 ? line.standardError : line.standardOutput).left(printed.size()),
                 printed);
        QCOMPARE(line.files, paths);
        InstanceGuard running(runtime.path(), {});
        HandOverServer server;
        QVERIFY(running.acquire() && server.listen(HandOverSocketPath(running.folder())));
        QStringList handed;
        connect(&server, &HandOverServer::filesReceived, this, [&](auto got) { handed << got; });
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            qunsetenv(name);
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        QProcess start;
        start.setWorkingDirectory(cwd.path());
        start.start(SONVELA_BINARY_DIR "/sonvela", args);
        QTRY_VERIFY_WITH_TIMEOUT(start.state() == QProcess::NotRunning, 60000);
        QCOMPARE(start.exitStatus() == QProcess::NormalExit ? start.exitCode() : -1,
                 qMax(status, 0));
        QVERIFY((status == 2 ? start.readAllStandardError() : start.readAllStandardOutput())
                    .startsWith(printed.toUtf8()));
        QCOMPARE(handed, paths);
    }

    // Bytes that are not UTF-8 (GBK; overlong, surrogate, past U+10FFFF,
    // cut short) become escapes, UTF-8 stays text; all come back as given.
    void argumentsKeepTheirBytes() {
        QByteArray gbk("\xD6\xD0.mp3"), bad("\xC0\x80\xED\xA0\x80\xF4\x90\x80\x80\xE4\xB8");
        QByteArray utf8("中🎵");
        char* argv[] = {nullptr, gbk.data(), bad.data(), utf8.data()};
        const QStringList texts = LocalArguments(4, argv);
        QCOMPARE(texts, (QStringList{u"\xDCD6\xDCD0.mp3"_qs, texts.value(1), "中🎵"}));
        QVERIFY(std::all_of(texts[1].cbegin(), texts[1].cend(),
                            [](QChar c) { return c.isLowSurrogate(); }));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(StringToLocalName(texts.value(i)), QByteArray(argv[i + 1]));
    }

    void filesAreAppendedAsADropAppendsThem() {
        PlaylistPair pair;
        pair.append("old.mp3", "/m/old.mp3");
        const OpenedFiles opened = AppendOpenedFiles(
            pair, {"/m/line\nbreak.mp3", "/m/a.mp4", "/m/ret\rurn.mp3", "/m/c", "/m/a.mp4"});
        QCOMPARE(opened.first, 1);
        QVERIFY(!opened.listFull);
        QCOMPARE(opened.refused, (QStringList{"/m/line\nbreak.mp3", "/m/ret\rurn.mp3"}));
        QCOMPARE(pair.lstsong.entries(), (QStringList{"old.mp3", "a.mp4", "c", "a.mp4"}));
        QCOMPARE(pair.temlst.entries(),
                 (QStringList{"/m/old.mp3", "/m/a.mp4", "/m/c", "/m/a.mp4"}));
        // A drop moves no selection.
        QCOMPARE(pair.selectedIndex(), -1);
    }

    void nothingAppendedGivesNoFirstEntry_data() {
        QTest::addColumn<int>("alreadyThere");
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<bool>("listFull");
        QTest::newRow("no files") << 0 << QStringList{} << false;
        QTest::newRow("only line breaks") << 0 << QStringList{"/a\nb"} << false;
        QTest::newRow("list full") << 32767 << QStringList{"/m/a.mp3"} << true;
    }
    void nothingAppendedGivesNoFirstEntry() {
        QFETCH(int, alreadyThere);
        QFETCH(QStringList, paths);
        QFETCH(bool, listFull);
        PlaylistPair pair;
        for (int i = 0; i < alreadyThere; ++i)
            pair.append("t", "/p");
        const OpenedFiles opened = AppendOpenedFiles(pair, paths);
        QCOMPARE(opened.first, -1);
        QCOMPARE(opened.listFull, listFull);
        QCOMPARE(pair.lstsong.count(), alreadyThere);
    }

    // The program folder, a folder made beside it, "w" when the program
    // folder is writable, then where the lists and the tips go.
    void dataFoldersFollowTheLayout_data() {
        QTest::addColumn<QString>("layout");
        QTest::newRow("build folder named bin") << "x/bin x/share w x/bin x/bin";
        QTest::newRow("installed for the user") << "h/bin h/share/sonvela w user h/share/sonvela";
        QTest::newRow("installed system-wide") << "u/bin u/lib/sonvela - user u/share/sonvela";
    }
    void dataFoldersFollowTheLayout() {
        QFETCH(QString, layout);
        const QStringList is = layout.split(' ');
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(is[0]) && QDir(root.path()).mkpath(is[1]));
        const QString user = root.filePath("user");
        const DataFolders chosen = ChooseDataFolders(root.filePath(is[0]), is[2] == "w", user);
        QCOMPARE(chosen.lists, root.filePath(is[3]));
        QCOMPARE(chosen.tips, root.filePath(is[4]));
        QCOMPARE(QDir(user).exists(), is[3] == "user");
    }

    void handOverWithNobodyListeningGivesUp() {
        QTemporaryDir runtime;
        QVERIFY(!HandFilesToRunningCopy(HandOverSocketPath(runtime.path()), {"/m/a.mp3"}, 200));
    }

    // The server replaces a socket left by a copy that is gone, never a
    // file; it takes a start's files once, also when that start tries again,
    // and goes on after a moment with no file descriptor left. Names arrive
    // as given, in parts when many; a stalled copy takes them when it runs.
    void handOverServerTakesFilesAndAnswers_data() {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<bool>("stalled");
        QStringList big; // 5 MB: a command line under a large stack limit
        for (int i = 0; i < 23697; ++i)
            big << u"/音乐/%1/"_qs.arg(i) + QString(200, u'x');
        const QStringList odd{"/m/歌 1.mp3", u"/m/\xDCD6\xDCD0\xDCCE\xDCC4"_qs, "/m/line\nbreak"};
        QTest::newRow("names byte for byte") << odd << false;
        QTest::newRow("stalled copy") << odd << true;
        QTest::newRow("5 MB of names") << big << false;
    }
    void handOverServerTakesFilesAndAnswers() {
        QFETCH(QStringList, paths);
        QFETCH(bool, stalled);
        QTemporaryDir runtime, other;
        HandOverServer gone, server;
        const QString path = HandOverSocketPath(runtime.path());
        QVERIFY(gone.listen(path) && server.listen(path));
        QVERIFY(QFile(HandOverSocketPath(other.path())).open(QIODevice::WriteOnly));
        QVERIFY(!HandOverServer().listen(HandOverSocketPath(other.path())));
        QVERIFY(QFileInfo(HandOverSocketPath(other.path())).isFile());
        QList<QStringList> received;
        connect(&server, &HandOverServer::filesReceived, this,
                [&](const QStringList& paths) { received << paths; });
        QLocalSocket waiting;
        waiting.connectToServer(path);
        QVERIFY(waiting.waitForConnected(1000));
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        const rlimit none{3, limit.rlim_max};
        ::setrlimit(RLIMIT_NOFILE, &none);
        QTest::qWait(300);
        ::setrlimit(RLIMIT_NOFILE, &limit);
        // The client blocks while waiting for the answer, so it runs on a
        // thread of its own here.
        bool handed = false;
        std::unique_ptr<QThread> client(QThread::create([&] {
            for (int attempt = 0; attempt < 2; ++attempt)
                handed = HandFilesToRunningCopy(path, paths, 10000);
        }));
        client->start();
        // Stalled: wait() leaves the server's events unhandled meanwhile.
        QVERIFY(stalled ? client->wait(60000)
                        : QTest::qWaitFor([&] { return client->isFinished(); }, 60000));
        QVERIFY(handed);
        QTRY_VERIFY_WITH_TIMEOUT(!received.isEmpty(), 60000);
        QTest::qWait(200);
        QCOMPARE(received, QList<QStringList>{paths});
    }
};

QTEST_GUILESS_MAIN(TestDesktopFiles)
#include "tst_desktop_files.moc"
