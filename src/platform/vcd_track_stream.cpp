#include "platform/vcd_track_stream.h"

#include <algorithm>
#include <cstring>

namespace {
// Sectors fetched per drive request while the disc reads cleanly.
constexpr qint32 SectorsPerLoad = 16;
} // namespace

VcdTrackStream::VcdTrackStream(std::unique_ptr<VcdDisc> disc, VcdTrack track, VcdReadLimits limits)
    : disc_(std::move(disc)), track_(std::move(track)), limits_(limits) {}

qint64 VcdTrackStream::read(char* out, qint64 size) {
    if (cancelled_)
        return -1;
    if (position_ >= track_.size() || size <= 0)
        return 0;
    const auto sector = qint32(position_ / VcdSectorPayload);
    if (!load(sector))
        return cancelled_ ? -1 : 0;
    const qint64 offset = position_ - qint64(bufferedFirst_) * VcdSectorPayload;
    const qint64 count = std::min(size, qint64(buffer_.size()) - offset);
    std::memcpy(out, buffer_.constData() + offset, size_t(count));
    position_ += count;
    return count;
}

qint64 VcdTrackStream::seek(qint64 offset) {
    if (cancelled_ || offset < 0 || offset > track_.size())
        return -1;
    position_ = offset;
    // A seek past a damaged stretch may find the disc readable again.
    endedEarly_ = false;
    badInARow_ = 0;
    return position_;
}

bool VcdTrackStream::load(qint32 sector) {
    if (sector >= bufferedFirst_ && sector < bufferedFirst_ + bufferedCount_)
        return true;
    if (endedEarly_)
        return false;
    const int count = std::min(SectorsPerLoad, track_.sectorCount - sector);
    buffer_.resize(qint64(count) * VcdSectorPayload);
    bufferedFirst_ = sector;
    bufferedCount_ = 0;
    if (disc_->readSectors(track_.firstSector + sector, count, buffer_.data())) {
        bufferedCount_ = count;
        badInARow_ = 0;
        return true;
    }
    return loadOneByOne(sector, count);
}

bool VcdTrackStream::loadOneByOne(qint32 first, int count) {
    for (int i = 0; i < count; ++i) {
        char* payload = buffer_.data() + qint64(i) * VcdSectorPayload;
        if (readWithRetries(first + i, payload)) {
            badInARow_ = 0;
        } else {
            if (cancelled_)
                return false;
            std::memset(payload, 0, VcdSectorPayload);
            ++badSectors_;
            if (++badInARow_ >= limits_.badSectorsEndingTrack) {
                endedEarly_ = true;
                break;
            }
        }
        bufferedCount_ = i + 1;
    }
    buffer_.resize(qint64(bufferedCount_) * VcdSectorPayload);
    return bufferedCount_ > 0;
}

bool VcdTrackStream::readWithRetries(qint32 sector, char* out) {
    for (int attempt = 0; attempt < limits_.attemptsPerSector; ++attempt) {
        if (cancelled_)
            return false;
        if (disc_->readSectors(track_.firstSector + sector, 1, out))
            return true;
    }
    return false;
}
