#pragma once

#include "platform/vcd_disc.h"

#include <QByteArray>
#include <atomic>
#include <memory>

// How hard a track stream tries before it gives up on the disc.
struct VcdReadLimits {
    // Reads of one sector before it counts as bad and is played as silence.
    int attemptsPerSector = 3;
    // Bad sectors in a row that end the track: the disc is past saving there.
    int badSectorsEndingTrack = 16;
};

// One track of a Video CD as a seekable stream of its MPEG data, read and
// positioned in whole sectors. Made for the media engine's reading thread:
// reads block on the drive, while cancel() may come from any thread and
// makes every later read fail at once.
class VcdTrackStream {
  public:
    VcdTrackStream(std::unique_ptr<VcdDisc> disc, VcdTrack track, VcdReadLimits limits = {});

    // Copies up to `size` bytes from the current position: 0 at the end of
    // the track, -1 once cancelled. A sector that stays unreadable reads as
    // zeros (the MPEG demuxer skips them), so positions never shift.
    qint64 read(char* out, qint64 size);
    // The new position, or -1 for one outside the track.
    qint64 seek(qint64 offset);
    qint64 size() const { return track_.size(); }
    void cancel() { cancelled_ = true; }

    // Sectors that could not be read so far.
    int badSectors() const { return badSectors_; }

  private:
    // Buffers the sectors from `sector` (counted from the track's start)
    // on; false when the track has ended or the stream was cancelled.
    bool load(qint32 sector);
    // After a failed read of several sectors: each one alone, bad ones
    // retried and then zeroed. False when too many bad ones came in a row.
    bool loadOneByOne(qint32 first, int count);
    bool readWithRetries(qint32 sector, char* out);

    std::unique_ptr<VcdDisc> disc_;
    VcdTrack track_;
    VcdReadLimits limits_;
    std::atomic<bool> cancelled_ = false;
    qint64 position_ = 0;
    // Payloads of the sectors read last, from bufferedFirst_ on.
    QByteArray buffer_;
    qint32 bufferedFirst_ = 0;
    qint32 bufferedCount_ = 0;
    int badInARow_ = 0;
    int badSectors_ = 0;
    bool endedEarly_ = false;
};
