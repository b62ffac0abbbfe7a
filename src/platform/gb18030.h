#pragma once

#include <QByteArray>
#include <QString>

// The 8-bit text of the list and tips files: GB18030 (a superset of GBK,
// so files written on a Chinese system read the same), with code page
// 936's single byte 0x80 read as "€".
//
// The codec is lossless both ways:
// - every Unicode character encodes to one byte sequence that decodes back
//   to it;
// - every byte string decodes to a text that encodes back to the very same
//   bytes. A byte that starts no valid sequence becomes one of the lone low
//   surrogates U+DC81..U+DCFF (no valid sequence ever decodes to a
//   surrogate), and encodes back to that byte;
// - the escapes U+DC80..U+DCFF, which also hold the bytes of file names
//   that are not UTF-8, always load back as they were saved: as the bare
//   byte where that byte reads back alone, otherwise as one of the
//   four-byte codes no character uses (84 31 A5 30 onwards), so a name's
//   bytes that happen to spell Chinese stay bytes.
// Other lone surrogates cannot be written and become '?'.
namespace Gb18030 {
QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);

// The code point that stands for the undecodable byte `byte` (0x81..0xFF).
constexpr char16_t escapeFor(unsigned char byte) {
    return char16_t(0xDC00 + byte);
}
} // namespace Gb18030
