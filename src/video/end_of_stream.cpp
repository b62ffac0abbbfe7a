#include "video/end_of_stream.h"

#include "engine/media_engine.h"
#include "playlist/playlist_pair.h"
#include "shared/title_scroller.h"

namespace {

// Selects the entry after the one selected in the title list, in both lists.
EndOfStreamResult selectNextEntry(PlaylistPair& playlist) {
    const int selected = playlist.lstsong.listIndex();
    if (selected < 0)
        return EndOfStreamResult::NothingSelected;
    // Without a next entry the playlist has played out: starting the last
    // entry again would repeat it for ever.
    const int next = selected + 1;
    if (next >= playlist.lstsong.count())
        return EndOfStreamResult::LastEntry;
    // The path list follows the title list's selection; a shorter path list
    // (misaligned list files) is left without one, and then there is
    // nothing to hand on, but the title still follows the selection.
    playlist.select(next);
    return EndOfStreamResult::MovedOn;
}

} // namespace

EndOfStreamResult advanceOnEndOfStream(PlaylistPair& playlist, MediaEngine& engine,
                                       TitleScroller& songTitle) {
    const EndOfStreamResult result = selectNextEntry(playlist);
    if (result != EndOfStreamResult::MovedOn)
        return result;
    const QString path = playlist.selectedPath();
    if (!path.isEmpty()) {
        engine.setFileName(path);
        engine.play();
    }
    songTitle.setText(playlist.selectedTitle());
    return EndOfStreamResult::MovedOn;
}

QString NextEntryPath(const PlaylistPair& playlist) {
    const int selected = playlist.lstsong.listIndex();
    if (selected < 0 || selected + 1 >= playlist.lstsong.count())
        return {};
    return playlist.temlst.text(selected + 1);
}

EndOfStreamResult followEngineToNextEntry(PlaylistPair& playlist, TitleScroller& songTitle) {
    const EndOfStreamResult result = selectNextEntry(playlist);
    if (result == EndOfStreamResult::MovedOn)
        songTitle.setText(playlist.selectedTitle());
    return result;
}
