#pragma once

#include "mapping/CropBox.h"
#include "platform/Device.h"
#include "tools/Tool.h"

#include <memory>

class AntsProc;
class CPreferences;

// Draws and adjusts a crop box, outlined by marching ants while the button is up; Enter
// crops the image to it (one undoable step), Escape removes it. The box stays with the tool
// between activations. The view never paints the box: the ants do, every 25 ms, and a
// dotted not-xor outline of the crop colour while it is dragged.
class CropTool : public Tool {
public:
    explicit CropTool(const CPreferences* preferences);
    ~CropTool() override;

    void ButtonDown(ToolEvent& event) override;
    void Drag(ToolEvent& event) override;
    void ButtonUp(ToolEvent& event) override;
    // The cursor for what is under the pointer, and "X: %d  Y: %d" with the logical position.
    void Hover(ToolEvent& event) override;
    void HoverRaw(ToolEvent& event) override;
    void Finish(ToolEvent& event) override;
    void Cancel(ToolEvent& event) override;
    void DrawOverlay(ToolEvent& event) override;
    void EraseFeedback(ToolEvent& event) override;
    void RedrawFeedback(ToolEvent& event) override;
    void AfterAutoScroll(ToolEvent& event) override;
    void Activate(ToolEvent& event) override;
    void Deactivate(ToolEvent& event) override;

    const CropBox& Box() const { return box_; }
    bool BoxDefined() const { return box_.pixelCount > 0; }
    // Null until the tool is first activated.
    const AntsProc* Ants() const { return ants_.get(); }
    int Handle() const { return handle_; }
    Colour OutlineColour() const { return colour_; }

private:
    void DrawOutline(ToolEvent& event);
    void StopAnts();
    void StartAnts();
    void Invalidate();

    const CPreferences* preferences_;
    CropBox box_;
    std::unique_ptr<AntsProc> ants_;
    int handle_ = 0;
    DPoint startPoint_;
    Colour colour_ = kBlack;
    bool dragging_ = false;
    bool outlineShown_ = false;
};
