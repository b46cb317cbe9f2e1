#include "tools/AntsProc.h"

#include "mapping/CropBox.h"
#include "tools/ToolView.h"

AntsProc::AntsProc(ToolView* view, CropBox* box, TimerService* service)
    : TimerProc(service), view_(view), box_(box) {}

void AntsProc::Tick() {
    if (view_ == nullptr || box_ == nullptr) {
        return;
    }
    ToolEvent event = view_->MakeToolEvent(IPoint{0, 0});
    DrawContext& context = event.context;
    DrawContext::AdvanceAnts(pattern_);
    context.SelectAnts(pattern_);
    box_->Draw(context);
    context.RestorePen();
    view_->ShowDrawing();
}
