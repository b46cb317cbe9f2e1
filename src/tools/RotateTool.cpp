#include "tools/RotateTool.h"

#include "database/PlumeData.h"
#include "mapping/TransformMan.h"
#include "tools/CollectLineTool.h"
#include "tools/Cursor.h"

#include <cmath>

namespace {
constexpr double kDegrees = CollectLineTool::kDegreesPerRadian;
} // namespace

Cursor* RotateTool::IdleCursor() const {
    return RotateCursor::Instance();
}

void RotateTool::DrawPivotSymbol(DrawContext& context, const DPoint& pivot) {
    const double u = 1.0 / context.scale;
    const auto move = [&](double x, double y) {
        context.MoveTo(context.ToLogical(pivot.x + x * u), context.ToLogical(pivot.y + y * u));
    };
    const auto line = [&](double x, double y) {
        context.LineTo(context.ToLogical(pivot.x + x * u), context.ToLogical(pivot.y + y * u));
    };
    context.SelectFeedbackPen(PenStyle::Solid);
    move(0, 0);
    line(7, 9);
    line(-7, 9);
    line(0, 0);
    move(5, 10);
    line(1, 14);
    move(-5, 10);
    line(-9, 14);
    move(0, 10);
    line(-4, 14);
    context.RestorePen();
}

bool RotateTool::StoredPivot(DPoint& pivot) const {
    if (database_ == nullptr || database_->Mapping().region.pixelCount == 0) {
        return false;
    }
    pivot = database_->Mapping().region.pixelNodes[6];
    return true;
}

void RotateTool::ShowPivot(ToolEvent& event) {
    if (!pivotShown_ && StoredPivot(pivotDrawnAt_)) {
        DrawPivotSymbol(event.context, pivotDrawnAt_);
        pivotShown_ = true;
    }
}

void RotateTool::HidePivot(ToolEvent& event) {
    if (pivotShown_) {
        DrawPivotSymbol(event.context, pivotDrawnAt_);
        pivotShown_ = false;
    }
}

void RotateTool::ButtonDown(ToolEvent& event) {
    RegionTool::ButtonDown(event);
    pivot_ = mapping_ != nullptr ? mapping_->RotationPivot() : DPoint{};
    currentPoint_ = startPoint_;
    if (handle_ != 0) {
        HidePivot(event); // an edge or corner may carry the pivot away
    }
}

void RotateTool::Update(ToolEvent& event) {
    if (handle_ != 0) {
        RegionTool::Update(event);
        return;
    }
    currentPoint_ = event.pixel;
    // Image pixels, y down: a positive angle turns clockwise on the screen. Each step starts
    // from the stored mapping, so the turn is always the angle swept since the press.
    const double angle =
        std::atan2(currentPoint_.y - pivot_.y, currentPoint_.x - pivot_.x) * kDegrees -
        std::atan2(startPoint_.y - pivot_.y, startPoint_.x - pivot_.x) * kDegrees;
    ReloadMapping();
    mapping_->RotateRegion(angle);
}

void RotateTool::ButtonUp(ToolEvent& event) {
    // The repaint after the task shows the pivot where the stored region now has it.
    if (handle_ >= 0 && !firstDrag_) {
        pivotShown_ = false;
    }
    RegionTool::ButtonUp(event);
    ShowPivot(event);
}

void RotateTool::Cancel(ToolEvent& event) {
    pivotShown_ = false; // the repaint of the cancel draws it again
    RegionTool::Cancel(event);
    ShowPivot(event);
}

void RotateTool::DrawOverlay(ToolEvent& event) {
    if (pivotShown_) {
        // A fresh paint: the symbol goes where the stored region has its pivot now.
        if (StoredPivot(pivotDrawnAt_)) {
            DrawPivotSymbol(event.context, pivotDrawnAt_);
        } else {
            pivotShown_ = false;
        }
    }
    RegionTool::DrawOverlay(event);
}

void RotateTool::Activate(ToolEvent& event) {
    RegionTool::Activate(event);
    pivotShown_ = false;
    ShowPivot(event);
}

void RotateTool::Deactivate(ToolEvent& event) {
    HidePivot(event);
    RegionTool::Deactivate(event);
}
