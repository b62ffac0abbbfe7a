#include "platform/instance_guard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A lock file's content as a holder with this process id and program name
// writes it.
QByteArray lockNaming(qint64 pid, const QByteArray& program) {
    return QByteArray::number(pid) + '\n' + program + '\n' +
           QSysInfo::machineHostName().toLocal8Bit() + '\n';
}

qint64 deadProcessId() {
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

enum class Found { Primary, Fallback, Refused, Nowhere };

} // namespace

Q_DECLARE_METATYPE(Found)

class TestInstanceGuard : public QObject {
    Q_OBJECT
  private slots:
    void secondInstanceIsRefusedUntilTheFirstGoes() {
        QTemporaryDir dir;
        auto first = std::make_unique<InstanceGuard>(dir.path(), QString());
        QVERIFY(first->acquire());
        InstanceGuard second(dir.path(), QString());
        QVERIFY(!second.acquire());
        first.reset();
        QVERIFY(second.acquire());
    }

    // Only a live copy of the player keeps a start out; anything else at
    // the lock's name is cleared away or, where that cannot be done, the
    // lock goes to the second folder.
    void whatStandsAtTheLock_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<Found>("found");
        QTest::newRow("nothing") << "nothing" << Found::Primary;
        QTest::newRow("empty file") << "empty" << Found::Primary;
        QTest::newRow("garbage") << "garbage" << Found::Primary;
        QTest::newRow("dead process") << "dead" << Found::Primary;
        QTest::newRow("process of another program") << "other program" << Found::Primary;
        QTest::newRow("unreadable") << "unreadable" << Found::Primary;
        QTest::newRow("dangling link") << "dangling" << Found::Primary;
        QTest::newRow("empty folder") << "empty folder" << Found::Primary;
        QTest::newRow("folder with files") << "full folder" << Found::Fallback;
        QTest::newRow("runtime folder is a file") << "runtime file" << Found::Fallback;
        QTest::newRow("live copy") << "live copy" << Found::Refused;
        QTest::newRow("runtime folder open to all") << "0777" << Found::Fallback;
        QTest::newRow("runtime folder is a link") << "link" << Found::Fallback;
        QTest::newRow("runtime folder of another user") << "nobody's" << Found::Fallback;
        QTest::newRow("no folder of the user's") << "0777 both" << Found::Nowhere;
    }
    void whatStandsAtTheLock() {
        QFETCH(QString, state);
        QFETCH(Found, found);
        QTemporaryDir dir;
        const QString runtime = dir.filePath("run");
        const QString fallback = dir.filePath("cache");
        const QString lock = runtime + "/sonvela.lock";
        QVERIFY(QDir().mkpath(runtime));
        // A process that runs for the whole test: `sleep`.
        QProcess sleeper;
        sleeper.start("sleep", {"30"});
        QVERIFY(sleeper.waitForStarted());

        if (state == "empty")
            writeFile(lock, {});
        else if (state == "garbage")
            writeFile(lock, "\x01\xff not a lock\n\n\n");
        else if (state == "dead")
            writeFile(lock, lockNaming(deadProcessId(), "sonvela"));
        else if (state == "other program")
            writeFile(lock, lockNaming(sleeper.processId(), "sonvela"));
        else if (state == "unreadable") {
            writeFile(lock, "x");
            QFile::setPermissions(lock, {});
        } else if (state == "dangling")
            QVERIFY(QFile::link(dir.filePath("nowhere"), lock));
        else if (state == "empty folder")
            QVERIFY(QDir().mkdir(lock));
        else if (state == "full folder") {
            QVERIFY(QDir().mkdir(lock));
            writeFile(lock + "/keep", "x");
        } else if (state == "runtime file") {
            QVERIFY(QDir(runtime).removeRecursively());
            writeFile(runtime, "x");
        } else if (state == "live copy")
            writeFile(lock, lockNaming(sleeper.processId(), "sleep"));
        else if (state == "link") {
            QVERIFY(QDir().rename(runtime, dir.filePath("private")));
            QVERIFY(QFile::link(dir.filePath("private"), runtime));
        } else if (state == "nobody's" && (geteuid() != 0 || chown(qPrintable(runtime), 65534, 0)))
            QSKIP("needs root, to give a folder to another user");
        QDir().mkdir(state == "0777 both" ? fallback : runtime);
        for (const QString& folder : {runtime, fallback})
            QFile::setPermissions(folder,
                                  QFile::Permissions(state.startsWith("0777") ? 0x7777 : 0x7755));

        InstanceGuard guard(runtime, fallback);
        QCOMPARE(guard.acquire(), found != Found::Refused);
        const QString expected = found == Found::Primary    ? lock
                                 : found == Found::Fallback ? fallback + "/sonvela.lock"
                                                            : QString();
        QCOMPARE(guard.lockPath(), expected);
        QCOMPARE(guard.folder(), found == Found::Refused ? runtime : expected.section('/', 0, -2));
        sleeper.kill();
        sleeper.waitForFinished();
        if (found == Found::Refused || found == Found::Nowhere)
            return;
        QCOMPARE(QFileInfo(guard.folder()).permissions() & 0x0077, QFile::Permissions());
        // The lock taken is a real one: the next start is refused.
        InstanceGuard next(runtime, fallback);
        QVERIFY(!next.acquire());
    }
};

QTEST_GUILESS_MAIN(TestInstanceGuard)
#include "tst_instance_guard.moc"
