#pragma once

#include "tools/Tool.h"

// Zooms in by one step of the view's zoom rate at the point where the button is let go;
// the image point under the cursor stays under it. Makes no task: zoom is not part of the
// history.
class ZoominTool : public Tool {
public:
    void ButtonDown(ToolEvent& event) override;
    void Drag(ToolEvent& event) override;
    void ButtonUp(ToolEvent& event) override;
    void Hover(ToolEvent& event) override;
    void HoverRaw(ToolEvent& event) override;
    void Activate(ToolEvent& event) override;
    void Deactivate(ToolEvent& event) override;
};
