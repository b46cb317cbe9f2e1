// Reads arbitrary bytes as a JPEG file. What decodes must be a bitmap whose block holds
// every byte its header describes, of a depth the reader makes; reading all of it lets
// the sanitizers see the block. Seeds: fuzz/seeds/JpegDecodeFuzz (grey, colour, progressive, CMYK,
// every EXIF orientation, from tests/data/images).
#include "image/JpegCodec.h"
#include "image/PackedBitmap.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PackedBitmap bitmap;
    if (!JpegCodec::Decode(data, size, bitmap)) {
        return 0;
    }
    const PackedBitmap::Header& header = bitmap.header();
    if (!JpegCodec::IsJpeg(data, size) ||
        bitmap.TotalSize() != PackedBitmap::TotalSizeFor(header) ||
        (header.bitCount != 8 && header.bitCount != 24)) {
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
