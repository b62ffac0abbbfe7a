#pragma once

#include "playlist/list_control.h"
#include "playlist/playlist_pair.h"

#include <QString>

// The list files "load.lwo" (titles) and "load1.lwo" (paths): GB18030 text,
// one entry per line, every line ended by CR LF. None of these operations
// reports a failure or shows anything.

// Their names in the program folder.
extern const QString TitlesListName;
extern const QString PathsListName;
// Present while a save of the pair is committed but not yet complete.
extern const QString PairMarkerName;

// Appends `txt` as the last entry of `List` (refused when it is full).
void List_Add(ListControl& List, const QString& txt);

// Appends the lines of the file to `TheList`. A line ends at CR or CR LF; a
// lone LF is part of the text. Always appends at least one entry: a missing,
// unreadable or empty file gives one blank entry. Stops when the list is full.
void List_Load(ListControl& TheList, const QString& Filename);

// Replaces the file with the entries of `TheList`, each followed by CR LF
// (an empty list gives an empty file). Written in full to a temporary file
// and renamed over the old one, so a failed save leaves the old file whole.
void List_Save(const ListControl& TheList, const QString& Filename);

// Saves the titles to "load.lwo" and the paths to "load1.lwo" in the
// program folder, as one: a kill at any instant leaves, once
// FinishInterruptedSave has run, either both old files or both new ones.
void SaveLists(const PlaylistPair& pair, const QString& programFolder);

// Completes or discards a save of the pair that was cut short; the start
// calls it before it loads the lists.
void FinishInterruptedSave(const QString& programFolder);
