#include "video/banner.h"

#include <algorithm>

QString Banner::initialText() {
    return QStringLiteral("Sonvela2.05版");
}

QString Banner::supportAddress() {
    return QStringLiteral("support@sonvela-player.cn");
}

QString Banner::textForStep(int step) {
    switch (step) {
    case 0:
        return QStringLiteral("在使用过程中若有任何问题，欢迎来信！");
    case 1:
        return QStringLiteral("E-mail:") + supportAddress();
    case 2:
        return QStringLiteral("QuorvanSonvela！");
    default:
        return QStringLiteral("欢迎使用Quorvan软件！");
    }
}

Banner::Banner(Measure measure) : measure_(std::move(measure)) {
    setText(initialText());
}

bool Banner::tick(int windowWidth) {
    left_ -= Step;
    if (left_ > -width_)
        return false;
    left_ = windowWidth;
    setText(textForStep(step_));
    step_ = std::min(step_ + 1, LastStep);
    return true;
}

void Banner::setText(const QString& text) {
    text_ = text;
    width_ = measure_(text);
}
