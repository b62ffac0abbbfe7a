#pragma once

#include "playlist/playlist_pair.h"

#include <QStringList>
#include <Qt>

class QMimeData;

// Drag and drop onto the playlist. Only a list of local files is taken;
// text and web links are refused.

// True when the data carries at least one local file URL.
bool OffersFileList(const QMimeData* data);

// True when the drop can be taken: it offers a file list and lets us copy.
// A source that offers only a move or a link would delete or relink what it
// thinks it handed over; the playlist only ever copies the names.
bool AcceptsDrop(const QMimeData* data, Qt::DropActions offered);

// The local paths of the data, in drop order. A folder has no trailing
// separator, except the root "/". Paths the list files cannot hold are
// there too: the drop refuses them aloud (TakeUnfitPaths).
QStringList DroppedPaths(const QMimeData* data);

// Appends every path through the staging variables: Title = MakeTitle of
// the path. No filter and no check for duplicates.
void DropFiles(PlaylistPair& pair, const QStringList& paths);
