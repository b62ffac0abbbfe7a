#include "playback/sound_labels.h"

#include <cstdlib>

namespace {
constexpr int VolumeBarMax = 2500;
constexpr int VolumeStepsPerPercent = 25;
constexpr int BalanceChangeThreshold = 500;
constexpr int BalanceDragThreshold = 2500;
} // namespace

QString VolumeLabel(int v, bool dragging) {
    const QString prefix = dragging ? QStringLiteral("音量： ") : QStringLiteral("音量：");
    return prefix + QString::number(v / VolumeStepsPerPercent) + QStringLiteral(" %");
}

int EngineVolume(int v) {
    return v - VolumeBarMax;
}

QString BalancePercent(int b) {
    // |b|/50 = 2|b|/100: counting in hundredths keeps the digits exact.
    const long long hundredths = 2LL * std::llabs(b);
    QString text = QString::number(hundredths / 100);
    const int fraction = static_cast<int>(hundredths % 100);
    if (fraction == 0)
        return text;
    text += QLatin1Char('.') + QString::number(fraction / 10);
    if (fraction % 10 != 0)
        text += QString::number(fraction % 10);
    return text;
}

std::optional<QString> BalanceLabel(int v, bool dragging) {
    const int threshold = dragging ? BalanceDragThreshold : BalanceChangeThreshold;
    if (v > -threshold && v < threshold)
        return QStringLiteral("立体声");
    if (v < -threshold)
        return QStringLiteral("均衡:") + BalancePercent(v) + QStringLiteral(" % 左声道 ");
    if (v > threshold)
        return QStringLiteral("均衡:") + BalancePercent(v) + QStringLiteral(" % 右声道 ");
    return std::nullopt;
}

QString WidestSoundText() {
    constexpr int TwoDigitsTwoDecimals = -4999; // 99.98 %
    return *BalanceLabel(TwoDigitsTwoDecimals, false);
}
