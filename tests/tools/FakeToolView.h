#pragma once

#include "FakePlatform.h"
#include "RasterDevice.h"
#include "tools/ToolView.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

// A view of a fixed client size over an image at a scale, with no window: it makes events
// the way the image view does and records what the tools ask of it.
class FakeToolView : public ToolView {
public:
    ToolEvent MakeToolEvent(IPoint client) override {
        ToolEvent event;
        event.context = DrawContext(&device, scale);
        event.client =
            IPoint{std::clamp(client.x, 0, size.x - 1), std::clamp(client.y, 0, size.y - 1)};
        event.logical = IPoint{event.client.x + scroll.x, event.client.y + scroll.y};
        event.pixel = DPoint{event.logical.x / scale, event.logical.y / scale};
        const DPoint moved{(client.x - pickTol + scroll.x) / scale,
                           (client.y - pickTol + scroll.y) / scale};
        event.pickTolerance =
            DPoint{std::fabs(moved.x - event.pixel.x), std::fabs(moved.y - event.pixel.y)};
        event.shift = shift;
        event.ctrl = ctrl;
        return event;
    }
    void AutoScrollBy(int dx, int dy) override {
        scrolls.push_back(IPoint{dx, dy});
        scroll.x += dx;
        scroll.y += dy;
    }
    void ZoomInAt(const ToolEvent& event) override { zooms.push_back(event.logical.x); }
    void ZoomOutAt(const ToolEvent& event) override { zooms.push_back(-event.logical.x); }
    IPoint LastMousePosition() const override { return mouse; }
    IPoint ClientSize() const override { return size; }
    Cursor* SetCursor(Cursor* cursor) override {
        Cursor* old = current;
        current = cursor;
        return old;
    }
    void ShowStatus(int pane, const std::string& text) override { panes[pane] = text; }
    void UpdateOtherViews(int hint) override { otherViewHints.push_back(hint); }
    void ShowDrawing() override { ++shown; }
    // A fresh paint: the device is cleared and the hook (the active tool's overlay, as the
    // view draws it) runs.
    void Invalidate() override {
        ++invalidations;
        device.FillRect(0, 0, device.width(), device.height(), kWhite);
        if (onInvalidate) {
            onInvalidate();
        }
    }
    TimerService& Timers() override { return timers; }

    RasterDevice device{8, 8};
    double scale = 1.0;
    int pickTol = 3;
    IPoint size{200, 100};
    IPoint scroll{0, 0};
    IPoint mouse{0, 0};
    int shift = 0;
    int ctrl = 0;
    Cursor* current = nullptr;
    std::vector<IPoint> scrolls;
    std::vector<int> zooms;
    std::map<int, std::string> panes;
    std::vector<int> otherViewHints;
    int shown = 0;
    int invalidations = 0;
    std::function<void()> onInvalidate;
    FakeTimers timers;
};
