#include "tools/SnapCheckGroup.h"

SnapCheckGroup::~SnapCheckGroup() = default;

bool SnapCheckGroup::Snap(DPoint& point) {
    for (std::int32_t i = checks_.Count() - 1; i >= 0; --i) {
        if (checks_[i]->Snap(point)) {
            return true;
        }
    }
    return false;
}

void SnapCheckGroup::Add(SnapCheck* check) {
    checks_.Append(check);
}
