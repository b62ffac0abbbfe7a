#pragma once

#include <QString>
#include <optional>

// The first optical drive of the machine, as far as Video CD playback
// cares: where its disc is mounted (empty when no disc is ready).
struct OpticalDrive {
    QString device;
    QString mountPoint;
};

class OpticalDriveProbe {
  public:
    virtual ~OpticalDriveProbe() = default;
    // The first optical drive, or nothing when the machine has none.
    virtual std::optional<OpticalDrive> firstDrive() = 0;
};
