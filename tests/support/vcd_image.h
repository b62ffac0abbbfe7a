#pragma once

#include <QString>
#include <QStringList>

// A Video CD disc image made at test time by ffmpeg and vcdimager, kept in
// the test clip folder like the clips.
struct VcdImage {
    QString cue; // what the reader is handed in place of /dev/srN
    QString bin;
    QStringList clips; // the MPEG-1 files on it, in track order

    bool isValid() const { return !cue.isEmpty(); }
};

namespace TestVcd {

// Sine frequencies and lengths of the two tracks, so tests can tell them
// apart. The sine is ffmpeg's (peak 1/8 of full scale) on both channels.
inline constexpr int FirstTrackHz = 440;
inline constexpr int FirstTrackSeconds = 3;
inline constexpr int SecondTrackHz = 880;
inline constexpr int SecondTrackSeconds = 4;

// Two PAL Video CD tracks (test pattern and sine) on a VCD 2.0 image.
// Invalid when ffmpeg or vcdimager failed.
VcdImage twoTrackImage();
// A copy of `image` in `folder`, for a test to damage.
VcdImage copyImage(const VcdImage& image, const QString& folder);
// Overwrites the payloads of `count` sectors from `firstSector` on (counted
// from the disc's start) and leaves their checksums as they were, as a
// scratch leaves what a drive reads.
bool damageSectors(const VcdImage& image, qint32 firstSector, int count);

} // namespace TestVcd
