#include "shared/title_scroller.h"
#include "ui/twips.h"

#include <QSignalSpy>
#include <QTest>

namespace {
// Ticks until the label re-enters from the right; -1 if it never does.
int ticksUntilReentry(TitleScroller& scroller, int limit = 100000) {
    for (int tick = 1; tick <= limit; ++tick) {
        const double before = scroller.left();
        scroller.tick();
        if (scroller.left() > before)
            return tick;
    }
    return -1;
}
} // namespace

class TestTitleScroller : public QObject {
    Q_OBJECT
  private slots:
    void reentersOnceItsRightEdgeHasLeft_data() {
        QTest::addColumn<double>("width");
        QTest::addColumn<int>("ticks");
        QTest::newRow("no text") << 0.0 << 400;
        QTest::newRow("900 twips") << 900.0 << 580;
        QTest::newRow("wider than the strip") << 3000.0 << 1000;
    }
    void reentersOnceItsRightEdgeHasLeft() {
        QFETCH(double, width);
        QFETCH(int, ticks);
        TitleScroller scroller;
        scroller.setWidth(width);
        QCOMPARE(scroller.left(), TitleScroller::StartLeft);
        QCOMPARE(ticksUntilReentry(scroller), ticks);
        QCOMPARE(scroller.left(), TitleScroller::StripWidth);
        // From the right edge the next round takes (1860 + width) / 5 ticks.
        QCOMPARE(ticksUntilReentry(scroller), int((TitleScroller::StripWidth + width) / 5));
    }

    void theLastStepBeforeReentryIsStillVisible() {
        TitleScroller scroller;
        scroller.setWidth(900);
        for (int i = 0; i < 579; ++i)
            scroller.tick();
        QCOMPARE(scroller.left(), -895.0);
        // The timer sleeps until the label lands on another pixel: here
        // the re-entry, one tick away.
        QCOMPARE(scroller.ticksUntilPixelMoves(), 1);
    }

    // Every wake-up of the title's timer moves it by exactly one pixel.
    void eachPixelIsReachedInTheTicksPredicted() {
        TitleScroller scroller;
        scroller.setWidth(100);
        for (int round = 0; round < 2000; ++round) {
            const int ticks = scroller.ticksUntilPixelMoves();
            QVERIFY(ticks >= 1 && ticks <= 3);
            const int pixel = Twips::toPx(scroller.left());
            for (int i = 1; i < ticks; ++i) {
                scroller.tick();
                QCOMPARE(Twips::toPx(scroller.left()), pixel);
            }
            scroller.tick();
            QVERIFY(Twips::toPx(scroller.left()) != pixel);
        }
    }

    void newTextKeepsThePosition() {
        TitleScroller scroller;
        QSignalSpy changed(&scroller, &TitleScroller::textChanged);
        for (int i = 0; i < 10; ++i)
            scroller.tick();
        scroller.setText(QStringLiteral("abc"));
        scroller.setText(QStringLiteral("abc"));
        QCOMPARE(scroller.left(), 1950.0);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(scroller.text(), QStringLiteral("abc"));
    }
};

QTEST_GUILESS_MAIN(TestTitleScroller)
#include "tst_title_scroller.moc"
