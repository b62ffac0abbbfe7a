#pragma once

#include "ui/message_box.h"

#include <QMessageBox>
#include <QString>

// The title of the player's everyday warnings.
inline const QString NoticeTitle = QStringLiteral("提示……");

// Every message of the program is a box with a single OK button. Windows
// use QtMessages; tests record what would have been shown.
class Messages {
  public:
    virtual ~Messages() = default;
    virtual void show(QMessageBox::Icon icon, const QString& title, const QString& text) = 0;

    void warning(const QString& title, const QString& text) {
        show(QMessageBox::Warning, title, text);
    }
};

class QtMessages : public Messages {
  public:
    explicit QtMessages(QWidget* parent = nullptr) : parent_(parent) {}
    // Boxes are centred over this window from now on, once it shows.
    void setParent(QWidget* parent) { parent_ = parent; }
    void show(QMessageBox::Icon icon, const QString& title, const QString& text) override {
        BuildMessageBox(icon, title, text, parent_)->exec();
    }

  private:
    QWidget* parent_;
};
