#include "shell/tray_icon.h"

#include <QMenu>
#include <QWidget>

TrayIconRecord MakeTrayIconRecord(QWidget* owner) {
    TrayIconRecord record;
    record.owner = owner;
    record.icon = owner->windowIcon();
    record.id = record.icon.cacheKey();
    return record;
}

TrayIcon::TrayIcon(QMenu* menu, QObject* parent) : QObject(parent) {
    icon_.setContextMenu(menu);
    connect(&icon_, &QSystemTrayIcon::activated, this, &TrayIcon::activated);
}

void TrayIcon::add(const TrayIconRecord& record) {
    if (record.flags & TrayIconRecord::IconValid)
        icon_.setIcon(record.icon);
    if (record.flags & TrayIconRecord::TooltipValid)
        icon_.setToolTip(record.tooltip);
    shownId_ = record.id;
    icon_.show();
}

void TrayIcon::remove(const TrayIconRecord& record) {
    // Only the record that added the icon removes it.
    if (record.id != shownId_)
        return;
    icon_.hide();
    shownId_ = 0;
}

void TrayIcon::activated(QSystemTrayIcon::ActivationReason reason) {
    // Right clicks are the context menu's; only the left button shows the
    // windows, whether the shell reports a click or a double-click.
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
        emit leftPressed();
}
