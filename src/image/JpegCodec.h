#pragma once

#include "image/PackedBitmap.h"

#include <cstddef>
#include <cstdint>

// JPEG files through libjpeg-turbo, read from memory: baseline and progressive, grey
// (an 8-bit bitmap with a grey table) and colour (24-bit); CMYK and YCCK are converted
// as Adobe writes them (inverted ink: red = cyan x black / 255). The EXIF orientation is
// applied, so a phone photo comes in upright. The resolution comes from the JFIF header,
// else from EXIF. A file that ends before its last scan fails; libjpeg's messages are
// never printed.
class JpegCodec {
public:
    // True when the bytes start with a JPEG start-of-image marker.
    static bool IsJpeg(const std::uint8_t* data, std::size_t size);
    // False, with `out` untouched, when the image cannot be read.
    static bool Decode(const std::uint8_t* data, std::size_t size, PackedBitmap& out);
};
