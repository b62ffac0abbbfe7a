#include "support/fakes.h"

FakeVideoHost::FakeVideoHost() {
    window.setObjectName(QStringLiteral("frmplay"));
    player.view()->setParent(&window);
    window.resize(320, 260);
}

void FakeVideoHost::showVideoWindow() {
    ++shown;
    window.show();
}

void RecordingMessages::show(QMessageBox::Icon icon, const QString& title, const QString& text) {
    shown << title + QLatin1Char('|') + text;
    icons << icon;
}

void RecordingMessages::clear() {
    shown.clear();
    icons.clear();
}

std::optional<OpticalDrive> FakeDriveProbe::firstDrive() {
    ++asked;
    return drive;
}
