#pragma once

#include <cstddef>

// The largest single heap request made between Begin and End. Only builds with
// AddressSanitizer can see requests (through its allocation hook); elsewhere the result
// is always 0, and tests that rely on it check LargestAllocationKnown().
bool LargestAllocationKnown();
void BeginTrackingAllocations();
std::size_t EndTrackingAllocations();

template <typename F> std::size_t LargestAllocationOf(F&& f) {
    BeginTrackingAllocations();
    f();
    return EndTrackingAllocations();
}
