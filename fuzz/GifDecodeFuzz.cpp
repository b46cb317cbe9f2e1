// Reads arbitrary bytes as a GIF file. What decodes must be a bitmap whose block holds
// every byte its header describes, of a depth the reader makes; reading all of it lets
// the sanitizers see the block. Seeds: fuzz/seeds/GifDecodeFuzz (plain, transparent, interlaced,
// from tests/data/images).
#include "DecodedBitmapCheck.h"
#include "image/GifCodec.h"
#include "image/PackedBitmap.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PackedBitmap bitmap;
    if (GifCodec::Decode(data, size, bitmap)) {
        CheckDecodedBitmap(bitmap, GifCodec::IsGif(data, size), {1, 8});
    }
    return 0;
}
