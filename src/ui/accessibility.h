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
    // setAccessibleRole and setDecorative ask for; safe to call more than
    // once. It runs as the program loads, ahead of Qt's own widgets.
    static void registerFactory();

  private:
    ImageButton* button() const;
};

namespace Widgets {
// What a screen reader takes `widget` for, where Qt's guess from its class
// is wrong (a frameless window is no dialog to it, a drawn text no label).
// Takes effect only before the widget is first looked at.
void setAccessibleRole(QWidget* widget, QAccessible::Role role);
// Leaves `widget` (a line, a picture, a drag handle) out of what screen
// readers see: it is no child of a parent given a role above.
void setDecorative(QWidget* widget);
// Sets `widget`'s accessible description when it differs. Screen readers
// hear of each change, and one on the widget reads the new text out.
void describe(QWidget* widget, const QString& description);
} // namespace Widgets
