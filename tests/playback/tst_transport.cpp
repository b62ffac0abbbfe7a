#include "playback/transport.h"
#include "playlist/playlist_pair.h"
#include "shared/title_scroller.h"

#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString NoMedia = QStringLiteral("提示……|没有媒体文件");
const QString NoChoice = QStringLiteral("没有选择文件|请选择文件");
const QString Missing = QStringLiteral(" 文件不存在，请重新选择");
} // namespace

class TestTransport : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    PlaylistPair playlist_;
    TitleScroller title_;
    FakeVideoHost video_;
    RecordingMessages messages_;
    Transport transport_{playlist_, title_, video_, messages_};

    QStringList& calls() { return video_.player.calls; }

    QString existing(const QString& name) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(path));
        return path;
    }
    // Entries "t1".."tN" whose files exist.
    void fill(int count) {
        for (int i = 1; i <= count; ++i)
            playlist_.append(QStringLiteral("t%1").arg(i),
                             existing(QStringLiteral("%1.mp3").arg(i)));
    }

  private slots:
    void init() {
        playlist_.clear();
        title_.setText(QString());
        calls().clear();
        video_.shown = 0;
        video_.player.length.reset();
        messages_.clear();
        transport_.Tnum = 0;
    }

    void playItOnAnEmptyListChangesNothing() {
        transport_.Tnum = 7;
        transport_.PlayIt();
        QCOMPARE(transport_.Tnum, qint16(7));
        QVERIFY(calls().isEmpty());
        QCOMPARE(video_.shown, 0);
    }

    void stepping_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("played");
        QTest::newRow("next after start-up") << 3 << 0 << +1 << 1;
        QTest::newRow("previous after start-up") << 3 << 0 << -1 << 3;
        QTest::newRow("next from the last") << 3 << 3 << +1 << 1;
        QTest::newRow("previous from the first") << 3 << 1 << -1 << 3;
        QTest::newRow("previous beyond a shrunk list") << 5 << 10 << -1 << 1;
        QTest::newRow("next at the 16-bit top is skipped") << 3 << 32767 << +1 << 1;
        QTest::newRow("previous at the 16-bit bottom is skipped") << 3 << -32768 << -1 << 3;
        QTest::newRow("PlayIt alone keeps a valid number") << 3 << 2 << 0 << 2;
    }
    void stepping() {
        QFETCH(int, count);
        QFETCH(int, start);
        QFETCH(int, step);
        QFETCH(int, played);
        fill(count);
        transport_.Tnum = static_cast<qint16>(start);
        if (step > 0)
            transport_.next();
        else if (step < 0)
            transport_.previous();
        else
            transport_.PlayIt();
        QCOMPARE(transport_.Tnum, qint16(played));
        QCOMPARE(playlist_.selectedIndex(), played - 1);
        QCOMPARE(playlist_.temlst.listIndex(), played - 1);
        QCOMPARE(title_.text(), QStringLiteral("t%1").arg(played));
        const QString path = dir_.filePath(QStringLiteral("%1.mp3").arg(played));
        QCOMPARE(calls(), (QStringList{QStringLiteral("FileName ") + path, "Play"}));
        QCOMPARE(video_.shown, 1);
    }

    void aMissingFileIsMarkedOnceAndStillHandedOver() {
        fill(1);
        playlist_.append(QStringLiteral("abc"), dir_.filePath(QStringLiteral("gone.mp3")));
        transport_.Tnum = 2;
        transport_.PlayIt();
        QCOMPARE(playlist_.lstsong.text(1), QStringLiteral("abc") + Missing);
        QCOMPARE(title_.text(), QStringLiteral("abc") + Missing);
        QVERIFY(calls().contains(QStringLiteral("FileName ") + dir_.filePath("gone.mp3")));
        QVERIFY(calls().contains(QStringLiteral("Play")));
        transport_.PlayIt();
        QCOMPARE(playlist_.lstsong.text(1), QStringLiteral("abc") + Missing);
        QCOMPARE(playlist_.lstsong.text(0), QStringLiteral("t1"));
        QVERIFY(messages_.shown.isEmpty());
    }

    void aMissingPathEntryIsMarkedMissing() {
        playlist_.lstsong.addItems({"a", "b"});
        playlist_.temlst.addItems({existing("a.mp3")});
        transport_.Tnum = 2;
        transport_.PlayIt();
        QCOMPARE(calls(), QStringList{"Play"});
        QCOMPARE(playlist_.lstsong.text(1), QStringLiteral("b") + Missing);
        QCOMPARE(playlist_.selectedIndex(), 1);
    }

    void pauseTogglesAndNewStartsDoNotResetIt() {
        fill(2);
        transport_.PauseIt();
        transport_.PauseIt();
        transport_.PauseIt();
        QCOMPARE(calls(), (QStringList{"Pause", "Play", "Pause"}));
        calls().clear();
        transport_.next();
        transport_.PauseIt();
        transport_.PauseIt();
        QCOMPARE(calls().mid(2), (QStringList{"Play", "Pause"}));
    }

    void withoutSelection_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("shown");
        QTest::newRow("play button") << 1 << NoMedia << 1;
        QTest::newRow("stop button") << 2 << NoMedia << 0;
        QTest::newRow("double-click") << 3 << NoMedia << 1;
        QTest::newRow("popup 播放文件") << 4 << NoChoice << 0;
    }
    void withoutSelection() {
        QFETCH(int, command);
        QFETCH(QString, message);
        QFETCH(int, shown);
        fill(2);
        title_.setText(QStringLiteral("before"));
        switch (command) {
        case 1:
            transport_.playSelected();
            break;
        case 2:
            transport_.stopSelected();
            break;
        case 3:
            transport_.lstsong_DblClick();
            break;
        default:
            transport_.mnuplay_Click();
        }
        QCOMPARE(messages_.shown, QStringList{message});
        QCOMPARE(messages_.icons, QList{QMessageBox::Warning});
        QCOMPARE(video_.shown, shown);
        QVERIFY(calls().isEmpty());
        // Only the popup item rewrites the title, to the empty selection.
        QCOMPARE(title_.text(), command == 4 ? QString() : QStringLiteral("before"));
    }

    void playingTheSelectionSetsTheSeekRange_data() {
        QTest::addColumn<double>("length");
        QTest::addColumn<int>("maximum");
        QTest::newRow("62.5 rounds down") << 62.5 << 62;
        QTest::newRow("63.5 rounds up") << 63.5 << 64;
        QTest::newRow("62.6") << 62.6 << 63;
    }
    void playingTheSelectionSetsTheSeekRange() {
        QFETCH(double, length);
        QFETCH(int, maximum);
        fill(3);
        playlist_.select(1);
        transport_.Tnum = 3;
        video_.player.length = length;
        QSignalSpy range(&transport_, &Transport::seekMaximumChanged);
        for (auto command :
             {&Transport::playSelected, &Transport::lstsong_DblClick, &Transport::mnuplay_Click})
            (transport_.*command)();
        QCOMPARE(range.count(), 3);
        QCOMPARE(range.at(2).at(0).toInt(), maximum);
        QCOMPARE(calls().count(QStringLiteral("Play")), 3);
        QCOMPARE(title_.text(), QStringLiteral("t2"));
        QCOMPARE(transport_.Tnum, qint16(3));
        QVERIFY(messages_.shown.isEmpty());
    }

    void anEmptyPathIsHandedOverButNotPlayed() {
        playlist_.append(QStringLiteral("blank"), QString());
        playlist_.select(0);
        QSignalSpy range(&transport_, &Transport::seekMaximumChanged);
        transport_.playSelected();
        QCOMPARE(calls(), QStringList{"FileName "});
        QCOMPARE(title_.text(), QStringLiteral("blank"));
        QCOMPARE(range.count(), 0);
    }

    void stopShowsTheProgramName() {
        fill(1);
        playlist_.select(0);
        transport_.playSelected();
        transport_.stopSelected();
        QCOMPARE(calls().last(), QStringLiteral("Stop"));
        QCOMPARE(title_.text(), QStringLiteral("Sonvela"));
    }

    void nextCountsFromTnumNotFromTheSelection() {
        fill(6);
        transport_.Tnum = 2;
        playlist_.select(4);
        transport_.lstsong_DblClick();
        transport_.next();
        QCOMPARE(transport_.Tnum, qint16(3));
        QCOMPARE(playlist_.selectedIndex(), 2);
        QCOMPARE(title_.text(), QStringLiteral("t3"));
    }

    void openedFilesAreAppendedUnderTheirBareName() {
        fill(2);
        playlist_.select(0);
        const QString path = dir_.filePath(QStringLiteral("My Song.MP3"));
        transport_.appendOpenedFile(path);
        transport_.appendOpenedFile(path);
        transport_.appendOpenedFile(QString());
        // The list files cannot hold a CR.
        transport_.appendOpenedFile(dir_.filePath(QStringLiteral("a\rb.mp3")));
        QCOMPARE(playlist_.lstsong.entries(),
                 (QStringList{"t1", "t2", "My Song.MP3", "My Song.MP3"}));
        QCOMPARE(playlist_.temlst.entries().mid(2), (QStringList{path, path}));
        QCOMPARE(playlist_.AddName, QStringLiteral("My Song.MP3"));
        QCOMPARE(playlist_.selectedIndex(), 0);
        QVERIFY(calls().isEmpty());
    }
};

QTEST_MAIN(TestTransport)
#include "tst_transport.moc"
