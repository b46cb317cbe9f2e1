#include "tools/ZoomClickTool.h"

#include "tools/ToolView.h"

void ZoomClickTool::ButtonDown(ToolEvent&) {}

void ZoomClickTool::Drag(ToolEvent&) {}

void ZoomClickTool::ButtonUp(ToolEvent& event) {
    if (view_ == nullptr) {
        return;
    }
    if (zoomIn_) {
        view_->ZoomInAt(event);
    } else {
        view_->ZoomOutAt(event);
    }
}

void ZoomClickTool::Hover(ToolEvent&) {}

void ZoomClickTool::HoverRaw(ToolEvent&) {}

void ZoomClickTool::Activate(ToolEvent&) {
    InstallCursor(cursor_);
}

void ZoomClickTool::Deactivate(ToolEvent&) {
    RestoreCursor();
}
