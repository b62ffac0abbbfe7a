#include "shared/title_scroller.h"

void TitleScroller::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    emit textChanged(text_);
}

void TitleScroller::tick() {
    left_ -= Step;
    if (left_ <= -width_)
        left_ = StripWidth;
}
