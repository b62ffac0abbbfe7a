#include "video/end_of_stream.h"

#include "playlist/playlist_pair.h"
#include "shared/title_scroller.h"
#include "support/fake_engine.h"

#include <QTest>

Q_DECLARE_METATYPE(EndOfStreamResult)

class TestEndOfStream : public QObject {
    Q_OBJECT
  private slots:
    void movesTheSelectionOn_data() {
        QTest::addColumn<int>("titles");
        QTest::addColumn<int>("paths");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("fileNameFails");
        QTest::addColumn<EndOfStreamResult>("result");
        QTest::addColumn<int>("titleIndex");
        QTest::addColumn<int>("pathIndex");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("songTitle");

        using R = EndOfStreamResult;
        const QStringList none;
        QTest::newRow("nothing selected")
            << 5 << 5 << -1 << false << R::NothingSelected << -1 << -1 << none << "playing";
        QTest::newRow("entry 3 selected while entry 1 plays")
            << 5 << 5 << 2 << false << R::MovedOn << 3 << 3
            << QStringList{"FileName /m/p3.mp3", "Play"} << "t3";
        QTest::newRow("first of two") << 2 << 2 << 0 << false << R::MovedOn << 1 << 1
                                      << QStringList{"FileName /m/p1.mp3", "Play"} << "t1";
        QTest::newRow("last entry ends playback")
            << 5 << 5 << 4 << false << R::LastEntry << 4 << 4 << none << "playing";
        QTest::newRow("single entry ends playback")
            << 1 << 1 << 0 << false << R::LastEntry << 0 << 0 << none << "playing";
        QTest::newRow("path list too short: nothing to hand on")
            << 5 << 3 << 2 << false << R::MovedOn << 3 << -1 << none << "t3";
        QTest::newRow("refused file still gets Play and its title")
            << 3 << 3 << 0 << true << R::MovedOn << 1 << 1
            << QStringList{"FileName /m/p1.mp3", "Play"} << "t1";
    }
    void movesTheSelectionOn() {
        QFETCH(int, titles);
        QFETCH(int, paths);
        QFETCH(int, selected);
        QFETCH(bool, fileNameFails);
        PlaylistPair playlist, followed;
        for (PlaylistPair* pair : {&playlist, &followed}) {
            for (int i = 0; i < titles; ++i)
                pair->lstsong.addItem(QStringLiteral("t%1").arg(i));
            for (int i = 0; i < paths; ++i)
                pair->temlst.addItem(QStringLiteral("/m/p%1.mp3").arg(i));
            pair->select(selected);
        }
        const QString queued = NextEntryPath(playlist);
        FakeEngine engine;
        engine.setFileName(QStringLiteral("/m/p0.mp3"));
        engine.calls.clear();
        engine.failFileName = fileNameFails;
        TitleScroller songTitle;
        songTitle.setText(QStringLiteral("playing"));

        QTEST(advanceOnEndOfStream(playlist, engine, songTitle), "result");
        QTEST(playlist.lstsong.listIndex(), "titleIndex");
        QTEST(playlist.temlst.listIndex(), "pathIndex");
        QTEST(engine.calls, "calls");
        QTEST(songTitle.text(), "songTitle");
        // Queued ahead, the engine gets the very path the steps hand on.
        QCOMPARE(engine.calls.value(0), queued.isEmpty() ? QString() : "FileName " + queued);

        // The engine went there by itself: the same lists and title.
        TitleScroller followedTitle;
        followedTitle.setText(QStringLiteral("playing"));
        QTEST(followEngineToNextEntry(followed, followedTitle), "result");
        QTEST(followed.lstsong.listIndex(), "titleIndex");
        QTEST(followedTitle.text(), "songTitle");
    }
};

QTEST_GUILESS_MAIN(TestEndOfStream)
#include "tst_end_of_stream.moc"
