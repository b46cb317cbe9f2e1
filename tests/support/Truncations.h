#pragma once

#include <cstddef>
#include <iterator>

// Calls check(prefix, length) for every proper prefix of bytes, the empty one first. Each
// prefix is a container of its own, exactly `length` long, so that a reader that runs past
// its end is caught by AddressSanitizer instead of reading the rest of the original.
template <class Bytes, class Check> void ForEachTruncation(const Bytes& bytes, Check check) {
    for (std::size_t length = 0; length < std::size(bytes); ++length) {
        const Bytes prefix(std::begin(bytes),
                           std::begin(bytes) + static_cast<std::ptrdiff_t>(length));
        check(prefix, length);
    }
}
