#include "playback/sound_labels.h"

#include <QTest>

using Text = std::optional<QString>;

class TestSoundLabels : public QObject {
    Q_OBJECT
  private slots:
    void volume_data() {
        QTest::addColumn<int>("bar");
        QTest::addColumn<bool>("dragging");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("engine");
        QTest::newRow("left end") << 0 << false << "音量：0 %" << -2500;
        QTest::newRow("24 is still 0") << 24 << false << "音量：0 %" << -2476;
        QTest::newRow("25 is 1") << 25 << false << "音量：1 %" << -2475;
        QTest::newRow("start-up") << 1700 << false << "音量：68 %" << -800;
        QTest::newRow("right end") << 2500 << false << "音量：100 %" << 0;
        QTest::newRow("dragging adds a space") << 1700 << true << "音量： 68 %" << -800;
    }
    void volume() {
        QFETCH(int, bar);
        QFETCH(bool, dragging);
        QFETCH(QString, label);
        QFETCH(int, engine);
        QCOMPARE(VolumeLabel(bar, dragging), label);
        QCOMPARE(EngineVolume(bar), engine);
    }

    void balance_data() {
        QTest::addColumn<int>("bar");
        QTest::addColumn<bool>("dragging");
        QTest::addColumn<Text>("label");
        const Text stereo = QStringLiteral("立体声");
        QTest::newRow("centre") << 0 << false << stereo;
        QTest::newRow("inside +500") << 499 << false << stereo;
        QTest::newRow("inside -500") << -499 << false << stereo;
        QTest::newRow("exactly +500 keeps the text") << 500 << false << Text();
        QTest::newRow("exactly -500 keeps the text") << -500 << false << Text();
        QTest::newRow("right, change") << 505 << false << Text("均衡:10.1 % 右声道 ");
        QTest::newRow("left, change") << -2510 << false << Text("均衡:50.2 % 左声道 ");
        QTest::newRow("two decimals") << 501 << false << Text("均衡:10.02 % 右声道 ");
        QTest::newRow("full left") << -5000 << false << Text("均衡:100 % 左声道 ");
        QTest::newRow("drag: 600 is stereo") << 600 << true << stereo;
        QTest::newRow("drag: inside -2500") << -2499 << true << stereo;
        QTest::newRow("drag: exactly 2500 keeps the text") << 2500 << true << Text();
        QTest::newRow("drag: right") << 2505 << true << Text("均衡:50.1 % 右声道 ");
        QTest::newRow("drag: full right") << 5000 << true << Text("均衡:100 % 右声道 ");
    }
    void balance() {
        QFETCH(int, bar);
        QFETCH(bool, dragging);
        QFETCH(Text, label);
        QCOMPARE(BalanceLabel(bar, dragging), label);
    }

    void percentDigits_data() {
        QTest::addColumn<int>("balance");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "0";
        QTest::newRow("one step") << 1 << "0.02";
        QTest::newRow("tenth") << 5 << "0.1";
        QTest::newRow("half") << 25 << "0.5";
        QTest::newRow("whole") << 50 << "1";
        QTest::newRow("no trailing zero") << 2510 << "50.2";
        QTest::newRow("sign dropped") << -2555 << "51.1";
        QTest::newRow("hundred") << 5000 << "100";
    }
    void percentDigits() {
        QFETCH(int, balance);
        QFETCH(QString, text);
        QCOMPARE(BalancePercent(balance), text);
    }
};

QTEST_GUILESS_MAIN(TestSoundLabels)
#include "tst_sound_labels.moc"
