#pragma once

#include "tools/Tool.h"

#include <memory>

class Cursor;
class TransformMan;

// What the mapping and rotating tools share: an editing copy of the document's mapping,
// taken on activation and reloaded from the document at every press and drag step; a
// press picks an edge or corner of the region (or none); the drag is shown as a dotted
// not-xor outline; the release hands the edited copy to a mapping task. Escape during a
// drag drops it: the rest of the gesture does nothing.
class RegionTool : public Tool {
public:
    // Hit code after Escape: the rest of the gesture is ignored.
    static constexpr int kCancelled = -1;

    RegionTool();
    ~RegionTool() override;

    void ButtonDown(ToolEvent& event) override;
    void Drag(ToolEvent& event) override;
    // The mapping task, unless the gesture was cancelled or nothing was dragged.
    void ButtonUp(ToolEvent& event) override;
    // The cursor for what is under the pointer.
    void Hover(ToolEvent& event) override;
    void HoverRaw(ToolEvent& event) override;
    void Cancel(ToolEvent& event) override;
    // The drag outline, when one is on screen: a fresh paint of the view draws it again.
    void DrawOverlay(ToolEvent& event) override;
    void EraseFeedback(ToolEvent& event) override;
    void RedrawFeedback(ToolEvent& event) override;
    void AfterAutoScroll(ToolEvent& event) override;
    void Activate(ToolEvent& event) override;
    void Deactivate(ToolEvent& event) override;

    int Handle() const { return handle_; }
    bool OutlineShown() const { return outlineShown_; }
    const TransformMan* Mapping() const { return mapping_.get(); }

protected:
    // The drag computation for the event's position, on a copy just reloaded.
    virtual void Update(ToolEvent& event);
    // The cursor where no edge or corner is under the pointer.
    virtual Cursor* IdleCursor() const = 0;
    void ReloadMapping();
    void DrawOutline(ToolEvent& event);

    std::unique_ptr<TransformMan> mapping_;
    int handle_ = 0;
    DPoint startPoint_;
    bool firstDrag_ = true;
    bool outlineShown_ = false;
};
