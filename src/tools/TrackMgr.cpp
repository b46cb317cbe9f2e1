#include "tools/TrackMgr.h"

#include "mapping/SnapTolerance.h"

TrackMgr::TrackMgr() = default;

TrackMgr::~TrackMgr() = default;

void TrackMgr::ButtonDown(ToolEvent& event) {
    if (tool_ == nullptr) {
        return;
    }
    SnapEvent(event);
    state_ = kPressed;
    if (event.ctrl != 0) {
        state_ = kModifiedClick;
        SnapTolerance::Scope minimum(SnapTolerance::Minimum());
        tool_->ModifiedClick(event, 1);
        return;
    }
    tool_->ButtonDown(event);
}

void TrackMgr::Drag(ToolEvent& event) {
    if (tool_ == nullptr || state_ == kModifiedClick) {
        return;
    }
    SnapEvent(event);
    tool_->Drag(event);
    state_ = kDragging;
}

void TrackMgr::ButtonUp(ToolEvent& event) {
    if (tool_ == nullptr || state_ == kModifiedClick) {
        return;
    }
    SnapEvent(event);
    state_ = kReleasing;
    if (event.ctrl != 0) {
        SnapTolerance::Scope minimum(SnapTolerance::Minimum());
        tool_->ModifiedClick(event, 3);
    } else {
        tool_->ButtonUp(event);
    }
    state_ = kIdle;
}

void TrackMgr::Hover(ToolEvent& event) {
    if (tool_ == nullptr) {
        return;
    }
    tool_->HoverRaw(event);
    SnapEvent(event);
    tool_->Hover(event);
    state_ = kIdle;
}

void TrackMgr::Finish(ToolEvent& event) {
    if (tool_ != nullptr) {
        tool_->Finish(event);
    }
}

void TrackMgr::Cancel(ToolEvent& event) {
    if (tool_ != nullptr) {
        tool_->Cancel(event);
    }
}

void TrackMgr::DrawOverlay(ToolEvent& event) {
    if (tool_ != nullptr) {
        tool_->DrawOverlay(event);
    }
}

IPoint TrackMgr::ScrollDirection() {
    return tool_ != nullptr ? tool_->ScrollDirection() : Tool::ScrollDirection();
}

void TrackMgr::Activate(ToolEvent& event) {
    if (tool_ == nullptr) {
        return;
    }
    tool_->SetDatabase(database_);
    tool_->Activate(event);
}

void TrackMgr::Deactivate(ToolEvent& event) {
    if (tool_ != nullptr) {
        tool_->Deactivate(event);
    }
    snapEnabled_ = false;
}

void TrackMgr::SelectTool(Tool* tool) {
    remembered_ = nullptr;
    SetTool(tool);
}

void TrackMgr::PushTool(Tool* tool) {
    if (tool == nullptr) {
        // Going back with nothing remembered (Space let go where its press switched nothing)
        // keeps the active tool rather than leaving the view without one.
        if (remembered_ != nullptr) {
            Tool* back = remembered_;
            remembered_ = nullptr;
            SetTool(back);
        }
        return;
    }
    if (remembered_ == nullptr) {
        remembered_ = tool_;
    }
    SetTool(tool);
}

void TrackMgr::AddSnapCheck(SnapCheck* check) {
    snapChecks_.Add(check);
}

void TrackMgr::SnapEvent(ToolEvent& event) {
    if (event.shift != 0 || !snapEnabled_) {
        return;
    }
    SnapTolerance::Scope tolerance(event.pickTolerance.x);
    snapChecks_.Snap(event.pixel);
}

void TrackMgr::SetTool(Tool* tool) {
    tool_ = tool;
    state_ = kIdle;
    if (tool_ != nullptr) {
        tool_->SetView(view_);
        tool_->SetManager(this);
    }
}
