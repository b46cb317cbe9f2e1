#pragma once

#include "platform/Device.h"
#include "tools/Tool.h"

class CPreferences;

// Adds a point to the current data set where the button is released (the snapped position
// unless Shift is held), as one undoable step. Hovering shows the plot position of the
// snapped position in pane 0 and the resolution of the unsnapped one in pane 5.
class CollectTool : public Tool {
public:
    explicit CollectTool(const CPreferences* preferences);

    void ButtonDown(ToolEvent& event) override;
    void Drag(ToolEvent& event) override;
    void ButtonUp(ToolEvent& event) override;
    void Hover(ToolEvent& event) override;
    void HoverRaw(ToolEvent& event) override;
    // The cross-hair, snapping on, the point colour read from the preferences.
    void Activate(ToolEvent& event) override;
    void Deactivate(ToolEvent& event) override;

    Colour PointColour() const { return colour_; }

private:
    const CPreferences* preferences_;
    Colour colour_ = 255;
};
