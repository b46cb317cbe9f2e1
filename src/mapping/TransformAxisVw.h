#pragma once

#include "core/AttributeData.h"

#include <cstdint>
#include <string>

class TransformData;

// The Axis Mapping dialog's copy: the four limits (as entered, not logarithmic) and the
// two log flags. Handing it back makes the mapping an axis mapping.
class TransformAxisVw : public AttributeRep {
public:
    static constexpr const char* kKey = "ViewAxisTransformData";

    explicit TransformAxisVw(TransformData* data);
    ~TransformAxisVw() override;

    void Refresh() override;
    void ResetAndRefresh() override;
    std::string GetKey() const override;

    double xMin = 1.0;
    double yMin = 1.0;
    double xMax = 10.0;
    double yMax = 10.0;
    std::int32_t logX = 0;
    std::int32_t logY = 0;

private:
    TransformData* transform_;
};
