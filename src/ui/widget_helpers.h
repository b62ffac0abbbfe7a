#pragma once

#include <QColor>
#include <QRect>
#include <QSize>
#include <QString>

class QFont;
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
// The room one line of `text` takes in `font`, the fonts Qt falls back on
// for characters `font` lacks (Chinese ones) included: their ascent and
// descent often exceed the font's own.
QSize textSize(const QFont& font, const QString& text);
// Makes `label` show the whole of every text no wider than `widest`: its
// font shrinks a pixel at a time until that text fits the label's width,
// and the label grows downwards to the height of a line.
void fitLabelTo(QLabel* label, const QString& widest);
// Puts a top-level window in the middle of the primary screen.
void centerOnScreen(QWidget* window);
} // namespace Widgets
