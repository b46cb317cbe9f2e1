#include "tools/ZoomoutTool.h"

#include "tools/Cursor.h"
#include "tools/ToolView.h"

void ZoomoutTool::ButtonDown(ToolEvent&) {}

void ZoomoutTool::Drag(ToolEvent&) {}

void ZoomoutTool::ButtonUp(ToolEvent& event) {
    if (view_ != nullptr) {
        view_->ZoomOutAt(event);
    }
}

void ZoomoutTool::Hover(ToolEvent&) {}

void ZoomoutTool::HoverRaw(ToolEvent&) {}

void ZoomoutTool::Activate(ToolEvent&) {
    InstallCursor(ZoomoutCursor::Instance());
}

void ZoomoutTool::Deactivate(ToolEvent&) {
    RestoreCursor();
}
