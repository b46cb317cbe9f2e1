#include "tools/Tool.h"

#include "database/PlumeData.h"
#include "database/Task.h"
#include "tools/Cursor.h"
#include "tools/StatusText.h"
#include "tools/ToolView.h"

#include <cmath>

Tool::Tool() = default;

Tool::~Tool() = default;

void Tool::ShowMoveText(const char* what, const ToolEvent& event) {
    ShowStatus("%s at Pixel (%d,%d)  Logical(%d,%d)  Scaled(%g,%g)", what, event.client.x,
               event.client.y, event.logical.x, event.logical.y, event.pixel.x, event.pixel.y);
}

void Tool::ButtonDown(ToolEvent& event) {
    ShowMoveText("Move", event);
}

void Tool::Drag(ToolEvent& event) {
    ShowMoveText("Move", event);
}

void Tool::ButtonUp(ToolEvent& event) {
    ShowMoveText("Move", event);
}

void Tool::Hover(ToolEvent& event) {
    ShowMoveText("Move", event);
}

void Tool::HoverRaw(ToolEvent& event) {
    ShowMoveText("MoveRaw", event);
}

void Tool::Finish(ToolEvent&) {}

void Tool::Cancel(ToolEvent&) {}

void Tool::DrawOverlay(ToolEvent&) {}

void Tool::EraseFeedback(ToolEvent&) {}

void Tool::RedrawFeedback(ToolEvent&) {}

void Tool::ModifiedClick(ToolEvent&, int) {}

void Tool::ShowStatus(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    const std::string text = FormatStatusV(format, arguments);
    va_end(arguments);
    if (view_ != nullptr) {
        view_->ShowStatus(0, text);
    }
}

void Tool::ShowStatusIn(int pane, const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    const std::string text = FormatStatusV(format, arguments);
    va_end(arguments);
    if (view_ != nullptr) {
        view_->ShowStatus(pane, text);
    }
}

int Tool::PlotPrecision(double g, double r) {
    if (!(g > 0.0) || !(r > 0.0) || !std::isfinite(g) || !std::isfinite(r)) {
        return 6;
    }
    return static_cast<int>(std::trunc(std::floor(std::log10(g)) - std::floor(std::log10(r)))) + 2;
}

namespace {
// Three significant digits: the resolution routine keeps digits + 1 of them.
constexpr int kResolutionDigits = 2;
} // namespace

void Tool::ShowPlotPosition(const ToolEvent& event) {
    DPoint graph;
    if (database_ == nullptr || !database_->Mapping().PixelToGraph(event.pixel, graph)) {
        ShowStatus("%s", "");
        return;
    }
    const DPoint resolution = database_->PixelResolution(event.pixel, event.logical,
                                                         event.context.scale, kResolutionDigits);
    ShowStatus("Plot Position (%.*g, %.*g)", PlotPrecision(graph.x, resolution.x), graph.x,
               PlotPrecision(graph.y, resolution.y), graph.y);
}

void Tool::ShowResolution(const ToolEvent& event) {
    if (database_ == nullptr) {
        return;
    }
    const DPoint resolution = database_->PixelResolution(event.pixel, event.logical,
                                                         event.context.scale, kResolutionDigits);
    ShowStatusIn(5, "%g, %g", resolution.x, resolution.y);
}

void Tool::SetManager(TrackMgr* manager) {
    manager_ = manager;
}

void Tool::NotifyViews() {
    if (view_ != nullptr) {
        view_->UpdateOtherViews(PlumeData::kHintData);
    }
}

void Tool::AfterAutoScroll(ToolEvent&) {}

IPoint Tool::ScrollDirection() {
    return IPoint{1, 1};
}

void Tool::Activate(ToolEvent&) {
    InstallCursor(CrossHairCursor::Instance());
}

void Tool::Deactivate(ToolEvent&) {
    RestoreCursor();
}

void Tool::InstallCursor(Cursor* cursor) {
    installedCursor_ = cursor;
    if (view_ != nullptr) {
        previousCursor_ = view_->SetCursor(cursor);
    }
}

void Tool::ChangeCursor(Cursor* cursor) {
    if (cursor == installedCursor_) {
        return;
    }
    installedCursor_ = cursor;
    if (view_ != nullptr) {
        view_->SetCursor(cursor);
    }
}

void Tool::RestoreCursor() {
    if (view_ != nullptr) {
        view_->SetCursor(previousCursor_);
    }
    installedCursor_ = previousCursor_;
}

bool Tool::RunTask(std::unique_ptr<Task> task) {
    return database_ != nullptr && database_->Perform(std::move(task));
}
