#pragma once

#include "tools/Tool.h"

class Cursor;

// Zooms in or out by one step of the view's zoom rate at the point where the button is let
// go; the image point under the cursor stays under it. Makes no task: zoom is not part of
// the history. The base of the two zoom tools.
class ZoomClickTool : public Tool {
public:
    ZoomClickTool(bool zoomIn, Cursor* cursor) : zoomIn_(zoomIn), cursor_(cursor) {}

    void ButtonDown(ToolEvent& event) override;
    void Drag(ToolEvent& event) override;
    void ButtonUp(ToolEvent& event) override;
    void Hover(ToolEvent& event) override;
    void HoverRaw(ToolEvent& event) override;
    void Activate(ToolEvent& event) override;
    void Deactivate(ToolEvent& event) override;

private:
    bool zoomIn_;
    Cursor* cursor_;
};
