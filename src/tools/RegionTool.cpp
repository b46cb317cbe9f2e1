#include "tools/RegionTool.h"

#include "database/PlumeData.h"
#include "history/TransTask.h"
#include "mapping/TransformMan.h"
#include "tools/Cursor.h"
#include "tools/ToolView.h"

RegionTool::RegionTool() = default;

RegionTool::~RegionTool() = default;

void RegionTool::ReloadMapping() {
    if (mapping_ == nullptr && database_ != nullptr) {
        std::unique_ptr<AttributeRep> rep = database_->Mapping().CreateRep(TransformMan::kKey);
        mapping_.reset(static_cast<TransformMan*>(rep.release()));
        return;
    }
    if (mapping_ != nullptr) {
        mapping_->Refresh();
    }
}

void RegionTool::DrawOutline(ToolEvent& event) {
    if (mapping_ == nullptr) {
        return;
    }
    event.context.SelectFeedbackPen(PenStyle::Dotted);
    mapping_->DrawRegion(event.context);
    event.context.RestorePen();
}

void RegionTool::ButtonDown(ToolEvent& event) {
    ReloadMapping();
    handle_ = mapping_ != nullptr ? mapping_->RegionHitTest(event.pixel, event.pickTolerance)
                                  : kCancelled;
    firstDrag_ = true;
    outlineShown_ = false;
    startPoint_ = event.pixel;
}

void RegionTool::Drag(ToolEvent& event) {
    if (handle_ < 0 || mapping_ == nullptr) {
        return;
    }
    if (outlineShown_) {
        DrawOutline(event); // the previous figure goes
    }
    firstDrag_ = false;
    Update(event);
    DrawOutline(event);
    outlineShown_ = true;
}

void RegionTool::Update(ToolEvent& event) {
    ReloadMapping();
    mapping_->DragRegion(handle_, startPoint_, event.pixel);
}

void RegionTool::ButtonUp(ToolEvent&) {
    if (handle_ < 0 || mapping_ == nullptr || database_ == nullptr) {
        return;
    }
    outlineShown_ = false;
    if (firstDrag_) {
        // A click that dragged nothing changes nothing, and leaves no step to undo.
        return;
    }
    RunTask(std::make_unique<TransTask>(database_, std::move(mapping_)));
    ReloadMapping();
    if (view_ != nullptr) {
        view_->Invalidate();
    }
    NotifyViews();
}

void RegionTool::Hover(ToolEvent& event) {
    ReloadMapping();
    const int code =
        mapping_ != nullptr ? mapping_->RegionCursor(event.pixel, event.pickTolerance) : -1;
    ChangeCursor(HoverCursor(code, IdleCursor()));
}

void RegionTool::HoverRaw(ToolEvent&) {}

void RegionTool::Cancel(ToolEvent&) {
    handle_ = kCancelled;
    outlineShown_ = false;
    if (mapping_ != nullptr) {
        mapping_->ClearRegion();
    }
    if (view_ != nullptr) {
        view_->Invalidate(); // the stored region is painted again
    }
}

void RegionTool::DrawOverlay(ToolEvent& event) {
    if (outlineShown_) {
        DrawOutline(event);
    }
}

void RegionTool::EraseFeedback(ToolEvent& event) {
    if (outlineShown_) {
        DrawOutline(event);
        outlineShown_ = false;
    }
}

void RegionTool::RedrawFeedback(ToolEvent& event) {
    if (!outlineShown_ && handle_ >= 0 && !firstDrag_ && mapping_ != nullptr) {
        DrawOutline(event);
        outlineShown_ = true;
    }
}

void RegionTool::AfterAutoScroll(ToolEvent& event) {
    if (handle_ >= 0 && !firstDrag_ && mapping_ != nullptr) {
        Update(event);
    }
}

void RegionTool::Activate(ToolEvent&) {
    mapping_.reset();
    ReloadMapping();
    handle_ = 0;
    firstDrag_ = true;
    outlineShown_ = false;
    InstallCursor(IdleCursor());
}

void RegionTool::Deactivate(ToolEvent& event) {
    if (outlineShown_) {
        DrawOutline(event);
    }
    RestoreCursor();
    mapping_.reset();
    outlineShown_ = false;
}
