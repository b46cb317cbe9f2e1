#pragma once

#include "image/PackedBitmap.h"

#include <cstdint>
#include <vector>

// The colours of a packed bitmap as 0x00RRGGBB, top row first, left to right: the colour
// table entry for 1, 4 and 8 bits (black for an index past the table), the bytes blue,
// green, red for 24 and 32 bits, and 5-5-5 channels scaled as round(v * 255 / 31) for 16
// bits. Empty for an empty bitmap.
std::vector<std::uint32_t> ToRgb(const PackedBitmap& bitmap);
