#pragma once

#include "core/AttributeData.h"

#include <string>

class TransformData;

// The Pixel Mapping dialog's copy: aspect ratio (w/h), points (pixels) per graph unit along
// the height, and the graph value of the bottom-left corner. Handing it back makes the
// mapping a linear pixel mapping.
class TransformPpiVw : public AttributeRep {
public:
    static constexpr const char* kKey = "ViewPPITransformData";

    explicit TransformPpiVw(TransformData* data);
    ~TransformPpiVw() override;

    void Refresh() override;
    void ResetAndRefresh() override;
    std::string GetKey() const override;

    double aspectRatio = 1.0;
    double pointsPerLength = 1.0;
    double xOrigin = 1.0;
    double yOrigin = 1.0;

private:
    TransformData* transform_;
};
