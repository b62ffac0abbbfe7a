#include "desktop/command_line.h"
#include "desktop/hand_over.h"
#include "desktop/opened_files.h"
#include "platform/data_folders.h"
#include "playlist/playlist_pair.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cstring>
#include <memory>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A second start handing `paths` to the copy listening in `folder`. It
// blocks while waiting for the answer, so it runs on a thread of its own.
bool HandOver(const QString& folder, const QStringList& paths) {
    bool handed = false;
    std::unique_ptr<QThread> client(QThread::create(
        [&] { handed = HandFilesToRunningCopy(HandOverSocketPath(folder), paths, 5000); }));
    client->start();
    while (!client->isFinished())
        QTest::qWait(5);
    return handed;
}

} // namespace

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

    void filesAreAppendedAsADropAppendsThem() {
        PlaylistPair pair;
        pair.append("old.mp3", "/m/old.mp3");
        const int first = AppendOpenedFiles(
            pair, {"/m/line\nbreak.mp3", "/m/a.mp4", "/m/ret\rurn.mp3", "/m/c", "/m/a.mp4"});
        QCOMPARE(first, 1);
        QCOMPARE(pair.lstsong.entries(), (QStringList{"old.mp3", "a.mp4", "c", "a.mp4"}));
        QCOMPARE(pair.temlst.entries(),
                 (QStringList{"/m/old.mp3", "/m/a.mp4", "/m/c", "/m/a.mp4"}));
        // A drop moves no selection.
        QCOMPARE(pair.selectedIndex(), -1);
    }

    void nothingAppendedGivesNoFirstEntry_data() {
        QTest::addColumn<int>("alreadyThere");
        QTest::addColumn<QStringList>("paths");
        QTest::newRow("no files") << 0 << QStringList{};
        QTest::newRow("only line breaks") << 0 << QStringList{"/a\nb"};
        QTest::newRow("list full") << 32767 << QStringList{"/m/a.mp3"};
    }
    void nothingAppendedGivesNoFirstEntry() {
        QFETCH(int, alreadyThere);
        QFETCH(QStringList, paths);
        PlaylistPair pair;
        for (int i = 0; i < alreadyThere; ++i)
            pair.append("t", "/p");
        QCOMPARE(AppendOpenedFiles(pair, paths), -1);
        QCOMPARE(pair.lstsong.count(), alreadyThere);
    }

    // `made` exists beside the program folder; "user" is the user's data folder.
    void dataFoldersFollowTheLayout_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("made");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("lists");
        QTest::addColumn<QString>("tips");
        QTest::newRow("build folder") << "b"
                                      << "b" << true << "b"
                                      << "b";
        QTest::newRow("build folder named bin") << "x/bin"
                                                << "x/share" << true << "x/bin"
                                                << "x/bin";
        QTest::newRow("read-only copy") << "o"
                                        << "o" << false << "user"
                                        << "o";
        QTest::newRow("home") << "h/bin"
                              << "h/share/sonvela" << true << "user"
                              << "h/share/sonvela";
        QTest::newRow("system") << "u/bin"
                                << "u/lib/sonvela" << false << "user"
                                << "u/share/sonvela";
    }
    void dataFoldersFollowTheLayout() {
        QFETCH(QString, program);
        QFETCH(QString, made);
        QFETCH(bool, writable);
        QFETCH(QString, lists);
        QFETCH(QString, tips);
        QTemporaryDir root;
        const QString user = root.filePath("data/sonvela");
        QVERIFY(QDir(root.path()).mkpath(program) && QDir(root.path()).mkpath(made));
        const auto at = [&](const QString& name) {
            return name == "user" ? user : root.filePath(name);
        };
        const DataFolders chosen = ChooseDataFolders(root.filePath(program), writable, user);
        QCOMPARE(chosen.lists, at(lists));
        QCOMPARE(chosen.tips, at(tips));
        QCOMPARE(QDir(user).exists(), lists == "user");
    }

    void handOverWithNobodyListeningGivesUp() {
        QTemporaryDir runtime;
        QVERIFY(!HandFilesToRunningCopy(HandOverSocketPath(runtime.path()), {"/m/a.mp3"}, 200));
    }

    void handOverServerTakesFilesAndAnswers() {
        QTemporaryDir runtime;
        HandOverServer server;
        QVERIFY(server.listen(HandOverSocketPath(runtime.path())));
        QList<QStringList> received;
        connect(&server, &HandOverServer::filesReceived, this,
                [&](const QStringList& paths) { received << paths; });
        const QStringList files{"/m/歌 1.mp3", "/m/line\nbreak"};
        QVERIFY(HandOver(runtime.path(), files));
        // The same start again, as after an answer too slow: taken once.
        QVERIFY(HandOver(runtime.path(), files));
        QCOMPARE(received, QList<QStringList>{files});
    }

    // What a crashed copy left at the socket's name is replaced when it is
    // a socket of the user's; anything else stays.
    void listeningReplacesOnlyAStaleSocket_data() {
        QTest::addColumn<bool>("socket");
        QTest::newRow("a crashed copy's socket") << true;
        QTest::newRow("a file") << false;
    }
    void listeningReplacesOnlyAStaleSocket() {
        QFETCH(bool, socket);
        QTemporaryDir runtime;
        const QString path = HandOverSocketPath(runtime.path());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{AF_UNIX, {}};
        std::strncpy(address.sun_path, qPrintable(path), sizeof address.sun_path - 1);
        QVERIFY(socket ? ::bind(fd, (sockaddr*)&address, sizeof address) == 0
                       : QFile(path).open(QIODevice::WriteOnly));
        ::close(fd);
        HandOverServer server;
        QCOMPARE(server.listen(path), socket);
        QCOMPARE(QFileInfo(path).isFile(), !socket);
        QVERIFY(!socket || HandOver(runtime.path(), {"/a"}));
    }

    // With no file descriptor left for a moment, the connections waiting
    // and the ones after are still taken.
    void takingGoesOnAfterRunningOutOfDescriptors() {
        QTemporaryDir runtime;
        HandOverServer server;
        QVERIFY(server.listen(HandOverSocketPath(runtime.path())));
        QLocalSocket waiting;
        waiting.connectToServer(HandOverSocketPath(runtime.path()));
        QVERIFY(waiting.waitForConnected(1000));
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        const rlimit none{3, limit.rlim_max};
        ::setrlimit(RLIMIT_NOFILE, &none);
        QTest::qWait(300);
        ::setrlimit(RLIMIT_NOFILE, &limit);
        QVERIFY(HandOver(runtime.path(), {"/a"}));
    }
};

QTEST_GUILESS_MAIN(TestDesktopFiles)
#include "tst_desktop_files.moc"
