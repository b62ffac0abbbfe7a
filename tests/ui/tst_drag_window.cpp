#include "ui/drag_window.h"

#include <QTest>
#include <QWidget>

namespace {

// A drag handle as the windows have them: any press hands the window on.
class Handle : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void mousePressEvent(QMouseEvent*) override { DragWindow(this); }
};

struct DragFixture {
    DragFixture() {
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        window.setGeometry(100, 100, 200, 150);
        handle->setGeometry(0, 0, 200, 16);
        body->setGeometry(0, 16, 200, 134);
        window.show();
    }
    QWidget window;
    Handle* handle = new Handle(&window);
    QWidget* body = new QWidget(&window);
};

} // namespace

class TestDragWindow : public QObject {
    Q_OBJECT
  private slots:
    void windowFollowsThePointerWithAnyButton_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("left") << Qt::LeftButton;
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }
    void windowFollowsThePointerWithAnyButton() {
        QFETCH(Qt::MouseButton, button);
        DragFixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        const QPoint start = f.window.pos();
        QTest::mouseMove(f.handle, QPoint(10, 8));
        QTest::mousePress(f.handle, button, {}, QPoint(10, 8));
        QTest::mouseMove(f.handle, QPoint(40, 28));
        QCOMPARE(f.window.pos(), start + QPoint(30, 20));
        QTest::mouseRelease(f.handle, button, {}, QPoint(10, 8));
        QCOMPARE(f.window.pos(), start + QPoint(30, 20));

        // The move ended with the release: a drag elsewhere moves nothing.
        QTest::mousePress(f.body, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(f.body, QPoint(60, 50));
        QTest::mouseRelease(f.body, Qt::LeftButton, {}, QPoint(60, 50));
        QCOMPARE(f.window.pos(), start + QPoint(30, 20));
    }

    void pressAndReleaseLeaveTheWindowWhereItWas() {
        DragFixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        const QPoint start = f.window.pos();
        QTest::mouseMove(f.handle, QPoint(10, 8));
        QTest::mouseClick(f.handle, Qt::LeftButton, {}, QPoint(10, 8));
        QTest::mousePress(f.body, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(f.body, QPoint(60, 50));
        QCOMPARE(f.window.pos(), start);
    }
};

QTEST_MAIN(TestDragWindow)
#include "tst_drag_window.moc"
