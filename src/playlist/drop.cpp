#include "playlist/drop.h"

#include "platform/local_names.h"
#include "playlist/paths.h"

#include <QMimeData>
#include <QUrl>

bool OffersFileList(const QMimeData* data) {
    return !DroppedPaths(data).isEmpty();
}

bool AcceptsDrop(const QMimeData* data, Qt::DropActions offered) {
    return offered.testFlag(Qt::CopyAction) && OffersFileList(data);
}

QStringList DroppedPaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        QString path = LocalFileOfUrl(url);
        while (path.size() > 1 && path.endsWith(u'/'))
            path.chop(1);
        if (!path.isEmpty())
            paths.append(path);
    }
    return paths;
}

void DropFiles(PlaylistPair& pair, const QStringList& paths) {
    for (const QString& path : paths) {
        pair.AddName = path;
        pair.AddPath = pair.AddName;
        pair.AddTitle = MakeTitle(pair.AddName);
        pair.AppendEntry();
    }
}
