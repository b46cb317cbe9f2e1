#pragma once

#include "image/PackedBitmap.h"

#include <cstddef>
#include <cstdint>

// WebP files through libwebp, read from memory: lossy and lossless, and the first frame
// of an animation as libwebp's animation decoder composes it on the canvas. The result is
// 24-bit, with any alpha put over white.
class WebpCodec {
public:
    // True when the bytes start with a RIFF header of form "WEBP".
    static bool IsWebp(const std::uint8_t* data, std::size_t size);
    // False, with `out` untouched, when the image cannot be read.
    static bool Decode(const std::uint8_t* data, std::size_t size, PackedBitmap& out);
};
