#include "ui/image_button.h"

#include "ui/accessibility.h"
#include "ui/input_codes.h"

#include <QKeyEvent>
#include <QMouseEvent>

ImageButton::ImageButton(const QString& name, QWidget* parent) : QLabel(parent) {
    setObjectName(name);
    setScaledContents(true);
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);
    AccessibleButton::registerFactory();
}

void ImageButton::press() {
    emit pressed(1);
    emit released(1);
    emit clicked();
}

void ImageButton::setLook(const QPixmap& picture) {
    setPixmap(picture);
}

void ImageButton::setOutlined(bool outlined) {
    if (outlined == outlined_)
        return;
    outlined_ = outlined;
    setFrameStyle(outlined ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
    setLineWidth(1);
}

void ImageButton::mousePressEvent(QMouseEvent* event) {
    emit pressed(buttonCode(event->button()));
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event) {
    emit released(buttonCode(event->button()));
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}

void ImageButton::mouseMoveEvent(QMouseEvent* event) {
    emit hovered();
    QLabel::mouseMoveEvent(event);
}

void ImageButton::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat())
            press();
        event->accept();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}
