#include "video/banner.h"

#include <QTest>

namespace {
constexpr int WindowWidth = 4755;

// Ticks until the banner wraps; returns how many ticks that took.
int ticksUntilWrap(Banner& banner, int windowWidth) {
    for (int ticks = 1; ticks < 100000; ++ticks) {
        if (banner.tick(windowWidth))
            return ticks;
    }
    return -1;
}
} // namespace

class TestBanner : public QObject {
    Q_OBJECT
  private slots:
    // The text changes on the tick that brings the right edge to or past
    // the window's left edge, not one tick earlier or later.
    void wrapsWhenTheRightEdgePassesTheLeftEdge_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("ticks");
        QTest::newRow("edge lands exactly on 0") << 90 << 60; // 2910 - 60*50 = -90
        QTest::newRow("edge passes 0 mid-step") << 100 << 61; // -90 > -100, -140 <= -100
        QTest::newRow("wide text") << 5000 << 159;            // 7910 / 50 = 158.2
    }
    void wrapsWhenTheRightEdgePassesTheLeftEdge() {
        QFETCH(int, width);
        QFETCH(int, ticks);
        Banner banner([width](const QString&) { return width; });
        QCOMPARE(ticksUntilWrap(banner, WindowWidth), ticks);
        QCOMPARE(banner.left(), WindowWidth);
    }

    void showsItsTextsInOrderThenKeepsTheLast() {
        Banner banner([](const QString& text) { return 100 * int(text.size()); });
        const QStringList expected = {
            QStringLiteral("在使用过程中若有任何问题，欢迎来信！"),
            QStringLiteral("E-mail:support@sonvela-player.cn"),
            QStringLiteral("QuorvanSonvela！"),
            QStringLiteral("欢迎使用Quorvan软件！"),
            QStringLiteral("欢迎使用Quorvan软件！"),
        };
        const QList<int> steps = {1, 2, 3, 3, 3};
        for (int pass = 0; pass < expected.size(); ++pass) {
            const int expectedTicks =
                (banner.left() + banner.width() + Banner::Step - 1) / Banner::Step;
            QCOMPARE(ticksUntilWrap(banner, WindowWidth), expectedTicks);
            QCOMPARE(banner.text(), expected[pass]);
            QCOMPARE(banner.width(), 100 * int(expected[pass].size()));
            QCOMPARE(banner.BannerStep(), steps[pass]);
        }
    }
};

QTEST_GUILESS_MAIN(TestBanner)
#include "tst_banner.moc"
