#pragma once

#include "playlist/playlist_pair.h"

#include <QStringList>

class QMimeData;

// Drag and drop onto the playlist. Only a list of local files is taken;
// text and web links are refused.

// True when the data carries at least one local file URL.
bool OffersFileList(const QMimeData* data);

// The local paths of the data, in drop order. A folder has no trailing
// separator, except the root "/".
QStringList DroppedPaths(const QMimeData* data);

// Appends every path through the staging variables: Title = MakeTitle of
// the path. No filter and no check for duplicates.
void DropFiles(PlaylistPair& pair, const QStringList& paths);
