#include "ui/drag_window.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <xcb/xcb.h>

namespace {

// Follows the pointer with a window until no mouse button is held any more.
// Watches the application's mouse events, because while a button is held the
// widget that took the press keeps receiving the moves, wherever it is.
class PointerFollower : public QObject {
  public:
    explicit PointerFollower(QWidget* window) : window_(window), lastPointer_(QCursor::pos()) {
        qApp->installEventFilter(this);
    }

  protected:
    // One move reaches the native window, the widget and the parents it
    // propagates to; every copy carries the same global position, so only
    // the first one moves the window.
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MouseMove && event->type() != QEvent::MouseButtonRelease)
            return false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // A move without a button means the release went elsewhere.
        if (mouse->buttons() == Qt::NoButton || !window_)
            finish();
        else if (event->type() == QEvent::MouseMove)
            follow(mouse->globalPosition().toPoint());
        return false;
    }

  private:
    void follow(const QPoint& pointer) {
        window_->move(window_->pos() + (pointer - lastPointer_));
        lastPointer_ = pointer;
    }

    void finish() {
        qApp->removeEventFilter(this);
        deleteLater();
    }

    QPointer<QWidget> window_;
    QPoint lastPointer_;
};

// False when the X server knows the left button is up again: the press we
// are handling is from a click that is already over (the program was busy),
// and a window manager handed the move now would run it until the next click,
// dragging the window after the pointer. True where there is no X server.
bool leftButtonStillDown() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return true;
    xcb_connection_t* connection = x11->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_query_pointer_reply_t* pointer =
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr);
    const bool down = !pointer || (pointer->mask & XCB_BUTTON_MASK_1);
    free(pointer);
    return down;
}

bool startWindowManagerMove(QWidget* window) {
    // The window manager's move loop ends on a left-button release, so it
    // can only take over a drag made with the left button.
    if (QGuiApplication::mouseButtons() != Qt::LeftButton)
        return false;
    QWindow* handle = window->windowHandle();
    return handle && handle->startSystemMove();
}

} // namespace

void DragWindow(QWidget* window) {
    if (!window)
        return;
    QWidget* topLevel = window->window();
    // The pressed widget holds the mouse grab; the move must not stay
    // bound to it.
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    if (QGuiApplication::mouseButtons() == Qt::LeftButton && !leftButtonStillDown())
        return;
    if (startWindowManagerMove(topLevel))
        return;
    new PointerFollower(topLevel);
}
