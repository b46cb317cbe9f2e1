#pragma once

#include "tools/Tool.h"

// Drags the image with the hand: each drag scrolls the view by the mouse's client
// movement, so the image point under the hand follows it. Outside the window the automatic
// scroll keeps pulling the same way (direction -1).
class PanTool : public Tool {
public:
    void ButtonDown(ToolEvent& event) override;
    void Drag(ToolEvent& event) override;
    void ButtonUp(ToolEvent& event) override;
    void Hover(ToolEvent& event) override;
    void HoverRaw(ToolEvent& event) override;
    IPoint ScrollDirection() override;
    void Activate(ToolEvent& event) override;
    void Deactivate(ToolEvent& event) override;

private:
    ToolEvent previous_;
};
