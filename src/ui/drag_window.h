#pragma once

class QWidget;

// Moves `window`'s top-level window with the pointer until the mouse button
// is released, as a drag on a title bar would. Call it from the mouse-press
// handler of a drag handle, for any button. The window manager runs the move
// where it supports that; elsewhere the window follows the pointer itself.
void DragWindow(QWidget* window);
