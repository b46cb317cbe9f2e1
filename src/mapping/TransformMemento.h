#pragma once

#include "core/AttributeData.h"
#include "mapping/Box.h"

#include <cstdint>
#include <string>

class TransformData;

// A complete snapshot of the mapping for undo. Handing it back restores every field as it
// was, region included; nothing is recomputed, so the restored nodes are bit for bit the
// ones that were saved.
class TransformMemento : public AttributeRep {
public:
    static constexpr const char* kKey = "ViewMementoTransformData";

    explicit TransformMemento(TransformData* data);
    ~TransformMemento() override;

    void Refresh() override;
    void ResetAndRefresh() override;
    std::string GetKey() const override;

    std::int32_t mode = 0;
    double pointsPerLength = 1.0;
    double aspectRatio = 1.0;
    std::int32_t limitsSet = 1;
    std::int32_t logX = 0;
    std::int32_t logY = 0;
    double xMin = 1.0;
    double yMin = 1.0;
    double xMax = 10.0;
    double yMax = 10.0;
    Box region;

private:
    TransformData* transform_;
};
