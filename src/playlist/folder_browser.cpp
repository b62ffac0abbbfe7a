#include "playlist/folder_browser.h"

#include "platform/listed_path.h"
#include "platform/local_names.h"
#include "playlist/paths.h"

#include <QDir>
#include <algorithm>

bool FolderBrowser::enter(const QString& folder) {
    const QString found = ResolveListedPath(QDir::cleanPath(folder));
    if (found.isEmpty() || !IsLocalFolder(found))
        return false;
    folder_ = found;
    refresh();
    return true;
}

bool FolderBrowser::up() {
    if (folder_.isEmpty() || folder_ == QStringLiteral("/"))
        return false;
    const qsizetype slash = folder_.lastIndexOf(u'/');
    return enter(slash <= 0 ? QStringLiteral("/") : folder_.left(slash));
}

void FolderBrowser::refresh() {
    entries_.clear();
    for (const QString& name : ListFolder(folder_, FolderEntries::Folders))
        entries_.append({name, true});
    for (const QString& name : ListFolder(folder_, FolderEntries::Files))
        if (shows_ == Shows::FoldersAndFiles && matches(name))
            entries_.append({name, false});
}

QString FolderBrowser::pathOf(const QString& name) const {
    return folder_.endsWith(u'/') ? folder_ + name : folder_ + u'/' + name;
}

void FolderBrowser::setPatterns(const QStringList& patterns) {
    patterns_.clear();
    for (const QString& pattern : patterns)
        patterns_.append(pattern.toLower());
    refresh();
}

bool FolderBrowser::matches(const QString& name) const {
    const QString lower = name.toLower();
    return patterns_.isEmpty() ||
           std::any_of(patterns_.cbegin(), patterns_.cend(),
                       [&](const QString& pattern) { return WildcardMatches(pattern, lower); });
}

QStringList FilterPatterns(const QString& filter) {
    const qsizetype open = filter.lastIndexOf(u'(');
    const qsizetype close = filter.lastIndexOf(u')');
    const QString patterns =
        open >= 0 && close > open ? filter.mid(open + 1, close - open - 1) : filter;
    return patterns.split(u' ', Qt::SkipEmptyParts);
}
