#pragma once

#include "core/Geometry.h"
#include "tools/ToolEvent.h"

#include <string>

class Cursor;
class TimerService;

// What the tools need of the image view that hosts them. The view implements it over its
// window; tests implement it with a fixed-size fake.
class ToolView {
public:
    virtual ~ToolView() = default;

    // An event for a client point: clamped into the client area, converted to logical and
    // image-pixel units, with the pick tolerance and the modifier keys of this moment.
    virtual ToolEvent MakeToolEvent(IPoint client) = 0;
    // Scrolls while a tool tracks the mouse: the tool's feedback is erased, the view
    // scrolled by (dx, dy) logical units and the feedback drawn again.
    virtual void AutoScrollBy(int dx, int dy) = 0;
    virtual void ZoomInAt(const ToolEvent& event) = 0;
    virtual void ZoomOutAt(const ToolEvent& event) = 0;
    // The last mouse position, in client units.
    virtual IPoint LastMousePosition() const = 0;
    // The client area is [0, width) x [0, height).
    virtual IPoint ClientSize() const = 0;
    // Installs a cursor (applied at once when both the old and the new one exist) and
    // returns the one it replaces.
    virtual Cursor* SetCursor(Cursor* cursor) = 0;
    virtual void ShowStatus(int pane, const std::string& text) = 0;
    // Updates the document's other views with a hint.
    virtual void UpdateOtherViews(int hint) = 0;
    // Puts what the tools drew into the view's back buffer on the screen.
    virtual void ShowDrawing() = 0;
    // Renders the view again from the document (image, grid, region, sets, then the active
    // tool's overlay) and shows it: whatever a tool drew into the back buffer is gone.
    virtual void Invalidate() = 0;
    virtual TimerService& Timers() = 0;
};
