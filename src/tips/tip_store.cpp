#include "tips/tip_store.h"

#include "platform/gb18030.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cmath>

const QString TipsFileName = QStringLiteral("File.Lwo");

namespace {

// A plain file: a regular file (or a link to one) whose name does not
// start with a dot.
bool isPlainFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && !info.fileName().startsWith(QLatin1Char('.'));
}

std::optional<QByteArray> readAll(const QString& path) {
    if (path.isEmpty() || !isPlainFile(path))
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

} // namespace

TipStore::TipStore() {
    seedFromClock();
}

bool TipStore::LoadTips(const QString& path) {
    const std::optional<QByteArray> bytes = readAll(path);
    if (!bytes)
        return false;
    tips_ += SplitTipLines(Gb18030::decode(*bytes));
    PickRandomTip();
    return true;
}

void TipStore::PickRandomTip() {
    tipIndex_ = tips_.isEmpty() ? 1 : static_cast<qint32>(random_.bounded(count())) + 1;
}

std::optional<QString> TipStore::currentTip() const {
    if (tips_.isEmpty() || tipIndex_ < 1 || tipIndex_ > count())
        return std::nullopt;
    return tips_.at(tipIndex_ - 1);
}

void TipStore::seedFromClock() {
    random_.seed(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));
}

QStringList SplitTipLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

QString TipsNotFoundText() {
    return TipsFileName + QStringLiteral(" 文件未找到？") + QStringLiteral("\r\n\r\n") +
           QStringLiteral("使用记事本，创建一个名为 ") + TipsFileName +
           QStringLiteral(" 的文本文件，其中每行一个技巧。 ") +
           QStringLiteral("然后，放在应用程序所在目录下。");
}

double LeadingNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == u' ')
        ++i;
    const qsizetype start = i;
    auto digitsFrom = [&](qsizetype from) {
        qsizetype j = from;
        while (j < text.size() && text.at(j).isDigit() && text.at(j).unicode() < 128)
            ++j;
        return j;
    };
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-'))
        ++i;
    qsizetype end = digitsFrom(i);
    bool anyDigit = end > i;
    if (end < text.size() && text.at(end) == u'.') {
        const qsizetype fractionEnd = digitsFrom(end + 1);
        anyDigit = anyDigit || fractionEnd > end + 1;
        end = fractionEnd;
    }
    if (!anyDigit)
        return 0;
    // An exponent counts only when digits follow it.
    if (end < text.size() && (text.at(end) == u'e' || text.at(end) == u'E')) {
        qsizetype sign = end + 1;
        if (sign < text.size() && (text.at(sign) == u'+' || text.at(sign) == u'-'))
            ++sign;
        const qsizetype exponentEnd = digitsFrom(sign);
        if (exponentEnd > sign)
            end = exponentEnd;
    }
    bool ok = false;
    const double value = text.mid(start, end - start).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0;
}

QString TwipsText(double twips) {
    return QString::number(static_cast<double>(static_cast<float>(twips)), 'g', 7);
}
