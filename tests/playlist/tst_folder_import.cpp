#include "platform/gb18030.h"
#include "platform/local_names.h"
#include "playlist/folder_import.h"
#include "playlist/list_file.h"
#include "playlist/paths.h"
#include "playlist/playlist_pair.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Creates empty files (and the folders they need) under root.
void MakeFiles(const QString& root, const QStringList& relativePaths) {
    for (const QString& relative : relativePaths) {
        const QString path = root + u'/' + relative;
        QDir().mkpath(QFileInfo(path).path());
        const int file = ::creat(StringToLocalName(path).constData(), 0600);
        QVERIFY2(file >= 0 && ::close(file) == 0, qPrintable(path));
    }
}

// Entry i of the titles is the title of entry i of the paths.
bool StillPaired(const PlaylistPair& pair) {
    if (pair.lstsong.count() != pair.temlst.count())
        return false;
    for (int i = 0; i < pair.lstsong.count(); ++i) {
        const QString name = QFileInfo(pair.temlst.text(i)).fileName();
        if (pair.lstsong.text(i) != MakeTitle(StripExtension(name)))
            return false;
    }
    return true;
}

void Scan(const QString& folder, PlaylistPair& pair, int sliceMs = ScanYieldSliceMs) {
    ScanFolder(folder, pair.lstsong, pair.temlst, MediaExtensions, sliceMs);
}

QStringList Numbered(int n) {
    QStringList names;
    for (int i = 0; i < n; ++i)
        names << QStringLiteral("d%1/s%2.mp3").arg(i % 10).arg(i);
    return names;
}

// Runs `onTick` at every turn of the event loop until stopped.
class EveryTurn : public QObject {
  public:
    explicit EveryTurn(std::function<void(int)> onTick) : onTick_(std::move(onTick)) {
        timer_.setInterval(0);
        connect(&timer_, &QTimer::timeout, this, [this] { onTick_(++ticks_); });
        timer_.start();
    }
    int ticks() const { return ticks_; }
    void stop() { timer_.stop(); }

  private:
    std::function<void(int)> onTick_;
    QTimer timer_;
    int ticks_ = 0;
};

// What a user does in the open folder picker: go to `folder`, confirm.
} // namespace

class TestFolderImport : public QObject {
    Q_OBJECT
  private slots:
    void matchesTheExtensionText_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("upper case MP3") << "a.MP3" << QStringList{"a"};
        QTest::newRow("wma") << "b.wma" << QStringList{"b"};
        QTest::newRow("wav is not in the text") << "c.wav" << QStringList{};
        QTest::newRow("mp is a piece of it") << "d.mp" << QStringList{"d"};
        QTest::newRow("peg is a piece of it") << "e.peg" << QStringList{"e"};
        QTest::newRow("mid") << "f.mid" << QStringList{};
        QTest::newRow("several dots") << "g.live.mpeg" << QStringList{"g.live"};
        QTest::newRow("no dot, whole name inside") << "avi" << QStringList{"avi"};
        QTest::newRow("no dot, whole name outside") << "readme" << QStringList{};
        QTest::newRow("empty extension is inside any text") << "h." << QStringList{"h"};
        QTest::newRow("spaces around the name") << "  song  .mp3" << QStringList{"song"};
        QTest::newRow("Chinese name") << "七里香.Mp3" << QStringList{"七里香"};
        QTest::newRow("GBK name") << LocalNameToString(Gb18030::encode("七里香.mp3"))
                                  << QStringList{"七里香"};
    }
    void matchesTheExtensionText() {
        QFETCH(QString, name);
        QFETCH(QStringList, titles);
        QTemporaryDir dir;
        MakeFiles(dir.path(), {name});
        PlaylistPair pair;
        Scan(dir.path(), pair);
        QCOMPARE(pair.lstsong.entries(), titles);
        const QStringList paths =
            titles.isEmpty() ? QStringList{} : QStringList{dir.path() + u'/' + name};
        QCOMPARE(pair.temlst.entries(), paths);
        // Qt cannot remove a name that is not UTF-8.
        ::unlink(StringToLocalName(dir.path() + u'/' + name).constData());
    }

    void walksBreadthFirstInNameOrder() {
        QTemporaryDir dir;
        MakeFiles(dir.path(), {"Top/b.mp3", "Top/A.mp3", "Top/One/o.mp3", "Top/One/Deep/d.mp3",
                               "Top/Two/w.mp3", "Top/Two/Three/h.mp3", "Top/Two/Three/Four/f.mp3"});
        PlaylistPair pair;
        Scan(dir.filePath("Top"), pair);
        QCOMPARE(pair.lstsong.entries(), (QStringList{"A", "b", "o", "w", "d", "h", "f"}));
        QCOMPARE(pair.temlst.text(3), dir.filePath("Top/Two/w.mp3"));
        QCOMPARE(pair.temlst.text(5), dir.filePath("Top/Two/Three/h.mp3"));
    }

    void skipsHiddenEntriesAndWhatIsNoFile() {
        QTemporaryDir dir;
        MakeFiles(dir.path(), {"a.mp3", ".b.mp3", ".hidden/c.mp3", "sub/.d.mp3", "sub/e.mp3"});
        ::mkfifo(QFile::encodeName(dir.filePath("pipe.mp3")).constData(), 0600);
        QFile::link(dir.filePath("a.mp3"), dir.filePath("linked.mp3"));
        QFile::link(dir.filePath("gone.mp3"), dir.filePath("broken.mp3"));
        PlaylistPair pair;
        Scan(dir.path(), pair);
        QCOMPARE(pair.lstsong.entries(), (QStringList{"a", "linked", "e"}));
    }

    // A CR would split an entry of the list files in two, a LF reaches no
    // other tool intact: such names are left out, and named to the caller.
    // What is imported comes back paired from a save.
    void skipsNamesTheListFilesCannotHold() {
        QTemporaryDir dir;
        MakeFiles(dir.path(), {"a\r.mp3", "b\rc/d.mp3", "e\nf.mp3", "g.mp3"});
        PlaylistPair pair;
        const QString root = dir.path() + u'/';
        QCOMPARE(ScanFolder(root, pair.lstsong, pair.temlst, MediaExtensions),
                 (QStringList{root + "b\rc/", root + "a\r.mp3", root + "e\nf.mp3"}));
        QCOMPARE(pair.lstsong.entries(), QStringList{"g"});
        QTemporaryDir program;
        SaveLists(pair, program.path());
        PlaylistPair loaded;
        List_Load(loaded.lstsong, program.filePath(TitlesListName));
        List_Load(loaded.temlst, program.filePath(PathsListName));
        QCOMPARE(loaded.lstsong.entries(), pair.lstsong.entries());
        QCOMPARE(loaded.temlst.entries(), pair.temlst.entries());
    }

    void neverEntersLinkedFolders() {
        QTemporaryDir dir;
        MakeFiles(dir.path(), {"Top/a.mp3", "Top/Sub/b.mp3", "Elsewhere/c.mp3"});
        QFile::link(dir.filePath("Top"), dir.filePath("Top/Sub/loop"));
        QFile::link(dir.filePath("Elsewhere"), dir.filePath("Top/away"));
        PlaylistPair pair;
        Scan(dir.filePath("Top"), pair);
        QCOMPARE(pair.lstsong.entries(), (QStringList{"a", "b"}));
    }

    void skipsAFolderThatCannotBeListed() {
        QTemporaryDir dir;
        MakeFiles(dir.path(), {"a.mp3", "locked/b.mp3", "open/c.mp3"});
        QFile::setPermissions(dir.filePath("locked"), QFileDevice::Permissions());
        const bool readable = !QDir(dir.filePath("locked")).entryList(QDir::Files).isEmpty();
        PlaylistPair pair;
        Scan(dir.path(), pair);
        QFile::setPermissions(dir.filePath("locked"), QFileDevice::ReadOwner |
                                                          QFileDevice::WriteOwner |
                                                          QFileDevice::ExeOwner);
        if (readable)
            QSKIP("running as root: permissions do not block listing");
        QCOMPARE(pair.lstsong.entries(), (QStringList{"a", "c"}));
    }

    void importingTwiceDoublesAndKeepsWhatWasThere() {
        QTemporaryDir dir;
        MakeFiles(dir.path(), {"a.mp3"});
        PlaylistPair pair;
        pair.append(QStringLiteral("old"), QStringLiteral("/old.mp3"));
        pair.select(0);
        Scan(dir.path(), pair);
        Scan(dir.path() + u'/', pair);
        QCOMPARE(pair.lstsong.entries(), (QStringList{"old", "a", "a"}));
        QCOMPARE(pair.temlst.text(1), pair.temlst.text(2));
        QCOMPARE(pair.selectedIndex(), 0);
        Scan(QString(), pair);
        Scan(dir.filePath("missing"), pair);
        QCOMPARE(pair.lstsong.count(), 3);
    }

    void stopsWhenEitherListIsFull() {
        QTemporaryDir dir;
        MakeFiles(dir.path(), {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"});
        PlaylistPair pair;
        pair.lstsong.addItems(QStringList(ListControl::MaxEntries - 1, QStringLiteral("t")));
        pair.temlst.addItems(QStringList(ListControl::MaxEntries - 3, QStringLiteral("p")));
        Scan(dir.path(), pair);
        QCOMPARE(pair.lstsong.count(), ListControl::MaxEntries);
        QCOMPARE(pair.temlst.count(), ListControl::MaxEntries - 2);
        QCOMPARE(pair.lstsong.entries().last(), QStringLiteral("a"));
        QCOMPARE(pair.temlst.entries().last(), dir.filePath("a.mp3"));
    }

    void clearingAndDeletingDuringTheScanKeepsThePair() {
        QTemporaryDir dir;
        MakeFiles(dir.path(), Numbered(300));
        PlaylistPair pair;
        EveryTurn handler([&pair](int tick) {
            if (tick % 50 == 0)
                pair.clear();
            else if (tick % 3 == 0)
                pair.removeAt(0);
            else if (tick % 3 == 1)
                pair.removeAt(pair.lstsong.count() - 1);
        });
        Scan(dir.path(), pair, 0);
        handler.stop();
        QVERIFY(handler.ticks() > 300);
        QVERIFY(StillPaired(pair));
        QVERIFY(pair.lstsong.count() < 300);
    }

    void aSecondImportDuringTheFirstAddsBoth() {
        QTemporaryDir dir;
        MakeFiles(dir.path(), Numbered(40));
        PlaylistPair pair;
        EveryTurn handler([&](int tick) {
            if (tick == 5)
                Scan(dir.path(), pair, 0);
        });
        Scan(dir.path(), pair, 0);
        handler.stop();
        QCOMPARE(pair.lstsong.count(), 80);
        QVERIFY(StillPaired(pair));
    }

    void listsDestroyedDuringTheScanEndIt() {
        QTemporaryDir dir;
        MakeFiles(dir.path(), Numbered(100));
        auto* titles = new ListControl;
        auto* paths = new ListControl;
        EveryTurn handler([&](int tick) {
            if (tick == 20) {
                delete titles;
                delete paths;
            }
        });
        ScanFolder(dir.path(), *titles, *paths, MediaExtensions, 0);
        const int ticksAtEnd = handler.ticks();
        handler.stop();
        QVERIFY(ticksAtEnd < 30);
    }
};

QTEST_MAIN(TestFolderImport)
#include "tst_folder_import.moc"
