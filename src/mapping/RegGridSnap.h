#pragma once

#include "core/AttributeData.h"
#include "core/Geometry.h"
#include "mapping/SnapCheck.h"

class DrawContext;
class RegGridData;

// The grid as a snap test: it reads the live settings of its grid data on every call, so it
// holds no values and has nothing to refresh. The view registers one with the tool manager
// and paints the grid through it. Its key is the base's " ".
class RegGridSnap : public SnapCheck, public AttributeRep {
public:
    static constexpr const char* kKey = "GridSnapRegGrid";

    explicit RegGridSnap(RegGridData* data);
    ~RegGridSnap() override;

    bool Snap(DPoint& point) override;
    void Refresh() override;
    void ResetAndRefresh() override;

    void Draw(DrawContext& ctx) const;

private:
    RegGridData* grid_;
};
