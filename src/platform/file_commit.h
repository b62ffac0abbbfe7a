#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Replacing files so that whoever reads them next sees all of a save or
// none of it, even when the process is killed at any instant.
//
// Each file is written in full to a temporary beside it ("<name>.saving")
// and renamed over the old one. A group of files that belong together is
// committed by a marker file: the temporaries are all complete before the
// marker exists, and the marker goes only after every rename. Whoever
// starts next calls finishInterrupted(): with the marker present the
// renames are completed, without it the temporaries are a save that never
// committed and are removed.
namespace FileCommit {

struct Content {
    QString path;
    QByteArray bytes;
};

// One file; false (and the old file untouched) when anything fails.
bool replace(const QString& path, const QByteArray& bytes);

// All the files or none of them, as finishInterrupted() will see it.
bool replaceTogether(const QList<Content>& files, const QString& markerPath);

// Completes or discards a save that was cut short. Only the names a save
// itself makes (the temporaries and the marker) are ever removed: whatever
// else stands beside the files is the user's.
void finishInterrupted(const QStringList& paths, const QString& markerPath);

// Writes `bytes` to a new file at `path`. Whatever was at that name goes
// first, without following a link, and the file is created exclusively,
// so a link planted there cannot redirect the write to another file.
bool createAnew(const QString& path, const QByteArray& bytes);

// The temporary a save of `path` writes first.
QString temporaryFor(const QString& path);

// A write past the file-size limit (ulimit -f) raises SIGXFSZ, which ends
// the process by default; ignored, the write fails and the save with it.
void ignoreFileSizeSignal();

} // namespace FileCommit
