#pragma once

#include "tools/TimerProc.h"

#include <cstdint>

class CropBox;
class ToolView;

// The marching ants of the crop outline: every tick draws the crop box again in black and
// white pixel runs whose pattern starts one pixel later than the time before.
class AntsProc : public TimerProc {
public:
    static constexpr int kPeriod = 25; // milliseconds; the crop tool sets it

    AntsProc(ToolView* view, CropBox* box, TimerService* service);

    void Tick() override;
    std::uint8_t Pattern() const { return pattern_; }

private:
    ToolView* view_;
    CropBox* box_;
    std::uint8_t pattern_ = 0;
};
