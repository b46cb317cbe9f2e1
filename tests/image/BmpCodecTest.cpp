// BMP reading and writing against files built byte by byte.
#include "image/BmpCodec.h"
#include "FileBytes.h"
#include "Truncations.h"

#include "BitmapPixels.h"
#include "ByteWriter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Rows = std::vector<std::vector<std::uint32_t>>;

// A BMP file to build: headers of the given form, masks (after a 40-byte header, inside a
// larger one), colour table, a gap, then the pixels. Rows are given top row first as pixel
// values (colour indices, or the raw 16/24/32-bit value) and stored in the file's order.
struct File {
    std::uint32_t headerSize = 40;
    std::int32_t width = 3;
    std::int32_t height = 2; // negative: rows stored top-down
    std::uint16_t bits = 8;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::vector<std::uint32_t> masks{};
    std::vector<std::uint32_t> palette{}; // 0xRRGGBB
    std::size_t gap = 0;
    std::int64_t offset = -1; // the file header's pixel offset; -1: where the pixels are
    Rows rows{};
    Bytes data{}; // pixel bytes as they are, when there are no rows
};

Bytes Pack(int bits, int width, const Rows& rows, bool topDown) {
    const std::size_t rowBytes = (std::size_t(bits) * std::size_t(width) + 31) / 32 * 4;
    Bytes out;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::vector<std::uint32_t>& row = rows[topDown ? i : rows.size() - 1 - i];
        Bytes bytes(rowBytes, 0);
        for (std::size_t x = 0; x < row.size(); ++x) {
            const std::uint32_t v = row[x];
            if (bits == 1) {
                bytes[x / 8] = std::uint8_t(bytes[x / 8] | v << (7 - x % 8));
            } else if (bits == 4) {
                bytes[x / 2] = std::uint8_t(bytes[x / 2] | v << (x % 2 == 0 ? 4 : 0));
            } else {
                for (int b = 0; b < bits / 8; ++b) {
                    bytes[x * std::size_t(bits / 8) + std::size_t(b)] = std::uint8_t(v >> (8 * b));
                }
            }
        }
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

Bytes Build(const File& f) {
    const bool core = f.headerSize == 12;
    const bool trailingMasks = f.headerSize == 40 && !f.masks.empty();
    const Bytes pixels = f.rows.empty() ? f.data : Pack(f.bits, f.width, f.rows, f.height < 0);
    const std::size_t start = 14 + f.headerSize + (trailingMasks ? 4 * f.masks.size() : 0) +
                              (core ? 3 : 4) * f.palette.size() + f.gap;
    ByteWriter w;
    w.U8('B').U8('M').I32(std::int32_t(start + pixels.size())).U16(0).U16(0);
    w.I32(std::int32_t(f.offset < 0 ? std::int64_t(start) : f.offset))
        .I32(std::int32_t(f.headerSize));
    if (core) {
        w.U16(std::uint16_t(f.width)).U16(std::uint16_t(f.height)).U16(1).U16(f.bits);
    } else {
        w.I32(f.width).I32(f.height).U16(1).U16(f.bits);
        if (f.headerSize >= 40) {
            w.I32(std::int32_t(f.compression)).I32(std::int32_t(pixels.size())).I32(2835);
            w.I32(2835).I32(std::int32_t(f.coloursUsed)).I32(0);
        }
        for (std::uint32_t mask : f.masks) {
            w.I32(std::int32_t(mask));
        }
        while (!trailingMasks && w.size() < 14 + f.headerSize) {
            w.U8(0);
        }
    }
    for (std::uint32_t colour : f.palette) {
        w.U8(std::uint8_t(colour)).U8(std::uint8_t(colour >> 8)).U8(std::uint8_t(colour >> 16));
        if (!core) {
            w.U8(0xEE); // reserved byte, dropped by the reader
        }
    }
    for (std::size_t i = 0; i < f.gap; ++i) {
        w.U8(0xA5);
    }
    return w.Bytes(pixels).bytes();
}

std::vector<std::uint32_t> Ramp(std::size_t count) {
    std::vector<std::uint32_t> colours;
    for (std::uint32_t i = 0; i < count; ++i) {
        colours.push_back((i & 0xFF) << 16 | (255 - (i & 0xFF)) << 8 | 0x40);
    }
    return colours;
}

bool Decode(const Bytes& bytes, PackedBitmap& out) {
    return BmpCodec::Decode(bytes.data(), bytes.size(), out);
}

// Colour indices (or raw values), top row first.
std::vector<std::uint32_t> Values(const PackedBitmap& bitmap) {
    std::vector<std::uint32_t> values;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            values.push_back(bitmap.PixelAt(x, y));
        }
    }
    return values;
}

// Bits after the last pixel of every row must stay zero.
bool PaddingIsClear(const PackedBitmap& bitmap) {
    const std::size_t used = (std::size_t(bitmap.BitCount()) * std::size_t(bitmap.Width()) + 7) / 8;
    const unsigned tailBits = unsigned(bitmap.BitCount() * bitmap.Width()) % 8;
    for (int row = 0; row < bitmap.Height(); ++row) {
        const std::uint8_t* bytes = bitmap.StoredRow(row);
        if (tailBits != 0 && (bytes[used - 1] & (0xFFu >> tailBits)) != 0) {
            return false;
        }
        for (std::size_t i = used; i < bitmap.RowBytes(); ++i) {
            if (bytes[i] != 0) {
                return false;
            }
        }
    }
    return true;
}

TEST(BmpCodec, DecodesThePixelsOfEveryLayout) {
    const std::vector<std::uint32_t> two = {0x112233, 0xAABBCC};
    const std::vector<std::uint32_t> three = {0x112233, 0x445566, 0x778899};
    const Rows rgb24 = {{0x112233, 0x445566, 0x778899}, {0xAABBCC, 0xDDEEFF, 0x000001}};
    const std::vector<std::uint32_t> rgb24Out = {0x112233, 0x445566, 0x778899,
                                                 0xAABBCC, 0xDDEEFF, 0x000001};
    const Rows rgb32 = {{0xFF112233, 0x00445566, 0x80778899}, {0xAABBCC, 0x01DDEEFF, 0x000001}};
    const Rows rgb555 = {{0x7C00, 0x03E0, 0x001F}, {0x7FFF, 0x8000, 0x4210}};
    const std::vector<std::uint32_t> rgb555Out = {0xFF0000, 0x00FF00, 0x0000FF,
                                                  0xFFFFFF, 0x000000, 0x848484};
    const Rows rgb565 = {{0xF800, 0x07E0, 0x001F}, {0xFFFF, 0x0000, 0x8410}};
    const std::vector<std::uint32_t> rgb565Out = {0xFF0000, 0x00FF00, 0x0000FF,
                                                  0xFFFFFF, 0x000000, 0x848284};
    const std::vector<std::uint32_t> m565 = {0xF800, 0x07E0, 0x001F};
    const std::vector<std::uint32_t> m555 = {0x7C00, 0x03E0, 0x001F};
    const std::vector<std::uint32_t> m888 = {0xFF0000, 0x00FF00, 0x0000FF};
    const Rows idx8 = {{0, 128, 255}, {7, 8, 9}};
    const std::vector<std::uint32_t> ramp = Ramp(256);
    const std::vector<std::uint32_t> idx8Out = {ramp[0], ramp[128], ramp[255],
                                                ramp[7], ramp[8],   ramp[9]};
    const Rows idx3 = {{0, 1, 2}, {2, 2, 1}};
    const std::vector<std::uint32_t> idx3Out = {three[0], three[1], three[2],
                                                three[2], three[2], three[1]};

    struct Case {
        const char* name;
        File file;
        int bits;                       // of the decoded bitmap
        std::vector<std::uint32_t> rgb; // top row first
        std::int64_t colours = -1;      // the decoded colour count, when checked
    };
    // clang-format off
    const Case cases[] = {
        {"1 bit", {.bits = 1, .palette = two, .rows = {{1, 0, 1}, {0, 1, 1}}}, 1,
         {two[1], two[0], two[1], two[0], two[1], two[1]}, 2},
        {"4 bits, 3 colours", {.bits = 4, .coloursUsed = 3, .palette = three, .rows = idx3},
         4, idx3Out, 3},
        {"8 bits, full table", {.bits = 8, .palette = ramp, .rows = idx8}, 8, idx8Out, 256},
        {"16 bits at offset 54", {.bits = 16, .rows = rgb555}, 16, rgb555Out, 0},
        {"24 bits", {.bits = 24, .rows = rgb24}, 24, rgb24Out, 0},
        {"32 bits at offset 54", {.bits = 32, .rows = rgb32}, 32, rgb24Out, 0},
        // The file header's pixel offset, and the fall-back when it points before the
        // pixels can start.
        {"32 bits, our own gap", {.bits = 32, .gap = 12, .rows = rgb32}, 32, rgb24Out},
        {"32 bits, offset 0", {.bits = 32, .gap = 12, .offset = 0, .rows = rgb32}, 32, rgb24Out},
        {"16 bits, offset 0", {.bits = 16, .gap = 12, .offset = 0, .rows = rgb555}, 16, rgb555Out},
        {"4 bits, gap of 100",
         {.bits = 4, .coloursUsed = 3, .palette = three, .gap = 100, .rows = idx3}, 4, idx3Out},
        {"4 bits, offset in the table",
         {.bits = 4, .coloursUsed = 3, .palette = three, .offset = 60, .rows = idx3}, 4, idx3Out},
        // Core header: 3-byte entries, always the full table.
        {"core, 8 bits", {.headerSize = 12, .bits = 8, .palette = ramp, .rows = idx8},
         8, idx8Out, 256},
        {"core, 1 bit",
         {.headerSize = 12, .bits = 1, .palette = two, .rows = {{1, 0, 0}, {0, 0, 1}}},
         1, {two[1], two[0], two[0], two[0], two[0], two[1]}, 2},
        {"core, 24 bits", {.headerSize = 12, .bits = 24, .rows = rgb24}, 24, rgb24Out, 0},
        // Other headers read as the 40-byte one.
        {"16-byte header", {.headerSize = 16, .bits = 8, .palette = ramp, .rows = idx8},
         8, idx8Out, 256},
        {"64-byte header",
         {.headerSize = 64, .bits = 4, .coloursUsed = 3, .palette = three, .rows = idx3},
         4, idx3Out, 3},
        {"108-byte header",
         {.headerSize = 108, .bits = 4, .coloursUsed = 3, .palette = three, .rows = idx3},
         4, idx3Out, 3},
        {"124-byte header", {.headerSize = 124, .bits = 24, .rows = rgb24}, 24, rgb24Out},
        // Bit fields: 5-5-5 and 8-8-8 masks are the plain layouts; others widen to 32 bits.
        {"5-6-5", {.bits = 16, .compression = 3, .masks = m565, .rows = rgb565}, 32, rgb565Out},
        {"5-5-5 masks", {.bits = 16, .compression = 3, .masks = m555, .rows = rgb555},
         16, rgb555Out},
        {"8-8-8 masks", {.bits = 32, .compression = 3, .masks = m888, .rows = rgb32},
         32, rgb24Out},
        {"red and blue masks swapped",
         {.width = 1, .height = 1, .bits = 32, .compression = 3,
          .masks = {0xFF, 0xFF00, 0xFF0000}, .rows = {{0x112233}}},
         32, {0x332211}},
        {"10-10-10",
         {.width = 1, .height = 1, .bits = 32, .compression = 3,
          .masks = {0x3FF00000, 0xFFC00, 0x3FF}, .rows = {{0x3FF80000 | 1023}}},
         32, {0xFF80FF}},
        {"8-8-0 masks",
         {.width = 1, .height = 1, .bits = 16, .compression = 3, .masks = {0xFF00, 0xFF, 0},
          .rows = {{0x1234}}},
         32, {0x123400}},
        {"5-6-5 in a 108-byte header",
         {.headerSize = 108, .bits = 16, .compression = 3, .masks = m565, .rows = rgb565},
         32, rgb565Out},
        {"5-6-5 with a colour table",
         {.bits = 16, .compression = 3, .coloursUsed = 4, .masks = m565, .palette = Ramp(4),
          .rows = rgb565},
         32, rgb565Out, 0},
        {"8-8-8 in a 52-byte header",
         {.headerSize = 52, .bits = 32, .compression = 3, .masks = m888, .rows = rgb32},
         32, rgb24Out},
        // Top-down files.
        {"top-down 8 bits", {.height = -2, .bits = 8, .palette = ramp, .rows = idx8}, 8, idx8Out},
        {"top-down 24 bits", {.height = -2, .bits = 24, .rows = rgb24}, 24, rgb24Out},
        {"top-down 5-6-5, 124-byte header",
         {.headerSize = 124, .height = -2, .bits = 16, .compression = 3, .masks = m565,
          .rows = rgb565},
         32, rgb565Out},
        // Tables larger than the depth can address, or not used at all.
        {"8 bits, 300 colours",
         {.bits = 8, .coloursUsed = 300, .palette = Ramp(300), .rows = idx8}, 8, idx8Out, 256},
        {"8 bits, 300 colours, offset 0",
         {.bits = 8, .coloursUsed = 300, .palette = Ramp(300), .offset = 0, .rows = idx8},
         8, idx8Out, 256},
        {"24 bits with a table",
         {.bits = 24, .coloursUsed = 5, .palette = Ramp(5), .rows = rgb24}, 24, rgb24Out, 0},
        {"24 bits, colours used but no table",
         {.bits = 24, .coloursUsed = 5, .rows = rgb24}, 24, rgb24Out, 0},
        {"16 bits with a table",
         {.bits = 16, .coloursUsed = 4, .palette = Ramp(4), .rows = rgb555}, 16, rgb555Out, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        PackedBitmap bitmap;
        ASSERT_TRUE(Decode(Build(c.file), bitmap)) << c.name;
        EXPECT_EQ(bitmap.BitCount(), c.bits) << c.name;
        EXPECT_EQ(bitmap.header().compression, 0u) << c.name;
        EXPECT_EQ(bitmap.Height(), std::abs(c.file.height)) << c.name;
        EXPECT_EQ(ToRgb(bitmap), c.rgb) << c.name;
        if (c.colours >= 0) {
            EXPECT_EQ(bitmap.ColourCount(), std::uint32_t(c.colours)) << c.name;
        }
        if (bitmap.BitCount() <= 8) {
            for (std::uint32_t i = 0; i < bitmap.ColourCount(); ++i) {
                EXPECT_EQ(bitmap.ColourTable()[4 * i + 3], 0) << c.name << " entry " << i;
            }
        }
    }
}

// Expected values are colour indices, top row first; empty when the data must fail.
struct RleCase {
    const char* name;
    Bytes data;
    std::vector<std::uint32_t> values;
};

void CheckRle(std::uint16_t bits, int width, int height, const std::vector<RleCase>& cases) {
    for (const RleCase& c : cases) {
        const File file{.width = width,
                        .height = height,
                        .bits = bits,
                        .compression = bits == 8 ? 1u : 2u,
                        .coloursUsed = 16,
                        .palette = Ramp(16),
                        .data = c.data};
        PackedBitmap bitmap;
        const bool decoded = Decode(Build(file), bitmap);
        ASSERT_EQ(decoded, !c.values.empty()) << c.name;
        if (decoded) {
            EXPECT_EQ(bitmap.BitCount(), bits) << c.name;
            EXPECT_EQ(Values(bitmap), c.values) << c.name;
            EXPECT_TRUE(PaddingIsClear(bitmap)) << c.name;
        }
    }
}

TEST(BmpCodec, RunLength8EveryCode) {
    CheckRle(
        8, 4, 2,
        {
            {"runs, end of row, end of bitmap",
             {2, 5, 2, 6, 0, 0, 4, 7, 0, 1},
             {7, 7, 7, 7, 5, 5, 6, 6}},
            {"delta skips right and up", {1, 9, 0, 2, 2, 1, 1, 8, 0, 1}, {0, 0, 0, 8, 9, 0, 0, 0}},
            {"odd literal run is padded",
             {0, 3, 1, 2, 3, 0, 1, 4, 0, 0, 0, 4, 5, 6, 7, 8, 0, 1},
             {5, 6, 7, 8, 1, 2, 3, 4}},
            {"early end of bitmap leaves index 0", {2, 3, 0, 1}, {0, 0, 0, 0, 3, 3, 0, 0}},
            {"data ends when the rows are full", {4, 1, 0, 0, 4, 2}, {2, 2, 2, 2, 1, 1, 1, 1}},
            {"end of row after the top row",
             {4, 1, 0, 0, 4, 2, 0, 0, 0, 1},
             {2, 2, 2, 2, 1, 1, 1, 1}},
            // Over-long data is cut at the row's end and at the top of the image.
            {"run past the row end", {6, 1, 0, 0, 1, 2, 0, 1}, {2, 0, 0, 0, 1, 1, 1, 1}},
            {"row does not wrap", {6, 1, 2, 2, 0, 1}, {0, 0, 0, 0, 1, 1, 1, 1}},
            {"literal past the row end",
             {0, 5, 1, 2, 3, 4, 5, 0, 0, 0, 1, 9, 0, 1},
             {9, 0, 0, 0, 1, 2, 3, 4}},
            {"delta above the top", {0, 2, 0, 5, 4, 3, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 0}},
            {"rows above the top",
             {4, 1, 0, 0, 4, 2, 0, 0, 4, 3, 0, 0, 0, 1},
             {2, 2, 2, 2, 1, 1, 1, 1}},
            {"end of bitmap before more codes", {4, 1, 0, 1, 0, 0}, {}},
            {"data ends before the rows are full", {4, 1, 0, 0}, {}},
            {"no data", {}, {}},
            {"literal cut short", {0, 4, 1, 2}, {}},
            {"literal without its pad byte", {0, 3, 1, 2, 3}, {}},
            {"delta cut short", {0, 2, 1}, {}},
            {"odd byte at the end", {4, 1, 0, 0, 4, 2, 0}, {}},
        });
}

TEST(BmpCodec, RunLength4EveryCode) {
    CheckRle(4, 5, 2,
             {
                 {"runs alternate nibbles",
                  {5, 0x12, 0, 0, 3, 0x34, 0, 1},
                  {3, 4, 3, 0, 0, 1, 2, 1, 2, 1}},
                 {"odd literal run is padded",
                  {0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 0, 3, 0x67, 0x80, 0, 1},
                  {6, 7, 8, 0, 0, 1, 2, 3, 4, 5}},
                 {"run past the row end",
                  {7, 0x12, 0, 0, 1, 0x30, 0, 1},
                  {3, 0, 0, 0, 0, 1, 2, 1, 2, 1}},
                 {"literal past the row end",
                  {0, 7, 0x12, 0x34, 0x56, 0x70, 0, 1},
                  {0, 0, 0, 0, 0, 1, 2, 3, 4, 5}},
                 {"delta is not allowed", {0, 2, 1, 0, 0, 1}, {}},
                 {"literal cut short", {0, 5, 0x12, 0x34}, {}},
             });
}

TEST(BmpCodec, RunLengthDataIsTheImageSizeFieldLong) {
    const File file{.width = 4,
                    .height = 1,
                    .compression = 1,
                    .coloursUsed = 2,
                    .palette = Ramp(2),
                    .data = {4, 1, 0, 1}};
    Bytes padded = Build(file);
    padded.insert(padded.end(), {0, 0, 7});
    PackedBitmap bitmap;
    EXPECT_TRUE(Decode(padded, bitmap)) << "bytes after the data are no codes";
    for (const std::uint32_t field : {0u, 100u}) { // unset or too large: to the end of the file
        Bytes bytes = padded;
        for (int i = 0; i < 4; ++i) {
            bytes[34 + std::size_t(i)] = std::uint8_t(field >> (8 * i));
        }
        EXPECT_FALSE(Decode(bytes, bitmap)) << field;
        bytes.resize(bytes.size() - 3);
        EXPECT_TRUE(Decode(bytes, bitmap)) << field;
    }

    // Two bytes cannot stand for a 900 MB image; a small image may leave every pixel to
    // the end-of-bitmap code.
    const File huge{.width = 30000,
                    .height = 30000,
                    .compression = 1,
                    .coloursUsed = 2,
                    .palette = Ramp(2),
                    .data = {0, 1}};
    EXPECT_FALSE(Decode(Build(huge), bitmap));
    File small = huge;
    small.width = small.height = 1000;
    ASSERT_TRUE(Decode(Build(small), bitmap));
    EXPECT_EQ(bitmap.Width(), 1000);
}

TEST(BmpCodec, DamagedHeadersAreRejected) {
    const File base{.width = 4,
                    .height = 2,
                    .bits = 8,
                    .coloursUsed = 2,
                    .palette = {0x000000, 0xFFFFFF},
                    .rows = {{0, 1, 0, 1}, {1, 0, 1, 0}}};
    const Bytes good = Build(base);
    const auto put32 = [](std::size_t at, std::uint32_t v) {
        return [=](Bytes& b) {
            for (int i = 0; i < 4; ++i) {
                b[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
            }
        };
    };
    const auto put16 = [](std::size_t at, std::uint16_t v) {
        return [=](Bytes& b) {
            b[at] = std::uint8_t(v);
            b[at + 1] = std::uint8_t(v >> 8);
        };
    };
    const auto cut = [](std::size_t size) { return [=](Bytes& b) { b.resize(size); }; };
    struct Case {
        const char* name;
        std::function<void(Bytes&)> damage;
    };
    const Case cases[] = {
        {"not BM", [](Bytes& b) { b[1] = 'A'; }},
        {"planes 0", put16(26, 0)},
        {"planes 2", put16(26, 2)},
        {"depth 0", put16(28, 0)},
        {"depth 2", put16(28, 2)},
        {"depth 7", put16(28, 7)},
        {"depth 64", put16(28, 64)},
        {"width 0", put32(18, 0)},
        {"width negative", put32(18, std::uint32_t(-4))},
        {"height 0", put32(22, 0)},
        {"height of the lowest integer", put32(22, 0x80000000u)},
        {"width x height past 2 GB",
         [&](Bytes& b) {
             put32(18, 100000)(b);
             put32(22, 100000)(b);
         }},
        {"more pixels than the file holds",
         [&](Bytes& b) {
             put32(18, 40000)(b);
             put32(22, 40000)(b);
         }},
        {"colours used huge", put32(46, 0x40000000)},
        {"table past the end of the file", put32(46, 200)},
        {"header size 0", put32(14, 0)},
        {"header size 41", put32(14, 41)},
        {"header size 66", put32(14, 66)},
        {"header size 200", put32(14, 200)},
        {"file shorter than the pixels", cut(good.size() - 1)},
        {"file ends in the info header", cut(30)},
        {"file header only", cut(14)},
        {"pixel offset past the end", put32(10, std::uint32_t(good.size() + 1))},
        {"compression 4", put32(30, 4)},
        {"compression 5", put32(30, 5)},
        {"compression 6", put32(30, 6)},
        {"compression 99", put32(30, 99)},
        {"4-bit coding of 8-bit pixels", put32(30, 2)},
        {"bit fields of 8-bit pixels", put32(30, 3)},
    };
    PackedBitmap kept;
    ASSERT_TRUE(Decode(good, kept));
    const Bytes before(kept.Data(), kept.Data() + kept.TotalSize());
    for (const Case& c : cases) {
        Bytes bytes = good;
        c.damage(bytes);
        EXPECT_FALSE(Decode(bytes, kept)) << c.name;
        EXPECT_EQ(Bytes(kept.Data(), kept.Data() + kept.TotalSize()), before) << c.name;
    }

    const std::vector<std::uint32_t> m565 = {0xF800, 0x07E0, 0x001F};
    const struct {
        const char* name;
        File file;
    } files[] = {
        {"bit fields of 24-bit pixels", {.height = 1, .bits = 24, .compression = 3, .masks = m565}},
        {"mask with a hole",
         {.height = 1, .bits = 16, .compression = 3, .masks = {m565[0], m565[1], 0x15}}},
        {"16-bit mask past bit 15",
         {.height = 1, .bits = 16, .compression = 3, .masks = {0x1F0000, m565[1], m565[2]}}},
        {"compression 3 of the 64-byte header",
         {.headerSize = 64, .height = 1, .bits = 16, .compression = 3, .masks = m565}},
        {"unused table past the end of the file",
         {.height = 1, .bits = 24, .coloursUsed = 1u << 30}},
        {"top-down run-length data",
         {.height = -2, .compression = 1, .coloursUsed = 2, .palette = Ramp(2)}},
    };
    for (const auto& [name, file] : files) {
        File f = file;
        f.data = f.compression == 1 ? Bytes{0, 1} : Bytes(12, 0x11);
        PackedBitmap bitmap;
        EXPECT_FALSE(Decode(Build(f), bitmap)) << name;
    }
}

TEST(BmpCodec, EveryTruncationFailsOrDecodesSafely) {
    const File files[] = {
        {.bits = 8, .coloursUsed = 3, .palette = Ramp(3), .rows = {{0, 1, 2}, {2, 1, 0}}},
        {.headerSize = 12, .bits = 4, .palette = Ramp(16), .rows = {{0, 1, 2}, {2, 1, 0}}},
        {.headerSize = 124,
         .height = -2,
         .bits = 16,
         .compression = 3,
         .masks = {0xF800, 0x07E0, 0x001F},
         .rows = {{1, 2, 3}, {4, 5, 6}}},
        {.width = 4,
         .compression = 1,
         .coloursUsed = 16,
         .palette = Ramp(16),
         .data = {0, 3, 1, 2, 3, 0, 1, 4, 0, 0, 2, 7, 0, 2, 1, 0, 0, 1}},
        {.width = 5,
         .bits = 4,
         .compression = 2,
         .coloursUsed = 16,
         .palette = Ramp(16),
         .data = {0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 3, 0x44, 0, 1}},
    };
    for (const File& f : files) {
        const Bytes whole = Build(f);
        PackedBitmap bitmap;
        ASSERT_TRUE(Decode(whole, bitmap)) << f.headerSize << " " << f.compression;
        ForEachTruncation(whole, [&](const Bytes& prefix, std::size_t size) {
            const bool decoded =
                BmpCodec::Decode(prefix.empty() ? nullptr : prefix.data(), size, bitmap);
            if (f.compression == 0 || f.compression == 3) {
                EXPECT_FALSE(decoded) << "uncompressed prefix of " << size << " bytes";
            }
        });
    }
}

TEST(BmpCodec, EncodedFilesReadBackIdentically) {
    for (const int bits : {1, 4, 8, 16, 24, 32}) {
        PackedBitmap::Header header;
        header.width = 5;
        header.height = 3;
        header.bitCount = std::uint16_t(bits);
        header.clrUsed = bits == 4 ? 6 : 0;
        header.xPelsPerMeter = 3780;
        PackedBitmap bitmap;
        ASSERT_TRUE(bitmap.Allocate(header));
        for (std::size_t i = 0; i < 4 * std::size_t(bitmap.ColourCount()); ++i) {
            bitmap.ColourTable()[i] = std::uint8_t(i % 4 == 3 ? 0 : 7 * i + 1);
        }
        if (bits == 16 || bits == 32) {
            std::memset(bitmap.ColourTable(), 0x5C, 12); // the room before the pixels
        }
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) {
                const std::uint32_t v =
                    std::uint32_t(x) * 0x1F3D5B79u + std::uint32_t(y) * 0x2468ACE1u;
                bitmap.SetPixelAt(x, y,
                                  bits <= 8    ? v % bitmap.ColourCount()
                                  : bits == 32 ? v & 0xFFFFFF
                                               : v);
            }
        }
        const Bytes file = BmpCodec::Encode(bitmap);
        ASSERT_EQ(file.size(), bitmap.TotalSize() + 14) << bits;
        const std::uint32_t offset = 14 + 40 + std::uint32_t(bitmap.ColourTableSize());
        const Bytes head = ByteWriter()
                               .U8('B')
                               .U8('M')
                               .I32(std::int32_t(file.size()))
                               .U16(0)
                               .U16(0)
                               .I32(std::int32_t(offset))
                               .bytes();
        EXPECT_EQ(Bytes(file.begin(), file.begin() + 14), head) << bits;
        EXPECT_EQ(offset, bits == 16 || bits == 32 ? 66u
                          : bits == 24             ? 54u
                                                   : 54u + 4 * bitmap.ColourCount());
        EXPECT_EQ(0, std::memcmp(file.data() + 14, bitmap.Data(), bitmap.TotalSize())) << bits;

        PackedBitmap back;
        ASSERT_TRUE(Decode(file, back)) << bits;
        ASSERT_EQ(back.TotalSize(), bitmap.TotalSize()) << bits;
        EXPECT_EQ(0, std::memcmp(back.Data(), bitmap.Data(), bitmap.TotalSize())) << bits;
    }
    EXPECT_TRUE(BmpCodec::Encode(PackedBitmap()).empty());
}

// Files in a folder other than the ones named: a left-over temporary file is a fault.
std::size_t FileCount(const fs::path& folder) {
    return std::size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(BmpCodec, SaveReplacesTheTargetOnlyWhenEveryByteIsWritten) {
    const fs::path folder = fs::temp_directory_path() / ("bmp-save-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path target = folder / "image.bmp";

    PackedBitmap small;
    ASSERT_TRUE(Decode(Build({.height = 1, .bits = 24, .rows = {{1, 2, 3}}}), small));
    PackedBitmap large;
    ASSERT_TRUE(Decode(
        Build({.width = 200, .height = 50, .bits = 24, .data = Bytes(200 * 3 * 50, 9)}), large));

    ASSERT_TRUE(BmpCodec::Save(small, target.string()));
    EXPECT_EQ(ReadFileBytes(target), BmpCodec::Encode(small));
    ASSERT_TRUE(BmpCodec::Save(large, target.string()));
    EXPECT_EQ(ReadFileBytes(target), BmpCodec::Encode(large));
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(BmpCodec::Save(small, target.string()));
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(FileCount(folder), 1u);
    const Bytes old = ReadFileBytes(target);

    // A write that stops part-way (the file-size limit makes it fail even for root).
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool savedLarge = BmpCodec::Save(large, target.string());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(savedLarge);
    EXPECT_EQ(ReadFileBytes(target), old);
    EXPECT_EQ(FileCount(folder), 1u);

    EXPECT_FALSE(BmpCodec::Save(small, (folder / "missing" / "image.bmp").string()));
    EXPECT_FALSE(BmpCodec::Save(PackedBitmap(), target.string()));
    EXPECT_FALSE(BmpCodec::Save(large, folder.string())); // the target is a folder
    EXPECT_EQ(ReadFileBytes(target), old);
    EXPECT_EQ(FileCount(folder), 1u);

    if (::geteuid() != 0) { // root writes into any folder
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(BmpCodec::Save(large, target.string()));
        fs::permissions(folder, fs::perms::owner_all);
        EXPECT_EQ(ReadFileBytes(target), old);
    }
    fs::remove_all(folder);
}

} // namespace
