#pragma once

#include "tools/Tool.h"

#include <array>

// A measuring tool: a line between two positions, made either by pressing, dragging at
// least 5 logical units and releasing, or by two clicks. Pane 0 shows the pointer's graph
// position with the line's length and its angle against the graph's x axis, both in graph
// terms; nothing is stored. The line and its end markers are drawn not-xor, so drawing them
// again takes them off.
class CollectLineTool : public Tool {
public:
    // A release closer than this to the first end (logical units, on both axes) waits for a
    // second click.
    static constexpr int kClickSlop = 5;
    static constexpr double kDegreesPerRadian = 57.295780490442965;
    // Half the last digit of the angle shown ("%.1f").
    static constexpr double kHalfShownDigit = 0.05;

    void ButtonDown(ToolEvent& event) override;
    void Drag(ToolEvent& event) override;
    void ButtonUp(ToolEvent& event) override;
    void Hover(ToolEvent& event) override;
    void HoverRaw(ToolEvent& event) override;
    // Escape: what is shown goes, and the next press starts a new line.
    void Cancel(ToolEvent& event) override;
    void DrawOverlay(ToolEvent& event) override;
    void Activate(ToolEvent& event) override;
    void Deactivate(ToolEvent& event) override;

    // The rubber-band update of drags and hovers.
    void Measure(ToolEvent& event);
    void DrawLine(ToolEvent& event);
    void DrawEndMarker(ToolEvent& event, int index);
    // Degrees counter-clockwise from the graph's x axis, in (-180, 180] as shown.
    static double Angle(double dx, double dy);

    int PointCount() const { return pointCount_; }
    int PressCount() const { return pressCount_; }
    bool LineShown() const { return lineShown_; }
    const ToolEvent& End(int index) const { return ends_.at(static_cast<std::size_t>(index)); }

private:
    void Reset();

    std::array<ToolEvent, 2> ends_; // start, end (provisional while dragging)
    int pointCount_ = 0;
    int pressCount_ = 0;
    bool lineShown_ = false;
};
