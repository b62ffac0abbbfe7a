#include "main_window_fixture.h"

#include "playback/control_panel.h"

#include <QAccessible>
#include <QApplication>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>

// The main window as a screen reader meets it.
class TestAccessibility : public QObject {
    Q_OBJECT
  private slots:
    void everyControlHasRoleNameAndAction_data() {
        // object|role|name; roles: 43 Button, 51 Slider, 3 ScrollBar, 44 CheckBox, 41 StaticText.
        QTest::addColumn<QString>("row");
        for (const char* row :
             {"SystemButtonImage_0|43|关闭", "SystemButtonImage_1|43|隐藏", "about|43|关于",
              "CloseButtonIamge_0|43|隐藏或显示[列表]窗口",
              "CloseButtonIamge_1|43|隐藏或显示[属性]窗口", "CtrlImage_0|43|打开单个媒体文件",
              "CtrlImage_1|43|播放", "CtrlImage_2|43|停止", "CtrlImage_3|43|暂停播放",
              "CtrlImage_4|43|下一首", "CtrlImage_5|43|前一首", "playvcd|43|播放VCD文件",
              "help|43|帮助文件", "Slider1|51|播放进度", "HScroll1|3|音量", "HScroll2|3|平衡",
              "Check1|44|静音", "lblsongname|41|Sonvela"})
            QTest::newRow(row) << QString::fromUtf8(row);
    }

    // Buttons are pressed and the box ticked through their action; bars
    // are moved and read through their value.
    void everyControlHasRoleNameAndAction() {
        QFETCH(QString, row);
        MainWindowFixture f;
        f.songTitle.setText("Sonvela");
        MainWindow& w = f.make();
        w.frm->openFileDialog = [] { return QString(); };
        w.frm->Slider1->setMaximum(100);
        auto* control = w.findChild<QWidget*>(row.section('|', 0, 0));
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(control);
        QCOMPARE(int(a->role()), row.section('|', 1, 1).toInt());
        QCOMPARE(a->text(QAccessible::Name), row.section('|', 2));
        if (auto* bar = qobject_cast<QAbstractSlider*>(control)) {
            a->valueInterface()->setCurrentValue(bar->minimum() + 20);
            QCOMPARE(bar->value(), bar->minimum() + 20);
            QCOMPARE(a->valueInterface()->currentValue().toInt(), bar->value());
        } else if (a->role() != QAccessible::StaticText) {
            const bool isButton = a->role() == QAccessible::Button;
            QSignalSpy pressed(control, isButton ? SIGNAL(clicked()) : SIGNAL(toggled(bool)));
            // The About box is modal: close it once it shows.
            QTimer::singleShot(300, [] {
                if (QWidget* box = QApplication::activeModalWidget())
                    box->close();
            });
            a->actionInterface()->doAction(isButton ? QAccessibleActionInterface::pressAction()
                                                    : QAccessibleActionInterface::toggleAction());
            QTRY_COMPARE(pressed.count(), 1);
        }
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
