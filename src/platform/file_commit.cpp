#include "platform/file_commit.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString TemporarySuffix = QStringLiteral(".saving");

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

bool exists(const QString& path) {
    struct stat info {};
    return ::lstat(native(path).constData(), &info) == 0;
}

bool isFolder(const QString& path) {
    struct stat info {};
    return ::lstat(native(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

void removeEntry(const QString& path) {
    ::unlink(native(path).constData());
}

bool writeAll(int fd, const QByteArray& bytes) {
    const char* at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, at, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        at += written;
        left -= written;
    }
    return true;
}

enum class Durability { InCache, OnDisk };

// Creates `path` anew (never through a link left at that name) with
// `bytes`.
bool writeNew(const QString& path, const QByteArray& bytes, Durability durability) {
    removeEntry(path);
    const int fd = ::open(native(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const bool written =
        writeAll(fd, bytes) && (durability == Durability::InCache || ::fsync(fd) == 0);
    const bool closed = ::close(fd) == 0;
    if (written && closed)
        return true;
    removeEntry(path);
    return false;
}

bool writeDurably(const QString& path, const QByteArray& bytes) {
    return writeNew(path, bytes, Durability::OnDisk);
}

// Makes the renames and removals in the folder durable.
void syncFolder(const QString& path) {
    const int fd =
        ::open(native(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool renameOver(const QString& from, const QString& to) {
    return ::rename(native(from).constData(), native(to).constData()) == 0;
}

void removeTemporaries(const QList<FileCommit::Content>& files) {
    for (const FileCommit::Content& file : files)
        removeEntry(FileCommit::temporaryFor(file.path));
}

// The renames of a committed save; a temporary that cannot be renamed is
// dropped rather than left for ever.
void completeRenames(const QStringList& paths, const QString& markerPath) {
    for (const QString& path : paths) {
        const QString temporary = FileCommit::temporaryFor(path);
        if (exists(temporary) && !renameOver(temporary, path))
            removeEntry(temporary);
    }
    syncFolder(markerPath);
    removeEntry(markerPath);
}

} // namespace

namespace FileCommit {

QString temporaryFor(const QString& path) {
    return path + TemporarySuffix;
}

bool createAnew(const QString& path, const QByteArray& bytes) {
    return writeNew(path, bytes, Durability::InCache);
}

bool replace(const QString& path, const QByteArray& bytes) {
    const QString temporary = temporaryFor(path);
    if (!writeDurably(temporary, bytes))
        return false;
    if (renameOver(temporary, path))
        return true;
    removeEntry(temporary);
    return false;
}

bool replaceTogether(const QList<Content>& files, const QString& markerPath) {
    QStringList paths;
    for (const Content& file : files)
        paths << file.path;
    // A marker left from before would commit the temporaries written next
    // before they are complete.
    finishInterrupted(paths, markerPath);
    for (const Content& file : files) {
        // A rename over a folder would fail after the commit point.
        if (isFolder(file.path) || !writeDurably(temporaryFor(file.path), file.bytes)) {
            removeTemporaries(files);
            return false;
        }
    }
    if (!writeDurably(markerPath, {})) {
        removeTemporaries(files);
        return false;
    }
    syncFolder(markerPath);
    completeRenames(paths, markerPath);
    return true;
}

void finishInterrupted(const QStringList& paths, const QString& markerPath) {
    if (exists(markerPath)) {
        completeRenames(paths, markerPath);
    } else {
        for (const QString& path : paths)
            removeEntry(temporaryFor(path));
    }
}

void ignoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace FileCommit
