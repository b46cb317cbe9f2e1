#pragma once

#include "image/PackedBitmap.h"

#include <cstdint>

// A bitmap whose pixel bytes run i * step + seed (mod 256) through the whole pixel block,
// padding included, so neighbouring pixels and rows differ and two seeds give two pictures.
// The colour table, if any, is left as Allocate makes it.
PackedBitmap SeededBitmap(int width, int height, int bitCount = 24, int seed = 0, int step = 7);
