#include "mapping/RegGridSnap.h"

#include "mapping/RegGridData.h"

RegGridSnap::RegGridSnap(RegGridData* data) : AttributeRep(data), grid_(data) {}

RegGridSnap::~RegGridSnap() = default;

bool RegGridSnap::Snap(DPoint& point) {
    return grid_ != nullptr && grid_->Snap(point);
}

void RegGridSnap::Refresh() {}

void RegGridSnap::ResetAndRefresh() {}

void RegGridSnap::Draw(DrawContext& ctx) const {
    if (grid_ != nullptr) {
        grid_->Draw(ctx);
    }
}
