#include "BitmapPixels.h"

#include <cstddef>

namespace {

std::uint32_t Rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return red << 16 | green << 8 | blue;
}

std::uint32_t Scale5(std::uint32_t v) {
    return (v * 255 + 15) / 31;
}

} // namespace

std::vector<std::uint32_t> ToRgb(const PackedBitmap& bitmap) {
    std::vector<std::uint32_t> rgb;
    if (bitmap.Empty()) {
        return rgb;
    }
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    const int bits = bitmap.BitCount();
    // Indices past the table (1, 4 and 8 bits) show black.
    std::uint32_t colours[256] = {};
    if (bits <= 8) {
        const std::uint8_t* table = bitmap.ColourTable();
        for (std::uint32_t i = 0; i < bitmap.ColourCount() && i < 256; ++i) {
            colours[i] = Rgb(table[4 * i + 2], table[4 * i + 1], table[4 * i]);
        }
    }
    rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::uint32_t* out = rgb.data();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = bitmap.RowFromTop(y);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p =
                row + static_cast<std::size_t>(x) * static_cast<std::size_t>(bits) / 8;
            switch (bits) {
            case 1:
                *out++ = colours[row[x >> 3] >> (7 - (x & 7)) & 1];
                break;
            case 4:
                *out++ = colours[(x & 1) != 0 ? row[x >> 1] & 0x0F : row[x >> 1] >> 4];
                break;
            case 8:
                *out++ = colours[*p];
                break;
            case 16: {
                const std::uint32_t v = p[0] | std::uint32_t{p[1]} << 8;
                *out++ = Rgb(Scale5(v >> 10 & 31), Scale5(v >> 5 & 31), Scale5(v & 31));
                break;
            }
            default: // 24 and 32: blue, green, red
                *out++ = Rgb(p[2], p[1], p[0]);
                break;
            }
        }
    }
    return rgb;
}
