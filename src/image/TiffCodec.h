#pragma once

#include "image/PackedBitmap.h"

#include <cstddef>
#include <cstdint>

// TIFF files through libtiff, read from memory. Bilevel images (1 bit per sample, white-
// or black-is-zero) become 1-bit bitmaps; everything else goes through the library's RGBA
// conversion into a 32-bit bitmap. The library's error and warning reports are silenced.
class TiffCodec {
public:
    // True when the bytes open as a TIFF at all.
    static bool IsTiff(const std::uint8_t* data, std::size_t size);
    // False, with `out` untouched, when the image cannot be read.
    static bool Decode(const std::uint8_t* data, std::size_t size, PackedBitmap& out);
};
