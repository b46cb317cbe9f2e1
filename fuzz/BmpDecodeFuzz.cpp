// Reads arbitrary bytes as a BMP file. What decodes is walked pixel by pixel (as drawing
// does) and written again; the written file must read back to the same block.
#include "image/BmpCodec.h"
#include "image/PackedBitmap.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PackedBitmap bitmap;
    if (!BmpCodec::Decode(data, size, bitmap)) {
        return 0;
    }
    std::uint32_t sum = 0;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            sum += bitmap.PixelAt(x, y);
        }
    }
    const std::vector<std::uint8_t> file = BmpCodec::Encode(bitmap);
    PackedBitmap again;
    if (!BmpCodec::Decode(file.data(), file.size(), again) ||
        again.TotalSize() != bitmap.TotalSize() ||
        std::memcmp(again.Data(), bitmap.Data(), bitmap.TotalSize()) != 0) {
        std::abort();
    }
    return static_cast<int>(sum & 0);
}
