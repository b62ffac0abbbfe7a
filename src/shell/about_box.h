#pragma once

#include <QString>
#include <memory>

class QMessageBox;
class QWidget;

// The About box's texts: its title and first line, and the line below.
extern const QString AboutAppName;        // "Sonvela"
extern const QString AboutAdditionalText; // begins with two spaces

// The About box, owned by and modal to `owner`, with the owner's window
// icon; not yet shown.
std::unique_ptr<QMessageBox> BuildAboutBox(QWidget* owner);

// about_Click: shows the About box and returns once it is closed.
void ShowAboutBox(QWidget* owner);
