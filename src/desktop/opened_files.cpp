#include "desktop/opened_files.h"

#include "playlist/drop.h"
#include "playlist/playlist_pair.h"

namespace {

bool HasLineBreak(const QString& path) {
    return path.contains(u'\r') || path.contains(u'\n');
}

} // namespace

int AppendOpenedFiles(PlaylistPair& playlist, const QStringList& paths) {
    int first = -1;
    for (const QString& path : paths) {
        if (HasLineBreak(path))
            continue;
        const int before = playlist.lstsong.count();
        DropFiles(playlist, {path});
        if (playlist.lstsong.count() == before)
            break; // the list is full
        if (first < 0)
            first = before;
    }
    return first;
}
