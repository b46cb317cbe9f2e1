#include "tools/CollectTool.h"

#include "core/CPreferences.h"
#include "database/DbPointRep.h"
#include "database/PlumeData.h"
#include "history/PrimTask.h"
#include "tools/Cursor.h"
#include "tools/ToolView.h"
#include "tools/TrackMgr.h"

CollectTool::CollectTool(const CPreferences* preferences) : preferences_(preferences) {}

void CollectTool::ButtonDown(ToolEvent&) {}

void CollectTool::Drag(ToolEvent&) {}

void CollectTool::ButtonUp(ToolEvent& event) {
    if (database_ == nullptr) {
        return;
    }
    // A position the mapping cannot convert would be stored with a made-up graph value;
    // such a click collects nothing (pane 0 already shows no plot position there).
    DPoint graph;
    if (!database_->Mapping().PixelToGraph(event.pixel, graph)) {
        return;
    }
    const SmartPtr<DbPrimRep> point(new DbPointRep(event.pixel));
    if (!RunTask(std::make_unique<PrimTask>(database_, point))) {
        return;
    }
    // The new point appears at once: all sets are drawn again over what is on screen, the
    // current one with plus markers, the others with dashed ones.
    event.context.SelectPen(Pen{colour_, 0, PenStyle::Solid});
    database_->DrawSets(event.context);
    event.context.RestorePen();
    NotifyViews();
    if (view_ != nullptr) {
        view_->ShowDrawing();
    }
}

void CollectTool::Hover(ToolEvent& event) {
    ShowPlotPosition(event);
}

void CollectTool::HoverRaw(ToolEvent& event) {
    ShowResolution(event);
}

void CollectTool::Activate(ToolEvent&) {
    InstallCursor(CrossHairCursor::Instance());
    if (manager_ != nullptr) {
        manager_->SetSnapEnabled(true);
    }
    const CPreferences defaults;
    colour_ = static_cast<Colour>((preferences_ != nullptr ? *preferences_ : defaults).ptsColor);
}

void CollectTool::Deactivate(ToolEvent&) {
    ShowStatus("%s", ""); // the plot position no longer applies
    ShowStatusIn(5, "%s", "");
    RestoreCursor();
}
