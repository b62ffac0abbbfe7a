#include "playlist/playlist_pair.h"

#include <QSignalSpy>
#include <QTest>

class TestPlaylistPair : public QObject {
    Q_OBJECT
  private slots:
    void appendEntryNeedsAName() {
        PlaylistPair pair;
        pair.AddPath = QStringLiteral("/m/a.mp3");
        pair.AddTitle = QStringLiteral("a.mp3");
        pair.AppendEntry();
        QCOMPARE(pair.lstsong.count(), 0);
        QCOMPARE(pair.temlst.count(), 0);
        pair.AddName = QStringLiteral("a.mp3");
        pair.AppendEntry();
        QCOMPARE(pair.lstsong.entries(), QStringList{"a.mp3"});
        QCOMPARE(pair.temlst.entries(), QStringList{"/m/a.mp3"});
    }

    void selectionIsMirroredIntoThePathList() {
        PlaylistPair pair;
        for (int i = 0; i < 3; ++i)
            pair.append(QString::number(i), QStringLiteral("/p/%1").arg(i));
        QVERIFY(pair.select(2));
        QCOMPARE(pair.temlst.listIndex(), 2);
        QCOMPARE(pair.selectedPath(), QStringLiteral("/p/2"));
        QVERIFY(pair.select(-1));
        QCOMPARE(pair.temlst.listIndex(), -1);
        QVERIFY(!pair.select(3));
    }

    void misalignedListsNeverSelectAMissingPath() {
        PlaylistPair pair;
        pair.lstsong.addItems({"a", "b", "c"});
        pair.temlst.addItems({"/a", "/b"});
        QVERIFY(pair.select(2));
        QCOMPARE(pair.temlst.listIndex(), -1);
        QCOMPARE(pair.selectedPath(), QString());
    }

    void removingKeepsThePairInStepAndDropsTheSelection() {
        PlaylistPair pair;
        for (int i = 0; i < 5; ++i)
            pair.append(QString::number(i), QStringLiteral("/p/%1").arg(i));
        pair.select(2);
        pair.removeAt(2);
        QCOMPARE(pair.lstsong.entries(), (QStringList{"0", "1", "3", "4"}));
        QCOMPARE(pair.temlst.entries(), (QStringList{"/p/0", "/p/1", "/p/3", "/p/4"}));
        QCOMPARE(pair.selectedIndex(), -1);
        QCOMPARE(pair.temlst.listIndex(), -1);
    }

    void removingAboveTheSelectionKeepsItsPath() {
        PlaylistPair pair;
        for (int i = 0; i < 5; ++i)
            pair.append(QString::number(i), QStringLiteral("/p/%1").arg(i));
        pair.select(3);
        pair.removeAt(0);
        QCOMPARE(pair.selectedIndex(), 2);
        QCOMPARE(pair.temlst.listIndex(), 2);
        QCOMPARE(pair.selectedPath(), QStringLiteral("/p/3"));
    }

    void appendsStopAtTheCapOnBothLists() {
        PlaylistPair pair;
        QStringList many;
        for (int i = 0; i < ListControl::MaxEntries; ++i)
            many << QString::number(i);
        QCOMPARE(pair.lstsong.addItems(many), ListControl::MaxEntries);
        pair.temlst.addItems(many.mid(1));
        // The title list is full: the pair refuses, and the path list
        // does not gain an entry it has no title for.
        QVERIFY(!pair.append(QStringLiteral("x"), QStringLiteral("/x")));
        QCOMPARE(pair.temlst.count(), ListControl::MaxEntries - 1);
        QVERIFY(!pair.lstsong.addItem(QStringLiteral("y")));
        QCOMPARE(pair.lstsong.addItems({"y"}), 0);
    }
};

QTEST_GUILESS_MAIN(TestPlaylistPair)
#include "tst_playlist_pair.moc"
