#include "platform/gb18030.h"

#include <QRandomGenerator>
#include <QTest>

// The codec is checked over its whole code space rather than by examples:
// every short byte sequence must save back as it loaded, and every Unicode
// character must load back as it saved.
namespace {

bool bytesRoundTrip(const QByteArray& bytes) {
    return Gb18030::encode(Gb18030::decode(bytes)) == bytes;
}

bool isEscape(QChar c) {
    return c >= QChar(Gb18030::escapeFor(0x80)) && c <= QChar(Gb18030::escapeFor(0xFF));
}

// One of the four-byte codes earlier versions wrote for an escape: it
// reads as the escape, and saves as the bare byte.
bool isOldEscapeCode(const QByteArray& bytes) {
    const QString text = Gb18030::decode(bytes);
    return bytes.size() == 4 && text.size() == 1 && isEscape(text.at(0));
}

// A list that holds none of those codes saves back byte for byte.
bool savesBackUnlessOldEscape(const QByteArray& bytes) {
    for (qsizetype i = 0; i + 4 <= bytes.size(); ++i)
        if (isOldEscapeCode(bytes.mid(i, 4)))
            return true;
    return bytesRoundTrip(bytes);
}

QString hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' '));
}

QString scalar(char32_t c) {
    return QString::fromUcs4(&c, 1);
}

} // namespace

class TestGb18030 : public QObject {
    Q_OBJECT
  private slots:
    void everyOneAndTwoByteSequenceSavesBackAsItLoaded() {
        for (int b1 = 0; b1 < 256; ++b1) {
            const QByteArray one(1, char(b1));
            QVERIFY2(bytesRoundTrip(one), qPrintable(hex(one)));
            for (int b2 = 0; b2 < 256; ++b2) {
                const char pair[] = {char(b1), char(b2)};
                const QByteArray two(pair, 2);
                if (!bytesRoundTrip(two))
                    QFAIL(qPrintable(hex(two)));
            }
        }
    }

    // Every sequence shaped like a four-byte code, with each byte also one
    // step outside its range, and the truncated forms.
    void everyFourByteSequenceSavesBackAsItLoaded() {
        int characters = 0;
        for (int b1 = 0x80; b1 <= 0xFF; ++b1)
            for (int b2 = 0x2F; b2 <= 0x3A; ++b2)
                for (int b3 = 0x80; b3 <= 0xFF; ++b3)
                    for (int b4 = 0x2F; b4 <= 0x3A; ++b4) {
                        const char code[] = {char(b1), char(b2), char(b3), char(b4)};
                        const QByteArray bytes(code, 4);
                        const QString text = Gb18030::decode(bytes);
                        const QByteArray expected = isOldEscapeCode(bytes)
                                                        ? QByteArray(1, char(text.at(0).unicode()))
                                                        : bytes;
                        if (Gb18030::encode(text) != expected)
                            QFAIL(qPrintable(hex(bytes)));
                        if (text.size() <= 2 && text.toUcs4().size() == 1)
                            ++characters;
                        if (b4 == 0x30 && !bytesRoundTrip(bytes.left(3)))
                            QFAIL(qPrintable(hex(bytes.left(3))));
                    }
        // All 39,420 BMP codes and all 1,048,576 codes of the other planes
        // are characters, and one more code is the escape of 0x80 (that
        // byte alone is "€").
        QCOMPARE(characters, 39420 + 1048576 + 1);
    }

    void everyUnicodeCharacterLoadsBackAsItSaved() {
        for (char32_t c = 0; c <= 0x10FFFF; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF)
                continue;
            const QString text = scalar(c);
            const QByteArray bytes = Gb18030::encode(text);
            if (Gb18030::decode(bytes) != text || (bytes == "?" && c != u'?'))
                QFAIL(qPrintable(QStringLiteral("U+%1 -> %2").arg(uint(c), 4, 16).arg(hex(bytes))));
        }
    }

    void knownCodes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("GBK") << QStringLiteral("周杰伦") << QByteArray::fromHex("d6dcbddcc2d7");
        QTest::newRow("code page 936 euro") << QStringLiteral("€") << QByteArray("\x80");
        QTest::newRow("private use in the two-byte area")
            << QStringLiteral("\uE816\uE78D") << QByteArray::fromHex("fe51 8431 8236");
        QTest::newRow("ideograph beyond the BMP")
            << scalar(0x20087) << QByteArray::fromHex("95329031");
        QTest::newRow("vertical comma") << QStringLiteral("\uFE10") << QByteArray::fromHex("a6d9");
        QTest::newRow("undecodable bytes")
            << QStringLiteral("a") + QChar(Gb18030::escapeFor(0xFF)) + u'b' +
                   QChar(Gb18030::escapeFor(0x81))
            << QByteArray("a\xFF"
                          "b\x81");
    }

    void knownCodes() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Gb18030::encode(text), bytes);
        QCOMPARE(Gb18030::decode(bytes), text);
    }

    void loneSurrogatesThatStandForNoByteBecomeQuestionMarks() {
        const QString text = QStringLiteral("a") + QChar(0xDC00) + u'b' + QChar(0xD800);
        QCOMPARE(Gb18030::encode(text), QByteArray("a?b?"));
        QCOMPARE(Gb18030::decode({}), QString());
    }

    // Escaped bytes of file names are written as the bytes they are, so a
    // GBK name reads as its Chinese text in any GB18030 reader; however
    // they line up with each other and with characters, what a save wrote
    // saves again as the very same bytes.
    void escapesAreWrittenAsTheirBytes() {
        QRandomGenerator random(936);
        // Characters, and bytes that start, continue or end codes. No
        // digits: with them, bytes of a name that is not GB18030 text may
        // spell one of the old four-byte escape codes.
        QString alphabet = QStringLiteral("ab中€");
        for (const char b : QByteArray("\x84\x84\xA5\xD6\xD0\x80\xFF\x81"))
            alphabet += QChar(Gb18030::escapeFor(uchar(b)));
        for (int round = 0; round < 50000; ++round) {
            QString text;
            for (int i = random.bounded(1, 12); i > 0; --i)
                text += random.bounded(4) ? alphabet.at(random.bounded(alphabet.size()))
                                          : QChar(Gb18030::escapeFor(random.bounded(0x80, 0x100)));
            const QByteArray saved = Gb18030::encode(text);
            if (!bytesRoundTrip(saved))
                QFAIL(qPrintable(hex(saved)));
            QString name = text; // as a name's bytes spell it
            name.remove(u'中').remove(u'€');
            QByteArray bytes;
            for (const QChar c : name)
                bytes +=
                    isEscape(c) ? char(c.unicode() - Gb18030::escapeFor(0)) : char(c.unicode());
            if (Gb18030::encode(name) != bytes)
                QFAIL(qPrintable(hex(Gb18030::encode(name))));
        }
    }

    // Sequences next to each other: the decoder must not let an escaped
    // byte swallow, or be swallowed by, its neighbours.
    void randomByteStringsSaveBackAsTheyLoaded() {
        QRandomGenerator random(18030);
        const QByteArray alphabet(
            "\x80\x81\x82\xA2\xE3\xFE\xFF\x30\x39\x40\x7F\x95\x32\x90\r\nA\x84\x31\xA5");
        for (int round = 0; round < 20000; ++round) {
            QByteArray bytes(random.bounded(1, 12), '\0');
            for (char& b : bytes)
                b = random.bounded(4) == 0 ? char(random.bounded(256))
                                           : alphabet.at(random.bounded(alphabet.size()));
            if (!savesBackUnlessOldEscape(bytes) ||
                !bytesRoundTrip(Gb18030::encode(Gb18030::decode(bytes))))
                QFAIL(qPrintable(hex(bytes)));
        }
    }
};

QTEST_GUILESS_MAIN(TestGb18030)
#include "tst_gb18030.moc"
