#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class ImageButton;
class QFrame;
class QLabel;
class QWidget;

// The pieces the main window's strips and panels are made of. Geometry is
// in pixels; the window converts from twips.
namespace Chrome {
// A label with no background of its own, so the strip beneath shows.
QLabel* makeLabel(const QString& name, const QString& caption, QWidget* parent, const QRect& where);
// A caption over a strip: it shows the text, presses go through it to the
// strip and the drag handle beneath.
QLabel* makeStripCaption(const QString& name, const QString& caption, QColor colour,
                         QWidget* parent, const QRect& where);
QFrame* makePanel(const QString& name, QWidget* parent, const QRect& where);
// A thin engraved line, the panels' only decoration, on a panel made above.
void addLine(QFrame* panel, const QRect& where);
// An element of a button array when `index` >= 0 (objectName
// "<name>_<index>", property "Index"), a single button otherwise.
ImageButton* makeButton(const QString& name, int index, const QString& tooltip, QWidget* parent,
                        const QRect& where);
} // namespace Chrome
