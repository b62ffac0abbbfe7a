#include "playlist/list_file.h"

#include "platform/listed_path.h"
#include "platform/local_names.h"
#include "playlist/paths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <QThread>

#include <csignal>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// 周杰伦 and 七里香 as a Chinese system writes them (GBK).
const QByteArray GbkJay = QByteArray::fromHex("d6dcbddcc2d7");
const QByteArray GbkQilixiang = QByteArray::fromHex("c6dfc0efcfe3");

void WriteBytes(const QString& file, const QByteArray& bytes) {
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    QCOMPARE(out.write(bytes), bytes.size());
}

QByteArray ReadBytes(const QString& file) {
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<unreadable>");
}

QStringList Loaded(const QString& file) {
    ListControl list;
    List_Load(list, file);
    return list.entries();
}

// The lines of raw bytes as the file format defines them, counted the
// plain way: a reference for the loader on arbitrary input.
int ReferenceLineCount(const QByteArray& bytes) {
    int lines = 0;
    qsizetype i = 0;
    do {
        while (i < bytes.size() && bytes[i] != '\r')
            ++i;
        if (i < bytes.size())
            ++i;
        if (i < bytes.size() && bytes[i - 1] == '\r' && bytes[i] == '\n')
            ++i;
        ++lines;
    } while (i < bytes.size());
    return lines;
}

bool FolderIsWritable(const QString& folder) {
    QFile probe(folder + QStringLiteral("/probe"));
    const bool writable = probe.open(QIODevice::WriteOnly);
    probe.remove();
    return writable;
}

// Enough entries that the save takes a while; few enough that a run of
// many kills stays short.
constexpr int SaverEntries = 5000;

// Runs the saver helper; returns once it has announced the save.
bool StartSaver(QProcess& saver, const QString& folder, const QString& generation,
                const QStringList& extra = {}) {
    saver.start(QStringLiteral(LIST_SAVER),
                QStringList{folder, generation, QString::number(SaverEntries)} + extra);
    return saver.waitForReadyRead(10000);
}

// The generation both list files hold, or "" when they are out of step.
QString PairGeneration(const QString& folder) {
    const QStringList titles = Loaded(folder + QStringLiteral("/load.lwo"));
    const QStringList paths = Loaded(folder + QStringLiteral("/load1.lwo"));
    const QString generation = titles.first().section(u'-', 0, 0);
    if (titles.size() != paths.size())
        return {};
    for (qsizetype i = 0; i < titles.size(); ++i)
        if (titles[i] != QStringLiteral("%1-%2").arg(generation).arg(i) ||
            paths[i] != QStringLiteral("/%1/%2").arg(generation).arg(i))
            return {};
    return generation;
}

QStringList EntriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

bool Recording = false;
QStringList Recorded; // the syncs and renames while recording, by path

} // namespace

extern "C" int fsync(int fd) {
    if (Recording)
        Recorded << "sync " + QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd));
    return reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"))(fd);
}
extern "C" int rename(const char* from, const char* to) noexcept {
    if (Recording)
        Recorded << QStringLiteral("rename %1 %2").arg(from, to);
    return reinterpret_cast<int (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "rename"))(from,
                                                                                           to);
}

class TestListFile : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    QString file(const QString& name) const { return dir_.filePath(name); }

  private slots:
    void loadSplitsLinesAndDecodes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty file") << QByteArray() << QStringList{""};
        QTest::newRow("two lines ended by CR LF")
            << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("last line unterminated") << QByteArray("a\r\nb") << QStringList{"a", "b"};
        QTest::newRow("extra CR LF") << QByteArray("a\r\n\r\n") << QStringList{"a", ""};
        QTest::newRow("LF alone is text") << QByteArray("a\nb\n") << QStringList{"a\nb\n"};
        QTest::newRow("CR alone ends a line") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("CR CR") << QByteArray("a\r\r") << QStringList{"a", ""};
        QTest::newRow("LF CR LF") << QByteArray("a\n\r\nb") << QStringList{"a\n", "b"};
        QTest::newRow("only CR LF") << QByteArray("\r\n") << QStringList{""};
        QTest::newRow("GBK titles") << GbkJay + "\r\n" + GbkQilixiang + " - 01\r\n"
                                    << QStringList{"周杰伦", "七里香 - 01"};
        QTest::newRow("GB18030 four-byte") << QByteArray::fromHex("9439fc36") + "\r\n"
                                           << QStringList{"😀"};
        QTest::newRow("invalid lead byte")
            << QByteArray("\x81\r\nok\r\n") << QStringList{QString(QChar(0xDC81)), "ok"};
        QTest::newRow("truncated character")
            << QByteArray("a\xD6") << QStringList{"a" + QString(QChar(0xDCD6))};
    }
    void loadSplitsLinesAndDecodes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        WriteBytes(file("table.lwo"), bytes);
        QCOMPARE(Loaded(file("table.lwo")), expected);
    }

    void loadOfAnythingButAFileGivesOneBlankEntry_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << QStringLiteral("missing.lwo");
        QTest::newRow("folder") << QStringLiteral("folder.lwo");
        QTest::newRow("pipe without writer") << QStringLiteral("pipe.lwo");
        QTest::newRow("empty name") << QString();
    }
    void loadOfAnythingButAFileGivesOneBlankEntry() {
        QFETCH(QString, name);
        QDir(dir_.path()).mkdir(QStringLiteral("folder.lwo"));
        ::mkfifo(QFile::encodeName(file(QStringLiteral("pipe.lwo"))).constData(), 0600);
        QCOMPARE(Loaded(name.isEmpty() ? name : file(name)), QStringList{""});
    }

    void loadOfAnUnreadableFileGivesOneBlankEntry() {
        WriteBytes(file("locked.lwo"), "secret\r\n");
        QFile::setPermissions(file("locked.lwo"), QFileDevice::Permissions());
        QFile probe(file("locked.lwo"));
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("running as root: permissions do not block reading");
        QCOMPARE(Loaded(file("locked.lwo")), QStringList{""});
    }

    void loadAppendsToWhatIsThere() {
        WriteBytes(file("more.lwo"), "b\r\n");
        ListControl list;
        list.addItem(QStringLiteral("a"));
        List_Load(list, file("more.lwo"));
        QCOMPARE(list.entries(), (QStringList{"a", "b"}));
    }

    void loadStopsWhenTheListIsFull() {
        WriteBytes(file("long.lwo"), QByteArray(40000, '\r'));
        ListControl list;
        List_Load(list, file("long.lwo"));
        QCOMPARE(list.count(), ListControl::MaxEntries);

        ListControl nearlyFull;
        nearlyFull.addItems(QStringList(ListControl::MaxEntries - 2, QStringLiteral("x")));
        WriteBytes(file("three.lwo"), "a\r\nb\r\nc\r\n");
        List_Load(nearlyFull, file("three.lwo"));
        QCOMPARE(nearlyFull.count(), ListControl::MaxEntries);
        QCOMPARE(nearlyFull.text(ListControl::MaxEntries - 1), QStringLiteral("b"));
        List_Load(nearlyFull, file("three.lwo"));
        QCOMPARE(nearlyFull.count(), ListControl::MaxEntries);
    }

    void loadSurvivesHugeAndRandomInput() {
        WriteBytes(file("oneline.lwo"), QByteArray(10 * 1024 * 1024, 'x') + "\r\nend");
        const QStringList big = Loaded(file("oneline.lwo"));
        QCOMPARE(big.size(), 2);
        QCOMPARE(big.first().size(), 10 * 1024 * 1024);
        QCOMPARE(big.last(), QStringLiteral("end"));

        QRandomGenerator random(20061207);
        for (int round = 0; round < 20; ++round) {
            QByteArray noise(1 + random.bounded(100000), Qt::Uninitialized);
            for (char& c : noise)
                c = static_cast<char>(random.bounded(256));
            WriteBytes(file("noise.lwo"), noise);
            QCOMPARE(Loaded(file("noise.lwo")).size(),
                     std::min(ReferenceLineCount(noise), ListControl::MaxEntries));
        }
    }

    void saveWritesEveryEntryWithCrLf_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty list") << QStringList{} << QByteArray();
        QTest::newRow("one blank entry") << QStringList{""} << QByteArray("\r\n");
        QTest::newRow("two entries")
            << QStringList{"a", "/m/b.mp3"} << QByteArray("a\r\n/m/b.mp3\r\n");
        QTest::newRow("GBK characters as GBK")
            << QStringList{"周杰伦", "七里香"} << GbkJay + "\r\n" + GbkQilixiang + "\r\n";
        QTest::newRow("beyond GBK") << QStringList{"😀"} << QByteArray::fromHex("9439fc360d0a");
    }
    void saveWritesEveryEntryWithCrLf() {
        QFETCH(QStringList, entries);
        QFETCH(QByteArray, bytes);
        WriteBytes(file("save.lwo"), "previous content that is longer\r\n");
        ListControl list;
        list.addItems(entries);
        List_Save(list, file("save.lwo"));
        QCOMPARE(ReadBytes(file("save.lwo")), bytes);
    }

    void anEmptyPlaylistComesBackAsOneBlankEntry() {
        ListControl empty;
        List_Save(empty, file("cycle.lwo"));
        ListControl first;
        List_Load(first, file("cycle.lwo"));
        QCOMPARE(first.entries(), QStringList{""});
        List_Save(first, file("cycle.lwo"));
        QCOMPARE(ReadBytes(file("cycle.lwo")), QByteArray("\r\n"));
        QCOMPARE(Loaded(file("cycle.lwo")), QStringList{""});
    }

    void saveListsWritesTitlesThenPaths() {
        PlaylistPair pair;
        pair.append(QStringLiteral("七里香"), QStringLiteral("/音乐/七里香.mp3"));
        QTemporaryDir program;
        Recording = true;
        SaveLists(pair, program.path());
        Recording = false;
        QCOMPARE(Loaded(program.filePath("load.lwo")), QStringList{"七里香"});
        QCOMPARE(Loaded(program.filePath("load1.lwo")), QStringList{"/音乐/七里香.mp3"});
        // Each step is on the disk before the next one counts on it.
        for (const QString& folder :
             {QFileInfo(program.path()).canonicalFilePath(), program.path()})
            Recorded.replaceInStrings(folder + "/", "").replaceInStrings(folder, "folder");
        QCOMPARE(Recorded, (QStringList{"sync load.lwo.saving", "sync load1.lwo.saving",
                                        "sync load.lwo.committed", "sync folder",
                                        "rename load.lwo.saving load.lwo",
                                        "rename load1.lwo.saving load1.lwo", "sync folder"}));
    }

    void aSaveThatCannotOpenChangesNothing() {
        ListControl list;
        list.addItem(QStringLiteral("new"));
        // Below a regular file nothing can be created, not even by root.
        WriteBytes(file("plain"), "x");
        List_Save(list, file("plain") + QStringLiteral("/load.lwo"));
        QCOMPARE(ReadBytes(file("plain")), QByteArray("x"));
        // A folder where the file is expected stays a folder.
        QDir(dir_.path()).mkdir(QStringLiteral("taken.lwo"));
        List_Save(list, file("taken.lwo"));
        QVERIFY(QFileInfo(file("taken.lwo")).isDir());
    }

    void aReadOnlyFolderKeepsTheOldFile() {
        QTemporaryDir program;
        WriteBytes(program.filePath("load.lwo"), "old\r\n");
        QFile::setPermissions(program.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const bool writable = FolderIsWritable(program.path());
        PlaylistPair pair;
        pair.append(QStringLiteral("new"), QStringLiteral("/new"));
        if (!writable)
            SaveLists(pair, program.path());
        QFile::setPermissions(program.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner);
        if (writable)
            QSKIP("running as root: a read-only folder is still writable");
        QCOMPARE(ReadBytes(program.filePath("load.lwo")), QByteArray("old\r\n"));
        QVERIFY(!QFile::exists(program.filePath("load1.lwo")));
    }

    void aSaveThatFailsPartWayKeepsTheOldFile() {
        QTemporaryDir program;
        WriteBytes(program.filePath("load.lwo"), "old\r\n");
        ListControl list;
        list.addItems(QStringList(5000, QStringLiteral("一首很长的歌的名字")));
        // Writes past 4 KB fail (EFBIG) for this process, in the middle of
        // the save.
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit oldLimit{};
        ::getrlimit(RLIMIT_FSIZE, &oldLimit);
        rlimit small = oldLimit;
        small.rlim_cur = 4096;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        List_Save(list, program.filePath("load.lwo"));
        ::setrlimit(RLIMIT_FSIZE, &oldLimit);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(ReadBytes(program.filePath("load.lwo")), QByteArray("old\r\n"));
        QCOMPARE(QDir(program.path()).entryList(QDir::Files), QStringList{"load.lwo"});
    }

    // The close button's save killed at random instants: after the next
    // start's recovery both files are old or both new, never a mix, and
    // nothing else is left in the folder.
    void aKilledSaveLeavesThePairInStep() {
        QTemporaryDir program;
        QProcess saver;
        QVERIFY(StartSaver(saver, program.path(), QStringLiteral("g0")));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(saver.waitForFinished(10000));
        const qint64 saveUs = std::max<qint64>(clock.nsecsElapsed() / 1000, 1000);
        QString expected = QStringLiteral("g0");
        QRandomGenerator random(6);
        int newer = 0, kills = 0;
        for (clock.start(); clock.elapsed() < 5000 && kills < 40; ++kills) {
            const QString generation = QStringLiteral("g%1").arg(kills + 1);
            QVERIFY(StartSaver(saver, program.path(), generation));
            QThread::usleep(random.bounded(saveUs * 5 / 4));
            ::kill(pid_t(saver.processId()), SIGKILL);
            QVERIFY(saver.waitForFinished(10000));
            FinishInterruptedSave(program.path());
            const QString found = PairGeneration(program.path());
            QVERIFY2(found == expected || found == generation, qPrintable(found));
            newer += found == generation;
            expected = found;
            QCOMPARE(EntriesOf(program.path()), (QStringList{"load.lwo", "load1.lwo"}));
        }
        qInfo("%d kills, %d after the commit", kills, newer);
    }

    // What a start finds after a save that was cut short, and what it
    // makes of it.
    void aStartFinishesOrDropsAnInterruptedSave_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QByteArray>("titles");
        QTest::addColumn<QByteArray>("paths");
        QTest::newRow("no marker: the temporaries never committed")
            << QStringList{"load.lwo.saving", "load1.lwo.saving"} << QByteArray("old")
            << QByteArray("old");
        QTest::newRow("marker and both temporaries")
            << QStringList{"load.lwo.committed", "load.lwo.saving", "load1.lwo.saving"}
            << QByteArray("new") << QByteArray("new");
        QTest::newRow("marker, titles already renamed")
            << QStringList{"load.lwo.committed", "load1.lwo.saving"} << QByteArray("old")
            << QByteArray("new");
        QTest::newRow("the user's own files stay")
            << QStringList{"load.lwo.backup", "load1.lwo.saving.backup"} << QByteArray("old")
            << QByteArray("old");
    }

    void aStartFinishesOrDropsAnInterruptedSave() {
        QFETCH(QStringList, present);
        QFETCH(QByteArray, titles);
        QFETCH(QByteArray, paths);
        QTemporaryDir program;
        WriteBytes(program.filePath("load.lwo"), "old");
        WriteBytes(program.filePath("load1.lwo"), "old");
        for (const QString& name : present)
            WriteBytes(program.filePath(name), "new");
        FinishInterruptedSave(program.path());
        QCOMPARE(ReadBytes(program.filePath("load.lwo")), titles);
        QCOMPARE(ReadBytes(program.filePath("load1.lwo")), paths);
        QCOMPARE(EntriesOf(program.path()).filter("lwo."), present.filter(".backup"));
    }

    // Under "ulimit -f" the save fails; the process lives on and the old
    // files stay whole.
    void aFileSizeLimitFailsTheSaveWithoutEndingTheProgram() {
        QTemporaryDir program;
        WriteBytes(program.filePath("load.lwo"), "old\r\n");
        WriteBytes(program.filePath("load1.lwo"), "old\r\n");
        QProcess saver;
        QVERIFY(StartSaver(saver, program.path(), QStringLiteral("g1"), {"4096"}));
        QVERIFY(saver.waitForFinished(10000));
        QCOMPARE(saver.exitStatus(), QProcess::NormalExit);
        QCOMPARE(saver.exitCode(), 0);
        QCOMPARE(ReadBytes(program.filePath("load.lwo")), QByteArray("old\r\n"));
        QCOMPARE(ReadBytes(program.filePath("load1.lwo")), QByteArray("old\r\n"));
        QCOMPARE(EntriesOf(program.path()), (QStringList{"load.lwo", "load1.lwo"}));
    }

    // Bytes no decoder accepts, code page 936's euro, private-use codes and
    // four-byte codes all come back from a load and a save as they were.
    void aLoadAndASaveKeepEveryByte() {
        const QByteArray bytes =
            QByteArray::fromHex("80 ff 81 0d0a fe51 a6d9 95329031 8431 8236 0d0a") + GbkJay +
            QByteArray::fromHex("a2e3 fe 0d0a");
        WriteBytes(file("odd.lwo"), bytes);
        ListControl list;
        List_Load(list, file("odd.lwo"));
        QCOMPARE(list.entries().first().left(1), QStringLiteral("€"));
        List_Save(list, file("odd.lwo"));
        QCOMPARE(ReadBytes(file("odd.lwo")), bytes);
    }

    // A name that is not UTF-8 goes into the list as its bytes, so any
    // GB18030 reader takes the file; the text read back finds the file it
    // came from, a name that exists as UTF-8 first. Paths are relative to
    // a scratch folder, '|' separates the names made there.
    void namesThatAreNotUtf8AreSavedAsBytesAndFoundAgain_data() {
        QTest::addColumn<QByteArray>("onDisk");
        QTest::addColumn<QByteArray>("listed");
        QTest::addColumn<QByteArray>("found");
        QTest::addColumn<bool>("gb18030Text");
        const QByteArray gbk = "\xD6\xD0\xCE\xC4.mp3", utf8 = "中文.mp3";
        QTest::newRow("GBK name") << gbk << gbk << gbk << true;
        QTest::newRow("the UTF-8 name of the same text wins")
            << gbk + '|' + utf8 << gbk << utf8 << true;
        const QByteArray folder = "\xD2\xF4/a.mp3";
        QTest::newRow("GBK folder") << folder << folder << folder << true;
        QTest::newRow("UTF-8 folder, GBK name")
            << "音/" + gbk << "音/" + gbk << "音/" + gbk << true;
        QTest::newRow("GBK bytes beside UTF-8 in one name")
            << "中" + gbk << "中" + gbk << "中" + gbk << true;
        QTest::newRow("a byte no encoding here reads")
            << QByteArray("caf\xE9.mp3") << QByteArray("caf\xE9.mp3") << QByteArray("caf\xE9.mp3")
            << false;
    }
    void namesThatAreNotUtf8AreSavedAsBytesAndFoundAgain() {
        QFETCH(QByteArray, onDisk);
        QFETCH(QByteArray, listed);
        QFETCH(QByteArray, found);
        QFETCH(bool, gb18030Text);
        QTemporaryDir scratch;
        const QByteArray root = QFile::encodeName(scratch.path()) + '/';
        for (const QByteArray& name : onDisk.split('|')) {
            if (name.contains('/'))
                QVERIFY(::mkdir((root + name.left(name.indexOf('/'))).constData(), 0700) == 0);
            QVERIFY(::close(::creat((root + name).constData(), 0600)) == 0);
        }
        PlaylistPair pair;
        pair.append(QStringLiteral("t"), LocalNameToString(root + listed));
        SaveLists(pair, scratch.path());
        QProcess iconv;
        iconv.start("iconv", {"-f", "GB18030", "-t", "UTF-8", scratch.filePath(PathsListName)});
        QVERIFY(iconv.waitForFinished(60000));
        QCOMPARE(iconv.exitCode() == 0, gb18030Text);
        const QString path = Loaded(scratch.filePath(PathsListName)).value(0);
        QVERIFY(FileExists(path));
        QCOMPARE(StringToLocalName(ResolveListedPath(path)), root + found);
    }

    // Lists saved before names were written as bytes held them as codes no
    // character uses; they still load as the same bytes.
    void oldListsStillLoadTheSameBytes() {
        WriteBytes(file("old.lwo"),
                   "/m/" + QByteArray::fromHex("8431AD36 8431AD30 8431AC38 C4") + ".mp3\r\n");
        QCOMPARE(StringToLocalName(Loaded(file("old.lwo")).value(0)),
                 QByteArray("/m/\xD6\xD0\xCE\xC4.mp3"));
    }
};

QTEST_GUILESS_MAIN(TestListFile)
#include "tst_list_file.moc"
