#pragma once

#include <QStringList>

class PlaylistPair;

// Files handed to the player from outside: its command line (what a file
// manager's "Open with" passes) and a second start that forwards them.

// Appends the paths as a drop does (title = MakeTitle of the path, no
// filter), leaving out names a list file could not hold (a line break in
// them) and stopping at the cap.
struct OpenedFiles {
    int first = -1;        // the index of the first entry appended; -1: none
    bool listFull = false; // some were left out: the list is full
    QStringList refused;   // left out: a list file cannot hold them
};
OpenedFiles AppendOpenedFiles(PlaylistPair& playlist, const QStringList& paths);
