// TIFF reading against files that libtiff writes (so that every compression, orientation
// and sample layout is a real file) and against directories built by hand (so that
// damaged and hostile files can say anything).
#include "image/TiffCodec.h"

#include "BitmapPixels.h"
#include "ByteWriter.h"
#include "LargestAllocation.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

// ---- libtiff writing into memory ----------------------------------------------------------

struct MemoryOut {
    Bytes bytes;
    std::uint64_t position = 0;
};

MemoryOut& OutOf(thandle_t handle) {
    return *static_cast<MemoryOut*>(handle);
}

tmsize_t OutRead(thandle_t handle, void* buffer, tmsize_t size) {
    MemoryOut& out = OutOf(handle);
    if (out.position >= out.bytes.size()) {
        return 0;
    }
    const auto count =
        std::min<std::uint64_t>(static_cast<std::uint64_t>(size), out.bytes.size() - out.position);
    std::memcpy(buffer, out.bytes.data() + out.position, count);
    out.position += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t OutWrite(thandle_t handle, void* buffer, tmsize_t size) {
    MemoryOut& out = OutOf(handle);
    const std::uint64_t end = out.position + static_cast<std::uint64_t>(size);
    if (end > out.bytes.size()) {
        out.bytes.resize(end);
    }
    std::memcpy(out.bytes.data() + out.position, buffer, static_cast<std::size_t>(size));
    out.position = end;
    return size;
}

toff_t OutSeek(thandle_t handle, toff_t offset, int whence) {
    MemoryOut& out = OutOf(handle);
    const auto delta = static_cast<std::int64_t>(offset);
    if (whence == SEEK_SET) {
        out.position = offset;
    } else if (whence == SEEK_CUR) {
        out.position = static_cast<std::uint64_t>(static_cast<std::int64_t>(out.position) + delta);
    } else {
        out.position =
            static_cast<std::uint64_t>(static_cast<std::int64_t>(out.bytes.size()) + delta);
    }
    return out.position;
}

int OutClose(thandle_t) {
    return 0;
}
toff_t OutSize(thandle_t handle) {
    return OutOf(handle).bytes.size();
}
int OutMap(thandle_t, void**, toff_t*) {
    return 0;
}
void OutUnmap(thandle_t, void*, toff_t) {}

struct Layout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bits = 1;
    std::uint16_t samples = 1;
    std::uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    std::uint16_t fillOrder = FILLORDER_MSB2LSB;
    std::uint32_t rowsPerStrip = 0; // 0: a single strip
    std::uint32_t tile = 0;         // side of square tiles (a multiple of 16); 0: strips
    std::uint32_t group3Options = 0;
    bool alpha = false;                   // the last sample is unassociated alpha
    std::vector<std::uint16_t> colourMap; // all red entries, then green, then blue
};

// `rows` holds `height` stored rows of packed samples, each TIFFScanlineSize bytes.
Bytes WriteTiff(const Layout& layout, const Bytes& rows) {
    MemoryOut out;
    TIFF* tif = TIFFClientOpen("test", "w", &out, OutRead, OutWrite, OutSeek, OutClose, OutSize,
                               OutMap, OutUnmap);
    EXPECT_NE(tif, nullptr);
    if (tif == nullptr) {
        return {};
    }
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, layout.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, layout.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, layout.bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, layout.samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, layout.photometric);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, layout.compression);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, layout.orientation);
    TIFFSetField(tif, TIFFTAG_FILLORDER, layout.fillOrder);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (layout.compression == COMPRESSION_CCITTFAX3) {
        TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, layout.group3Options);
    }
    if (layout.alpha) {
        const std::uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (!layout.colourMap.empty()) {
        const std::size_t n = layout.colourMap.size() / 3;
        TIFFSetField(tif, TIFFTAG_COLORMAP, layout.colourMap.data(), layout.colourMap.data() + n,
                     layout.colourMap.data() + 2 * n);
    }
    const auto scanline = static_cast<std::size_t>(TIFFScanlineSize(tif));
    EXPECT_EQ(rows.size(), scanline * layout.height);
    bool written = true;
    if (layout.tile != 0) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, layout.tile);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, layout.tile);
        const std::size_t pixelBits = std::size_t{layout.bits} * layout.samples;
        const std::size_t tileRow = layout.tile * pixelBits / 8;
        for (std::uint32_t ty = 0; ty < layout.height; ty += layout.tile) {
            for (std::uint32_t tx = 0; tx < layout.width; tx += layout.tile) {
                Bytes tile(static_cast<std::size_t>(TIFFTileSize(tif)), 0);
                const std::size_t from = tx * pixelBits / 8;
                const std::size_t count = std::min(tileRow, scanline - from);
                for (std::uint32_t y = 0; y < layout.tile && ty + y < layout.height; ++y) {
                    std::memcpy(tile.data() + y * tileRow, rows.data() + (ty + y) * scanline + from,
                                count);
                }
                written = written && TIFFWriteTile(tif, tile.data(), tx, ty, 0, 0) >= 0;
            }
        }
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP,
                     layout.rowsPerStrip == 0 ? layout.height : layout.rowsPerStrip);
        Bytes row(scanline);
        for (std::uint32_t y = 0; y < layout.height; ++y) {
            std::memcpy(row.data(), rows.data() + y * scanline, scanline);
            written = written && TIFFWriteScanline(tif, row.data(), y, 0) >= 0;
        }
    }
    EXPECT_TRUE(written);
    TIFFClose(tif);
    return out.bytes;
}

std::size_t ScanlineBytes(std::uint32_t width, int bits, int samples) {
    return (std::size_t{width} * static_cast<std::size_t>(bits * samples) + 7) / 8;
}

// Random bytes, fill bits after the last pixel of a row included.
Bytes RandomRows(std::size_t scanline, std::uint32_t height, unsigned seed) {
    std::mt19937 random(seed);
    Bytes rows(scanline * height);
    for (auto& byte : rows) {
        byte = static_cast<std::uint8_t>(random());
    }
    return rows;
}

bool StoredBit(const Bytes& rows, std::size_t scanline, std::uint32_t row, std::uint32_t column) {
    return (rows[row * scanline + column / 8] >> (7 - column % 8) & 1) != 0;
}

// ---- directories built by hand ----------------------------------------------------------

struct Tag {
    std::uint16_t tag;
    std::uint16_t type; // 3 short, 4 long
    std::uint32_t value;
};

Tag Short(std::uint16_t tag, std::uint16_t value) {
    return {tag, TIFF_SHORT, value};
}
Tag Long(std::uint16_t tag, std::uint32_t value) {
    return {tag, TIFF_LONG, value};
}

// A little-endian TIFF: the 8-byte header, `data` from offset 8, then one directory of
// single-valued tags.
Bytes HandTiff(std::vector<Tag> tags, const Bytes& data) {
    std::sort(tags.begin(), tags.end(), [](const Tag& a, const Tag& b) { return a.tag < b.tag; });
    const std::size_t directory = 8 + data.size() + data.size() % 2;
    ByteWriter w;
    w.U8('I').U8('I').U16(42).I32(static_cast<std::int32_t>(directory));
    w.Bytes(data);
    if (data.size() % 2 != 0) {
        w.U8(0);
    }
    w.U16(static_cast<std::uint16_t>(tags.size()));
    for (const Tag& tag : tags) {
        w.U16(tag.tag).U16(tag.type).I32(1);
        if (tag.type == TIFF_SHORT) {
            w.U16(static_cast<std::uint16_t>(tag.value)).U16(0);
        } else {
            w.I32(static_cast<std::int32_t>(tag.value));
        }
    }
    w.I32(0);
    return w.bytes();
}

// A white-is-zero G4 fax of blank rows: each costs the one-bit code "vertical 0".
Bytes BlankFax(std::uint32_t width, std::uint32_t height) {
    Bytes data((height + 7) / 8, 0xFF);
    if (height % 8 != 0) {
        data.back() = static_cast<std::uint8_t>(0xFF << (8 - height % 8));
    }
    data.insert(data.end(), {0x00, 0x10, 0x01}); // two EOL codes close a G4 block
    return HandTiff({Long(TIFFTAG_IMAGEWIDTH, width), Long(TIFFTAG_IMAGELENGTH, height),
                     Short(TIFFTAG_BITSPERSAMPLE, 1), Short(TIFFTAG_COMPRESSION, 4),
                     Short(TIFFTAG_PHOTOMETRIC, 0), Long(TIFFTAG_STRIPOFFSETS, 8),
                     Long(TIFFTAG_ROWSPERSTRIP, height),
                     Long(TIFFTAG_STRIPBYTECOUNTS, static_cast<std::uint32_t>(data.size()))},
                    data);
}

// For a 1-bit bitmap: whether every pixel shows colour 0 and colour 0 is white.
bool AllWhite(const PackedBitmap& bitmap) {
    const std::uint8_t* table = bitmap.ColourTable();
    const std::uint8_t* pixels = bitmap.Pixels();
    return table[0] == 0xFF && table[1] == 0xFF && table[2] == 0xFF &&
           std::all_of(pixels, pixels + bitmap.ImageSize(), [](std::uint8_t b) { return b == 0; });
}

// ---- the bilevel path --------------------------------------------------------------------

TEST(TiffCodec, BilevelFilesKeepTheirBitsAndShowInkByPhotometric) {
    struct Case {
        const char* name;
        std::uint16_t compression;
        std::uint16_t photometric;
        std::uint16_t orientation;
        std::uint16_t fillOrder;
        std::uint32_t rowsPerStrip;
        std::uint32_t width;
        std::uint32_t group3Options;
    };
    const Case cases[] = {
        {"raw white-is-zero", COMPRESSION_NONE, 0, ORIENTATION_TOPLEFT, 1, 0, 37, 0},
        {"raw black-is-zero bottom-up", COMPRESSION_NONE, 1, ORIENTATION_BOTLEFT, 1, 5, 37, 0},
        {"raw lsb-first", COMPRESSION_NONE, 0, ORIENTATION_TOPLEFT, 2, 4, 37, 0},
        {"lzw strips", COMPRESSION_LZW, 0, ORIENTATION_TOPLEFT, 1, 7, 37, 0},
        {"packbits black-is-zero", COMPRESSION_PACKBITS, 1, ORIENTATION_TOPLEFT, 1, 3, 64, 0},
        {"g3 1d", COMPRESSION_CCITTFAX3, 0, ORIENTATION_TOPLEFT, 1, 0, 37, 0},
        {"g3 2d bottom-up", COMPRESSION_CCITTFAX3, 0, ORIENTATION_BOTLEFT, 1, 6, 37,
         GROUP3OPT_2DENCODING},
        {"g3 black-is-zero", COMPRESSION_CCITTFAX3, 1, ORIENTATION_TOPLEFT, 1, 0, 8, 0},
        {"g4 white-is-zero", COMPRESSION_CCITTFAX4, 0, ORIENTATION_TOPLEFT, 1, 0, 37, 0},
        {"g4 white-is-zero bottom-up", COMPRESSION_CCITTFAX4, 0, ORIENTATION_BOTLEFT, 1, 0, 37, 0},
        {"g4 black-is-zero bottom-up", COMPRESSION_CCITTFAX4, 1, ORIENTATION_BOTLEFT, 1, 4, 1, 0},
        {"g4 lsb-first", COMPRESSION_CCITTFAX4, 0, ORIENTATION_TOPLEFT, 2, 0, 33, 0},
    };
    const std::uint32_t height = 23;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t scanline = ScanlineBytes(c.width, 1, 1);
        const Bytes rows = RandomRows(scanline, height, c.width * 7 + c.compression);
        Layout layout;
        layout.width = c.width;
        layout.height = height;
        layout.photometric = c.photometric;
        layout.compression = c.compression;
        layout.orientation = c.orientation;
        layout.fillOrder = c.fillOrder;
        layout.rowsPerStrip = c.rowsPerStrip;
        layout.group3Options = c.group3Options;
        const Bytes file = WriteTiff(layout, rows);

        PackedBitmap bitmap;
        ASSERT_TRUE(TiffCodec::Decode(file.data(), file.size(), bitmap));
        ASSERT_EQ(bitmap.BitCount(), 1);
        ASSERT_EQ(bitmap.Width(), static_cast<int>(c.width));
        ASSERT_EQ(bitmap.Height(), static_cast<int>(height));
        const bool whiteIsZero = c.photometric == PHOTOMETRIC_MINISWHITE;
        const std::vector<std::uint32_t> rgb = ToRgb(bitmap);
        int wrong = 0;
        for (std::uint32_t y = 0; y < height; ++y) {
            const std::uint32_t stored = c.orientation == ORIENTATION_BOTLEFT ? height - 1 - y : y;
            for (std::uint32_t x = 0; x < c.width; ++x) {
                const bool bit = StoredBit(rows, scanline, stored, x);
                const std::uint32_t colour = bit == whiteIsZero ? kBlack : kWhite;
                wrong +=
                    bitmap.PixelAt(static_cast<int>(x), static_cast<int>(y)) != (bit ? 1u : 0u);
                wrong += rgb[y * c.width + x] != colour;
            }
            // Fill bits after the last pixel and the row padding are never set.
            const std::uint8_t* row = bitmap.RowFromTop(static_cast<int>(y));
            for (std::size_t x = c.width; x < bitmap.RowBytes() * 8; ++x) {
                wrong += (row[x / 8] >> (7 - x % 8) & 1) != 0;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

// ---- orientation -------------------------------------------------------------------------

// The stored image is three pixels wide and two rows high:
//   a b c        bilevel:  # . .
//   d e f                  # # .
// and each orientation names where its first row and column belong in the picture.
TEST(TiffCodec, EveryOrientationShowsThePictureUpright) {
    struct Case {
        std::uint16_t orientation;
        std::vector<std::string> colour;
        std::vector<std::string> bilevel;
    };
    const Case cases[] = {
        {ORIENTATION_TOPLEFT, {"abc", "def"}, {"#..", "##."}},
        {ORIENTATION_TOPRIGHT, {"cba", "fed"}, {"..#", ".##"}},
        {ORIENTATION_BOTRIGHT, {"fed", "cba"}, {".##", "..#"}},
        {ORIENTATION_BOTLEFT, {"def", "abc"}, {"##.", "#.."}},
        {ORIENTATION_LEFTTOP, {"ad", "be", "cf"}, {"##", ".#", ".."}},
        {ORIENTATION_RIGHTTOP, {"da", "eb", "fc"}, {"##", "#.", ".."}},
        {ORIENTATION_RIGHTBOT, {"fc", "eb", "da"}, {"..", "#.", "##"}},
        {ORIENTATION_LEFTBOT, {"cf", "be", "ad"}, {"..", ".#", "##"}},
    };
    auto colourOf = [](char letter) {
        const std::uint32_t colours[] = {0xFF0000, 0x00FF00, 0x0000FF,
                                         0x123456, 0xFFFF00, 0x00FFFF};
        return colours[letter - 'a'];
    };
    Bytes rgbRows;
    for (char letter : std::string("abcdef")) {
        const std::uint32_t c = colourOf(letter);
        rgbRows.insert(rgbRows.end(),
                       {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                        static_cast<std::uint8_t>(c)});
    }
    const Bytes bilevelRows = {0x80, 0xC0};

    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        Layout rgb;
        rgb.width = 3;
        rgb.height = 2;
        rgb.bits = 8;
        rgb.samples = 3;
        rgb.photometric = PHOTOMETRIC_RGB;
        rgb.orientation = c.orientation;
        rgb.rowsPerStrip = 1;
        Layout fax = rgb;
        fax.bits = 1;
        fax.samples = 1;
        fax.photometric = PHOTOMETRIC_MINISWHITE;
        fax.compression = COMPRESSION_CCITTFAX4;
        fax.rowsPerStrip = 0;

        const struct {
            Bytes file;
            const std::vector<std::string>& picture;
        } decodes[] = {{WriteTiff(rgb, rgbRows), c.colour},
                       {WriteTiff(fax, bilevelRows), c.bilevel}};
        for (const auto& d : decodes) {
            PackedBitmap bitmap;
            ASSERT_TRUE(TiffCodec::Decode(d.file.data(), d.file.size(), bitmap));
            ASSERT_EQ(bitmap.Height(), static_cast<int>(d.picture.size()));
            ASSERT_EQ(bitmap.Width(), static_cast<int>(d.picture[0].size()));
            const std::vector<std::uint32_t> pixels = ToRgb(bitmap);
            std::vector<std::string> shown;
            for (int y = 0; y < bitmap.Height(); ++y) {
                std::string line;
                for (int x = 0; x < bitmap.Width(); ++x) {
                    const std::uint32_t p =
                        pixels[static_cast<std::size_t>(y * bitmap.Width() + x)];
                    char letter = '?';
                    for (char l : std::string("abcdef")) {
                        letter = colourOf(l) == p ? l : letter;
                    }
                    line += p == kBlack ? '#' : p == kWhite ? '.' : letter;
                }
                shown.push_back(line);
            }
            EXPECT_EQ(shown, d.picture);
        }
    }
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;
    std::uint32_t at(int x, int y) const { return rgb[static_cast<std::size_t>(y * width + x)]; }
};

Picture PictureOf(const PackedBitmap& bitmap) {
    return {bitmap.Width(), bitmap.Height(), ToRgb(bitmap)};
}

Picture Remap(const Picture& p, bool swap, const std::function<std::uint32_t(int, int)>& pixel) {
    Picture out{swap ? p.height : p.width, swap ? p.width : p.height, {}};
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            out.rgb.push_back(pixel(x, y));
        }
    }
    return out;
}

// Transposed orientations on images of several strips and several bytes per row: the
// picture is the top-left reading turned as each orientation says.
TEST(TiffCodec, TransposedOrientationsTurnWholeImages) {
    const std::uint32_t width = 37;
    const std::uint32_t height = 21;
    const auto turn = [](std::uint16_t orientation, const Picture& p) {
        const int w = p.width;
        const int h = p.height;
        switch (orientation) {
        case ORIENTATION_LEFTTOP: // transposed
            return Remap(p, true, [&](int x, int y) { return p.at(y, x); });
        case ORIENTATION_RIGHTTOP: // turned clockwise
            return Remap(p, true, [&](int x, int y) { return p.at(y, h - 1 - x); });
        case ORIENTATION_RIGHTBOT: // transposed about the other diagonal
            return Remap(p, true, [&](int x, int y) { return p.at(w - 1 - y, h - 1 - x); });
        default: // turned anticlockwise
            return Remap(p, true, [&](int x, int y) { return p.at(w - 1 - y, x); });
        }
    };
    for (const bool bilevel : {true, false}) {
        Layout layout;
        layout.width = width;
        layout.height = height;
        layout.rowsPerStrip = 4;
        if (!bilevel) {
            layout.bits = 8;
            layout.samples = 3;
            layout.photometric = PHOTOMETRIC_RGB;
            layout.compression = COMPRESSION_LZW;
        }
        const Bytes rows =
            RandomRows(ScanlineBytes(width, layout.bits, layout.samples), height, bilevel ? 5 : 6);
        PackedBitmap upright;
        const Bytes plain = WriteTiff(layout, rows);
        ASSERT_TRUE(TiffCodec::Decode(plain.data(), plain.size(), upright));
        for (std::uint16_t orientation = 5; orientation <= 8; ++orientation) {
            SCOPED_TRACE(std::to_string(orientation) + (bilevel ? " bilevel" : " colour"));
            layout.orientation = orientation;
            const Bytes file = WriteTiff(layout, rows);
            PackedBitmap bitmap;
            ASSERT_TRUE(TiffCodec::Decode(file.data(), file.size(), bitmap));
            EXPECT_EQ(bitmap.BitCount(), bilevel ? 1 : 32);
            const Picture expected = turn(orientation, PictureOf(upright));
            const Picture shown = PictureOf(bitmap);
            EXPECT_EQ(shown.width, expected.width);
            EXPECT_EQ(shown.height, expected.height);
            EXPECT_TRUE(shown.rgb == expected.rgb);
        }
    }
}

// ---- the colour path ---------------------------------------------------------------------

TEST(TiffCodec, ColourFilesBecomeThirtyTwoBitPixels) {
    struct Case {
        const char* name;
        Layout layout;
        // The sample bytes of stored pixel (x, y), and the colour it must show.
        std::function<Bytes(std::uint32_t, std::uint32_t)> samples;
        std::function<std::uint32_t(std::uint32_t, std::uint32_t)> colour;
    };
    const auto rgbLayout = [](std::uint16_t compression, std::uint32_t rowsPerStrip,
                              std::uint32_t tile) {
        Layout l;
        l.width = 40;
        l.height = 19;
        l.bits = 8;
        l.samples = 3;
        l.photometric = PHOTOMETRIC_RGB;
        l.compression = compression;
        l.rowsPerStrip = rowsPerStrip;
        l.tile = tile;
        return l;
    };
    const auto rgbSamples = [](std::uint32_t x, std::uint32_t y) {
        return Bytes{static_cast<std::uint8_t>(x * 6), static_cast<std::uint8_t>(y * 13),
                     static_cast<std::uint8_t>(x * y + 1)};
    };
    const auto rgbColour = [](std::uint32_t x, std::uint32_t y) {
        return (x * 6 & 0xFF) << 16 | (y * 13 & 0xFF) << 8 | ((x * y + 1) & 0xFF);
    };
    const auto greyLayout = [](std::uint16_t bits, std::uint16_t photometric) {
        Layout l;
        l.width = 23;
        l.height = 9;
        l.bits = bits;
        l.photometric = photometric;
        l.compression = COMPRESSION_ADOBE_DEFLATE;
        return l;
    };
    const auto grey = [](std::uint32_t v) { return v << 16 | v << 8 | v; };
    const auto paletteLayout = [](std::uint16_t bits) {
        Layout l;
        l.width = 21; // odd: the last 4-bit byte holds one pixel
        l.height = 7;
        l.bits = bits;
        l.photometric = PHOTOMETRIC_PALETTE;
        l.compression = COMPRESSION_PACKBITS;
        const std::uint32_t n = 1u << bits;
        for (int channel = 0; channel < 3; ++channel) {
            for (std::uint32_t i = 0; i < n; ++i) {
                const std::uint32_t v = channel == 0 ? i : channel == 1 ? 255 - i : i * 37 & 0xFF;
                l.colourMap.push_back(static_cast<std::uint16_t>(v * 257));
            }
        }
        return l;
    };
    const auto paletteColour = [](std::uint32_t i) {
        return i << 16 | (255 - i) << 8 | (i * 37 & 0xFF);
    };
    Layout rgba = rgbLayout(COMPRESSION_NONE, 5, 0);
    rgba.samples = 4;
    rgba.alpha = true;
    Layout tiledFax = greyLayout(1, PHOTOMETRIC_MINISWHITE);
    tiledFax.width = 40;
    tiledFax.height = 20;
    tiledFax.compression = COMPRESSION_CCITTFAX4;
    tiledFax.tile = 16;
    const Bytes tiledFaxRows = RandomRows(ScanlineBytes(40, 1, 1), 20, 9);

    const Case cases[] = {
        {"rgb raw strips", rgbLayout(COMPRESSION_NONE, 4, 0), rgbSamples, rgbColour},
        {"rgb lzw", rgbLayout(COMPRESSION_LZW, 0, 0), rgbSamples, rgbColour},
        {"rgb deflate tiles", rgbLayout(COMPRESSION_ADOBE_DEFLATE, 0, 16), rgbSamples, rgbColour},
        {"rgba opaque, alpha dropped", rgba,
         [&](std::uint32_t x, std::uint32_t y) {
             Bytes s = rgbSamples(x, y);
             s.push_back(0xFF);
             return s;
         },
         rgbColour},
        {"grey 8-bit black-is-zero", greyLayout(8, PHOTOMETRIC_MINISBLACK),
         [](std::uint32_t x, std::uint32_t y) {
             return Bytes{static_cast<std::uint8_t>(x * 11 + y)};
         },
         [&](std::uint32_t x, std::uint32_t y) { return grey((x * 11 + y) & 0xFF); }},
        {"grey 8-bit white-is-zero", greyLayout(8, PHOTOMETRIC_MINISWHITE),
         [](std::uint32_t x, std::uint32_t y) {
             return Bytes{static_cast<std::uint8_t>(x * 11 + y)};
         },
         [&](std::uint32_t x, std::uint32_t y) { return grey(255 - ((x * 11 + y) & 0xFF)); }},
        // libtiff keeps the high byte of a 16-bit grey sample.
        {"grey 16-bit", greyLayout(16, PHOTOMETRIC_MINISBLACK),
         [](std::uint32_t x, std::uint32_t y) {
             const std::uint32_t v = x * 2851 + y * 97;
             return Bytes{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
         },
         [&](std::uint32_t x, std::uint32_t y) { return grey((x * 2851 + y * 97) >> 8 & 0xFF); }},
        {"palette 8-bit", paletteLayout(8),
         [](std::uint32_t x, std::uint32_t y) {
             return Bytes{static_cast<std::uint8_t>(x + 40 * y)};
         },
         [&](std::uint32_t x, std::uint32_t y) { return paletteColour((x + 40 * y) & 0xFF); }},
        {"palette 4-bit", paletteLayout(4),
         [](std::uint32_t x, std::uint32_t y) {
             return Bytes{static_cast<std::uint8_t>((x + y) % 16)};
         },
         [&](std::uint32_t x, std::uint32_t y) { return paletteColour((x + y) % 16); }},
        {"bilevel in tiles", tiledFax,
         [&](std::uint32_t x, std::uint32_t y) {
             return Bytes{static_cast<std::uint8_t>(StoredBit(tiledFaxRows, 5, y, x))};
         },
         [&](std::uint32_t x, std::uint32_t y) {
             return StoredBit(tiledFaxRows, 5, y, x) ? kBlack : kWhite;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Layout& l = c.layout;
        const std::size_t scanline = ScanlineBytes(l.width, l.bits, l.samples);
        Bytes rows(scanline * l.height, 0);
        for (std::uint32_t y = 0; y < l.height; ++y) {
            for (std::uint32_t x = 0; x < l.width; ++x) {
                const Bytes s = c.samples(x, y);
                std::uint8_t* row = rows.data() + y * scanline;
                if (l.bits >= 8) {
                    std::memcpy(row + x * s.size(), s.data(), s.size());
                } else {
                    const std::uint32_t bit = x * l.bits;
                    row[bit / 8] =
                        static_cast<std::uint8_t>(row[bit / 8] | s[0] << (8 - l.bits - bit % 8));
                }
            }
        }
        const Bytes file = WriteTiff(l, rows);
        PackedBitmap bitmap;
        ASSERT_TRUE(TiffCodec::Decode(file.data(), file.size(), bitmap));
        ASSERT_EQ(bitmap.BitCount(), 32);
        ASSERT_EQ(bitmap.Width(), static_cast<int>(l.width));
        ASSERT_EQ(bitmap.Height(), static_cast<int>(l.height));
        int wrong = 0;
        for (std::uint32_t y = 0; y < l.height; ++y) {
            for (std::uint32_t x = 0; x < l.width; ++x) {
                // Blue, green, red and a zero byte where alpha was.
                wrong += bitmap.PixelAt(static_cast<int>(x), static_cast<int>(y)) != c.colour(x, y);
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

// ---- damaged and hostile files -----------------------------------------------------------

Bytes Truncated(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

TEST(TiffCodec, DamagedFilesFailSilentlyAndLeaveTheBitmapAlone) {
    Layout raw;
    raw.width = 64;
    raw.height = 40;
    raw.rowsPerStrip = 8;
    const Bytes rawFile = WriteTiff(raw, RandomRows(8, 40, 3));
    Layout grey = raw;
    grey.bits = 8;
    grey.photometric = PHOTOMETRIC_MINISBLACK;
    const Bytes greyFile = WriteTiff(grey, RandomRows(64, 40, 4));
    const Bytes strip(64, 0x55);
    const auto bilevel = [&](std::vector<Tag> extra) {
        std::vector<Tag> tags = {
            Long(TIFFTAG_IMAGEWIDTH, 16),    Long(TIFFTAG_IMAGELENGTH, 32),
            Short(TIFFTAG_BITSPERSAMPLE, 1), Short(TIFFTAG_PHOTOMETRIC, 0),
            Long(TIFFTAG_STRIPOFFSETS, 8),   Long(TIFFTAG_STRIPBYTECOUNTS, 64)};
        for (const Tag& t : extra) {
            tags.erase(std::remove_if(tags.begin(), tags.end(),
                                      [&](const Tag& old) { return old.tag == t.tag; }),
                       tags.end());
            tags.push_back(t);
        }
        return HandTiff(tags, strip);
    };
    ASSERT_TRUE(TiffCodec::IsTiff(rawFile.data(), rawFile.size()));

    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"header only", {'I', 'I', 42, 0}},
        {"directory offset past the end", {'M', 'M', 0, 42, 0x7F, 0, 0, 0}},
        {"a bitmap file", {'B', 'M', 0x3A, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0}},
        {"bilevel strips cut short", Truncated(rawFile, rawFile.size() / 2)},
        {"grey strips cut short", Truncated(greyFile, greyFile.size() / 2)},
        {"strip offset past the end", bilevel({Long(TIFFTAG_STRIPOFFSETS, 1u << 30)})},
        {"fewer strips than rows need", bilevel({Long(TIFFTAG_ROWSPERSTRIP, 8)})},
        {"zero width", bilevel({Long(TIFFTAG_IMAGEWIDTH, 0)})},
        {"unknown compression", bilevel({Short(TIFFTAG_COMPRESSION, 12345)})},
        {"64-bit samples", bilevel({Short(TIFFTAG_BITSPERSAMPLE, 64)})},
        {"five samples of rgb",
         bilevel({Short(TIFFTAG_SAMPLESPERPIXEL, 5), Short(TIFFTAG_PHOTOMETRIC, 2)})},
        {"width beyond 32 bits of pixels", bilevel({Long(TIFFTAG_IMAGEWIDTH, 0xFFFFFFFFu)})},
    };
    PackedBitmap before;
    PackedBitmap::Header header;
    header.width = 3;
    header.height = 2;
    header.bitCount = 24;
    ASSERT_TRUE(before.Allocate(header));
    before.SetPixelAt(2, 1, 0xABCDEF);

    testing::internal::CaptureStderr();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PackedBitmap bitmap = before;
        const std::uint8_t* data = c.bytes.empty() ? rawFile.data() : c.bytes.data();
        EXPECT_FALSE(TiffCodec::Decode(data, c.bytes.size(), bitmap));
        ASSERT_EQ(bitmap.TotalSize(), before.TotalSize());
        EXPECT_EQ(std::memcmp(bitmap.Data(), before.Data(), before.TotalSize()), 0);
    }
    // The library reports every one of these; none of it may reach the terminal.
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(TiffCodec, IsTiffTellsTiffFromOtherBytes) {
    Layout layout;
    layout.width = 8;
    layout.height = 2;
    const Bytes tiff = WriteTiff(layout, {0x0F, 0xF0});
    const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13};
    const Bytes bmp = {'B', 'M', 0x3A, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0};
    const Bytes headerOnly = {'I', 'I', 42, 0, 8, 0, 0, 0};
    EXPECT_TRUE(TiffCodec::IsTiff(tiff.data(), tiff.size()));
    EXPECT_FALSE(TiffCodec::IsTiff(tiff.data(), 0));
    EXPECT_FALSE(TiffCodec::IsTiff(png.data(), png.size()));
    EXPECT_FALSE(TiffCodec::IsTiff(bmp.data(), bmp.size()));
    EXPECT_FALSE(TiffCodec::IsTiff(headerOnly.data(), headerOnly.size()));
}

// A blank fax row costs one bit whatever its width, so a few kilobytes can describe a huge
// picture. Up to the codec's ratio it is a real scan and loads; far beyond, it is refused.
// So is a small picture whose samples need far more data than the file holds. Refusals
// come before anything of the claimed size is allocated, by us or by libtiff.
TEST(TiffCodec, ClaimedSizesAreHeldToWhatTheFileCanCarry) {
    const Bytes wideScan = BlankFax(6000, 3000); // 18 Mpixel from about 550 bytes
    PackedBitmap bitmap;
    ASSERT_TRUE(TiffCodec::Decode(wideScan.data(), wideScan.size(), bitmap));
    EXPECT_EQ(bitmap.Width(), 6000);
    EXPECT_EQ(bitmap.Height(), 3000);
    EXPECT_EQ(bitmap.BitCount(), 1);
    EXPECT_TRUE(AllWhite(bitmap));

    const Bytes strip(4096, 0x80);
    const struct {
        const char* name;
        Bytes bytes;
    } refused[] = {
        {"2.3 Gpixel fax, 288 MB of bits, from 6 kB", BlankFax(48000, 48000)},
        {"1 Mpixel of 500 grey samples, 1 GB in one deflate strip, from 4 kB",
         HandTiff({Long(TIFFTAG_IMAGEWIDTH, 1000), Long(TIFFTAG_IMAGELENGTH, 1000),
                   Short(TIFFTAG_BITSPERSAMPLE, 16), Short(TIFFTAG_SAMPLESPERPIXEL, 500),
                   Short(TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE),
                   Short(TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK),
                   Long(TIFFTAG_STRIPOFFSETS, 8), Long(TIFFTAG_ROWSPERSTRIP, 1000),
                   Long(TIFFTAG_STRIPBYTECOUNTS, 4096)},
                  strip)},
        {"1 Gpixel rgb, deflate, from 4 kB",
         HandTiff({Long(TIFFTAG_IMAGEWIDTH, 32768), Long(TIFFTAG_IMAGELENGTH, 32768),
                   Short(TIFFTAG_BITSPERSAMPLE, 8), Short(TIFFTAG_SAMPLESPERPIXEL, 3),
                   Short(TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE),
                   Short(TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB), Long(TIFFTAG_STRIPOFFSETS, 8),
                   Long(TIFFTAG_ROWSPERSTRIP, 32768), Long(TIFFTAG_STRIPBYTECOUNTS, 4096)},
                  strip)},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        PackedBitmap none;
        bool decoded = false;
        const std::size_t largest = LargestAllocationOf(
            [&] { decoded = TiffCodec::Decode(c.bytes.data(), c.bytes.size(), none); });
        EXPECT_FALSE(decoded);
        EXPECT_TRUE(none.Empty());
        EXPECT_LT(largest, std::size_t{1} << 24);
    }
}

} // namespace
