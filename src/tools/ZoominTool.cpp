#include "tools/ZoominTool.h"

#include "tools/Cursor.h"
#include "tools/ToolView.h"

void ZoominTool::ButtonDown(ToolEvent&) {}

void ZoominTool::Drag(ToolEvent&) {}

void ZoominTool::ButtonUp(ToolEvent& event) {
    if (view_ != nullptr) {
        view_->ZoomInAt(event);
    }
}

void ZoominTool::Hover(ToolEvent&) {}

void ZoominTool::HoverRaw(ToolEvent&) {}

void ZoominTool::Activate(ToolEvent&) {
    InstallCursor(ZoominCursor::Instance());
}

void ZoominTool::Deactivate(ToolEvent&) {
    RestoreCursor();
}
