#pragma once

#include "core/Geometry.h"
#include "tools/TimerProc.h"

class ToolView;

// Scrolls the view while a captured drag is outside it: the further outside, the larger
// and the more frequent the steps. Arithmetic in single precision.
class AutoScrollProc : public TimerProc {
public:
    static constexpr int kBaseStep = 10;           // logical units
    static constexpr int kSlowPeriod = 80;         // milliseconds
    static constexpr int kFastPeriod = 5;          // milliseconds
    static constexpr float kDistanceScale = 30.0f; // client units

    AutoScrollProc(ToolView* view, TimerService* service);

    // Direction: the sign for both axes (-1 for the pan tool, which pulls the image).
    // Nothing when already running; otherwise the slow period and start.
    void StartScroll(ToolView* view, int direction);
    void Tick() override;

    // One step for a pointer at p: the scroll per axis, and the period that follows.
    struct Step {
        IPoint scroll;
        int period;
    };
    static Step StepFor(IPoint p, IPoint clientSize, int direction);

    int Direction() const { return direction_; }

private:
    ToolView* view_;
    int direction_ = 1;
    IPoint lastPoint_{-2147483647 - 1, -2147483647 - 1};
};
