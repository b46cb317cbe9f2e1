#include "mapping/TransformMan.h"

#include "mapping/TransformData.h"

#include <algorithm>

TransformMan::TransformMan(TransformData* data) : AttributeRep(data), transform_(data) {}

TransformMan::~TransformMan() = default;

void TransformMan::Refresh() {
    transform_->FillManip(*this);
}

void TransformMan::ResetAndRefresh() {
    transform_->Reset();
    Refresh();
}

std::string TransformMan::GetKey() const {
    return kKey;
}

void TransformMan::ClearRegion() {
    region.pixelCount = 0;
}

void TransformMan::DrawRegion(DrawContext& ctx) const {
    region.Draw(ctx);
}

int TransformMan::RegionCursor(const DPoint& pixel, const DPoint& tolerance) const {
    return region.CursorKind(pixel, tolerance);
}

int TransformMan::RegionHitTest(const DPoint& pixel, const DPoint& tolerance) const {
    return region.HitTest(pixel, tolerance);
}

void TransformMan::DragRegion(int code, const DPoint& from, const DPoint& to) {
    region.DragHandleOrSpan(code, from, to);
}

DPoint TransformMan::RotationPivot() const {
    return region.pixelNodes[6];
}

BoxSize TransformMan::RegionSize() const {
    return region.Size();
}

void TransformMan::RotateRegion(double degrees) {
    region.Rotate(degrees);
}
