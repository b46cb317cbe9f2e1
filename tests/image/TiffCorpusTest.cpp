// TIFF files that nobody on this project wrote: libtiff's own test images, checked against
#include "FileBytes.h"
// their PNM twins or against libtiff's RGBA reading used directly, and Pillow's fax,
// orientation and fuzzer-found files.
#include "image/TiffCodec.h"

#include "BitmapPixels.h"
#include "Corpus.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb; // 0x00RRGGBB, top row first
};

fs::path TiffCorpus() {
    return CorpusRoot() / "tiff";
}

#define REQUIRE_TIFF_CORPUS() REQUIRE_CORPUS_FOLDER(TiffCorpus(), "TIFF corpus")

// ToRgb, with 1-bit rows read a byte at a time: pixel by pixel, the 24-Mpixel fax pages
// of the corpus take seconds in a sanitizer build.
Image RgbOf(const PackedBitmap& bitmap) {
    if (bitmap.BitCount() != 1) {
        return Image{bitmap.Width(), bitmap.Height(), ToRgb(bitmap)};
    }
    const std::uint8_t* table = bitmap.ColourTable();
    const std::uint32_t colours[2] = {
        std::uint32_t{table[2]} << 16 | std::uint32_t{table[1]} << 8 | table[0],
        std::uint32_t{table[6]} << 16 | std::uint32_t{table[5]} << 8 | table[4]};
    Image image{bitmap.Width(), bitmap.Height(), {}};
    image.rgb.resize(static_cast<std::size_t>(image.width) *
                     static_cast<std::size_t>(image.height));
    std::uint32_t* out = image.rgb.data();
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = bitmap.RowFromTop(y);
        for (int x = 0; x < image.width; ++x) {
            *out++ = colours[row[x >> 3] >> (7 - (x & 7)) & 1];
        }
    }
    return image;
}

std::optional<Image> Decode(const fs::path& path) {
    const Bytes bytes = ReadFileBytes(path);
    PackedBitmap bitmap;
    if (bytes.empty() || !TiffCodec::Decode(bytes.data(), bytes.size(), bitmap)) {
        return std::nullopt;
    }
    return RgbOf(bitmap);
}

// The PNM formats P1 to P6. Samples scale to 0..255 with rounding, which is what libtiff's
// RGBA conversion does to 16-bit colour samples (of 16-bit grey it keeps the high byte).
std::optional<Image> ReadPnm(const fs::path& path) {
    const Bytes bytes = ReadFileBytes(path);
    std::size_t at = 0;
    auto token = [&]() -> std::string {
        while (at < bytes.size() && (std::isspace(bytes[at]) != 0 || bytes[at] == '#')) {
            if (bytes[at] == '#') {
                while (at < bytes.size() && bytes[at] != '\n') {
                    ++at;
                }
            } else {
                ++at;
            }
        }
        std::string t;
        while (at < bytes.size() && std::isspace(bytes[at]) == 0) {
            t += static_cast<char>(bytes[at++]);
        }
        return t;
    };
    const std::string magic = token();
    if (magic.size() != 2 || magic[0] != 'P' || magic[1] < '1' || magic[1] > '6') {
        return std::nullopt;
    }
    const int kind = magic[1] - '0';
    const bool bits = kind == 1 || kind == 4;
    const bool colour = kind == 3 || kind == 6;
    const bool ascii = kind <= 3;
    Image image;
    image.width = std::stoi(token());
    image.height = std::stoi(token());
    const int maxval = bits ? 1 : std::stoi(token());
    ++at; // the single white-space byte before binary data
    const auto scale = [&](int v) {
        return static_cast<std::uint32_t>((v * 255 + maxval / 2) / maxval);
    };
    auto sample = [&]() -> int {
        if (ascii) {
            if (kind == 1) { // bits may be written without separators
                std::string t = token();
                at -= t.size() - 1;
                return t[0] - '0';
            }
            return std::stoi(token());
        }
        if (maxval > 255) {
            const int v = bytes.at(at) << 8 | bytes.at(at + 1);
            at += 2;
            return v;
        }
        return bytes.at(at++);
    };
    for (int y = 0; y < image.height; ++y) {
        const std::size_t rowStart = at;
        for (int x = 0; x < image.width; ++x) {
            if (kind == 4) {
                const bool black =
                    (bytes.at(rowStart + static_cast<std::size_t>(x / 8)) >> (7 - x % 8) & 1) != 0;
                image.rgb.push_back(black ? 0x000000 : 0xFFFFFF);
            } else if (bits) {
                image.rgb.push_back(sample() != 0 ? 0x000000 : 0xFFFFFF);
            } else if (colour) {
                const std::uint32_t r = scale(sample());
                const std::uint32_t g = scale(sample());
                const std::uint32_t b = scale(sample());
                image.rgb.push_back(r << 16 | g << 8 | b);
            } else {
                const std::uint32_t v = scale(sample());
                image.rgb.push_back(v << 16 | v << 8 | v);
            }
        }
        if (kind == 4) {
            at = rowStart + static_cast<std::size_t>(image.width + 7) / 8;
        }
    }
    return image;
}

int Quiet(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

TIFF* OpenQuietly(const fs::path& path) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
    TIFF* tif = TIFFOpenExt(path.c_str(), "r", options);
    TIFFOpenOptionsFree(options);
    return tif;
}

// libtiff's own RGBA reading, top row first, stopping at the first read error. Images of
// orientations 5 to 8 come back untransposed, so they are not asked for.
std::optional<Image> LibtiffRgba(const fs::path& path) {
    TIFF* tif = OpenQuietly(path);
    if (tif == nullptr) {
        return std::nullopt;
    }
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    std::optional<Image> image;
    if (std::uint64_t{width} * height <= (std::uint64_t{1} << 26)) {
        std::vector<std::uint32_t> raster(std::size_t{width} * height);
        if (TIFFReadRGBAImageOriented(tif, width, height, raster.data(), ORIENTATION_TOPLEFT, 1)) {
            for (std::uint32_t& abgr : raster) {
                abgr = TIFFGetR(abgr) << 16 | TIFFGetG(abgr) << 8 | TIFFGetB(abgr);
            }
            image = Image{static_cast<int>(width), static_cast<int>(height), std::move(raster)};
        }
    }
    TIFFClose(tif);
    return image;
}

std::uint16_t OrientationOf(const fs::path& path) {
    TIFF* tif = OpenQuietly(path);
    std::uint16_t orientation = 0;
    if (tif != nullptr) {
        TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
        TIFFClose(tif);
    }
    return orientation;
}

void ExpectSame(const Image& shown, const Image& expected) {
    ASSERT_EQ(shown.width, expected.width);
    ASSERT_EQ(shown.height, expected.height);
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < shown.rgb.size(); ++i) {
        wrong += shown.rgb[i] != expected.rgb[i];
    }
    EXPECT_EQ(wrong, 0u) << "pixels differ out of " << shown.rgb.size();
}

enum class Outcome { Twin, Libtiff, Fails };

struct Expectation {
    const char* file;
    Outcome outcome;
    const char* twin = nullptr;
};

void Check(const fs::path& folder, const Expectation& e) {
    SCOPED_TRACE(e.file);
    const std::optional<Image> shown = Decode(folder / e.file);
    switch (e.outcome) {
    case Outcome::Fails:
        EXPECT_FALSE(shown.has_value());
        break;
    case Outcome::Twin: {
        ASSERT_TRUE(shown.has_value());
        const std::optional<Image> twin = ReadPnm(folder / e.twin);
        ASSERT_TRUE(twin.has_value());
        ExpectSame(*shown, *twin);
        break;
    }
    case Outcome::Libtiff: {
        ASSERT_TRUE(shown.has_value());
        const std::optional<Image> oracle = LibtiffRgba(folder / e.file);
        ASSERT_TRUE(oracle.has_value());
        ExpectSame(*shown, *oracle);
        break;
    }
    }
}

bool IsTiffName(const fs::path& path) {
    const std::string ext = path.extension().string();
    return ext == ".tif" || ext == ".tiff";
}

TEST(TiffCorpus, LibtiffImagesMatchTheirTwinsOrLibtiffsOwnReading) {
    REQUIRE_TIFF_CORPUS();
    const fs::path folder = TiffCorpus() / "libtiff";
    using O = Outcome;
    const Expectation expectations[] = {
        {"miniswhite-1c-1b.tiff", O::Twin, "miniswhite-1c-1b.pbm"},
        {"minisblack-1c-8b.tiff", O::Twin, "minisblack-1c-8b.pgm"},
        {"rgb-3c-8b.tiff", O::Twin, "rgb-3c-8b.ppm"},
        {"rgb-3c-16b.tiff", O::Twin, "rgb-3c-16b.ppm"},
        {"lzw-single-strip.tiff", O::Libtiff}, // bilevel, 7795 x 3122
        {"testfax4.tiff", O::Libtiff},         // bilevel G4, 2453 x 3369
        {"minisblack-1c-16b.tiff", O::Libtiff},
        {"minisblack-2c-8b-alpha.tiff", O::Libtiff}, // planar grey and alpha
        {"palette-1c-1b.tiff", O::Libtiff},
        {"palette-1c-4b.tiff", O::Libtiff},
        {"palette-1c-8b.tiff", O::Libtiff},
        {"32bpp-None.tiff", O::Libtiff},
        {"32bpp-None-jpeg.tiff", O::Libtiff},
        {"custom_dir_EXIF_GPS.tiff", O::Libtiff},
        {"deflate-last-strip-extra-data.tiff", O::Libtiff},
        {"logluv-3c-16b.tiff", O::Libtiff},
        {"ojpeg_chewey_subsamp21_multi_strip.tiff", O::Libtiff},
        {"ojpeg_single_strip_no_rowsperstrip.tiff", O::Libtiff},
        {"ojpeg_zackthecat_subsamp22_single_strip.tiff", O::Libtiff},
        {"quad-lzw-compat.tiff", O::Libtiff},
        {"quad-tile.jpg.tiff", O::Libtiff},
        {"tiff_with_subifd_chain.tif", O::Libtiff},
        {"webp_lossless_rgba_alpha_fully_opaque.tif", O::Libtiff},
        // Directory chains that loop: only the first directory is read.
        {"test_ifd_loop_subifd.tif", O::Libtiff},
        {"test_ifd_loop_to_first.tif", O::Libtiff},
        {"test_ifd_loop_to_self.tif", O::Libtiff},
        {"test_two_ifds.tif", O::Libtiff},
        // 64-bit float samples are beyond libtiff's RGBA conversion.
        {"test_float64_predictor2_be_lzw.tif", O::Fails},
        {"test_float64_predictor2_le_lzw.tif", O::Fails},
        // Its only strip overflows the fax decoder's row.
        {"testfax3_bug_513.tiff", O::Fails},
    };
    std::map<std::string, bool> listed;
    for (const Expectation& e : expectations) {
        listed[e.file] = true;
        Check(folder, e);
    }
    // A file added to the folder later must at least read as libtiff reads it, or fail.
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (IsTiffName(entry.path()) && listed.count(entry.path().filename().string()) == 0) {
            SCOPED_TRACE(entry.path().filename().string());
            const std::optional<Image> shown = Decode(entry.path());
            const std::optional<Image> oracle = LibtiffRgba(entry.path());
            if (shown && oracle) {
                ExpectSame(*shown, *oracle);
            }
        }
    }
}

TEST(TiffCorpus, PillowImagesMatchLibtiffsOwnReading) {
    REQUIRE_TIFF_CORPUS();
    const fs::path folder = TiffCorpus() / "pillow";
    using O = Outcome;
    const Expectation expectations[] = {
        {"g4-fillorder-test.tif", O::Libtiff}, // fax bits stored least significant first
        {"hopper_g4.tif", O::Libtiff},
        {"tiff_strip_raw.tif", O::Libtiff},
        {"tiff_tiled_raw.tif", O::Libtiff},
        {"gray-2-4-bpp/hopper2.tif", O::Libtiff},
        {"gray-2-4-bpp/hopper2I.tif", O::Libtiff},
        {"gray-2-4-bpp/hopper2IR.tif", O::Libtiff},
        {"gray-2-4-bpp/hopper2R.tif", O::Libtiff},
        {"gray-2-4-bpp/hopper4.tif", O::Libtiff},
        {"gray-2-4-bpp/hopper4I.tif", O::Libtiff},
        {"gray-2-4-bpp/hopper4IR.tif", O::Libtiff},
        {"gray-2-4-bpp/hopper4R.tif", O::Libtiff},
        // 65535 samples per pixel: far more data than the file holds.
        {"libtiff_segfault.tif", O::Fails},
        // Its strips hold less than its rows need.
        {"tiff_overflow_rows_per_strip.tif", O::Fails},
    };
    for (const Expectation& e : expectations) {
        Check(folder, e);
    }
    // One picture stored two ways.
    const std::optional<Image> strips = Decode(folder / "tiff_strip_raw.tif");
    const std::optional<Image> tiles = Decode(folder / "tiff_tiled_raw.tif");
    ASSERT_TRUE(strips && tiles);
    ExpectSame(*tiles, *strips);
}

// Files that crashed or exhausted other readers: each fails or reads as libtiff reads it,
// quickly, and prints nothing.
TEST(TiffCorpus, FuzzerFindsFailCleanlyAndFast) {
    REQUIRE_TIFF_CORPUS();
    int seen = 0;
    int loaded = 0;
    testing::internal::CaptureStderr();
    for (const auto& entry : fs::directory_iterator(TiffCorpus() / "pillow")) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("crash-", 0) != 0 && name.rfind("oom-", 0) != 0) {
            continue;
        }
        SCOPED_TRACE(name);
        ++seen;
        const auto start = std::chrono::steady_clock::now();
        const std::optional<Image> shown = Decode(entry.path());
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took.count(), 2.0);
        if (shown) {
            ++loaded;
            // libtiff's own reading cannot turn orientations 5 to 8 upright.
            if (OrientationOf(entry.path()) <= ORIENTATION_BOTLEFT) {
                const std::optional<Image> oracle = LibtiffRgba(entry.path());
                ASSERT_TRUE(oracle.has_value());
                ExpectSame(*shown, *oracle);
            }
        }
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_GE(seen, 12);
    // Two are fax pages that libtiff reads; the others are damaged beyond reading.
    EXPECT_EQ(loaded, 2);
}

// The same page stored in each of the eight orientations. The files were made one by one,
// so they differ in a few pixels along the strokes; a picture shown mirrored or turned
// differs in thousands.
TEST(TiffCorpus, EveryOrientationShowsTheSamePage) {
    REQUIRE_TIFF_CORPUS();
    const fs::path folder = TiffCorpus() / "pillow";
    const std::optional<Image> upright = Decode(folder / "g4_orientation_1.tif");
    ASSERT_TRUE(upright.has_value());
    ASSERT_EQ(upright->width, 590);
    ASSERT_EQ(upright->height, 88);
    for (int orientation = 2; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const std::optional<Image> shown =
            Decode(folder / ("g4_orientation_" + std::to_string(orientation) + ".tif"));
        ASSERT_TRUE(shown.has_value());
        ASSERT_EQ(shown->width, upright->width);
        ASSERT_EQ(shown->height, upright->height);
        std::size_t differing = 0;
        for (std::size_t i = 0; i < shown->rgb.size(); ++i) {
            differing += shown->rgb[i] != upright->rgb[i];
        }
        EXPECT_LT(differing, shown->rgb.size() / 200); // 0.5 %; measured at most 0.26 %
    }
}

} // namespace
