#pragma once

#include "core/AttributeData.h"

#include <cstdint>

class RegGridData;

// The grid dialog's copy of the eight grid settings. Handing it back with Notify makes the
// grid data take all eight. Its key is the base's " ".
class RegGridVw : public AttributeRep {
public:
    static constexpr const char* kKey = "ViewDialogRegGrid";

    explicit RegGridVw(RegGridData* data);
    ~RegGridVw() override;

    // Both copy the settings from the data; the grid has no reset.
    void Refresh() override;
    void ResetAndRefresh() override;

    std::int32_t snapX = 0;
    std::int32_t snapY = 0;
    double originX = 0.0;
    double originY = 0.0;
    double stepX = 0.0;
    double stepY = 0.0;
    std::int32_t showX = 1;
    std::int32_t showY = 1;

private:
    RegGridData* grid_;
};
