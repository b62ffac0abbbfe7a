#pragma once

#include <QString>
#include <QStringList>

// Small name and file helpers shared by the playlist and playback code.
// Paths use the platform's own separator ("/" here) as their only
// separator. They hold no state.

// The display text of a playlist entry: the text after the last separator,
// read by ReadableName, with leading and trailing spaces (U+0020 only)
// removed.
QString MakeTitle(const QString& s);

// A name whose bytes are not UTF-8 (held escaped, see local_names.h) as a
// Chinese system shows it: each run of escaped bytes that reads as GB18030
// without a byte left over is replaced by that text.
QString ReadableName(const QString& name);

// True when `path` names an ordinary file: a regular file (or a link to
// one) whose name does not start with a dot. A path whose last part holds
// the wildcards * or ? is true when any such file in that folder matches.
// Folders, devices, sockets, pipes, hidden files and "" are false. A Video
// CD track URL is true while its disc holds the track. A path read from a
// list file counts for the file it means (ResolveListedPath).
bool FileExists(const QString& path);

// Whether `name` matches `pattern`, in which only * and ? are special;
// every other character, brackets included, stands for itself, in its own
// letter case. (Names may hold escaped bytes, which a regular expression
// refuses as text.)
bool WildcardMatches(const QString& pattern, const QString& name);

// The text after the last dot of a bare file name; the whole name when it
// has no dot.
QString FileExtension(const QString& name);

// A bare file name without its last extension; the whole name when it has
// no dot.
QString StripExtension(const QString& name);

// False for a path the list files cannot hold: they end a line at CR and
// have no escape, so a name with a CR would split its entry in two and put
// every later title against the wrong path after a save and a load; a name
// with a LF reaches neither mpv's playlist nor other tools intact.
bool FitsListFile(const QString& path);

// Takes the paths that do not fit a list file out of `paths` and returns
// them, in order.
QStringList TakeUnfitPaths(QStringList& paths);

// The warning that names `refused`, paths left out because a list file
// cannot hold them. Their line breaks are shown as visible marks.
QString UnfitPathsText(const QStringList& refused);
