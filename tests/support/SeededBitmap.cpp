#include "SeededBitmap.h"

#include <gtest/gtest.h>

PackedBitmap SeededBitmap(int width, int height, int bitCount, int seed, int step) {
    PackedBitmap::Header header;
    header.width = width;
    header.height = height;
    header.bitCount = static_cast<std::uint16_t>(bitCount);
    PackedBitmap bitmap;
    EXPECT_TRUE(bitmap.Allocate(header)) << width << " x " << height << " x " << bitCount;
    for (std::size_t i = 0; i < bitmap.ImageSize(); ++i) {
        bitmap.Pixels()[i] = static_cast<std::uint8_t>(i * static_cast<std::size_t>(step) +
                                                       static_cast<std::size_t>(seed));
    }
    return bitmap;
}
