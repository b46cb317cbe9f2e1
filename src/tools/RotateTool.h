#pragma once

#include "tools/RegionTool.h"

// Turns the mapping region about its bottom-left corner, the pivot, which it marks with a
// small symbol of constant size on screen: a press away from the edges and a drag turn the
// region by the angle the pointer has swept about the pivot since the press. Edges and
// corners are dragged as the mapping tool drags them.
class RotateTool : public RegionTool {
public:
    void ButtonDown(ToolEvent& event) override;
    void ButtonUp(ToolEvent& event) override;
    void Cancel(ToolEvent& event) override;
    // The pivot symbol (while shown) and the drag outline.
    void DrawOverlay(ToolEvent& event) override;
    void Activate(ToolEvent& event) override;
    void Deactivate(ToolEvent& event) override;

    // The not-xor pivot symbol at an image-pixel position: a triangle pointing up at the
    // pivot and three strokes below it, 1 / scale image pixels to the screen pixel.
    static void DrawPivotSymbol(DrawContext& context, const DPoint& pivot);
    bool PivotShown() const { return pivotShown_; }
    DPoint CurrentPoint() const { return currentPoint_; }

protected:
    void Update(ToolEvent& event) override;
    Cursor* IdleCursor() const override;

private:
    void ShowPivot(ToolEvent& event);
    void HidePivot(ToolEvent& event);
    bool StoredPivot(DPoint& pivot) const;

    DPoint pivot_;        // of the press
    DPoint currentPoint_; // of the last drag step
    DPoint pivotDrawnAt_;
    bool pivotShown_ = false;
};
