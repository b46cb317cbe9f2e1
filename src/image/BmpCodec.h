#pragma once

#include "image/PackedBitmap.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// BMP files: reading every variant into the packed layout, and writing the packed layout.
class BmpCodec {
public:
    // Decodes a whole BMP file held in memory (from its 14-byte file header on). False,
    // with `out` untouched, for anything that is not a BMP this program can read.
    static bool Decode(const std::uint8_t* data, std::size_t size, PackedBitmap& out);
    // The file bytes of a bitmap: the 14-byte file header ("BM", total size + 14, two
    // reserved zeros, pixel offset 14 + 40 + colour-table size), then the packed bitmap.
    static std::vector<std::uint8_t> Encode(const PackedBitmap& bitmap);
    // Writes Encode's bytes to a temporary file beside the target and renames it over the
    // target only when every byte is written; a failure leaves any earlier file as it was.
    static bool Save(const PackedBitmap& bitmap, const std::string& path);
};
