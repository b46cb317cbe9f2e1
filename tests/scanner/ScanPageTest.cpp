#include "scanner/ScanPage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

SANE_Parameters Parameters(SANE_Frame format, int depth, int width, int lines, int perLine) {
    SANE_Parameters p{};
    p.format = format;
    p.last_frame = SANE_TRUE;
    p.depth = depth;
    p.pixels_per_line = width;
    p.lines = lines;
    p.bytes_per_line = perLine;
    return p;
}

std::vector<std::uint8_t> Words(std::initializer_list<std::uint16_t> values) {
    std::vector<std::uint8_t> bytes(values.size() * 2);
    std::memcpy(bytes.data(), std::data(values), bytes.size()); // the machine's order
    return bytes;
}

// A pixel as 0xRRGGBB, whatever the depth.
std::uint32_t Rgb(const PackedBitmap& bitmap, int x, int y) {
    const std::uint32_t value = bitmap.PixelAt(x, y);
    if (bitmap.BitCount() == 24) {
        return value;
    }
    const std::uint8_t* entry = bitmap.ColourTable() + 4 * value;
    return (std::uint32_t{entry[2]} << 16) | (std::uint32_t{entry[1]} << 8) | entry[0];
}

struct Frame {
    SANE_Parameters parameters;
    std::vector<std::uint8_t> bytes;
};

TEST(ScanPage, EveryFormatBecomesTheRightPixels) {
    const struct {
        const char* name;
        std::vector<Frame> frames;
        int bitCount;
        int width;
        int height;
        std::vector<std::uint32_t> pixels; // row by row from the top, as 0xRRGGBB
    } cases[] = {
        {"grey, 1 bit: set bits are black",
         {{Parameters(SANE_FRAME_GRAY, 1, 3, 2, 1), {0b10100000, 0b01000000}}},
         1,
         3,
         2,
         {0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF}},
        {"grey, 8 bits, padded lines",
         {{Parameters(SANE_FRAME_GRAY, 8, 2, 2, 3), {0, 128, 99, 255, 7, 99}}},
         8,
         2,
         2,
         {0x000000, 0x808080, 0xFFFFFF, 0x070707}},
        {"grey, 16 bits keep their high byte",
         {{Parameters(SANE_FRAME_GRAY, 16, 2, 1, 4), Words({0x12FF, 0xAB00})}},
         8,
         2,
         1,
         {0x121212, 0xABABAB}},
        {"colour, 8 bits",
         {{Parameters(SANE_FRAME_RGB, 8, 2, 1, 6), {255, 0, 0, 1, 2, 3}}},
         24,
         2,
         1,
         {0xFF0000, 0x010203}},
        {"colour, 16 bits",
         {{Parameters(SANE_FRAME_RGB, 16, 1, 1, 6), Words({0x1000, 0x20FF, 0x3080})}},
         24,
         1,
         1,
         {0x102030}},
        {"three passes in any order",
         {{Parameters(SANE_FRAME_GREEN, 8, 2, 1, 2), {0x22, 0x55}},
          {Parameters(SANE_FRAME_BLUE, 8, 2, 1, 2), {0x33, 0x66}},
          {Parameters(SANE_FRAME_RED, 8, 2, 1, 2), {0x11, 0x44}}},
         24,
         2,
         1,
         {0x112233, 0x445566}},
        {"a hand scanner of unknown height, ending inside a line",
         {{Parameters(SANE_FRAME_GRAY, 8, 2, -1, 2), {1, 2, 3, 4, 5}}},
         8,
         2,
         2,
         {0x010101, 0x020202, 0x030303, 0x040404}},
        {"a device that stops early",
         {{Parameters(SANE_FRAME_GRAY, 8, 1, 5, 1), {9, 8}}},
         8,
         1,
         2,
         {0x090909, 0x080808}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScanPage page;
        for (const Frame& frame : c.frames) {
            ASSERT_TRUE(page.BeginFrame(frame.parameters));
            // In pieces, as sane_read gives them.
            for (std::size_t i = 0; i < frame.bytes.size(); ++i) {
                ASSERT_TRUE(page.Append(&frame.bytes[i], 1));
            }
        }
        const PackedBitmap bitmap = page.Build(300);
        ASSERT_FALSE(bitmap.Empty());
        EXPECT_EQ(bitmap.BitCount(), c.bitCount);
        ASSERT_EQ(bitmap.Width(), c.width);
        ASSERT_EQ(bitmap.Height(), c.height);
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                pixels.push_back(Rgb(bitmap, x, y));
            }
        }
        EXPECT_EQ(pixels, c.pixels);
        // 300 dots per inch are 11811 per metre.
        EXPECT_EQ(bitmap.header().xPelsPerMeter, 11811);
        EXPECT_EQ(bitmap.header().yPelsPerMeter, 11811);
    }
}

TEST(ScanPage, FramesThatMakeNoBitmapAreRefused) {
    const struct {
        const char* name;
        std::vector<SANE_Parameters> frames; // the last is the one refused
    } cases[] = {
        {"1-bit colour", {Parameters(SANE_FRAME_RGB, 1, 8, 1, 3)}},
        {"4-bit grey", {Parameters(SANE_FRAME_GRAY, 4, 8, 1, 4)}},
        {"lines shorter than their pixels", {Parameters(SANE_FRAME_RGB, 8, 10, 1, 29)}},
        {"no width", {Parameters(SANE_FRAME_GRAY, 8, 0, 1, 1)}},
        {"an unknown format", {Parameters(static_cast<SANE_Frame>(7), 8, 1, 1, 1)}},
        {"larger than any bitmap", {Parameters(SANE_FRAME_RGB, 8, 60000, 60000, 180000)}},
        {"a second pass of another width",
         {Parameters(SANE_FRAME_RED, 8, 4, 1, 4), Parameters(SANE_FRAME_GREEN, 8, 5, 1, 5)}},
        {"a grey frame after a pass",
         {Parameters(SANE_FRAME_RED, 8, 4, 1, 4), Parameters(SANE_FRAME_GRAY, 8, 4, 1, 4)}},
        {"a fourth pass",
         {Parameters(SANE_FRAME_RED, 8, 4, 1, 4), Parameters(SANE_FRAME_GREEN, 8, 4, 1, 4),
          Parameters(SANE_FRAME_BLUE, 8, 4, 1, 4), Parameters(SANE_FRAME_RED, 8, 4, 1, 4)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScanPage page;
        for (std::size_t i = 0; i + 1 < c.frames.size(); ++i) {
            ASSERT_TRUE(page.BeginFrame(c.frames[i]));
        }
        EXPECT_FALSE(page.BeginFrame(c.frames.back()));
    }
}

TEST(ScanPage, NoWholeLineOrAMissingColourIsNoPicture) {
    {
        ScanPage page;
        ASSERT_TRUE(page.BeginFrame(Parameters(SANE_FRAME_GRAY, 8, 4, 2, 4)));
        const std::uint8_t bytes[3] = {1, 2, 3};
        ASSERT_TRUE(page.Append(bytes, 3));
        EXPECT_EQ(page.ExpectedBytes(), 8u);
        EXPECT_EQ(page.ReceivedBytes(), 3u);
        EXPECT_TRUE(page.Build(100).Empty());
    }
    {
        ScanPage page;
        const std::uint8_t bytes[4] = {1, 2, 3, 4};
        ASSERT_TRUE(page.BeginFrame(Parameters(SANE_FRAME_RED, 8, 4, 1, 4)));
        ASSERT_TRUE(page.Append(bytes, 4));
        ASSERT_TRUE(page.BeginFrame(Parameters(SANE_FRAME_RED, 8, 4, 1, 4)));
        ASSERT_TRUE(page.Append(bytes, 4));
        ASSERT_TRUE(page.BeginFrame(Parameters(SANE_FRAME_GREEN, 8, 4, 1, 4)));
        ASSERT_TRUE(page.Append(bytes, 4));
        EXPECT_TRUE(page.Build(100).Empty()); // no blue
    }
    EXPECT_TRUE(ScanPage().Build(100).Empty());
}

} // namespace
