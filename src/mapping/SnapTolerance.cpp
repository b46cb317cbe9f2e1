#include "mapping/SnapTolerance.h"

static_assert(SnapTolerance::kEpsilon == 0x1p-53);

namespace {
double currentTolerance = SnapTolerance::kEpsilon;
double minimumTolerance = SnapTolerance::kEpsilon;
} // namespace

double SnapTolerance::Current() {
    return currentTolerance;
}

void SnapTolerance::SetCurrent(double pixels) {
    currentTolerance = pixels;
}

double SnapTolerance::Minimum() {
    return minimumTolerance;
}

void SnapTolerance::SetMinimum(double pixels) {
    minimumTolerance = pixels;
}

SnapTolerance::Scope::Scope(double pixels) : previous_(currentTolerance) {
    currentTolerance = pixels >= minimumTolerance ? pixels : minimumTolerance;
}

SnapTolerance::Scope::~Scope() {
    currentTolerance = previous_;
}
