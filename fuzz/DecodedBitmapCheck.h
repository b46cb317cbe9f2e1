#pragma once

#include "image/PackedBitmap.h"

#include <cstddef>
#include <initializer_list>

// What every image reader's fuzz target asks of a bitmap that decoded: the input carried
// the format's signature, the block holds every byte the header describes, and the depth is
// one the reader makes. Every byte is then read, so the sanitizers see the whole block.
inline void CheckDecodedBitmap(const PackedBitmap& bitmap, bool signature,
                               std::initializer_list<int> depths) {
    const PackedBitmap::Header& header = bitmap.header();
    bool depthMade = false;
    for (const int depth : depths) {
        depthMade = depthMade || header.bitCount == depth;
    }
    if (!signature || bitmap.TotalSize() != PackedBitmap::TotalSizeFor(header) || !depthMade) {
        __builtin_trap();
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i < bitmap.TotalSize(); ++i) {
        sum += bitmap.Data()[i];
    }
    volatile unsigned sink = sum;
    (void)sink;
}
