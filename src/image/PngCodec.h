#pragma once

#include "image/PackedBitmap.h"

#include <cstddef>
#include <cstdint>

// PNG files through libpng, read from memory. Palette and grey images stay indexed: 1 bit
// per pixel when the file stores 1 bit, else 8 bits, with their colour table (a grey
// table for grey images). Colour images become 24-bit. 16-bit samples are rounded to 8
// bits; transparency (an alpha channel or tRNS) is put over white; interlaced files are
// read through libpng's interlace handling. The resolution of a pHYs chunk in pixels per
// metre is kept. libpng's errors and warnings are never printed.
class PngCodec {
public:
    // True when the bytes start with the PNG signature.
    static bool IsPng(const std::uint8_t* data, std::size_t size);
    // False, with `out` untouched, when the file cannot be read to its last image row.
    static bool Decode(const std::uint8_t* data, std::size_t size, PackedBitmap& out);
};
