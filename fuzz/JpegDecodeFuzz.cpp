// Reads arbitrary bytes as a JPEG file. What decodes must be a bitmap whose block holds
// every byte its header describes, of a depth the reader makes; reading all of it lets
// the sanitizers see the block. Seeds: fuzz/seeds/JpegDecodeFuzz (grey, colour, progressive, CMYK,
// every EXIF orientation, from tests/data/images).
#include "DecodedBitmapCheck.h"
#include "image/JpegCodec.h"
#include "image/PackedBitmap.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PackedBitmap bitmap;
    if (JpegCodec::Decode(data, size, bitmap)) {
        CheckDecodedBitmap(bitmap, JpegCodec::IsJpeg(data, size), {8, 24});
    }
    return 0;
}
