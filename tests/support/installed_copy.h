#pragma once

#include <QString>

// A copy of the built player in `folder` (the executable and the player
// library it loads from beside itself), so the copy finds its list files
// there. False when a file could not be copied.
bool CopyProgramInto(const QString& folder);

// The player as `cmake --install` lays it out, installed from this build
// into `prefix`. Returns an empty string on success, otherwise what
// cmake said.
QString InstallInto(const QString& prefix);

// The installed desktop entry's value for `key` (no locale suffix), or an
// empty string.
QString DesktopEntryValue(const QString& prefix, const QString& key);
