#include "ui/accessibility.h"

#include "ui/image_button.h"

namespace {

const char* const RoleProperty = "sonvelaAccessibleRole";
const char* const DecorativeProperty = "sonvelaDecorative";

bool isDecorative(const QObject* object) {
    return object->property(DecorativeProperty).toBool();
}

// A widget with the role the program gave it, whose children are its child
// widgets less the decorative ones.
class RoledWidget : public QAccessibleWidget {
  public:
    using QAccessibleWidget::QAccessibleWidget;

    int childCount() const override { return int(children().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> shown = children();
        return index >= 0 && index < shown.size()
                   ? QAccessible::queryAccessibleInterface(shown[index])
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child ? int(children().indexOf(child->object())) : -1;
    }

  private:
    QList<QWidget*> children() const {
        QList<QWidget*> shown;
        for (int i = 0; i < QAccessibleWidget::childCount(); ++i) {
            QAccessibleInterface* each = QAccessibleWidget::child(i);
            if (each && each->object() && !isDecorative(each->object()))
                shown << static_cast<QWidget*>(each->object());
        }
        return shown;
    }
};

QAccessibleInterface* makeInterface(const QString& className, QObject* object) {
    if (className == QLatin1String("ImageButton"))
        return new AccessibleButton(static_cast<ImageButton*>(object));
    if (!object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (isDecorative(object))
        return new QAccessibleWidget(widget, QAccessible::NoRole);
    const QVariant role = object->property(RoleProperty);
    if (role.isValid())
        return new RoledWidget(widget, QAccessible::Role(role.toInt()));
    return nullptr;
}

} // namespace

// Ahead of Qt's widget interfaces, so that a plain QFrame or QLabel can be
// given a role or left out as well.
static void registerAsTheProgramLoads() {
    AccessibleButton::registerFactory();
}
Q_CONSTRUCTOR_FUNCTION(registerAsTheProgramLoads)

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

void Widgets::setDecorative(QWidget* widget) {
    AccessibleButton::registerFactory();
    widget->setProperty(DecorativeProperty, true);
}

void Widgets::describe(QWidget* widget, const QString& description) {
    if (widget->accessibleDescription() == description)
        return;
    widget->setAccessibleDescription(description); // readers hear of the change
}
