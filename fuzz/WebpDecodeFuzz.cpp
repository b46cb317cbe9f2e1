// Reads arbitrary bytes as a WebP file. What decodes must be a bitmap whose block holds
// every byte its header describes, of a depth the reader makes; reading all of it lets
// the sanitizers see the block. Seeds: fuzz/seeds/WebpDecodeFuzz (lossy, lossless, lossless with
// alpha, from tests/data/images).
#include "DecodedBitmapCheck.h"
#include "image/PackedBitmap.h"
#include "image/WebpCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PackedBitmap bitmap;
    if (WebpCodec::Decode(data, size, bitmap)) {
        CheckDecodedBitmap(bitmap, WebpCodec::IsWebp(data, size), {24});
    }
    return 0;
}
