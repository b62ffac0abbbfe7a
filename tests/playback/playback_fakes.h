#pragma once

#include "shell/messages.h"
#include "support/fake_engine.h"
#include "video/video_host.h"

#include <QStringList>

// A video window that only counts how often it was shown.
struct FakeVideoHost : VideoHost {
    FakeEngine player;
    int shown = 0;
    MediaEngine& engine() override { return player; }
    void showVideoWindow() override { ++shown; }
    void hideVideoWindow() override {}
    void popupVideoMenu() override {}
};

// Message boxes as "title|text", warnings only (anything else is marked).
struct RecordingMessages : Messages {
    QStringList shown;
    void show(QMessageBox::Icon icon, const QString& title, const QString& text) override {
        const QString mark = icon == QMessageBox::Warning ? QString() : QStringLiteral("!icon ");
        shown << mark + title + QLatin1Char('|') + text;
    }
};
