#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct _CdIo; // libcdio's handle

// Video CD tracks live in CD-ROM XA Mode 2 Form 2 sectors; each carries this
// many bytes of the MPEG program stream. A mounted disc cannot give them
// (the kernel's ISO 9660 driver reads 2048-byte sectors), so they are read
// raw from the drive or from a disc image.
inline constexpr int VcdSectorPayload = 2324;

// Track names sort in ascending order without regard to letter case (ties
// broken by exact case, so the order is total).
bool VcdNameLess(const QString& a, const QString& b);
// Of a folder's subfolder names, the track folder: "mpegav" in any letter
// case, as discs and their mounts spell it; the exact spelling wins.
std::optional<QString> PickVcdTrackFolder(QStringList folderNames);

// One file of the disc's track folder: where its sectors are.
struct VcdTrack {
    QString folder; // spelt as on the disc, e.g. "MPEGAV"
    QString name;   // without the ISO 9660 version, e.g. "AVSEQ01.DAT"
    qint32 firstSector = 0;
    qint32 sectorCount = 0;

    // The MPEG data the track carries.
    qint64 size() const { return qint64(sectorCount) * VcdSectorPayload; }
};

// A Video CD in a drive (`/dev/sr0`) or a disc image (`.cue`, `.bin`, ...),
// read through libcdio. One object belongs to one thread at a time.
class VcdDisc {
  public:
    explicit VcdDisc(const QString& device);
    ~VcdDisc();
    VcdDisc(const VcdDisc&) = delete;
    VcdDisc& operator=(const VcdDisc&) = delete;

    // False when the drive or image could not be opened (no disc, no
    // permission, not a CD).
    bool isOpen() const { return cdio_ != nullptr; }

    // The .DAT files of the root folder named "mpegav" in any letter case,
    // in name order without regard to case. Nothing when the disc has no
    // such folder or its directory cannot be read.
    std::optional<QList<VcdTrack>> tracks() const;

    // Reads `count` consecutive sectors from `first` and puts their payloads
    // one after the other into `out` (count * VcdSectorPayload bytes). False
    // when the drive reports an error or a sector fails its checksum.
    bool readSectors(qint32 first, int count, char* out) const;

  private:
    _CdIo* cdio_ = nullptr;
};
