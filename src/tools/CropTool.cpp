#include "tools/CropTool.h"

#include "core/CPreferences.h"
#include "database/PlumeData.h"
#include "history/ImageCropTask.h"
#include "tools/AntsProc.h"
#include "tools/Cursor.h"
#include "tools/ToolView.h"

namespace {
constexpr int kCancelled = -1;
} // namespace

CropTool::CropTool(const CPreferences* preferences) : preferences_(preferences) {}

// The ants stop with their object.
CropTool::~CropTool() = default;

void CropTool::Invalidate() {
    if (view_ != nullptr) {
        view_->Invalidate();
    }
}

void CropTool::StopAnts() {
    if (ants_ != nullptr) {
        ants_->Stop();
    }
}

void CropTool::StartAnts() {
    if (ants_ != nullptr && BoxDefined()) {
        ants_->Start();
    }
}

void CropTool::DrawOutline(ToolEvent& event) {
    event.context.SelectFeedbackPen(PenStyle::Dotted, colour_);
    box_.Draw(event.context);
    event.context.RestorePen();
}

void CropTool::ButtonDown(ToolEvent& event) {
    StopAnts();
    box_.SaveCorners();
    dragging_ = false;
    outlineShown_ = false;
    if (BoxDefined()) {
        // The ants' pixels go with a fresh paint; the box stays visible as the outline the
        // drag then moves.
        Invalidate();
        DrawOutline(event);
        outlineShown_ = true;
    }
    handle_ = box_.HitTest(event.pixel, event.pickTolerance);
    startPoint_ = event.pixel;
}

void CropTool::Drag(ToolEvent& event) {
    if (handle_ < 0) {
        return;
    }
    if (outlineShown_) {
        DrawOutline(event);
    }
    box_.RestoreCorners();
    box_.Drag(handle_, startPoint_, event.pixel);
    dragging_ = true;
    DrawOutline(event);
    outlineShown_ = true;
}

void CropTool::ButtonUp(ToolEvent&) {
    dragging_ = false;
    if (handle_ < 0) {
        handle_ = 0;
        return;
    }
    outlineShown_ = false;
    Invalidate();
    NotifyViews();
    handle_ = 0;
    StartAnts();
}

void CropTool::Hover(ToolEvent& event) {
    ChangeCursor(HoverCursor(box_.CursorKind(event.pixel, event.pickTolerance),
                             CrossHairCursor::Instance()));
    ShowStatus("X: %d  Y: %d", event.logical.x, event.logical.y);
}

void CropTool::HoverRaw(ToolEvent&) {}

void CropTool::Finish(ToolEvent&) {
    StopAnts();
    if (!BoxDefined()) {
        return;
    }
    if (database_ != nullptr) {
        if (std::unique_ptr<ImageCropTask> task = ImageCropTask::FromCropBox(*database_, box_)) {
            RunTask(std::move(task));
        }
    }
    box_.pixelCount = 0;
    outlineShown_ = false;
    Invalidate();
}

void CropTool::Cancel(ToolEvent&) {
    handle_ = kCancelled;
    dragging_ = false;
    StopAnts();
    box_.pixelCount = 0;
    outlineShown_ = false;
    Invalidate();
}

void CropTool::DrawOverlay(ToolEvent& event) {
    if (outlineShown_) {
        DrawOutline(event);
    }
}

void CropTool::EraseFeedback(ToolEvent& event) {
    if (outlineShown_) {
        DrawOutline(event);
        outlineShown_ = false;
    }
}

void CropTool::RedrawFeedback(ToolEvent& event) {
    if (!outlineShown_ && dragging_ && BoxDefined()) {
        DrawOutline(event);
        outlineShown_ = true;
    }
}

void CropTool::AfterAutoScroll(ToolEvent& event) {
    if (!dragging_ || handle_ < 0) {
        return;
    }
    box_.RestoreCorners();
    box_.Drag(handle_, startPoint_, event.pixel);
}

void CropTool::Activate(ToolEvent&) {
    const CPreferences defaults;
    colour_ = static_cast<Colour>((preferences_ != nullptr ? *preferences_ : defaults).cropColor);
    InstallCursor(CrossHairCursor::Instance());
    if (ants_ == nullptr && view_ != nullptr) {
        ants_ = std::make_unique<AntsProc>(view_, &box_, &view_->Timers());
        ants_->SetPeriod(AntsProc::kPeriod);
    }
    handle_ = 0;
    dragging_ = false;
    outlineShown_ = false;
    StartAnts();
}

void CropTool::Deactivate(ToolEvent&) {
    ShowStatus("%s", "");
    StopAnts();
    RestoreCursor();
    outlineShown_ = false;
    dragging_ = false;
    Invalidate();
}
