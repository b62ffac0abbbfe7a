#include "ui/focus_mark.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

namespace {
// Room between the control and the frame, in pixels.
constexpr int Gap = 1;
} // namespace

FocusMark::FocusMark(QWidget* window, QColor colour) : QWidget(window), colour_(colour) {
    setObjectName(QStringLiteral("focusMark"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { follow(now); });
}

void FocusMark::follow(QWidget* now) {
    if (target_)
        target_->removeEventFilter(this);
    target_ = now && now != parentWidget() && parentWidget()->isAncestorOf(now) ? now : nullptr;
    if (!target_) {
        hide();
        return;
    }
    target_->installEventFilter(this);
    place();
}

void FocusMark::place() {
    const QRect inWindow(target_->mapTo(parentWidget(), QPoint(0, 0)), target_->size());
    setGeometry(inWindow.adjusted(-Gap - 1, -Gap - 1, Gap + 1, Gap + 1));
    raise();
    setVisible(target_->isVisible());
}

bool FocusMark::eventFilter(QObject* watched, QEvent* event) {
    if (watched == target_) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            place();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FocusMark::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QPen pen(colour_, 1, Qt::DotLine);
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
