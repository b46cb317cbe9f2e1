#pragma once

#include "core/Geometry.h"

// A test that may pull a pointer position onto something nearby (a grid line). The tool
// manager asks each of its tests in turn with the process-wide snap tolerance in force.
class SnapCheck {
public:
    SnapCheck() = default;
    SnapCheck(const SnapCheck&) = delete;
    SnapCheck& operator=(const SnapCheck&) = delete;
    virtual ~SnapCheck() = default;

    // The point is in image pixels. True when it snapped; it is then replaced by the snapped
    // position, otherwise it is left exactly as it was.
    virtual bool Snap(DPoint& point) = 0;
};
