#pragma once

#include <QByteArray>
#include <QString>

// The 8-bit text of the list and tips files. GB18030 is a superset of GBK,
// so files written on a Chinese system read the same and nothing is lost
// on save. Invalid byte sequences decode to U+FFFD, never fail.
namespace Gb18030 {
QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);
} // namespace Gb18030
