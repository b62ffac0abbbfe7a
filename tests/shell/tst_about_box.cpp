#include "shell/about_box.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace {

QIcon redIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::red);
    return QIcon(pixmap);
}

QLabel* informativeLabel(QMessageBox& box) {
    return box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
}

} // namespace

class TestAboutBox : public QObject {
    Q_OBJECT
  private slots:
    void textsAndIcon() {
        QWidget owner;
        owner.setWindowIcon(redIcon());
        const auto box = BuildAboutBox(&owner);
        QCOMPARE(box->parentWidget(), &owner);
        QCOMPARE(box->windowTitle(), QStringLiteral("Sonvela"));
        QCOMPARE(box->text(), QStringLiteral("Sonvela"));
        QCOMPARE(box->informativeText(), QStringLiteral("  超强格式支持；方便实用快捷！"));
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box->iconPixmap().toImage().pixelColor(10, 10), QColor(Qt::red));
        QCOMPARE(box->windowIcon().pixmap(16).toImage().pixelColor(5, 5), QColor(Qt::red));
    }

    void leadingSpacesSurviveOnScreen() {
        // Rich text would fold the two spaces away; the shown label keeps
        // them only as plain text.
        QWidget owner;
        const auto box = BuildAboutBox(&owner);
        QLabel* label = informativeLabel(*box);
        QVERIFY(label);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->text(), AboutAdditionalText);
        QVERIFY(AboutAdditionalText.startsWith(QStringLiteral("  超")));
    }

    void modalToItsOwner() {
        QWidget owner;
        owner.show();
        bool sawBox = false;
        // ShowAboutBox returns only once the box is closed.
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            sawBox = box && box->isModal() && box->windowModality() == Qt::WindowModal &&
                     box->parentWidget() == &owner;
            if (box)
                box->button(QMessageBox::Ok)->click();
        });
        ShowAboutBox(&owner);
        QVERIFY(sawBox);
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_about_box.moc"
