#pragma once

#include <QByteArray>
#include <QString>

// The picture of an album: the one a media file carries (ID3's APIC, a
// FLAC PICTURE block, MP4's covr, a Matroska image attachment), else a
// cover file beside it. Each call reads files: never on the UI thread.
namespace CoverArt {

// Pictures larger than this are no cover (and would flood the cache).
constexpr qint64 MaxPictureBytes = 16 * 1024 * 1024;

// The picture `mediaPath` carries, front cover first, as stored in it;
// empty when it has none. Reads the file's header only, no sound.
QByteArray EmbeddedPicture(const QString& mediaPath);

// "cover", "folder", "front" or "albumart" with ".jpg", ".jpeg" or ".png",
// in any letter case, in the folder of `mediaPath` (in this order of
// preference); empty when there is none.
QString PictureFileBeside(const QString& mediaPath);

// $XDG_CACHE_HOME/sonvela/covers (usually ~/.cache/sonvela/covers).
QString CacheFolder();

// How much the cache folder may hold; the files used longest ago go first.
struct CacheLimits {
    int files = 200;
    qint64 bytes = 50 * 1000 * 1000;
};

// Keeps `picture` in `folder` under the hash of its bytes (the same
// picture is kept once, however many files carry it), marks it as just
// used and trims the folder to `limits`. The copy's path; empty when it
// could not be written.
QString Keep(const QByteArray& picture, const QString& folder, CacheLimits limits = {});

// The cover of `mediaPath` kept in `folder`: the embedded picture, else
// the picture file beside it. Empty when it has neither.
QString Find(const QString& mediaPath, const QString& folder, CacheLimits limits = {});

} // namespace CoverArt
