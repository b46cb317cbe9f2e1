// Reads arbitrary bytes as a TIFF file. What decodes must be a bitmap whose block holds
// every byte its header describes; reading all of it lets the sanitizers see the block.
// Seeds: fuzz/seeds/TiffDecodeFuzz (tiny files of each path: fax, tiles, palette, 16-bit
// grey, every orientation), plus the TIFF corpus folders given on the command line.
#include "DecodedBitmapCheck.h"
#include "image/PackedBitmap.h"
#include "image/TiffCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const bool tiff = TiffCodec::IsTiff(data, size);
    PackedBitmap bitmap;
    if (TiffCodec::Decode(data, size, bitmap)) {
        CheckDecodedBitmap(bitmap, tiff, {1, 32});
    }
    return 0;
}
