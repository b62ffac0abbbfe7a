#include "shell/panel_layout.h"

#include <QTest>

namespace {
struct Tops {
    int strip, toggle, caption, panel;
};

Tops topsOf(const PanelLayout& l) {
    return {l.propertiesStripTop, l.propertiesToggleTop, l.propertiesCaptionTop,
            l.propertiesPanelTop};
}
} // namespace

Q_DECLARE_METATYPE(ToggleEvent)

class TestPanelLayout : public QObject {
    Q_OBJECT
  private slots:
    void listToggleMovesThePropertiesControls_data() {
        QTest::addColumn<int>("listToggles");
        QTest::addColumn<int>("strip");
        QTest::addColumn<int>("toggle");
        QTest::addColumn<int>("caption");
        QTest::addColumn<int>("panel");
        QTest::addColumn<int>("heightChange");
        // The start-up layout is not where the fixed offsets put things.
        QTest::newRow("start-up") << 0 << 3975 << 4000 << 4005 << 4245 << 0;
        QTest::newRow("list hidden") << 1 << 2280 << 2310 << 2340 << 2535 << -1695;
        QTest::newRow("hidden and shown") << 2 << 3975 << 4005 << 4035 << 4230 << 0;
        QTest::newRow("hidden twice") << 3 << 2280 << 2310 << 2340 << 2535 << -1695;
    }
    void listToggleMovesThePropertiesControls() {
        QFETCH(int, listToggles);
        PanelLayout layout;
        for (int i = 0; i < listToggles; ++i)
            TogglePanel(layout, 0);
        const Tops tops = topsOf(layout);
        QFETCH(int, strip);
        QCOMPARE(tops.strip, strip);
        QFETCH(int, toggle);
        QFETCH(int, caption);
        QFETCH(int, panel);
        QFETCH(int, heightChange);
        QCOMPARE(tops.toggle, toggle);
        QCOMPARE(tops.caption, caption);
        QCOMPARE(tops.panel, panel);
        QCOMPARE(layout.windowHeight, 7140 + heightChange);
        QCOMPARE(layout.listPanelVisible, listToggles % 2 == 0);
    }

    void propertiesToggleOnlyChangesTheHeight() {
        PanelLayout layout;
        TogglePanel(layout, 1);
        QVERIFY(!layout.propertiesPanelVisible);
        QCOMPARE(layout.windowHeight, 7140 - 2845);
        const Tops tops = topsOf(layout);
        QCOMPARE(tops.strip, 3975);
        QCOMPARE(tops.toggle, 4000);
        QCOMPARE(tops.caption, 4005);
        QCOMPARE(tops.panel, 4245);
        // Any index but 0 is the properties toggle.
        TogglePanel(layout, 7);
        QVERIFY(layout.propertiesPanelVisible);
        QCOMPARE(layout.windowHeight, 7140);
    }

    void bothPanelsHidden() {
        PanelLayout layout;
        TogglePanel(layout, 1);
        TogglePanel(layout, 0);
        QCOMPARE(layout.windowHeight, 7140 - 4540);
        QCOMPARE(layout.propertiesPanelTop, 2535);
        TogglePanel(layout, 0);
        TogglePanel(layout, 1);
        QCOMPARE(layout.windowHeight, 7140);
    }

    void toggleLooks_data() {
        QTest::addColumn<ToggleEvent>("event");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("pressed");
        QTest::addColumn<int>("index");
        QTest::newRow("press, shown") << ToggleEvent::Press << true << true << 2;
        QTest::newRow("press, hidden") << ToggleEvent::Press << false << true << 0;
        QTest::newRow("release, shown") << ToggleEvent::Release << true << false << 0;
        QTest::newRow("release, hidden") << ToggleEvent::Release << false << false << 2;
    }
    void toggleLooks() {
        QFETCH(ToggleEvent, event);
        QFETCH(bool, visible);
        QFETCH(bool, pressed);
        QFETCH(int, index);
        QCOMPARE(ToggleLookFor(event, visible), (ToggleLook{pressed, index}));
    }

    void pressAndReleaseWithoutClickKeepThePanel() {
        // The pointer left the toggle before the release: the release look
        // is set, but no click comes, so the panel stays shown while its
        // toggle already shows the hidden look.
        PanelLayout layout;
        const bool visible = PanelVisible(layout, 0);
        QCOMPARE(ToggleLookFor(ToggleEvent::Press, visible), (ToggleLook{true, 2}));
        QCOMPARE(ToggleLookFor(ToggleEvent::Release, visible), (ToggleLook{false, 0}));
        QVERIFY(PanelVisible(layout, 0));
        // A whole click afterwards: the next release shows the shown look.
        TogglePanel(layout, 0);
        QCOMPARE(ToggleLookFor(ToggleEvent::Release, PanelVisible(layout, 0)),
                 (ToggleLook{false, 2}));
    }
};

QTEST_GUILESS_MAIN(TestPanelLayout)
#include "tst_panel_layout.moc"
