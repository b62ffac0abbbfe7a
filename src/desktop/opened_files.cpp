#include "desktop/opened_files.h"

#include "playlist/drop.h"
#include "playlist/paths.h"
#include "playlist/playlist_pair.h"

OpenedFiles AppendOpenedFiles(PlaylistPair& playlist, const QStringList& paths) {
    OpenedFiles opened;
    QStringList fitting = paths;
    opened.refused = TakeUnfitPaths(fitting);
    for (const QString& path : std::as_const(fitting)) {
        const int before = playlist.lstsong.count();
        DropFiles(playlist, {path});
        if (playlist.lstsong.count() == before) {
            opened.listFull = true;
            break;
        }
        if (opened.first < 0)
            opened.first = before;
    }
    return opened;
}
