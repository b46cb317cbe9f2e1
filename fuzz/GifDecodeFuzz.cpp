// Reads arbitrary bytes as a GIF file. What decodes must be a bitmap whose block holds
// every byte its header describes, of a depth the reader makes; reading all of it lets
// the sanitizers see the block. Seeds: fuzz/seeds/GifDecodeFuzz (plain, transparent, interlaced,
// from tests/data/images).
#include "image/GifCodec.h"
#include "image/PackedBitmap.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PackedBitmap bitmap;
    if (!GifCodec::Decode(data, size, bitmap)) {
        return 0;
    }
    const PackedBitmap::Header& header = bitmap.header();
    if (!GifCodec::IsGif(data, size) || bitmap.TotalSize() != PackedBitmap::TotalSizeFor(header) ||
        (header.bitCount != 1 && header.bitCount != 8)) {
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
