#include "core/ApplicationState.h"

static_assert(ApplicationState::kSnapEpsilon == 0x1p-53);

namespace {
ApplicationState* installed = nullptr;
} // namespace

ApplicationState& ApplicationState::Current() {
    static ApplicationState defaults;
    return installed != nullptr ? *installed : defaults;
}

ApplicationState::Scope::Scope() : previous_(installed) {
    installed = &state_;
}

ApplicationState::Scope::~Scope() {
    installed = previous_;
}
