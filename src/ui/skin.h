#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

// The pictures of the main window's chrome, drawn by the program so nothing
// binary is kept by hand. Every picture keeps its logical size (the size the
// layouts are made for) and is drawn with extra device pixels, so it stays
// crisp on high-density screens and when a button shrinks it to fit.
namespace Skin {

// The 326 by 17 picture stretched over the title, list and properties
// strips (and the tips dialog's strip).
QPixmap StripPicture();

// The 17 by 16 button looks of the image store: b0 normal, b1 pressed.
//  0: toggle whose panel is hidden; also the close button
//  1: the hide button
//  2: toggle whose panel is shown
//  3: unused, a plain button face
// Any other index gives a null pixmap.
QPixmap b0(int index);
QPixmap b1(int index);

// The About button of the title strip, 12 by 12.
QPixmap AboutPicture();

// The program's icon at the usual sizes: windows, notification area, About.
QIcon ProgramIcon();
// The same icon as a file picture: `pixels` square, whatever the screen.
QImage ProgramIconImage(int pixels);

// The accent colour of the strips' captions.
QColor CaptionColor();

} // namespace Skin
