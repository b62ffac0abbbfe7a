#include "playback/time_display.h"

#include <QTest>
#include <cmath>
#include <limits>

class TestTimeDisplay : public QObject {
    Q_OBJECT
  private slots:
    void roundsHalvesToEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("rounded");
        QTest::newRow("0.5") << 0.5 << 0;
        QTest::newRow("1.5") << 1.5 << 2;
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("2.5000001") << 2.5000001 << 3;
        QTest::newRow("-0.5") << -0.5 << 0;
        QTest::newRow("-1.5") << -1.5 << -2;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("-2.6") << -2.6 << -3;
        QTest::newRow("59.4") << 59.4 << 59;
        QTest::newRow("huge") << 1e12 << std::numeric_limits<int>::max();
        QTest::newRow("hugely negative") << -1e12 << std::numeric_limits<int>::min();
        QTest::newRow("nan") << std::nan("") << 0;
    }
    void roundsHalvesToEven() {
        QFETCH(double, value);
        QFETCH(int, rounded);
        QCOMPARE(RoundHalfEven(value), rounded);
    }

    void elapsedText_data() {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("start") << 0.0 << "0:00";
        QTest::newRow("9.4") << 9.4 << "0:09";
        QTest::newRow("9.5 rounds up to even") << 9.5 << "0:10";
        QTest::newRow("10.5 rounds down to even") << 10.5 << "0:10";
        QTest::newRow("59.4") << 59.4 << "0:59";
        QTest::newRow("59.6") << 59.6 << "1:00";
        QTest::newRow("65.4") << 65.4 << "1:05";
        QTest::newRow("119.5") << 119.5 << "2:00";
        QTest::newRow("600") << 600.0 << "10:00";
        QTest::newRow("hours stay minutes") << 3725.0 << "62:05";
        QTest::newRow("no position") << -1.0 << "0:00";
        QTest::newRow("last minute that fits") << 32819.4 << "546:59";
    }
    void elapsedText() {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(ElapsedText(seconds), std::optional<QString>(text));
    }

    // 60 x 547 no longer fits 16 bits: the label keeps its last text.
    // The next tick is due when the second shown changes.
    void msUntilShownSecondChanges_data() {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("ms");
        QTest::newRow("start") << 0.0 << 501;
        QTest::newRow("just before a half") << 0.4 << 101;
        QTest::newRow("past a half") << 2.9 << 601;
        QTest::newRow("on a half") << 0.5 << 1;
    }
    void msUntilShownSecondChanges() {
        QFETCH(double, seconds);
        QFETCH(int, ms);
        QCOMPARE(MsUntilShownSecondChanges(seconds), ms);
    }

    void noTextFrom547Minutes_data() {
        QTest::addColumn<double>("seconds");
        QTest::newRow("547:00") << 32820.0;
        QTest::newRow("546:59.5 rounds into 547") << 32819.5;
        QTest::newRow("a day") << 86400.0;
        QTest::newRow("far beyond") << 1e15;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity();
        QTest::newRow("nan") << std::nan("");
    }
    void noTextFrom547Minutes() {
        QFETCH(double, seconds);
        QCOMPARE(ElapsedText(seconds), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestTimeDisplay)
#include "tst_time_display.moc"
