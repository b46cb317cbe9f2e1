#include "tools/CollectLineTool.h"

#include "database/PlumeData.h"
#include "tools/Cursor.h"
#include "tools/ToolView.h"
#include "tools/TrackMgr.h"

#include <cmath>
#include <cstdlib>

void CollectLineTool::Reset() {
    pointCount_ = 0;
    pressCount_ = 0;
    lineShown_ = false;
}

void CollectLineTool::ButtonDown(ToolEvent& event) {
    if (pressCount_ == 0) {
        if (lineShown_) {
            DrawOverlay(event); // the finished line and both markers go
        }
        pointCount_ = 0;
        lineShown_ = false;
    }
    ++pressCount_;
    if (pointCount_ == 0) {
        ends_[0] = event;
        pointCount_ = 1;
        DrawEndMarker(event, 0);
    }
}

void CollectLineTool::Drag(ToolEvent& event) {
    Measure(event);
}

void CollectLineTool::ButtonUp(ToolEvent& event) {
    if (pressCount_ <= 0 || pointCount_ <= 0) {
        return;
    }
    const ToolEvent& last = ends_[static_cast<std::size_t>(pointCount_ - 1)];
    if (pressCount_ != 2 && std::abs(event.logical.x - last.logical.x) < kClickSlop &&
        std::abs(event.logical.y - last.logical.y) < kClickSlop) {
        return; // a click: the second click ends the line
    }
    // The rubber line ran to the last drag position; the line is drawn again to where the
    // button came up, which snapping may have moved.
    if (lineShown_) {
        DrawLine(event);
    }
    ends_[1] = event;
    pointCount_ = 2;
    DrawLine(event);
    lineShown_ = true;
    DrawEndMarker(event, 1);
    pressCount_ = 0;
}

void CollectLineTool::Hover(ToolEvent& event) {
    Measure(event);
}

void CollectLineTool::HoverRaw(ToolEvent&) {}

void CollectLineTool::Measure(ToolEvent& event) {
    DPoint graph;
    if (database_ == nullptr || !database_->Mapping().PixelToGraph(event.pixel, graph)) {
        ShowStatus("%s", "");
        return;
    }
    if (pointCount_ == 0) {
        ShowPlotPosition(event);
    } else {
        const bool pressed = event.button != 0;
        // The provisional end is about to move: a rubber line to the old one goes first. (A
        // line left from a drag that came back as a click would otherwise stay on screen
        // while the hover moves its end, and could not be erased.)
        if (lineShown_ && (pressed || pointCount_ == 1)) {
            DrawLine(event);
            lineShown_ = false;
        }
        if (pointCount_ == 1) {
            ends_[1] = event; // provisional end
        }
        DPoint a0;
        DPoint a1;
        if (database_->Mapping().PixelToGraph(ends_[0].pixel, a0) &&
            database_->Mapping().PixelToGraph(ends_[1].pixel, a1)) {
            const double dx = a1.x - a0.x;
            const double dy = a1.y - a0.y;
            ShowStatus("Position (%g, %g)   Len,Angle (%g, %.1f)", graph.x, graph.y,
                       std::sqrt(dx * dx + dy * dy), Angle(dx, dy));
        } else {
            // An end the mapping cannot convert has no length to show.
            ShowStatus("%s", "");
        }
        if (pressed) {
            DrawLine(event);
            lineShown_ = true;
        }
    }
    ShowResolution(event);
}

double CollectLineTool::Angle(double dx, double dy) {
    double angle = std::atan2(dy, dx) * kDegreesPerRadian;
    // The angle lies in (-180, 180]. A line along the negative x axis whose dy the mapping's
    // arithmetic left a hair below zero would read "-180.0"; it reads 180.0.
    if (angle < -180.0 + kHalfShownDigit) {
        angle += 360.0;
    }
    return angle;
}

void CollectLineTool::Cancel(ToolEvent& event) {
    DrawOverlay(event);
    Reset();
}

void CollectLineTool::DrawOverlay(ToolEvent& event) {
    if (lineShown_) {
        DrawLine(event);
    }
    if (pointCount_ > 0) {
        DrawEndMarker(event, 0);
    }
    if (pointCount_ > 1) {
        DrawEndMarker(event, 1);
    }
}

void CollectLineTool::DrawLine(ToolEvent& event) {
    DrawContext& context = event.context;
    context.SelectFeedbackPen(PenStyle::Solid);
    context.MoveTo(context.ToLogical(ends_[0].pixel.x), context.ToLogical(ends_[0].pixel.y));
    context.LineTo(context.ToLogical(ends_[1].pixel.x), context.ToLogical(ends_[1].pixel.y));
    context.RestorePen();
}

void CollectLineTool::DrawEndMarker(ToolEvent& event, int index) {
    DrawContext& context = event.context;
    const DPoint& at = ends_.at(static_cast<std::size_t>(index)).pixel;
    context.SelectFeedbackPen(PenStyle::Solid);
    DrawContext::PlusMarker(context, at.x, at.y);
    context.RestorePen();
}

void CollectLineTool::Activate(ToolEvent&) {
    InstallCursor(CrossHairCursor::Instance());
    Reset();
    if (manager_ != nullptr) {
        manager_->SetSnapEnabled(true);
    }
}

void CollectLineTool::Deactivate(ToolEvent& event) {
    ShowStatus("%s", ""); // the measure goes with the line
    ShowStatusIn(5, "%s", "");
    RestoreCursor();
    DrawOverlay(event);
    lineShown_ = false;
}
