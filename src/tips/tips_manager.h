#pragma once

#include "shared/tips_host.h"
#include "tips/tip_dialog.h"
#include "tips/tip_store.h"

#include <QObject>
#include <QPointer>

class QWidget;
class SettingsStore;

// Owns the one tip-of-the-day dialog and the tips it has read. The tips
// and the number on show stay here while the dialog comes and goes.
class TipsManager : public QObject, public TipsHost {
    Q_OBJECT
  public:
    // `appName` is the executable's name (the settings' application name);
    // `programFolder` holds the tips file.
    TipsManager(SettingsStore& settings, QString appName, QString programFolder,
                QObject* parent = nullptr);
    ~TipsManager() override;

    // Creates and opens the dialog, or shows the open one unchanged.
    void openTips() override;
    // The open dialog, or null.
    TipDialog* dialog() const { return dialog_; }

    // The window the dialog stays above: its transient parent, so that a
    // compositor where raise() does nothing (Wayland) keeps it on top.
    void setOwner(QWidget* window) { owner_ = window; }
    // Once the owner is on screen: the open dialog above it. A Wayland
    // compositor links the two windows when it maps the dialog, and only
    // when the owner is mapped by then, so there it is shown again.
    void keepAboveOwner();

    const TipStore& store() const { return store_; }

  private:
    void attachToOwner();

    SettingsStore& settings_;
    QString appName_;
    QString programFolder_;
    TipStore store_;
    QPointer<TipDialog> dialog_;
    QPointer<QWidget> owner_;
};
