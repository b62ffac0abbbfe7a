#pragma once

#include <QAccessibleWidget>

class ImageButton;

// What a screen reader sees of an image button: a push button named by its
// tooltip (or its accessible name, where one is set) whose press action
// clicks it. The press runs once the reader's call has returned, since a
// button may open a modal dialog.
class AccessibleButton : public QAccessibleWidget {
  public:
    explicit AccessibleButton(ImageButton* button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

    // Lets Qt build one for every ImageButton, and the interfaces that
    // setAccessibleRole asks for; safe to call more than once.
    static void registerFactory();

  private:
    ImageButton* button() const;
};

namespace Widgets {
// What a screen reader takes `widget` for, where Qt's guess from its class
// is wrong (a frameless window is no dialog to it, a drawn text no label).
// Takes effect only before the widget is first looked at.
void setAccessibleRole(QWidget* widget, QAccessible::Role role);
} // namespace Widgets
