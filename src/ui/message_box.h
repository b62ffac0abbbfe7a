#pragma once

#include <QMessageBox>
#include <QString>
#include <memory>

// A message box of the player: a single OK button, the given icon, title
// and text. It opens centred over `parent` when that window is on screen,
// in the middle of the screen otherwise (a box of a window not shown yet
// would open at the screen's corner).
std::unique_ptr<QMessageBox> BuildMessageBox(QMessageBox::Icon icon, const QString& title,
                                             const QString& text, QWidget* parent);

// Widens `box` so the window manager's title bar shows the whole title
// beside its buttons; a box sized to a short text would cut it to "提…".
void FitTitle(QMessageBox& box);
