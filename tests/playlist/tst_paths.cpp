#include "platform/data_folders.h"
#include "platform/gb18030.h"
#include "platform/local_names.h"
#include "playlist/paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestPaths : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    QString at(const QString& name) const { return dir_.filePath(name); }
    // A name as a Chinese system of old wrote it: GBK bytes, not UTF-8.
    static QString Gbk(const QString& name) { return LocalNameToString(Gb18030::encode(name)); }

    void touch(const QString& name) {
        QFile file(at(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

  private slots:
    void initTestCase() {
        touch(QStringLiteral("song.mp3"));
        touch(QStringLiteral(".hidden.mp3"));
        touch(QStringLiteral("a[1].wma"));
        QDir(dir_.path()).mkdir(QStringLiteral("folder.mp3"));
        QFile::link(at(QStringLiteral("song.mp3")), at(QStringLiteral("link.mp3")));
        QFile::link(at(QStringLiteral("gone.mp3")), at(QStringLiteral("broken.mp3")));
        ::mkfifo(QFile::encodeName(at(QStringLiteral("pipe.mp3"))).constData(), 0600);
        QDir(dir_.path()).mkdir(QStringLiteral("onlyhidden"));
        touch(QStringLiteral("onlyhidden/.x.mp3"));
        ::close(::creat(StringToLocalName(at(Gbk("中文.mp3"))).constData(), 0600));
    }
    // Qt could not remove it.
    void cleanupTestCase() { ::unlink(StringToLocalName(at(Gbk("中文.mp3"))).constData()); }

    void makeTitle_data() {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("title");
        QTest::newRow("full path") << "/home/u/music/song.mp3"
                                   << "song.mp3";
        QTest::newRow("spaces around the name") << "/m/  song .mp3  "
                                                << "song .mp3";
        QTest::newRow("tabs stay") << "/m/\tsong\t"
                                   << "\tsong\t";
        QTest::newRow("no separator") << "  just a name "
                                      << "just a name";
        QTest::newRow("ends in separator") << "/m/folder/"
                                           << "";
        QTest::newRow("root") << "/"
                              << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("underscores and track number") << "/m/01_my_song-x.mp3"
                                                      << "01_my_song-x.mp3";
        QTest::newRow("backslash is a character") << "C:\\music\\a.mp3"
                                                  << "C:\\music\\a.mp3";
        QTest::newRow("Chinese") << "/音乐/周杰伦 七里香.mp3"
                                 << "周杰伦 七里香.mp3";
        QTest::newRow("GBK bytes read as GB18030") << "/m/" + Gbk("中文 ") << "中文";
        QTest::newRow("bytes GB18030 cannot read stay")
            << "/m/" + Gbk("中") + LocalNameToString("\xFF")
            << Gbk("中") + LocalNameToString("\xFF");
    }
    void makeTitle() {
        QFETCH(QString, in);
        QFETCH(QString, title);
        QCOMPARE(MakeTitle(in), title);
    }

    void fileExists_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("exists");
        QTest::newRow("ordinary file") << "song.mp3" << true;
        QTest::newRow("link to a file") << "link.mp3" << true;
        QTest::newRow("missing") << "nothing.mp3" << false;
        QTest::newRow("folder") << "folder.mp3" << false;
        QTest::newRow("hidden file") << ".hidden.mp3" << false;
        QTest::newRow("broken link") << "broken.mp3" << false;
        QTest::newRow("pipe") << "pipe.mp3" << false;
        QTest::newRow("star matches") << "s*.mp3" << true;
        QTest::newRow("question mark matches") << "son?.mp3" << true;
        QTest::newRow("pattern without match") << "*.wav" << false;
        QTest::newRow("pattern only matching a hidden file") << ".hid*" << false;
        QTest::newRow("pattern only matching a folder") << "folder.*" << false;
        QTest::newRow("brackets are plain characters") << "a[1].*" << true;
        QTest::newRow("brackets are not a set") << "[a]*" << false;
        QTest::newRow("pattern in a hidden-only folder") << "onlyhidden/*" << false;
        QTest::newRow("pattern in a missing folder") << "none/*" << false;
        QTest::newRow("GBK name") << Gbk("中文.mp3") << true;
        QTest::newRow("GBK name by a pattern") << Gbk("中*.mp3") << true;
        QTest::newRow("GBK name as Qt decodes it")
            << QFile::decodeName(Gb18030::encode("中文.mp3")) << false;
    }
    void fileExists() {
        QFETCH(QString, name);
        QFETCH(bool, exists);
        QCOMPARE(FileExists(at(name)), exists);
    }

    // Qt's file dialogs answer with U+FFFD where a name is not UTF-8.
    void aNameQtDecodedGetsItsBytesBack() {
        const QString path = at(Gbk("中文.mp3"));
        QCOMPARE(RecoverLocalPath(QFile::decodeName(StringToLocalName(path))), path);
    }

    void fileExistsOfNothing() {
        QVERIFY(!FileExists(QString()));
        QVERIFY(!FileExists(QStringLiteral("/")));
        QVERIFY(!FileExists(dir_.path() + u'/'));
        QVERIFY(!FileExists(QStringLiteral("/dev/null")));
    }

    void nameHelpers_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("stripped");
        QTest::newRow("one dot") << "a.mp3"
                                 << "mp3"
                                 << "a";
        QTest::newRow("several dots") << "a.b.c.mp3"
                                      << "mp3"
                                      << "a.b.c";
        QTest::newRow("no dot") << "avi"
                                << "avi"
                                << "avi";
        QTest::newRow("ends in a dot") << "a."
                                       << ""
                                       << "a";
        QTest::newRow("only a leading dot") << ".mp3"
                                            << "mp3"
                                            << "";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
    }
    void nameHelpers() {
        QFETCH(QString, name);
        QFETCH(QString, extension);
        QFETCH(QString, stripped);
        QCOMPARE(FileExtension(name), extension);
        QCOMPARE(StripExtension(name), stripped);
    }

    void separators() {
        QCOMPARE(EnsureTrailingSeparator(QStringLiteral("/")), QStringLiteral("/"));
        QCOMPARE(EnsureTrailingSeparator(QStringLiteral("/m/x")), QStringLiteral("/m/x/"));
        QCOMPARE(EnsureTrailingSeparator(QStringLiteral("/m/x/")), QStringLiteral("/m/x/"));
        QCOMPARE(EnsureTrailingSeparator(QString()), QString());
        QCOMPARE(ProgramFile(QStringLiteral("/opt/p"), QStringLiteral("load.lwo")),
                 QStringLiteral("/opt/p/load.lwo"));
        QCOMPARE(ProgramFile(QStringLiteral("/opt/p/"), QStringLiteral("load.lwo")),
                 QStringLiteral("/opt/p/load.lwo"));
    }
};

QTEST_GUILESS_MAIN(TestPaths)
#include "tst_paths.moc"
