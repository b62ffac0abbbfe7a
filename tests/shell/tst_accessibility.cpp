#include "main_window_fixture.h"

#include "playback/control_panel.h"
#include "shell/keyboard_order.h"
#include "ui/image_button.h"

#include <QAbstractSlider>
#include <QAccessible>
#include <QApplication>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>

// The main window as a screen reader and a keyboard user meet it.
class TestAccessibility : public QObject {
    Q_OBJECT
  private slots:
    void everyControlHasRoleNameAndAction_data() {
        QTest::addColumn<QString>("object");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("name");
        const int button = QAccessible::Button;
        const QStringList buttons = {"SystemButtonImage_0|关闭",
                                     "SystemButtonImage_1|隐藏",
                                     "about|关于",
                                     "CloseButtonIamge_0|隐藏或显示[列表]窗口",
                                     "CloseButtonIamge_1|隐藏或显示[属性]窗口",
                                     "CtrlImage_0|打开单个媒体文件",
                                     "CtrlImage_1|播放",
                                     "CtrlImage_2|停止",
                                     "CtrlImage_3|暂停播放",
                                     "CtrlImage_4|下一首",
                                     "CtrlImage_5|前一首",
                                     "playvcd|播放VCD文件",
                                     "help|帮助文件"};
        for (const QString& row : buttons)
            QTest::newRow(qPrintable(row))
                << row.section('|', 0, 0) << button << row.section('|', 1);
        QTest::newRow("seek") << "Slider1" << int(QAccessible::Slider) << "播放进度";
        QTest::newRow("volume") << "HScroll1" << int(QAccessible::ScrollBar) << "音量";
        QTest::newRow("balance") << "HScroll2" << int(QAccessible::ScrollBar) << "平衡";
        QTest::newRow("mute") << "Check1" << int(QAccessible::CheckBox) << "静音";
        QTest::newRow("title") << "lblsongname" << int(QAccessible::Client) << "Sonvela";
    }

    void everyControlHasRoleNameAndAction() {
        QFETCH(QString, object);
        QFETCH(int, role);
        QFETCH(QString, name);
        MainWindowFixture f;
        f.songTitle.setText("Sonvela");
        MainWindow& w = f.make();
        w.frm->openFileDialog = [] { return QString(); };
        w.frm->Slider1->setMaximum(100);
        auto* control = w.findChild<QWidget*>(object);
        QVERIFY(control);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(control);
        QCOMPARE(int(a->role()), role);
        QCOMPARE(a->text(QAccessible::Name), name);
        if (auto* bar = qobject_cast<QAbstractSlider*>(control)) {
            a->valueInterface()->setCurrentValue(bar->minimum() + 20);
            QCOMPARE(bar->value(), bar->minimum() + 20);
            QCOMPARE(a->valueInterface()->currentValue().toInt(), bar->value());
            return;
        }
        const QString action = role == QAccessible::Button
                                   ? QAccessibleActionInterface::pressAction()
                                   : QAccessibleActionInterface::toggleAction();
        if (role == QAccessible::Client)
            return;
        QVERIFY(a->actionInterface()->actionNames().contains(action));
        auto* button = qobject_cast<ImageButton*>(control);
        QSignalSpy clicks(button ? static_cast<QObject*>(button) : control,
                          button ? SIGNAL(clicked()) : SIGNAL(toggled(bool)));
        // The About box is modal: close it once it shows.
        QTimer::singleShot(300, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                box->close();
        });
        a->actionInterface()->doAction(action);
        QTRY_COMPARE(clicks.count(), 1);
    }

    void tabWalksInReadingOrderAndSpacePresses() {
        MainWindowFixture f;
        MainWindow& w = f.make();
        w.show();
        QApplication::setActiveWindow(&w);
        const QList<QWidget*> order = ReadingOrder(w);
        order.first()->setFocus(Qt::TabFocusReason);
        for (QWidget* expected : order.mid(1)) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), expected);
            QCOMPARE(w.findChild<QWidget*>("focusMark")->geometry().center(),
                     expected->mapTo(&w, expected->rect().center()));
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), order[order.size() - 2]);
        QSignalSpy clicks(w.frm->CtrlImage[3], &ImageButton::clicked);
        w.frm->CtrlImage[3]->setFocus(Qt::TabFocusReason);
        QTest::keyClick(w.frm->CtrlImage[3], Qt::Key_Space);
        QTest::keyClick(w.frm->CtrlImage[3], Qt::Key_Return);
        QCOMPARE(clicks.count(), 2);
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
