#include "shared/title_scroller.h"

#include "ui/twips.h"

void TitleScroller::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    emit textChanged(text_);
}

int TitleScroller::ticksUntilPixelMoves() const {
    // A title wider than the strip allows; past that the label is stuck.
    constexpr int Longest = 64;
    double left = left_;
    for (int ticks = 1; ticks < Longest; ++ticks) {
        left -= Step;
        if (left <= -width_)
            left = StripWidth;
        if (Twips::toPx(left) != Twips::toPx(left_))
            return ticks;
    }
    return Longest;
}

void TitleScroller::tick() {
    left_ -= Step;
    if (left_ <= -width_)
        left_ = StripWidth;
}
