#include "playlist/paths.h"

#include "platform/gb18030.h"
#include "platform/listed_path.h"
#include "platform/local_names.h"
#include "platform/vcd_track_url.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

constexpr QChar Separator = u'/';

bool HasWildcard(const QString& name) {
    return name.contains(u'*') || name.contains(u'?');
}

// The length in UTF-16 units of the character at `i`: a surrogate pair is
// one character, an escaped byte of a name (a lone surrogate) another.
qsizetype CharacterLength(const QString& s, qsizetype i) {
    return s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate() ? 2 : 1;
}

} // namespace

bool WildcardMatches(const QString& pattern, const QString& name) {
    qsizetype p = 0, n = 0;
    qsizetype starP = -1, starN = 0; // the last * and where its match ends
    while (n < name.size()) {
        if (p < pattern.size() && pattern.at(p) == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && pattern.at(p) == u'?') {
            ++p;
            n += CharacterLength(name, n);
        } else if (p < pattern.size() && pattern.at(p) == name.at(n)) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = starN += CharacterLength(name, starN);
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern.at(p) == u'*')
        ++p;
    return p == pattern.size();
}

namespace {

bool AnyOrdinaryFileMatches(const QString& folder, const QString& pattern) {
    const QStringList names = ListFolder(folder, FolderEntries::Files);
    return std::any_of(names.cbegin(), names.cend(),
                       [&](const QString& name) { return WildcardMatches(pattern, name); });
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
    return IsLocalFile(ResolveListedPath(path)) && !name.startsWith(u'.');
}

QString FileExtension(const QString& name) {
    return name.mid(name.lastIndexOf(u'.') + 1);
}

QString StripExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

bool FitsListFile(const QString& path) {
    return !path.contains(u'\r') && !path.contains(u'\n');
}

QStringList TakeUnfitPaths(QStringList& paths) {
    QStringList unfit;
    for (const QString& path : std::as_const(paths))
        if (!FitsListFile(path))
            unfit.append(path);
    paths.removeIf([](const QString& path) { return !FitsListFile(path); });
    return unfit;
}

QString UnfitPathsText(const QStringList& refused) {
    // Enough names to find them; a folder full of them is counted.
    constexpr qsizetype NamesShown = 5;
    QString text = QStringLiteral("下列文件或文件夹的名称含有换行符，播放列表无法保存，未添加：");
    for (const QString& path : refused.mid(0, NamesShown)) {
        QString shown = ReadableName(path);
        shown.replace(u'\r', u'\u240D').replace(u'\n', u'\u240A');
        text += u'\n' + shown;
    }
    if (refused.size() > NamesShown)
        text += QStringLiteral("\n……共 %1 个").arg(refused.size());
    return text;
}
