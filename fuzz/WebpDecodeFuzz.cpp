// Reads arbitrary bytes as a WebP file. What decodes must be a bitmap whose block holds
// every byte its header describes, of a depth the reader makes; reading all of it lets
// the sanitizers see the block. Seeds: fuzz/seeds/WebpDecodeFuzz (lossy, lossless, lossless with
// alpha, from tests/data/images).
#include "image/PackedBitmap.h"
#include "image/WebpCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PackedBitmap bitmap;
    if (!WebpCodec::Decode(data, size, bitmap)) {
        return 0;
    }
    const PackedBitmap::Header& header = bitmap.header();
    if (!WebpCodec::IsWebp(data, size) ||
        bitmap.TotalSize() != PackedBitmap::TotalSizeFor(header) || header.bitCount != 24) {
        __builtin_trap();
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i < bitmap.TotalSize(); ++i) {
        sum += bitmap.Data()[i];
    }
    volatile unsigned sink = sum;
    (void)sink;
    return 0;
}
