#include "tools/PanTool.h"

#include "tools/Cursor.h"
#include "tools/ToolView.h"

void PanTool::ButtonDown(ToolEvent& event) {
    previous_ = event;
}

void PanTool::Drag(ToolEvent& event) {
    if (view_ != nullptr) {
        view_->AutoScrollBy(previous_.client.x - event.client.x,
                            previous_.client.y - event.client.y);
    }
    previous_ = event;
}

void PanTool::ButtonUp(ToolEvent&) {}

void PanTool::Hover(ToolEvent&) {}

void PanTool::HoverRaw(ToolEvent&) {}

IPoint PanTool::ScrollDirection() {
    return IPoint{-1, -1};
}

void PanTool::Activate(ToolEvent&) {
    InstallCursor(HandCursor::Instance());
}

void PanTool::Deactivate(ToolEvent&) {
    RestoreCursor();
}
