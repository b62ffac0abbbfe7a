#include "ui/accessibility.h"

#include "ui/image_button.h"

namespace {

const char* const RoleProperty = "sonvelaAccessibleRole";

QAccessibleInterface* makeInterface(const QString& className, QObject* object) {
    if (className == QLatin1String("ImageButton"))
        return new AccessibleButton(static_cast<ImageButton*>(object));
    const QVariant role = object->property(RoleProperty);
    if (role.isValid() && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object),
                                     QAccessible::Role(role.toInt()));
    return nullptr;
}

} // namespace

AccessibleButton::AccessibleButton(ImageButton* button)
    : QAccessibleWidget(button, QAccessible::Button) {}

ImageButton* AccessibleButton::button() const {
    return static_cast<ImageButton*>(widget());
}

QString AccessibleButton::text(QAccessible::Text t) const {
    if (t == QAccessible::Name && button()->accessibleName().isEmpty())
        return button()->toolTip();
    if (t == QAccessible::Description && button()->accessibleDescription().isEmpty())
        return {}; // the tooltip is already the name
    return QAccessibleWidget::text(t);
}

QAccessible::State AccessibleButton::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.focusable = true;
    return s;
}

QStringList AccessibleButton::actionNames() const {
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
}

void AccessibleButton::doAction(const QString& actionName) {
    if (actionName == pressAction())
        QMetaObject::invokeMethod(button(), &ImageButton::press, Qt::QueuedConnection);
    else
        QAccessibleWidget::doAction(actionName);
}

void AccessibleButton::registerFactory() {
    static const bool registered = [] {
        QAccessible::installFactory(makeInterface);
        return true;
    }();
    Q_UNUSED(registered);
}

void Widgets::setAccessibleRole(QWidget* widget, QAccessible::Role role) {
    AccessibleButton::registerFactory();
    widget->setProperty(RoleProperty, int(role));
}
