#include "main_window_fixture.h"

#include "ui/image_button.h"
#include "ui/skin.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace {

struct BoxSeen {
    QString title;
    QString text;
    QWidget* parent = nullptr;
    bool modal = false;
};

// Reads and closes the modal box that opens next.
void closeNextModalBox(BoxSeen* seen) {
    QTimer::singleShot(0, [seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        *seen = {box->windowTitle(), box->text() + u'\n' + box->informativeText(),
                 box->parentWidget(), box->isModal()};
        box->done(0);
    });
}

} // namespace

class TestTrayIcon : public QObject {
    Q_OBJECT
  private slots:
    void menuItemsInOrder() {
        MainWindowFixture f;
        MainWindow& w = f.make();
        QStringList items;
        for (QAction* item : w.traypop->actions())
            items << (item->isSeparator() ? QStringLiteral("-")
                                          : item->objectName() + u' ' + item->text());
        QCOMPARE(items, (QStringList{"mnuexit 关闭程序", "mnupre 上一首", "mnunext 下一首",
                                     "mnuabout 关于……", "mnuhelp 帮助……"}));
        QCOMPARE(w.trayIcon().icon().contextMenu(), w.traypop);
    }

    void recordIsFilledAtAddAndRemovesTheIcon() {
        MainWindowFixture f;
        MainWindow& w = f.make();
        QVERIFY(!w.trayIcon().isShown());
        w.addTrayIcon();
        const TrayIconRecord& record = w.trayIconRecord();
        QCOMPARE(record.owner, &w);
        QCOMPARE(record.flags, 7);
        QCOMPARE(record.callbackMessage, 512);
        QCOMPARE(record.tooltip, QStringLiteral("Sonvela"));
        QVERIFY(!record.icon.isNull());
        QCOMPARE(record.id, w.windowIcon().cacheKey());
        QVERIFY(w.trayIcon().isShown());
        QCOMPARE(w.trayIcon().icon().toolTip(), QStringLiteral("Sonvela"));
        w.removeTrayIcon();
        QVERIFY(!w.trayIcon().isShown());
    }

    void onlyTheAddingRecordRemovesTheIcon() {
        QMenu menu;
        QWidget owner;
        owner.setWindowIcon(Skin::ProgramIcon());
        TrayIcon icon(&menu);
        TrayIconRecord record = MakeTrayIconRecord(&owner);
        record.id = 42;
        icon.add(record);
        TrayIconRecord other = record;
        other.id = 43;
        icon.remove(other);
        QVERIFY(icon.isShown());
        icon.remove(record);
        QVERIFY(!icon.isShown());
    }

    void leftClickShowsBothWindows_data() {
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::addColumn<bool>("shows");
        QTest::newRow("click") << QSystemTrayIcon::Trigger << true;
        QTest::newRow("double-click") << QSystemTrayIcon::DoubleClick << true;
        QTest::newRow("middle") << QSystemTrayIcon::MiddleClick << false;
        QTest::newRow("context") << QSystemTrayIcon::Context << false;
    }
    void leftClickShowsBothWindows() {
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        QFETCH(bool, shows);
        MainWindowFixture f;
        MainWindow& w = f.make();
        w.addTrayIcon();
        w.show();
        QTest::mouseClick(w.SystemButtonImage[1], Qt::LeftButton);
        QVERIFY(w.isHidden());
        QVERIFY(f.video.window.isHidden());
        emit w.trayIcon().icon().activated(reason);
        QCOMPARE(w.isVisible(), shows);
        // The video window comes back too, even if it was never shown.
        QCOMPARE(f.video.window.isVisible(), shows);
    }

    void nextFromTheTrayMenuPlaysWhileHidden() {
        MainWindowFixture f;
        f.fill({"a", "b", "c"});
        f.playlist.select(0);
        MainWindow& w = f.make();
        w.show();
        QTest::mouseClick(w.SystemButtonImage[1], Qt::LeftButton);
        w.mnunext->trigger();
        QVERIFY(f.video.player.calls.contains(QStringLiteral("FileName /m/a")));
        QVERIFY(f.video.window.isVisible());
        QVERIFY(w.isHidden());
        w.mnunext->trigger();
        w.mnupre->trigger();
        QCOMPARE(f.video.player.fileName(), QStringLiteral("/m/a"));
    }

    void withoutANotificationAreaHideMinimises() {
        MainWindowFixture f;
        f.trayAvailable = false;
        MainWindow& w = f.make();
        w.show();
        f.video.showVideoWindow();
        QTest::mouseClick(w.SystemButtonImage[1], Qt::LeftButton);
        QVERIFY(w.isVisible());
        QVERIFY(w.isMinimized());
        QVERIFY(f.video.window.isVisible());
        QVERIFY(f.video.window.isMinimized());
    }

    void withoutANotificationAreaAHiddenVideoWindowStaysHidden() {
        MainWindowFixture f;
        f.trayAvailable = false;
        MainWindow& w = f.make();
        w.show();
        QTest::mouseClick(w.SystemButtonImage[1], Qt::LeftButton);
        QVERIFY(w.isMinimized());
        QVERIFY(f.video.window.isHidden());
    }

    void aboutFromTheMenuIsTheAboutButtonsBox() {
        MainWindowFixture f;
        MainWindow& w = f.make();
        w.show();
        BoxSeen fromButton;
        closeNextModalBox(&fromButton);
        QTest::mouseClick(w.about, Qt::LeftButton);
        BoxSeen fromMenu;
        closeNextModalBox(&fromMenu);
        w.mnuabout->trigger();
        QCOMPARE(fromButton.title, QStringLiteral("Sonvela"));
        QVERIFY(fromButton.modal);
        QCOMPARE(fromButton.parent, &w);
        QCOMPARE(fromMenu.title, fromButton.title);
        QCOMPARE(fromMenu.text, fromButton.text);
        QCOMPARE(fromMenu.parent, &w);
    }

    void exitEndsWithoutClosing() {
        MainWindowFixture f;
        MainWindow& w = f.make();
        w.addTrayIcon();
        w.mnuexit->trigger();
        QCOMPARE(f.exits, 1);
        QCOMPARE(f.closes, 0);
        QVERIFY(w.trayIcon().isShown());
    }
};

QTEST_MAIN(TestTrayIcon)
#include "tst_tray_icon.moc"
