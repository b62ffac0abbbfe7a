#pragma once

#include <QString>

class MediaEngine;
class PlaylistPair;
class TitleScroller;

// What ending a stream did to the playlist.
enum class EndOfStreamResult {
    NothingSelected, // no entry selected: nothing changes, nothing plays
    LastEntry,       // the selected entry is the last one: playback ends
    MovedOn,         // the entry after the selected one was handed on
};

// The video window's reaction to the engine's end of a stream: selects the
// entry after the one selected in the title list (in both lists), hands its
// path to the engine, plays it and shows its title. A step that fails is
// skipped and the others still run. Works on the selection at the moment
// the stream ends, not on the entry that was started.
EndOfStreamResult advanceOnEndOfStream(PlaylistPair& playlist, MediaEngine& engine,
                                       TitleScroller& songTitle);

// The path those steps would hand to the engine if the stream ended now;
// empty when they would hand on nothing.
QString NextEntryPath(const PlaylistPair& playlist);

// The engine went on by itself to the path NextEntryPath named: the same
// steps' effects on the lists and the title, without opening anything.
EndOfStreamResult followEngineToNextEntry(PlaylistPair& playlist, TitleScroller& songTitle);
