#include "tips/tips_manager.h"

#include "tips/tip_dialog.h"

#include <QGuiApplication>
#include <QWindow>

TipsManager::TipsManager(SettingsStore& settings, QString appName, QString programFolder,
                         QObject* parent)
    : QObject(parent), settings_(settings), appName_(std::move(appName)),
      programFolder_(std::move(programFolder)) {}

TipsManager::~TipsManager() {
    // The dialog reads our store; it must not outlive it. Deleting it runs
    // no closing steps, as when the program ends with the dialog open.
    delete dialog_.data();
}

void TipsManager::openTips() {
    if (dialog_) {
        dialog_->show();
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    auto* dialog = new TipDialog(settings_, appName_, programFolder_, store_);
    if (!dialog->Form_Load())
        return; // it closed itself and is on its way out
    dialog_ = dialog;
    attachToOwner();
    dialog->show();
}

void TipsManager::attachToOwner() {
    if (!owner_)
        return;
    // Both native windows exist before the dialog is shown, so the window
    // system learns the relation when it maps the dialog.
    owner_->winId();
    dialog_->winId();
    dialog_->windowHandle()->setTransientParent(owner_->windowHandle());
}

void TipsManager::keepAboveOwner() {
    if (!dialog_ || !owner_ || !dialog_->isVisible())
        return;
    attachToOwner();
    // A Wayland compositor links the two only when it maps the dialog. An
    // X window manager reads the link at any time, and there hiding and
    // showing a window it is still mapping can leave it unmapped for good.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        dialog_->hide();
        dialog_->show();
    }
    dialog_->raise();
}
