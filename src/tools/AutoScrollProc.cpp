#include "tools/AutoScrollProc.h"

#include "tools/ToolView.h"

#include <algorithm>
#include <cmath>

AutoScrollProc::AutoScrollProc(ToolView* view, TimerService* service)
    : TimerProc(service), view_(view) {}

void AutoScrollProc::StartScroll(ToolView* view, int direction) {
    if (IsRunning()) {
        return;
    }
    view_ = view;
    direction_ = direction;
    SetPeriod(kSlowPeriod);
    Start();
}

AutoScrollProc::Step AutoScrollProc::StepFor(IPoint p, IPoint clientSize, int direction) {
    // Per axis: past the far edge the sign is +direction, before the near edge -direction.
    const auto axis = [direction](int v, int extent, int& sign) {
        if (v >= extent) {
            sign = direction;
            return v - extent;
        }
        if (v < 0) {
            sign = -direction;
            return -v;
        }
        sign = 0;
        return 0;
    };
    int signX = 0;
    int signY = 0;
    const int dx = axis(p.x, clientSize.x, signX);
    const int dy = axis(p.y, clientSize.y, signY);
    const float distance = static_cast<float>(std::max(dx, dy));
    float step = static_cast<float>(kBaseStep);
    if (distance > kDistanceScale) {
        step = ((distance - kDistanceScale) * 0.05f + 1.0f) * static_cast<float>(kBaseStep);
    }
    const float perStep = static_cast<float>(kSlowPeriod - kFastPeriod) / kDistanceScale;
    const int period =
        std::max(kFastPeriod,
                 static_cast<int>(std::trunc(static_cast<float>(kSlowPeriod) - perStep * step)));
    return Step{IPoint{static_cast<int>(std::trunc(static_cast<float>(signX) * step)),
                       static_cast<int>(std::trunc(static_cast<float>(signY) * step))},
                period};
}

void AutoScrollProc::Tick() {
    if (view_ == nullptr) {
        return;
    }
    const IPoint p = view_->LastMousePosition();
    const Step step = StepFor(p, view_->ClientSize(), direction_);
    view_->AutoScrollBy(step.scroll.x, step.scroll.y);
    // A pointer held still keeps the period it had.
    if (!(p == lastPoint_)) {
        SetPeriod(step.period);
        lastPoint_ = p;
    }
}
