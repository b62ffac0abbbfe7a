#include "ui/input_codes.h"

int buttonCode(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int shiftCode(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

bool opensPopupMenu(int key, int shift) {
    constexpr int ShiftAlone = 1;
    return (key == Qt::Key_Menu && shift == 0) || (key == Qt::Key_F10 && shift == ShiftAlone);
}
