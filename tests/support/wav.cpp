#include "support/wav.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>

namespace {

template <typename T> T readLe(const char* p) {
    return qFromLittleEndian<T>(p);
}

double sampleAt(const char* p, int format, int bits) {
    if (format == 3)
        return bits == 64 ? readLe<double>(p) : readLe<float>(p);
    if (bits == 16)
        return readLe<qint16>(p) / 32768.0;
    if (bits == 32)
        return readLe<qint32>(p) / 2147483648.0;
    return (quint8(*p) - 128) / 128.0;
}

} // namespace

Wav readWav(const QString& path) {
    QFile file(path);
    Wav wav;
    if (!file.open(QIODevice::ReadOnly))
        return wav;
    const QByteArray bytes = file.readAll();
    int format = 0, bits = 0;
    qsizetype pos = 12;
    while (pos + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(pos, 4);
        const quint32 size = readLe<quint32>(bytes.constData() + pos + 4);
        const char* body = bytes.constData() + pos + 8;
        if (id == "fmt ") {
            format = readLe<quint16>(body);
            wav.channels = readLe<quint16>(body + 2);
            wav.rate = int(readLe<quint32>(body + 4));
            bits = readLe<quint16>(body + 14);
            if (format == 0xFFFE) // extensible: the sub-format's first word
                format = readLe<quint16>(body + 24);
        } else if (id == "data") {
            // The size may be unset if the writer never finished the header.
            const qsizetype end = bytes.size();
            const int frame = wav.channels * bits / 8;
            wav.samples.assign(wav.channels, {});
            for (qsizetype p = pos + 8; frame > 0 && p + frame <= end; p += frame)
                for (int c = 0; c < wav.channels; ++c)
                    wav.samples[c].push_back(
                        sampleAt(bytes.constData() + p + c * bits / 8, format, bits));
            break;
        }
        pos += 8 + size + (size & 1);
    }
    return wav;
}
