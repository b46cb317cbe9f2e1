#include "mapping/SnapTolerance.h"

#include "core/ApplicationState.h"

static_assert(SnapTolerance::kEpsilon == 0x1p-53);

double SnapTolerance::Current() {
    return ApplicationState::Current().snapTolerance;
}

void SnapTolerance::SetCurrent(double pixels) {
    ApplicationState::Current().snapTolerance = pixels;
}

double SnapTolerance::Minimum() {
    return ApplicationState::Current().snapToleranceMinimum;
}

void SnapTolerance::SetMinimum(double pixels) {
    ApplicationState::Current().snapToleranceMinimum = pixels;
}

SnapTolerance::Scope::Scope(double pixels) : previous_(Current()) {
    SetCurrent(pixels >= Minimum() ? pixels : Minimum());
}

SnapTolerance::Scope::~Scope() {
    SetCurrent(previous_);
}
