// Reads arbitrary bytes as a PNG file. What decodes must be a bitmap whose block holds
// every byte its header describes, of a depth the reader makes; reading all of it lets
// the sanitizers see the block. Seeds: fuzz/seeds/PngDecodeFuzz (every colour type and
// depth, interlaced, tRNS, from tests/data/images).
#include "DecodedBitmapCheck.h"
#include "image/PackedBitmap.h"
#include "image/PngCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PackedBitmap bitmap;
    if (PngCodec::Decode(data, size, bitmap)) {
        CheckDecodedBitmap(bitmap, PngCodec::IsPng(data, size), {1, 8, 24});
    }
    return 0;
}
