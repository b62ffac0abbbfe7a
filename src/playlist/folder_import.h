#pragma once

#include "playlist/list_control.h"

#include <QString>
#include <QStringList>

// The extensions imported from a folder. One string: a file matches when
// its upper-cased extension occurs anywhere inside it.
extern const QString MediaExtensions;

// Appends every matching file under `path` to `titles` (its name without
// extension) and `paths` (its full path), breadth first: first the files of
// `path`, then those of its subfolders level by level. Each folder is
// listed in name order; hidden entries are skipped and linked folders are
// never entered. The event loop keeps running during the scan; handlers may
// clear or edit the lists meanwhile: every append goes to both lists, and
// the scan stops once either list is full or gone. Matches reach the lists
// just before each turn of the event loop, which comes at least every
// `yieldSliceMs` of scanning (0: at every directory entry). Returns the
// matching files, and the folders, it left out because a list file cannot
// hold their names (FitsListFile).
constexpr int ScanYieldSliceMs = 5;
QStringList ScanFolder(const QString& path, ListControl& titles, ListControl& paths,
                       const QString& extensions, int yieldSliceMs = ScanYieldSliceMs);
