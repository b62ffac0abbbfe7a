#pragma once

// Opens the tip-of-the-day dialog `frmtip` without blocking: creates it if
// it does not exist, otherwise shows the same dialog unchanged.
class TipsHost {
  public:
    virtual ~TipsHost() = default;
    virtual void openTips() = 0;
};
