#pragma once

#include <QString>

// The player as `cmake --install` lays it out, installed from this build
// into `prefix`. Returns an empty string on success, otherwise what
// cmake said.
QString InstallInto(const QString& prefix);

// The installed desktop entry's value for `key` (no locale suffix), or an
// empty string.
QString DesktopEntryValue(const QString& prefix, const QString& key);
