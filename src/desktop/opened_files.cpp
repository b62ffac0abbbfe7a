#include "desktop/opened_files.h"

#include "playlist/drop.h"
#include "playlist/playlist_pair.h"

namespace {

bool HasLineBreak(const QString& path) {
    return path.contains(u'\r') || path.contains(u'\n');
}

} // namespace

OpenedFiles AppendOpenedFiles(PlaylistPair& playlist, const QStringList& paths) {
    OpenedFiles opened;
    for (const QString& path : paths) {
        if (HasLineBreak(path))
            continue;
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
