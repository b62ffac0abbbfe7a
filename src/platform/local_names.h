#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QUrl;

// File names are bytes. Most are UTF-8, but archives from older systems
// bring names in GBK and other 8-bit encodings, which Qt's own conversion
// turns into U+FFFD and so loses. The program holds a name as text in
// which every byte that is not part of valid UTF-8 stands as the lone low
// surrogate U+DC80..U+DCFF (U+DC00 + the byte), the escape the list files'
// codec uses for bytes it cannot decode. Names enter through these helpers
// and leave through StringToLocalName, byte for byte.

// The text of the file name `name`; LocalNameToString(StringToLocalName(s))
// is s for every s a name can give.
QString LocalNameToString(const QByteArray& name);
// The bytes of the file name held as `name`.
QByteArray StringToLocalName(const QString& name);

// The working folder and the arguments after the program's name.
QString LocalCurrentFolder();
QStringList LocalArguments(int argc, char** argv);
// The path of a local file URL, its percent-encoded bytes taken as they are,
// and the URL of a path, its bytes percent-encoded as they are.
QString LocalFileOfUrl(const QUrl& url);
QUrl LocalFileUrl(const QString& path);
// A path Qt has already decoded (a file dialog's answer) with its bytes
// back: each part that holds U+FFFD is replaced by the name in its folder
// that Qt shows that way. Other paths come back unchanged.
QString RecoverLocalPath(const QString& qtPath);

// The kinds of entries ListFolder returns; neither ever lists a hidden
// entry (its name starts with a dot).
enum class FolderEntries {
    Files,       // regular files, and links to them
    RealFolders, // folders that are not links
    Folders      // folders, and links to them
};
// The names in `folder` of one kind, sorted by name ignoring letter case.
QStringList ListFolder(const QString& folder, FolderEntries kind);
// True when `path` is a regular file (or a link to one) that this user can
// read.
bool IsReadableLocalFile(const QString& path);
// True when `path` is a regular file, or a link to one.
bool IsLocalFile(const QString& path);
// True when `path` is a folder, or a link to one.
bool IsLocalFolder(const QString& path);
