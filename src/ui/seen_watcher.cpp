#include "ui/seen_watcher.h"

#include <QEvent>
#include <QWidget>

SeenWatcher::SeenWatcher(QWidget* widget) : QObject(widget), widget_(widget) {
    widget->installEventFilter(this);
    watchWindow();
    seen_ = isSeen(widget);
}

bool SeenWatcher::isSeen(const QWidget* widget) {
    return widget->isVisible() && !widget->window()->isMinimized();
}

void SeenWatcher::watchWindow() {
    QWidget* window = widget_->window();
    if (window == window_)
        return;
    if (window_)
        window_->removeEventFilter(this);
    window_ = window;
    if (window != widget_)
        window->installEventFilter(this);
}

bool SeenWatcher::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::WindowStateChange:
    case QEvent::ParentChange:
        settleLater();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void SeenWatcher::settleLater() {
    if (settling_)
        return;
    settling_ = true;
    QMetaObject::invokeMethod(this, &SeenWatcher::settle, Qt::QueuedConnection);
}

void SeenWatcher::settle() {
    settling_ = false;
    if (!widget_)
        return;
    watchWindow();
    const bool seen = isSeen(widget_);
    if (seen == seen_)
        return;
    seen_ = seen;
    emit seenChanged(seen);
}
