#include "LargestAllocation.h"

#include <algorithm>

#if defined(__SANITIZE_ADDRESS__)
#define TRACERY_ALLOCATION_HOOK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRACERY_ALLOCATION_HOOK 1
#endif
#endif

namespace {
bool tracking = false;
std::size_t largest = 0;
} // namespace

#if defined(TRACERY_ALLOCATION_HOOK)
// From the sanitizer runtime; its header is not installed with every compiler.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*,
                                                                            std::size_t),
                                                         void (*freeHook)(const volatile void*));
namespace {
const bool hookInstalled = [] {
    __sanitizer_install_malloc_and_free_hooks(
        [](const volatile void*, std::size_t size) {
            if (tracking) {
                largest = std::max(largest, size);
            }
        },
        [](const volatile void*) {});
    return true;
}();
} // namespace

bool LargestAllocationKnown() {
    return hookInstalled;
}
#else
bool LargestAllocationKnown() {
    return false;
}
#endif

void BeginTrackingAllocations() {
    largest = 0;
    tracking = true;
}

std::size_t EndTrackingAllocations() {
    tracking = false;
    return largest;
}
