#pragma once

#include "platform/optical_drive.h"
#include "shared/panel_host.h"
#include "shared/tips_host.h"
#include "shared/video_host.h"
#include "support/fake_engine.h"
#include "ui/messages.h"

#include <QList>
#include <QStringList>
#include <QWidget>
#include <optional>

// The video window as its users see it: a real top-level widget carrying the
// fake engine's picture, with counts of shows and menu popups.
class FakeVideoHost : public VideoHost {
  public:
    FakeVideoHost();
    MediaEngine& engine() override { return player; }
    void showVideoWindow() override;
    void hideVideoWindow() override { window.hide(); }
    void popupVideoMenu(QPoint /*at*/) override { ++menuPopups; }

    QWidget window;
    FakeEngine player;
    int shown = 0;
    int menuPopups = 0;
};

// Every message box, as "title|text" with its icon alongside.
class RecordingMessages : public Messages {
  public:
    void show(QMessageBox::Icon icon, const QString& title, const QString& text) override;
    void clear();

    QStringList shown;
    QList<QMessageBox::Icon> icons;
};

class CountingTips : public TipsHost {
  public:
    void openTips() override { ++opened; }
    int opened = 0;
};

// The control panel as the video window's keys reach it: each call, in order.
class RecordingPanel : public PanelHost {
  public:
    void pressPause() override { calls << QStringLiteral("pause"); }
    void seekBy(int seconds) override { calls << QStringLiteral("seek %1").arg(seconds); }
    void stepVolume(int steps) override { calls << QStringLiteral("volume %1").arg(steps); }
    void toggleMute() override { calls << QStringLiteral("mute"); }
    QStringList calls;
};

// Answers with `drive` (none unless set) and counts the questions.
class FakeDriveProbe : public OpticalDriveProbe {
  public:
    FakeDriveProbe() = default;
    explicit FakeDriveProbe(std::optional<OpticalDrive> first) : drive(std::move(first)) {}
    std::optional<OpticalDrive> firstDrive() override;

    std::optional<OpticalDrive> drive;
    int asked = 0;
};
