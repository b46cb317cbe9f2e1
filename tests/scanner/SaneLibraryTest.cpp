#include "scanner/SaneLibrary.h"

#include <gtest/gtest.h>

namespace {

// The installed library (scripts/setup-deps brings it) loads with every function; a
// missing one, or a library that is not SANE, leaves nothing loaded.
TEST(SaneLibrary, LoadsOnlyACompleteLibrary) {
    const struct {
        const char* name;
        bool loads;
    } cases[] = {
        {SaneLibrary::kDefaultName, true},
        {"libsane-missing.so.1", false},
        {"libz.so.1", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SaneLibrary library(c.name);
        EXPECT_EQ(library.Load(), c.loads);
        EXPECT_EQ(library.Loaded(), c.loads);
        EXPECT_EQ(library.read != nullptr, c.loads);
        EXPECT_EQ(library.strstatus != nullptr, c.loads);
        if (c.loads) {
            EXPECT_STREQ(library.strstatus(SANE_STATUS_JAMMED), "Document feeder jammed");
        }
        library.Unload();
        EXPECT_FALSE(library.Loaded());
        EXPECT_EQ(library.init, nullptr);
    }
}

} // namespace
