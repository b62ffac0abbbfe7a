#include "platform/vcd_disc.h"

#include <cdio/cdio.h>
#include <cdio/iso9660.h>
#include <cdio/logging.h>

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

const QString TrackFolderName = QStringLiteral("mpegav");
const QString TrackSuffix = QStringLiteral(".dat");

// A Mode 2 sector as libcdio returns it when asked for form 2: the XA
// subheader (8 bytes, the submode in byte 2), the payload and its EDC.
constexpr int SubheaderSize = 8;
constexpr int RawSectorSize = M2RAW_SECTOR_SIZE;
constexpr unsigned char Form2Submode = 0x20;
constexpr int Form1Payload = 2048;
// Large enough to keep a drive streaming, small enough to bound one wait.
constexpr int SectorsPerRead = 16;

struct DirectoryList {
    CdioList_t* entries;
    ~DirectoryList() {
        if (entries)
            iso9660_filelist_free(entries);
    }
};

// CD-ROM's error detection code: a CRC-32 (reversed polynomial 0xD8018001)
// over the subheader and the payload.
quint32 errorDetectionCode(const unsigned char* data, int length) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 e = i;
            for (int bit = 0; bit < 8; ++bit)
                e = (e >> 1) ^ ((e & 1) ? 0xD8018001u : 0u);
            t[i] = e;
        }
        return t;
    }();
    quint32 edc = 0;
    for (int i = 0; i < length; ++i)
        edc = (edc >> 8) ^ table[(edc ^ data[i]) & 0xFF];
    return edc;
}

// A drive corrects what it can and fails the read otherwise; an image
// hands back whatever bytes it holds, so a sector that was damaged there is
// caught by its EDC. Form 2 may leave the EDC out (zero).
bool sectorIntact(const unsigned char* raw) {
    const bool form2 = (raw[2] & Form2Submode) != 0;
    const int covered = SubheaderSize + (form2 ? VcdSectorPayload : Form1Payload);
    const quint32 stored = qFromLittleEndian<quint32>(raw + covered);
    return (form2 && stored == 0) || stored == errorDetectionCode(raw, covered);
}

// "AVSEQ01.DAT;1" -> "AVSEQ01.DAT": the version is no part of the name.
QString withoutVersion(const char* isoName) {
    QString name = QString::fromLatin1(isoName);
    const qsizetype semicolon = name.lastIndexOf(QLatin1Char(';'));
    return semicolon < 0 ? name : name.left(semicolon);
}

std::vector<const iso9660_stat_t*> entriesOf(const DirectoryList& list) {
    std::vector<const iso9660_stat_t*> out;
    if (!list.entries)
        return out;
    CdioListNode_t* node = nullptr;
    _CDIO_LIST_FOREACH(node, list.entries) {
        out.push_back(static_cast<const iso9660_stat_t*>(_cdio_list_node_data(node)));
    }
    return out;
}

std::optional<QString> trackFolder(CdIo_t* cdio) {
    const DirectoryList root{iso9660_fs_readdir(cdio, "/")};
    QStringList folders;
    for (const iso9660_stat_t* entry : entriesOf(root))
        if (entry->type == iso9660_stat_s::_STAT_DIR)
            folders << withoutVersion(entry->filename);
    return PickVcdTrackFolder(folders);
}

void initialiseLibcdioOnce() {
    // cdio_open sets up libcdio's driver table on first use; the UI thread
    // and mpv's thread may both open a disc, so do it once up front.
    static const bool initialised = [] {
        cdio_loglevel_default = CDIO_LOG_ERROR; // no warnings on stderr for a missing disc
        cdio_init();
        return true;
    }();
    Q_UNUSED(initialised);
}

} // namespace

bool VcdNameLess(const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

std::optional<QString> PickVcdTrackFolder(QStringList folderNames) {
    folderNames.removeIf([](const QString& name) {
        return name.compare(TrackFolderName, Qt::CaseInsensitive) != 0;
    });
    if (folderNames.isEmpty())
        return std::nullopt;
    if (folderNames.contains(TrackFolderName))
        return TrackFolderName;
    return *std::min_element(folderNames.begin(), folderNames.end(), VcdNameLess);
}

VcdDisc::VcdDisc(const QString& device) {
    initialiseLibcdioOnce();
    if (!device.isEmpty())
        cdio_ = cdio_open(QFile::encodeName(device).constData(), DRIVER_UNKNOWN);
}

VcdDisc::~VcdDisc() {
    if (cdio_)
        cdio_destroy(cdio_);
}

std::optional<QList<VcdTrack>> VcdDisc::tracks() const {
    if (!cdio_)
        return std::nullopt;
    const std::optional<QString> folder = trackFolder(cdio_);
    if (!folder)
        return std::nullopt;
    const DirectoryList list{
        iso9660_fs_readdir(cdio_, ("/" + *folder + "/").toLatin1().constData())};
    if (!list.entries)
        return std::nullopt;
    QList<VcdTrack> tracks;
    for (const iso9660_stat_t* entry : entriesOf(list)) {
        const QString name = withoutVersion(entry->filename);
        if (entry->type != iso9660_stat_s::_STAT_FILE ||
            !name.endsWith(TrackSuffix, Qt::CaseInsensitive))
            continue;
        tracks.append(VcdTrack{*folder, name, qint32(entry->lsn), qint32(entry->secsize)});
    }
    std::sort(tracks.begin(), tracks.end(),
              [](const VcdTrack& a, const VcdTrack& b) { return VcdNameLess(a.name, b.name); });
    return tracks;
}

bool VcdDisc::readSectors(qint32 first, int count, char* out) const {
    if (!cdio_ || count <= 0 || first < 0)
        return false;
    std::vector<unsigned char> raw(size_t(std::min(count, SectorsPerRead)) * RawSectorSize);
    for (int done = 0; done < count;) {
        const int batch = std::min(count - done, SectorsPerRead);
        // An image read past its end reports success and leaves the buffer
        // as it was; all ones fail the checksum, where zeros would pass.
        std::fill(raw.begin(), raw.end(), 0xFF);
        if (cdio_read_mode2_sectors(cdio_, raw.data(), first + done, true, batch) !=
            DRIVER_OP_SUCCESS)
            return false;
        for (int i = 0; i < batch; ++i, ++done) {
            const unsigned char* sector = raw.data() + size_t(i) * RawSectorSize;
            if (!sectorIntact(sector))
                return false;
            std::copy_n(sector + SubheaderSize, VcdSectorPayload,
                        out + qint64(done) * VcdSectorPayload);
        }
    }
    return true;
}
