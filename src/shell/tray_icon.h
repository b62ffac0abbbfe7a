#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>

class QMenu;
class QWidget;

// What the notification area is given at start-up and what removes the
// icon again at close: one record, filled once, used for both.
struct TrayIconRecord {
    static constexpr int CallbackValid = 1;
    static constexpr int IconValid = 2;
    static constexpr int TooltipValid = 4;
    // Mouse activity on the icon arrives as the owner's mouse moves.
    static constexpr int MouseMoveMessage = 512;

    QWidget* owner = nullptr;
    qint64 id = 0; // the icon's identity (its cache key), as the icon field
    int flags = CallbackValid | IconValid | TooltipValid;
    int callbackMessage = MouseMoveMessage;
    QIcon icon;
    QString tooltip = QStringLiteral("Sonvela");
};

// Fills the record for `owner`: its window icon, the tooltip "Sonvela".
TrayIconRecord MakeTrayIconRecord(QWidget* owner);

// The program's icon in the notification area. A left click (trigger or
// double-click) reports `leftPressed`; a right click opens `menu` at the
// pointer, by the platform's own context-menu mechanism.
class TrayIcon : public QObject {
    Q_OBJECT
  public:
    TrayIcon(QMenu* menu, QObject* parent = nullptr);

    // Action "add": shows the icon as the record describes it.
    void add(const TrayIconRecord& record);
    // Action "delete": removes the icon the record added.
    void remove(const TrayIconRecord& record);

    bool isShown() const { return icon_.isVisible(); }
    QSystemTrayIcon& icon() { return icon_; }

  signals:
    void leftPressed();

  private:
    void activated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon icon_;
    qint64 shownId_ = 0;
};
