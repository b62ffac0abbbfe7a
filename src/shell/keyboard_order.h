#pragma once

#include <QList>

class MainWindow;
class QWidget;

// The main window's controls in reading order: the title strip's buttons
// left to right, the seek bar, the transport buttons left to right, the
// control centre top to bottom, then each panel's toggle followed by what
// the panel holds. Tab walks them in this order, Shift+Tab backwards.
QList<QWidget*> ReadingOrder(const MainWindow& window);

// Chains the controls in reading order and puts a focus mark in the skin's
// colour on the window.
void SetUpKeyboard(MainWindow& window);
