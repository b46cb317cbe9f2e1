#include "core/ApplicationState.h"

#include <gtest/gtest.h>

namespace {

// What one owner changes stays with it: a nested owner starts from the defaults, and when
// it ends the outer owner's values are in force again, changes made meanwhile included.
TEST(ApplicationState, EachScopeStartsFreshAndPutsThePreviousStateBack) {
    ApplicationState& outside = ApplicationState::Current();
    {
        ApplicationState::Scope outer;
        ApplicationState& state = ApplicationState::Current();
        ASSERT_EQ(&state, &outer.State());
        EXPECT_NE(&state, &outside);
        state.firstOpen = false;
        state.lastSaveType = 3;
        state.imageCacheLimit = 5;
        state.snapTolerance = 2.5;
        state.openFilterIndex = 0;
        {
            ApplicationState::Scope inner;
            const ApplicationState& fresh = ApplicationState::Current();
            EXPECT_TRUE(fresh.firstOpen);
            EXPECT_EQ(fresh.lastSaveType, 0);
            EXPECT_EQ(fresh.imageCacheLimit, 0);
            EXPECT_EQ(fresh.snapTolerance, ApplicationState::kSnapEpsilon);
            EXPECT_EQ(fresh.snapToleranceMinimum, ApplicationState::kSnapEpsilon);
            EXPECT_EQ(fresh.openFilterIndex, 1);
            inner.State().lastSaveType = 9;
        }
        EXPECT_EQ(&ApplicationState::Current(), &state);
        EXPECT_FALSE(state.firstOpen);
        EXPECT_EQ(state.lastSaveType, 3);
        EXPECT_EQ(state.imageCacheLimit, 5);
        EXPECT_EQ(state.snapTolerance, 2.5);
        EXPECT_EQ(state.openFilterIndex, 0);
    }
    EXPECT_EQ(&ApplicationState::Current(), &outside);
}

} // namespace
