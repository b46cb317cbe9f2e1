#pragma once

#include "core/SimpleArray.h"
#include "mapping/SnapCheck.h"

#include <cstdint>

// The tool manager's snap tests, asked from the last added to the first; the first that
// snaps decides. The group does not own its tests.
class SnapCheckGroup : public SnapCheck {
public:
    SnapCheckGroup() = default;
    ~SnapCheckGroup() override;

    bool Snap(DPoint& point) override;
    void Add(SnapCheck* check);
    std::int32_t Count() const { return checks_.Count(); }

private:
    SimpleArray<SnapCheck*> checks_;
};
