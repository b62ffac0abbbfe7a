#pragma once

#include <QStringList>

// The arguments after the program's name (files to play, as a file
// manager's "Open with" passes them) as absolute paths, resolved against
// `workingFolder`, the folder the start came from, with trailing separators
// taken off as a drop takes them off. Empty arguments are dropped.
QStringList AbsoluteFilePaths(const QStringList& arguments, const QString& workingFolder);
