#include "main_window_fixture.h"

#include "playback/control_panel.h"
#include "playback/sound_labels.h"
#include "playback/title_label.h"
#include "shell/playlist_view.h"
#include "shell/properties_sheet.h"
#include "ui/image_button.h"
#include "ui/twips.h"
#include "ui/widget_helpers.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>
#include <QToolTip>

namespace {

qint64 lookOf(const QLabel* button) {
    return button->pixmap().cacheKey();
}

QPoint rowCentre(QListView* view, int row) {
    return view->visualRect(view->model()->index(row, 0)).center();
}

// Chooses `item` in the popup menu that opens next, once it is open.
void chooseInNextPopup(QAction* item, QWidget** seenPopup) {
    QTimer::singleShot(0, [item, seenPopup] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        *seenPopup = menu;
        if (!menu)
            return;
        item->trigger();
        menu->close();
    });
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
  private slots:
    void controlsCarryTheirNamesAndTexts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<QString>("caption");
        QTest::newRow("drag handle") << "lblhandle"
                                     << "拖拉窗体"
                                     << "";
        QTest::newRow("title") << "TitleLabel"
                               << ""
                               << "播放中心";
        QTest::newRow("close") << "SystemButtonImage_0"
                               << "关闭"
                               << "";
        QTest::newRow("hide") << "SystemButtonImage_1"
                              << "隐藏"
                              << "";
        QTest::newRow("about") << "about"
                               << "关于"
                               << "";
        QTest::newRow("list caption") << "lbllist"
                                      << ""
                                      << "播放列表";
        QTest::newRow("list toggle") << "CloseButtonIamge_0"
                                     << "隐藏或显示[列表]窗口"
                                     << "";
        QTest::newRow("properties toggle") << "CloseButtonIamge_1"
                                           << "隐藏或显示[属性]窗口"
                                           << "";
        for (const char* strip : {"Image1_0", "Image1_1", "Image1_2"})
            QTest::newRow(strip) << strip << ""
                                 << "";
    }
    void controlsCarryTheirNamesAndTexts() {
        QFETCH(QString, name);
        QFETCH(QString, tooltip);
        QFETCH(QString, caption);
        MainWindowFixture f;
        MainWindow& w = f.make();
        auto* label = w.findChild<QLabel*>(name, Qt::FindDirectChildrenOnly);
        QVERIFY2(label, qPrintable(name));
        QCOMPARE(label->toolTip(), tooltip);
        QCOMPARE(label->text(), caption);
    }

    void windowIsBorderlessWithItsPanels() {
        MainWindowFixture f;
        MainWindow& w = f.make();
        QCOMPARE(w.objectName(), QStringLiteral("frmmain"));
        QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(w.size(), QSize(285, 476));
        QCOMPARE(w.frm->objectName(), QStringLiteral("frm"));
        QCOMPARE(w.frm->geometry(), QRect(-1, 18, 291, 118));
        QCOMPARE(w.PropertiyFrame->objectName(), QStringLiteral("PropertiyFrame"));
        QCOMPARE(w.lstsong->parentWidget(), w.PropertiyFrame);
        QCOMPARE(w.lstsong->model(), &f.playlist.lstsong);
        QCOMPARE(w.ListFrame->objectName(), QStringLiteral("ListFrame"));
        QCOMPARE(w.ListFrame->palette().color(QPalette::Window), QColor(208, 208, 208));
        QCOMPARE(w.Label1->text(), QStringLiteral("文件属性"));
        QCOMPARE(w.TitleLabel->palette().color(QPalette::WindowText), QColor(128, 128, 255));
    }

    void listToggleMovesThePropertiesPanel() {
        MainWindowFixture f;
        MainWindow& w = f.make();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QPoint topLeft = w.pos();

        QTest::mouseClick(w.CloseButtonIamge[0], Qt::LeftButton);
        QVERIFY(w.PropertiyFrame->isHidden());
        QCOMPARE(w.Image1[1]->y(), 152);           // 2280 twips
        QCOMPARE(w.CloseButtonIamge[1]->y(), 154); // 2310
        QCOMPARE(w.Label1->y(), 156);              // 2340
        QCOMPARE(w.ListFrame->y(), 169);           // 2535
        QCOMPARE(w.height(), 476 - 113);
        QCOMPARE(lookOf(w.CloseButtonIamge[0]), w.b0[0].cacheKey());

        QTest::mouseClick(w.CloseButtonIamge[0], Qt::LeftButton);
        QVERIFY(!w.PropertiyFrame->isHidden());
        QCOMPARE(w.Image1[1]->y(), 265);           // 3975
        QCOMPARE(w.CloseButtonIamge[1]->y(), 267); // 4005
        QCOMPARE(w.Label1->y(), 269);              // 4035
        QCOMPARE(w.ListFrame->y(), 282);           // 4230
        QCOMPARE(w.height(), 476);
        QCOMPARE(w.width(), 285);
        QCOMPARE(w.pos(), topLeft);
        QCOMPARE(lookOf(w.CloseButtonIamge[0]), w.b0[2].cacheKey());
    }

    void propertiesToggleOnlyResizes() {
        MainWindowFixture f;
        MainWindow& w = f.make();
        QTest::mouseClick(w.CloseButtonIamge[1], Qt::LeftButton);
        QVERIFY(w.ListFrame->isHidden());
        QCOMPARE(w.height(), 286); // 7140 - 2845 twips
        QCOMPARE(w.Image1[1]->y(), 265);
        QTest::mouseClick(w.CloseButtonIamge[0], Qt::LeftButton);
        QCOMPARE(w.height(), 173); // 7140 - 4540
        QTest::mouseClick(w.CloseButtonIamge[1], Qt::LeftButton);
        QTest::mouseClick(w.CloseButtonIamge[0], Qt::LeftButton);
        QCOMPARE(w.height(), 476);
    }

    // Whatever the user toggled before, both toggles (and the strips they
    // sit on) can still be reached to bring the panels back.
    void togglesStayInsideTheWindow() {
        MainWindowFixture f;
        MainWindow& w = f.make();
        QRandomGenerator walk(10);
        for (int step = 0; step < 300; ++step) {
            QTest::mouseClick(w.CloseButtonIamge[walk.bounded(2)], Qt::LeftButton);
            for (QWidget* control :
                 {static_cast<QWidget*>(w.CloseButtonIamge[0]),
                  static_cast<QWidget*>(w.CloseButtonIamge[1]), static_cast<QWidget*>(w.Image1[0]),
                  static_cast<QWidget*>(w.Image1[1])})
                // The strips run past the sides by design: only the height
                // can lose them.
                QVERIFY2(
                    control->y() >= 0 && control->geometry().bottom() < w.height(),
                    qPrintable(
                        QStringLiteral("%1 after step %2").arg(control->objectName()).arg(step)));
        }
    }

    void toggleReleaseWithoutClickKeepsThePanel() {
        MainWindowFixture f;
        MainWindow& w = f.make();
        ImageButton* toggle = w.CloseButtonIamge[1];
        QCOMPARE(lookOf(toggle), w.b0[2].cacheKey());
        QTest::mousePress(toggle, Qt::RightButton);
        QCOMPARE(lookOf(toggle), w.b1[2].cacheKey());
        // Released away from the button: no click.
        QTest::mouseRelease(toggle, Qt::RightButton, {}, QPoint(-20, -20));
        QCOMPARE(lookOf(toggle), w.b0[0].cacheKey());
        QVERIFY(!w.ListFrame->isHidden());
        QCOMPARE(w.height(), 476);
    }

    void systemButtonLooks() {
        MainWindowFixture f;
        MainWindow& w = f.make();
        for (int i : {0, 1}) {
            ImageButton* button = w.SystemButtonImage[i];
            QCOMPARE(lookOf(button), w.b0[i].cacheKey());
            QTest::mousePress(button, Qt::MiddleButton);
            QCOMPARE(lookOf(button), w.b1[i].cacheKey());
            QTest::mouseRelease(button, Qt::MiddleButton, {}, QPoint(-30, 5));
            QCOMPARE(lookOf(button), w.b0[i].cacheKey());
        }
        QCOMPARE(f.closes, 0);
    }

    void hideButtonHidesBothWindows() {
        MainWindowFixture f;
        MainWindow& w = f.make();
        w.show();
        f.video.showVideoWindow();
        QTest::mouseClick(w.SystemButtonImage[1], Qt::LeftButton);
        QVERIFY(w.isHidden());
        QVERIFY(f.video.window.isHidden());
        QCOMPARE(f.closes, 0);
    }

    void closeButtonEndsTheProgram() {
        MainWindowFixture f;
        MainWindow& w = f.make();
        QTest::mouseClick(w.SystemButtonImage[0], Qt::LeftButton);
        QCOMPARE(f.closes, 1);
        QCOMPARE(f.exits, 0);
        w.mnuexit->trigger();
        QCOMPARE(f.exits, 1);
        QCOMPARE(f.closes, 1);
    }

    void rightPressOnThePropertiesPanelOpensTheVideoMenu() {
        MainWindowFixture f;
        MainWindow& w = f.make();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // Over the rows of a file's properties too.
        w.properties->follow(f.video.player);
        f.video.player.media.container = "mp3";
        f.video.player.setFileName("/m/a.mp3");
        f.video.player.emitMediaInfoChanged();
        QCOMPARE(w.properties->rowWidgets()[1]->accessibleName(), QString("格式: MP3"));
        const QPoint where = w.pos();
        const QPoint inside = w.ListFrame->mapTo(&w, QPoint(40, 20));
        QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, inside);
        QCOMPARE(f.video.menuPopups, 0);
        QCOMPARE(w.pos(), where);
        QTest::mouseClick(w.windowHandle(), Qt::RightButton, {}, inside);
        QCOMPARE(f.video.menuPopups, 1);
    }

    void viewAndPlaylistShareTheSelection() {
        MainWindowFixture f;
        f.fill({"a", "b", "c", "d"});
        MainWindow& w = f.make();
        w.show();
        QTest::mouseClick(w.lstsong->viewport(), Qt::LeftButton, {}, rowCentre(w.lstsong, 2));
        QCOMPARE(f.playlist.selectedIndex(), 2);
        QCOMPARE(f.playlist.selectedPath(), QStringLiteral("/m/c"));
        f.playlist.select(3);
        QCOMPARE(w.lstsong->selectionModel()->selectedRows().value(0).row(), 3);
        f.playlist.select(-1);
        QVERIFY(w.lstsong->selectionModel()->selectedRows().isEmpty());
    }

    void clicksThatKeepTheSelection() {
        MainWindowFixture f;
        f.fill({"a", "b", "c"});
        MainWindow& w = f.make();
        w.show();
        QTest::mouseClick(w.lstsong->viewport(), Qt::LeftButton, {}, rowCentre(w.lstsong, 1));
        QTest::mouseClick(w.lstsong->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          rowCentre(w.lstsong, 1));
        QCOMPARE(f.playlist.selectedIndex(), 1);
        QTest::keyClick(w.lstsong, Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(f.playlist.selectedIndex(), 1);
        // Below the last entry: nothing to select, so nothing changes.
        const QPoint blank(10, w.lstsong->viewport()->height() - 3);
        QVERIFY(!w.lstsong->indexAt(blank).isValid());
        QTest::mouseClick(w.lstsong->viewport(), Qt::LeftButton, {}, blank);
        QCOMPARE(f.playlist.selectedIndex(), 1);
        QTest::mouseClick(w.lstsong->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          rowCentre(w.lstsong, 2));
        QCOMPARE(f.playlist.selectedPath(), QStringLiteral("/m/c"));
    }

    void listPopupActsOnThePriorSelection() {
        MainWindowFixture f;
        f.fill({"a", "b", "c", "d", "e"});
        f.playlist.select(1);
        MainWindow& w = f.make();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QWidget* popup = nullptr;
        chooseInNextPopup(w.lstsong->mnudel, &popup);
        QTest::mouseClick(w.lstsong->viewport(), Qt::RightButton, {}, rowCentre(w.lstsong, 3));
        QCOMPARE(popup, w.lstsong->mnulist);
        QCOMPARE(f.playlist.lstsong.entries(), (QStringList{"a", "c", "d", "e"}));
        QCOMPARE(f.playlist.temlst.entries(), (QStringList{"/m/a", "/m/c", "/m/d", "/m/e"}));
        QCOMPARE(f.playlist.selectedIndex(), -1);
        QCOMPARE(f.playlist.temlst.listIndex(), -1);
        QVERIFY(w.lstsong->selectionModel()->selectedRows().isEmpty());
        // Nor does any row look current.
        QVERIFY(!w.lstsong->currentIndex().isValid());
    }

    void tooltipsShowWhileAnotherPlayerWindowIsActive() {
        MainWindowFixture f;
        MainWindow& w = f.make();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QWidget video;
        video.setGeometry(600, 100, 200, 150);
        video.show();
        QVERIFY(QTest::qWaitForWindowExposed(&video));
        QApplication::setActiveWindow(&video);
        QTRY_VERIFY(video.isActiveWindow());
        QTest::mouseMove(w.about, QPoint(5, 5));
        QTest::mouseMove(w.about, QPoint(6, 6));
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QStringLiteral("关于"));
        QToolTip::hideText();
    }

    // Every text shows whole: each is checked against the rectangle its
    // control leaves it.
    void textsFitTheirControls() {
        MainWindowFixture f;
        f.fill({"中文标题", "clip640_60"});
        MainWindow& w = f.make();
        const auto fits = [](QWidget* control, const QString& text) {
            const QSize needed = Widgets::textSize(control->font(), text);
            const QSize room = control->contentsRect().size();
            return needed.width() <= room.width() && needed.height() <= room.height();
        };
        QLabel* sound = w.frm->lblsound;
        for (int v = -5000; v <= 5000; ++v)
            for (bool dragging : {false, true})
                if (const std::optional<QString> text = BalanceLabel(v, dragging))
                    QVERIFY2(fits(sound, *text), qPrintable(*text));
        for (int v = 0; v <= 2500; ++v)
            QVERIFY2(fits(sound, VolumeLabel(v, true)), qPrintable(VolumeLabel(v, true)));

        for (const QString& title :
             {QStringLiteral("clip640_60"), QStringLiteral("播放中心 gjpqy_")}) {
            f.songTitle.setText(title);
            // The strip scrolls the text sideways; upwards and downwards it
            // has to stay inside.
            const int top = Twips::toPx(45);
            QVERIFY2(top + Widgets::textSize(w.frm->lblsongname->font(), title).height() <=
                         w.frm->Picture1->height(),
                     qPrintable(title));
        }

        // Rows keep the height Chinese text needs whatever titles follow.
        const QRect chinese = w.lstsong->visualRect(f.playlist.lstsong.index(0));
        QVERIFY(chinese.height() >= Widgets::textSize(w.lstsong->font(), "中文标题").height());
        QCOMPARE(w.lstsong->visualRect(f.playlist.lstsong.index(1)).height(), chinese.height());
    }

    void muteBoxMutesTheEngine() {
        MainWindowFixture f;
        MainWindow& w = f.make();
        QVERIFY(!w.frm->Check1->isChecked());
        w.frm->Check1->click();
        QVERIFY(f.video.player.muted);
        w.frm->Check1->click();
        QVERIFY(!f.video.player.muted);
    }

    void helpOpensTheTips() {
        MainWindowFixture f;
        MainWindow& w = f.make();
        QTest::mouseClick(w.frm->help, Qt::LeftButton);
        w.mnuhelp->trigger();
        QCOMPARE(f.tips.opened, 2);
    }

    void vcdButtonReportsAMissingDisc() {
        MainWindowFixture f;
        f.fill({"a"});
        MainWindow& w = f.make();
        QTest::mouseClick(w.frm->playvcd, Qt::LeftButton);
        QCOMPARE(f.messages.shown.size(), 1);
        QVERIFY(f.messages.shown.first().startsWith(QStringLiteral("Sonvela|")));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
