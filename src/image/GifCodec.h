#pragma once

#include "image/PackedBitmap.h"

#include <cstddef>
#include <cstdint>

// GIF files through giflib, read from memory: the first image of the file, at its own size
// (its place on the logical screen is not kept), with its colour table (the local one, else
// the global one). The transparent colour of the graphic control before it shows white.
// The result is an 8-bit bitmap, or 1-bit when the table has two colours and the image uses
// only those. An image whose data ends early fails.
class GifCodec {
public:
    // True when the bytes start with "GIF87a" or "GIF89a".
    static bool IsGif(const std::uint8_t* data, std::size_t size);
    // False, with `out` untouched, when no first image can be read.
    static bool Decode(const std::uint8_t* data, std::size_t size, PackedBitmap& out);
};
