#pragma once

#include "core/AttributeData.h"
#include "core/Geometry.h"
#include "mapping/Box.h"

#include <cstdint>
#include <string>

class DrawContext;
class TransformData;

// The mapping and rotating tools' editing copy of the mapping: the scale, the limits and a
// full copy of the region. Handing it back replaces the region; in a pixel mapping the graph
// extents are then recomputed from the fixed scale and the bottom-left origin.
class TransformMan : public AttributeRep {
public:
    static constexpr const char* kKey = "ViewManipTransformData";

    explicit TransformMan(TransformData* data);
    ~TransformMan() override;

    void Refresh() override;
    void ResetAndRefresh() override;
    std::string GetKey() const override;

    // The editing copy shows no region.
    void ClearRegion();
    void DrawRegion(DrawContext& ctx) const;
    int RegionCursor(const DPoint& pixel, const DPoint& tolerance) const;
    int RegionHitTest(const DPoint& pixel, const DPoint& tolerance) const;
    // With a handle and a region, drags that handle; otherwise starts a new unrotated region
    // spanning the two points.
    void DragRegion(int code, const DPoint& from, const DPoint& to);
    // Pixel node 6, the bottom-left corner that rotation turns about.
    DPoint RotationPivot() const;
    BoxSize RegionSize() const;
    void RotateRegion(double degrees);

    double pointsPerLength = 1.0;
    double aspectRatio = 1.0;
    double xMin = 1.0;
    double yMin = 1.0;
    double xMax = 10.0;
    double yMax = 10.0;
    std::int32_t logX = 0;
    std::int32_t logY = 0;
    Box region;

private:
    TransformData* transform_;
};
