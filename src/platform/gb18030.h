#pragma once

#include <QByteArray>
#include <QString>

// The 8-bit text of the list and tips files: GB18030 (a superset of GBK,
// so files written on a Chinese system read the same), with code page
// 936's single byte 0x80 read as "€".
//
// Both directions:
// - every Unicode character encodes to one byte sequence that decodes back
//   to it;
// - every byte string that is GB18030 text (the only kind this codec
//   writes) decodes to a text that encodes back to the very same bytes. A
//   byte that starts no valid sequence becomes one of the lone low
//   surrogates U+DC81..U+DCFF (no valid sequence ever decodes to a
//   surrogate), and encodes back to that byte;
// - the escapes U+DC80..U+DCFF, which also hold the bytes of file names
//   that are not UTF-8, are written as the bare bytes, so any GB18030
//   reader reads a GBK name as its Chinese text. Reading it back gives that
//   text, not the escapes: whoever opens a path read from a list looks for
//   the bytes as well (ResolveListedPath in listed_path.h).
// - lists written by earlier versions held some escapes as four-byte codes
//   no character uses (84 31 A5 30 onwards); they still read as those
//   escapes, and are written as bare bytes from the next save on.
// Other lone surrogates cannot be written and become '?'.
namespace Gb18030 {
QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);

// The code point that stands for the undecodable byte `byte` (0x81..0xFF).
constexpr char16_t escapeFor(unsigned char byte) {
    return char16_t(0xDC00 + byte);
}
} // namespace Gb18030
