#pragma once

#include <Qt>

// The codes the windows' mouse and key handlers take, the same for the
// skinned buttons and the picture the engine draws into.

// 1 left, 2 right, 4 middle, 0 for any other button.
int buttonCode(Qt::MouseButton button);
// 1 Shift, 2 Ctrl, 4 Alt, added up.
int shiftCode(Qt::KeyboardModifiers modifiers);
// The keys that open a popup menu from the keyboard: the Menu key, and
// Shift+F10 where a keyboard has none. `shift` as shiftCode gives it.
bool opensPopupMenu(int key, int shift);
