#include "playlist/paths.h"

#include "platform/local_names.h"
#include "platform/vcd_track_url.h"
#include "playlist/gb18030.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace {

constexpr QChar Separator = u'/';

bool HasWildcard(const QString& name) {
    return name.contains(u'*') || name.contains(u'?');
}

// A name pattern where only * and ? are special; every other character,
// brackets included, stands for itself.
QRegularExpression WildcardPattern(const QString& pattern) {
    QString regex;
    for (const QChar c : pattern) {
        if (c == u'*')
            regex += QStringLiteral(".*");
        else if (c == u'?')
            regex += u'.';
        else
            regex += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(regex),
                              QRegularExpression::DotMatchesEverythingOption);
}

bool AnyOrdinaryFileMatches(const QString& folder, const QString& pattern) {
    const QStringList names = ListFolder(folder, FolderEntries::Files);
    const QRegularExpression matcher = WildcardPattern(pattern);
    for (const QString& name : names) {
        if (matcher.match(name).hasMatch())
            return true;
    }
    return false;
}

bool IsNameEscape(QChar c) {
    return c >= QChar(Gb18030::escapeFor(0x80)) && c <= QChar(Gb18030::escapeFor(0xFF));
}

} // namespace

QString ReadableName(const QString& name) {
    QString readable;
    for (qsizetype i = 0; i < name.size();) {
        if (!IsNameEscape(name.at(i))) {
            readable += name.at(i++);
            continue;
        }
        QByteArray bytes;
        const qsizetype start = i;
        for (; i < name.size() && IsNameEscape(name.at(i)); ++i)
            bytes += char(name.at(i).unicode() - Gb18030::escapeFor(0));
        const QString decoded = Gb18030::decode(bytes);
        const bool whole = std::none_of(decoded.cbegin(), decoded.cend(), IsNameEscape);
        readable += whole ? decoded : name.mid(start, i - start);
    }
    return readable;
}

QString MakeTitle(const QString& s) {
    QString title = ReadableName(s.mid(s.lastIndexOf(Separator) + 1));
    qsizetype first = 0;
    qsizetype end = title.size();
    while (first < end && title.at(first) == u' ')
        ++first;
    while (end > first && title.at(end - 1) == u' ')
        --end;
    return title.mid(first, end - first);
}

bool FileExists(const QString& path) {
    if (path.isEmpty())
        return false;
    // A Video CD track is there while its disc is.
    if (IsVcdTrackUrl(path))
        return VcdTrackExists(path);
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (name.isEmpty())
        return false;
    if (HasWildcard(name))
        return AnyOrdinaryFileMatches(info.path(), name);
    return IsLocalFile(path) && !name.startsWith(u'.');
}

QString EnsureTrailingSeparator(const QString& path) {
    if (path.isEmpty() || path.endsWith(Separator))
        return path;
    return path + Separator;
}

QString FileExtension(const QString& name) {
    return name.mid(name.lastIndexOf(u'.') + 1);
}

QString StripExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

bool FitsListFile(const QString& path) {
    return !path.contains(u'\r');
}

QString ProgramFile(const QString& folder, const QString& name) {
    return EnsureTrailingSeparator(folder) + name;
}
