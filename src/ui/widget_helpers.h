#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;

// Small pieces the player's windows build their controls from.
namespace Widgets {
// The light grey of the control panel, the main window's panels and the tip
// dialog.
inline const QColor FrameGrey(208, 208, 208);

// Paints the widget's whole area in `colour`.
void fillBackground(QWidget* widget, const QColor& colour);
void setTextColor(QWidget* widget, const QColor& colour);
QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent, const QRect& where);
// Puts a top-level window in the middle of the primary screen.
void centerOnScreen(QWidget* window);
} // namespace Widgets
