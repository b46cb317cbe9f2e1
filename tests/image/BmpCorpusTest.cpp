// BMP files that nobody on this project wrote, against reference renderings made by other
#include "FileBytes.h"
// programs: the BMP suite's good, questionable and bad files, and two core-header images.
#include "image/BmpCodec.h"

#include "BitmapPixels.h"
#include "Corpus.h"
#include "LargestAllocation.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;  // 0x00RRGGBB, top row first
    std::vector<std::uint8_t> alpha; // references only; empty means opaque
};

fs::path CorpusDir() {
    return CorpusRoot();
}

#define REQUIRE_CORPUS() REQUIRE_CORPUS_FOLDER(CorpusDir() / "bmpsuite", "BMP corpus")

bool ReadPng(const fs::path& path, Image& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, path.string().c_str()) == 0) {
        return false;
    }
    png.format = PNG_FORMAT_RGBA;
    png.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, rgba.data(), 0, nullptr) == 0) {
        return false;
    }
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.rgb.clear();
    image.alpha.clear();
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {
        image.rgb.push_back(std::uint32_t{rgba[i]} << 16 | std::uint32_t{rgba[i + 1]} << 8 |
                            rgba[i + 2]);
        image.alpha.push_back(rgba[i + 3]);
    }
    return true;
}

// Binary PPM ("P6", 8-bit channels).
bool ReadPpm(const fs::path& path, Image& image) {
    const Bytes bytes = ReadFileBytes(path);
    std::string head(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 64));
    std::istringstream in(head);
    std::string magic;
    int maxValue = 0;
    in >> magic >> image.width >> image.height >> maxValue;
    if (magic != "P6" || maxValue != 255 || !in) {
        return false;
    }
    const std::size_t start = static_cast<std::size_t>(in.tellg()) + 1;
    const std::size_t count = std::size_t(image.width) * std::size_t(image.height);
    if (bytes.size() < start + 3 * count) {
        return false;
    }
    image.rgb.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = &bytes[start + 3 * i];
        image.rgb[i] = std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
    }
    return true;
}

bool Decode(const Bytes& bytes, Image& image) {
    PackedBitmap bitmap;
    if (!BmpCodec::Decode(bytes.data(), bytes.size(), bitmap)) {
        return false;
    }
    image.width = bitmap.Width();
    image.height = bitmap.Height();
    image.rgb = ToRgb(bitmap);
    return true;
}

enum class Compare {
    Exact,
    Opaque, // pixels the reference shows fully transparent are not compared: we drop alpha
    Near,   // every channel within one level
};

bool Close(std::uint32_t a, std::uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF);
        if (d < -1 || d > 1) {
            return false;
        }
    }
    return true;
}

// Empty when equal, else a description of the first difference.
std::string Difference(const Image& got, const Image& want, Compare compare = Compare::Exact) {
    if (got.width != want.width || got.height != want.height) {
        return "size " + std::to_string(got.width) + "x" + std::to_string(got.height) +
               " instead of " + std::to_string(want.width) + "x" + std::to_string(want.height);
    }
    std::size_t differing = 0;
    std::size_t first = 0;
    for (std::size_t i = 0; i < got.rgb.size(); ++i) {
        const bool skip = compare == Compare::Opaque && !want.alpha.empty() && want.alpha[i] == 0;
        const bool same =
            compare == Compare::Near ? Close(got.rgb[i], want.rgb[i]) : got.rgb[i] == want.rgb[i];
        if (!skip && !same && differing++ == 0) {
            first = i;
        }
    }
    if (differing == 0) {
        return {};
    }
    char text[160];
    std::snprintf(text, sizeof text, "%zu pixels differ; first at (%zu, %zu): %06X, wanted %06X",
                  differing, first % std::size_t(want.width), first / std::size_t(want.width),
                  got.rgb[first], want.rgb[first]);
    return text;
}

// bmpsuite/index.tsv: a BMP path relative to the suite, then the reference files that
// may match it (several where a pixel is undefined).
std::map<std::string, std::vector<std::string>> ReadIndex() {
    std::map<std::string, std::vector<std::string>> index;
    std::ifstream in(CorpusDir() / "bmpsuite" / "index.tsv");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string bmp;
        std::string refs;
        std::getline(fields, bmp, '\t');
        std::getline(fields, refs);
        std::istringstream names(refs);
        std::vector<std::string>& list = index[bmp];
        for (std::string name; names >> name;) {
            list.push_back(name);
        }
    }
    return index;
}

// Empty when the decoded file equals one of its PNG references.
std::string MatchAnyReference(const Image& got, const std::vector<std::string>& refs,
                              Compare compare) {
    std::string why = "no PNG reference";
    for (const std::string& name : refs) {
        Image want;
        if (fs::path(name).extension() != ".png" ||
            !ReadPng(CorpusDir() / "bmpsuite" / "ref" / name, want)) {
            continue;
        }
        const std::string difference = Difference(got, want, compare);
        if (difference.empty()) {
            return {};
        }
        why = name + ": " + difference;
    }
    return why;
}

std::vector<fs::path> BmpFilesIn(const std::string& folder) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(CorpusDir() / "bmpsuite" / folder)) {
        if (entry.path().extension() == ".bmp") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

enum class Expect {
    Match,  // equals one of its references
    Opaque, // equals one where the reference is not fully transparent
    Near,   // within one level of one
    Reject, // Decode fails
    Decode, // Decode succeeds; no reference to hold it to
};

// Runs every file of a folder against a table that names each one's outcome, so that a
// file added to the corpus or a changed decision shows up.
void CheckFolder(const std::string& folder, const std::map<std::string, Expect>& expected) {
    const auto index = ReadIndex();
    std::set<std::string> seen;
    for (const fs::path& path : BmpFilesIn(folder)) {
        const std::string name = path.stem().string();
        seen.insert(name);
        const auto it = expected.find(name);
        if (it == expected.end()) {
            ADD_FAILURE() << folder << "/" << name << " has no expected outcome";
            continue;
        }
        const Bytes bytes = ReadFileBytes(path);
        Image image;
        bool decoded = false;
        const std::size_t largest = LargestAllocationOf([&] { decoded = Decode(bytes, image); });
        // The decoded bitmap may be twice the file (16-bit pixels widened to 32), plus the
        // header, colour table and conversion tables.
        EXPECT_LE(largest, 2 * bytes.size() + 300000) << name;
        if (it->second == Expect::Reject) {
            EXPECT_FALSE(decoded) << folder << "/" << name << " should be rejected";
            continue;
        }
        ASSERT_TRUE(decoded) << folder << "/" << name << " should decode";
        if (it->second != Expect::Decode) {
            const auto refs = index.find(folder + "/" + name + ".bmp");
            ASSERT_NE(refs, index.end()) << name;
            const Compare compare = it->second == Expect::Opaque ? Compare::Opaque
                                    : it->second == Expect::Near ? Compare::Near
                                                                 : Compare::Exact;
            EXPECT_EQ(MatchAnyReference(image, refs->second, compare), "") << folder << "/" << name;
        }
    }
    for (const auto& [name, outcome] : expected) {
        EXPECT_TRUE(seen.count(name) == 1) << folder << "/" << name << " is missing";
    }
}

TEST(BmpCorpus, GoodFilesMatchTheirReferences) {
    REQUIRE_CORPUS();
    std::map<std::string, Expect> expected;
    for (const fs::path& path : BmpFilesIn("g")) {
        expected[path.stem().string()] = Expect::Match;
    }
    EXPECT_EQ(expected.size(), 27u);
    CheckFolder("g", expected);
}

TEST(BmpCorpus, QuestionableFilesDecodeSensiblyOrAreRejected) {
    REQUIRE_CORPUS();
    const std::map<std::string, Expect> expected = {
        {"pal1huffmsb", Expect::Reject},    // fax coding in the 64-byte header
        {"pal1p1", Expect::Match},          // one-entry table; index 1 shows black
        {"pal2", Expect::Reject},           // 2 bits per pixel
        {"pal2color", Expect::Reject},      //
        {"pal4rlecut", Expect::Reject},     // delta codes in 4-bit data
        {"pal4rletrns", Expect::Reject},    //
        {"pal8offs", Expect::Match},        // gap before the pixels
        {"pal8os2-hs", Expect::Match},      // wrong file size field
        {"pal8os2-sz", Expect::Match},      //
        {"pal8os2sp", Expect::Reject},      // core table shorter than 256 entries
        {"pal8os2v2", Expect::Match},       // 64-byte header
        {"pal8os2v2-16", Expect::Match},    // 16-byte header
        {"pal8os2v2-40sz", Expect::Match},  //
        {"pal8os2v2-sz", Expect::Match},    //
        {"pal8oversizepal", Expect::Match}, // 300 colours for 8 bits
        {"pal8rlecut", Expect::Match},      // undefined pixels take index 0
        {"pal8rletrns", Expect::Match},     //
        {"rgb16-231", Expect::Match},       // odd masks, widened to 32 bits
        {"rgb16-3103", Expect::Match},      //
        {"rgb16faketrns", Expect::Match},   //
        {"rgb24jpeg", Expect::Reject},      // embedded JPEG
        {"rgb24largepal", Expect::Match},   // unused 300-entry table
        {"rgb24lprof", Expect::Match},      // colour profile ignored
        {"rgb24png", Expect::Reject},       // embedded PNG
        {"rgb24prof", Expect::Match},       //
        {"rgb24prof2", Expect::Decode},     // its profile would swap red and green
        {"rgb24rle24", Expect::Reject},     // 24-bit run-length coding of the 64-byte header
        {"rgb32-111110", Expect::Near},     // 11-11-10 masks
        {"rgb32-7187", Expect::Match},      //
        {"rgb32-xbgr", Expect::Match},      //
        {"rgb32fakealpha", Expect::Match},  //
        {"rgb32h52", Expect::Match},        // 52-byte header
        {"rgba16-1924", Expect::Opaque},    // alpha dropped
        {"rgba16-4444", Expect::Opaque},    //
        {"rgba16-5551", Expect::Opaque},    //
        {"rgba32-1", Expect::Opaque},       //
        {"rgba32-1010102", Expect::Opaque}, //
        {"rgba32-2", Expect::Opaque},       //
        {"rgba32-61754", Expect::Opaque},   //
        {"rgba32-81284", Expect::Opaque},   //
        {"rgba32abf", Expect::Reject},      // compression 6
        {"rgba32h56", Expect::Opaque},      // 56-byte header
        {"rgba64", Expect::Reject},         // 64 bits per pixel
    };
    CheckFolder("q", expected);
}

TEST(BmpCorpus, BadFilesAreRejectedOrDecodedWithinBounds) {
    REQUIRE_CORPUS();
    const std::map<std::string, Expect> expected = {
        {"badbitcount", Expect::Reject},
        {"badbitssize", Expect::Decode}, // image size field is recomputed
        {"baddens1", Expect::Decode},    // resolution is information only
        {"baddens2", Expect::Decode},    //
        {"badfilesize", Expect::Decode}, // file size field is never consulted
        {"badheadersize", Expect::Reject},
        {"badpalettesize", Expect::Reject},
        {"badplanes", Expect::Reject},
        {"badrle", Expect::Decode},     // runs past the row end are cut there
        {"badrle4", Expect::Reject},    // delta in 4-bit data
        {"badrle4bis", Expect::Reject}, //
        {"badrle4ter", Expect::Reject}, //
        {"badrlebis", Expect::Decode},  //
        {"badrleter", Expect::Decode},  //
        {"badwidth", Expect::Reject},
        {"pal8badindex", Expect::Decode}, // indices past the table
        {"reallybig", Expect::Reject},
        {"rgb16-880", Expect::Match},   //
        {"rletopdown", Expect::Reject}, // run-length rows cannot run top-down
        {"shortfile", Expect::Reject},
    };
    CheckFolder("b", expected);
}

// libtiff's core-header twins. The RGB one has a PPM twin. The palette one's twin is a
// GIF, which nothing here decodes; its pixels were read off the GIF once with a throwaway
// LZW decoder, and the samples and the FNV-1a hash of all its R, G, B bytes (top row
// first) come from that reading.
TEST(BmpCorpus, CoreHeaderImagesMatchTheirTwins) {
    REQUIRE_CORPUS_FOLDER(CorpusDir() / "bmp-core", "core-header BMPs");
    Image rgb;
    ASSERT_TRUE(Decode(ReadFileBytes(CorpusDir() / "bmp-core" / "rgb-3c-8b.bmp"), rgb));
    Image ppm;
    ASSERT_TRUE(ReadPpm(CorpusDir() / "tiff" / "libtiff" / "rgb-3c-8b.ppm", ppm));
    EXPECT_EQ(Difference(rgb, ppm), "");

    Image palette;
    ASSERT_TRUE(Decode(ReadFileBytes(CorpusDir() / "bmp-core" / "palette-1c-8b.bmp"), palette));
    ASSERT_EQ(palette.width, 157);
    ASSERT_EQ(palette.height, 151);
    struct Sample {
        int x;
        int y;
        std::uint32_t rgb;
    };
    const Sample samples[] = {
        {0, 0, 0xAA3528},    {1, 0, 0xB55249},     {0, 1, 0xB6482A},   {156, 0, 0x86AA56},
        {0, 150, 0x75662B},  {156, 150, 0xAACFA9}, {78, 75, 0x4C130E}, {40, 100, 0xAAC657},
        {120, 30, 0x69672B}, {100, 149, 0xAA3528},
    };
    for (const Sample& s : samples) {
        EXPECT_EQ(palette.rgb[std::size_t(s.y) * 157 + std::size_t(s.x)], s.rgb)
            << s.x << ", " << s.y;
    }
    std::uint32_t hash = 0x811C9DC5;
    for (const std::uint32_t colour : palette.rgb) {
        for (int shift = 16; shift >= 0; shift -= 8) {
            hash = (hash ^ (colour >> shift & 0xFF)) * 0x01000193;
        }
    }
    EXPECT_EQ(hash, 0xF8C5B4ABu);
}

} // namespace
