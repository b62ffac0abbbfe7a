#include "platform/gb18030.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iconv.h>
#include <memory>
#include <vector>

namespace {

// Byte ranges of the encoding.
constexpr unsigned LeadFirst = 0x81, LeadLast = 0xFE;
constexpr unsigned TrailFirst = 0x40, TrailLast = 0xFE, TrailGap = 0x7F;
constexpr unsigned DigitFirst = 0x30, DigitLast = 0x39;
constexpr int TrailCount = TrailLast - TrailFirst + 1;
constexpr int TwoByteCodes = (LeadLast - LeadFirst + 1) * TrailCount;
// Four-byte codes count in a mixed radix (lead 126, digit 10, lead 126,
// digit 10). The BMP part runs 81 30 81 30 .. 84 31 A4 39; the other
// planes follow linearly from 90 30 81 30 (U+10000) to E3 32 9A 35.
constexpr int FourByteBmpCodes = 39420;
constexpr int SupplementaryStart = 189000;
// The four-byte codes right after the BMP's (84 31 A5 30 onwards) stand for
// no character. Lists saved by earlier versions wrote the escapes
// U+DC80..U+DCFF with the first 128 of them where the byte alone would not
// read back as its escape; they still read as those escapes.
constexpr int EscapeCodesStart = FourByteBmpCodes;
constexpr unsigned FirstEscapedByte = 0x80, EscapedBytes = 0x80;
constexpr char32_t LastCodePoint = 0x10FFFF;
constexpr char16_t Euro = 0x20AC;
constexpr char16_t Question = u'?';
// Packed forms in the encode table: a single byte is below 0x100, a pair
// is 0xHHLL, four bytes are 0xAABBCCDD.
constexpr uint32_t EuroByte = 0x80;
constexpr uint32_t GbEuro = 0xA2E3;

// glibc's table follows the 2022 edition for 18 of the 24 codes that older
// editions gave to private-use characters, but it has no code left for
// those private-use characters, and it gives the other 6 codes to
// characters outside the BMP that already have four-byte codes. Each row:
// the two-byte code and its private-use character.
constexpr std::array<std::array<uint16_t, 2>, 24> PrivateUseCodes{{
    {0xA6D9, 0xE78D}, {0xA6DA, 0xE78E}, {0xA6DB, 0xE78F}, {0xA6DC, 0xE790}, {0xA6DD, 0xE791},
    {0xA6DE, 0xE792}, {0xA6DF, 0xE793}, {0xA6EC, 0xE794}, {0xA6ED, 0xE795}, {0xA6F3, 0xE796},
    {0xFE51, 0xE816}, {0xFE52, 0xE817}, {0xFE53, 0xE818}, {0xFE59, 0xE81E}, {0xFE61, 0xE826},
    {0xFE66, 0xE82B}, {0xFE67, 0xE82C}, {0xFE6C, 0xE831}, {0xFE6D, 0xE832}, {0xFE76, 0xE83B},
    {0xFE7E, 0xE843}, {0xFE90, 0xE854}, {0xFE91, 0xE855}, {0xFEA0, 0xE864},
}};

bool isLead(unsigned b) {
    return b >= LeadFirst && b <= LeadLast;
}
bool isDigit(unsigned b) {
    return b >= DigitFirst && b <= DigitLast;
}
bool isTrail(unsigned b) {
    return b >= TrailFirst && b <= TrailLast && b != TrailGap;
}
int twoByteIndex(unsigned lead, unsigned trail) {
    return int(lead - LeadFirst) * TrailCount + int(trail - TrailFirst);
}
int fourByteIndex(unsigned b1, unsigned b2, unsigned b3, unsigned b4) {
    return ((int(b1 - LeadFirst) * 10 + int(b2 - DigitFirst)) * 126 + int(b3 - LeadFirst)) * 10 +
           int(b4 - DigitFirst);
}
uint32_t fourByteCode(int index) {
    const unsigned b4 = DigitFirst + index % 10;
    index /= 10;
    const unsigned b3 = LeadFirst + index % 126;
    index /= 126;
    const unsigned b2 = DigitFirst + index % 10;
    const unsigned b1 = LeadFirst + index / 10;
    return b1 << 24 | b2 << 16 | b3 << 8 | b4;
}

// One code through glibc: the code point, or 0 when it is refused.
char32_t decodeWithIconv(iconv_t cd, const unsigned char* bytes, size_t size) {
    char32_t out[2] = {};
    char* in = reinterpret_cast<char*>(const_cast<unsigned char*>(bytes));
    char* to = reinterpret_cast<char*>(out);
    size_t inLeft = size, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in, &inLeft, &to, &outLeft) == size_t(-1) || inLeft != 0 ||
        outLeft != sizeof out - sizeof(char32_t))
        return 0;
    return out[0];
}

// Both directions of the BMP part, built once from glibc's table and
// mended so that every code and every character has exactly one partner.
struct Tables {
    std::array<char16_t, TwoByteCodes> twoByte{};
    std::array<char16_t, FourByteBmpCodes> fourByte{};
    std::array<uint32_t, 0x10000> encoded{};

    Tables() {
        readGlibc();
        mendPrivateUse();
        // 0x80 is "€", as code page 936 has it; GB18030's own code for it
        // would otherwise give one character two codes.
        twoByte[twoByteIndex(GbEuro >> 8, GbEuro & 0xFF)] = 0;
        invert();
    }

    void readGlibc() {
        const iconv_t cd = iconv_open("UTF-32LE", "GB18030");
        if (cd == reinterpret_cast<iconv_t>(-1))
            return;
        for (unsigned lead = LeadFirst; lead <= LeadLast; ++lead)
            for (unsigned trail = TrailFirst; trail <= TrailLast; ++trail) {
                const unsigned char code[] = {uint8_t(lead), uint8_t(trail)};
                const char32_t c = isTrail(trail) ? decodeWithIconv(cd, code, 2) : 0;
                // Characters beyond the BMP keep their four-byte codes only.
                twoByte[twoByteIndex(lead, trail)] = c <= 0xFFFF ? char16_t(c) : 0;
            }
        for (int i = 0; i < FourByteBmpCodes; ++i) {
            const uint32_t packed = fourByteCode(i);
            const unsigned char code[] = {uint8_t(packed >> 24), uint8_t(packed >> 16),
                                          uint8_t(packed >> 8), uint8_t(packed)};
            const char32_t c = decodeWithIconv(cd, code, 4);
            fourByte[i] = c <= 0xFFFF ? char16_t(c) : 0;
        }
        iconv_close(cd);
    }

    // A private-use character whose two-byte code glibc gave away takes
    // the four-byte code of the character that took its place, as the 2022
    // edition does: glibc left exactly those four-byte codes unassigned, in
    // the order of the characters. Codes glibc gave to characters beyond
    // the BMP go back to their private-use characters.
    void mendPrivateUse() {
        std::vector<std::array<char16_t, 2>> displaced; // {character, private use}
        for (const auto& [code, privateUse] : PrivateUseCodes) {
            char16_t& slot = twoByte[twoByteIndex(code >> 8, code & 0xFF)];
            if (slot == 0)
                slot = privateUse;
            else if (slot != privateUse)
                displaced.push_back({slot, privateUse});
        }
        // A newer glibc may already have given them their four-byte codes.
        std::erase_if(displaced, [this](const auto& pair) {
            return std::find(fourByte.begin(), fourByte.end(), pair[1]) != fourByte.end();
        });
        std::sort(displaced.begin(), displaced.end());
        auto next = displaced.begin();
        for (int i = 0; i < FourByteBmpCodes && next != displaced.end(); ++i)
            if (fourByte[i] == 0)
                fourByte[i] = (*next++)[1];
    }

    void invert() {
        for (char16_t c = 0; c < 0x80; ++c)
            encoded[c] = c;
        encoded[Euro] = EuroByte;
        for (int i = 0; i < FourByteBmpCodes; ++i)
            if (fourByte[i] && !encoded[fourByte[i]])
                encoded[fourByte[i]] = fourByteCode(i);
        // Two-byte codes win over four-byte ones for the same character.
        for (unsigned lead = LeadFirst; lead <= LeadLast; ++lead)
            for (unsigned trail = TrailFirst; trail <= TrailLast; ++trail)
                if (const char16_t c = twoByte[twoByteIndex(lead, trail)])
                    encoded[c] = lead << 8 | trail;
        // A character that lost its four-byte code to a two-byte one makes
        // that four-byte code undecodable, so no code decodes ambiguously.
        for (int i = 0; i < FourByteBmpCodes; ++i)
            if (fourByte[i] && encoded[fourByte[i]] != fourByteCode(i))
                fourByte[i] = 0;
    }
};

const Tables& tables() {
    static const std::unique_ptr<Tables> built = std::make_unique<Tables>();
    return *built;
}

// Writes a packed code at `out` and returns the position after it.
char* putCode(char* out, uint32_t packed) {
    if (packed >= 0x10000) {
        *out++ = char(packed >> 24);
        *out++ = char(packed >> 16);
    }
    if (packed >= 0x100)
        *out++ = char(packed >> 8);
    *out++ = char(packed);
    return out;
}

// The character of the multi-byte code at `at`, and its length; 0 and a
// length of 1 when no valid code starts there.
struct Decoded {
    char32_t c;
    int length;
};

Decoded decodeMultiByte(const unsigned char* at, qsizetype left, const Tables& t) {
    const unsigned b1 = at[0];
    if (!isLead(b1) || left < 2)
        return {0, 1};
    if (isTrail(at[1]))
        return {t.twoByte[twoByteIndex(b1, at[1])], 2};
    if (!isDigit(at[1]) || left < 4 || !isLead(at[2]) || !isDigit(at[3]))
        return {0, 1};
    const int index = fourByteIndex(b1, at[1], at[2], at[3]);
    if (index < FourByteBmpCodes)
        return {t.fourByte[index], 4};
    const int plane = index - SupplementaryStart;
    if (plane >= 0 && char32_t(plane) <= LastCodePoint - 0x10000)
        return {char32_t(0x10000 + plane), 4};
    return {0, 1};
}

// The byte whose escape the escape code at `at` writes, or -1.
int escapeCodeByte(const unsigned char* at, qsizetype left) {
    if (left < 4 || !isLead(at[0]) || !isDigit(at[1]) || !isLead(at[2]) || !isDigit(at[3]))
        return -1;
    const int offset = fourByteIndex(at[0], at[1], at[2], at[3]) - EscapeCodesStart;
    return offset >= 0 && unsigned(offset) < EscapedBytes ? int(FirstEscapedByte + offset) : -1;
}

// Whether the byte `b`, written alone in front of `rest`, decodes back as
// its own escape: it starts no character there, nor an escape code that
// decode takes as one. Earlier versions wrote an escape code only where its
// byte alone would not have come back, so decode takes one only there, and
// the question may pass on to that byte.
bool readsAsEscape(unsigned b, const unsigned char* rest, qsizetype left, const Tables& t) {
    for (;;) {
        if (b <= EuroByte)
            return false;
        unsigned char head[4] = {uint8_t(b)};
        const qsizetype tail = std::min<qsizetype>(left, 3);
        std::copy_n(rest, tail, head + 1);
        if (decodeMultiByte(head, tail + 1, t).c != 0)
            return false;
        const int escaped = escapeCodeByte(head, tail + 1);
        if (escaped < 0)
            return true;
        b = unsigned(escaped);
        rest += 3;
        left -= 3;
    }
}

} // namespace

namespace Gb18030 {

// Both directions write into a buffer sized for the longest result (four
// bytes a UTF-16 unit, one unit a byte) and cut it to length at the end: a
// list file of 32,767 entries is a million characters.
QByteArray encode(const QString& text) {
    // Written from the end, as the surrogate pairs are easiest read so.
    const Tables& t = tables();
    const char16_t* s = reinterpret_cast<const char16_t*>(text.utf16());
    QByteArray out(text.size() * 4, Qt::Uninitialized);
    char* const end = out.data() + out.size();
    char* o = end;
    const auto put = [&o](uint32_t packed) {
        char code[4];
        const qsizetype length = putCode(code, packed) - code;
        o -= length;
        std::copy_n(code, length, o);
    };
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const char16_t c = s[i];
        if (c < 0x80) {
            *--o = char(c);
        } else if (QChar::isLowSurrogate(c) && i > 0 && QChar::isHighSurrogate(s[i - 1])) {
            const char32_t full = QChar::surrogateToUcs4(s[--i], c);
            put(fourByteCode(SupplementaryStart + int(full - 0x10000)));
        } else if (t.encoded[c]) {
            put(t.encoded[c]);
        } else if (c >= escapeFor(FirstEscapedByte) && c <= escapeFor(0xFF)) {
            *--o = char(c - escapeFor(0));
        } else {
            *--o = char(Question);
        }
    }
    return QByteArray(o, end - o);
}

QString decode(const QByteArray& bytes) {
    const Tables& t = tables();
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    QString out(n, Qt::Uninitialized);
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0; i < n;) {
        if (s[i] < 0x80 || s[i] == EuroByte) {
            *o++ = s[i] == EuroByte ? Euro : char16_t(s[i]);
            ++i;
            continue;
        }
        const int escaped = escapeCodeByte(s + i, n - i);
        if (escaped >= 0 && !readsAsEscape(unsigned(escaped), s + i + 4, n - i - 4, t)) {
            *o++ = escapeFor(uint8_t(escaped));
            i += 4;
            continue;
        }
        const Decoded d = decodeMultiByte(s + i, n - i, t);
        if (d.c == 0) {
            *o++ = escapeFor(s[i++]);
            continue;
        }
        if (d.c > 0xFFFF) {
            *o++ = QChar::highSurrogate(d.c);
            *o++ = QChar::lowSurrogate(d.c);
        } else {
            *o++ = char16_t(d.c);
        }
        i += d.length;
    }
    out.truncate(o - reinterpret_cast<const char16_t*>(out.constData()));
    return out;
}

} // namespace Gb18030
