#include "playlist/gb18030.h"

#include <cerrno>
#include <iconv.h>

namespace {

// Converts all of `in` with iconv; a byte sequence the source charset does
// not know is replaced by `replacement` and skipped one byte at a time.
QByteArray convert(const char* to, const char* from, const QByteArray& in, int unitSize,
                   const QByteArray& replacement) {
    QByteArray out;
    if (in.isEmpty())
        return out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return out;
    out.resize(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.constData());
    size_t srcLeft = static_cast<size_t>(in.size());
    char* dst = out.data();
    size_t dstLeft = static_cast<size_t>(out.size());
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG) {
            const qsizetype used = dst - out.data();
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = static_cast<size_t>(out.size() - used);
            continue;
        }
        // EILSEQ or EINVAL (truncated at the end): replace one unit, go on.
        const size_t skip = std::min<size_t>(static_cast<size_t>(unitSize), srcLeft);
        src += skip;
        srcLeft -= skip;
        const qsizetype used = dst - out.data();
        out.resize(used);
        out.append(replacement);
        out.resize(out.size() + static_cast<qsizetype>(srcLeft) * 2 + 16);
        dst = out.data() + used + replacement.size();
        dstLeft = static_cast<size_t>(out.size()) - static_cast<size_t>(dst - out.data());
    }
    out.resize(dst - out.data());
    iconv_close(cd);
    return out;
}

} // namespace

// QString's own UTF-16 in the host's byte order, so text goes to and from
// GB18030 in one conversion, without a UTF-8 step in between.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr const char* HostUtf16 = "UTF-16LE";
#else
constexpr const char* HostUtf16 = "UTF-16BE";
#endif

namespace Gb18030 {

QByteArray encode(const QString& text) {
    // Every Unicode character has a GB18030 form; only lone surrogates
    // cannot be converted and become '?'.
    const QByteArray utf16 =
        QByteArray::fromRawData(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return convert("GB18030", HostUtf16, utf16, 2, QByteArrayLiteral("?"));
}

QString decode(const QByteArray& bytes) {
    const char16_t replacement = u'\uFFFD';
    const QByteArray utf16 =
        convert(HostUtf16, "GB18030", bytes, 1,
                QByteArray(reinterpret_cast<const char*>(&replacement), sizeof replacement));
    return QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
}

} // namespace Gb18030
