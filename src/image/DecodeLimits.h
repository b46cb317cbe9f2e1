#pragma once

#include <cstdint>

// How much decoded data a compressed image file may claim before anything is allocated for
// it. Every reader asks before its first allocation; a file that claims more fails to load
// as a damaged one.
//
// A small picture is always accepted: up to kAlwaysAcceptedPixels pixels and
// kAlwaysAcceptedBytes of decoded data (4096 x 4096 pixels of at most four 16-bit
// samples), so a hostile file may cost 128 MiB. A larger one must come from a file of at
// least decoded bytes / expansion bytes, where the expansion is what the format's codec
// can reach at best (a uniform area in its most compact code), and the result must fit a
// packed bitmap.
class DecodeLimits {
public:
    static constexpr std::uint64_t kAlwaysAcceptedPixels = std::uint64_t{1} << 24;
    static constexpr std::uint64_t kAlwaysAcceptedBytes = kAlwaysAcceptedPixels * 8;
    // Deflate, LZW, JPEG, VP8 and the run-length codes stay below this ratio.
    static constexpr std::uint64_t kGeneralExpansion = std::uint64_t{1} << 12;
    // Fax codes spend one bit on a blank row of any width.
    static constexpr std::uint64_t kFaxExpansion = std::uint64_t{1} << 15;

    // False for a size the file cannot plausibly hold.
    static bool IsPlausible(std::uint64_t decodedBytes, std::uint64_t pixels,
                            std::uint64_t fileSize, std::uint64_t expansion);
    // Width x height pixels of `bytesPerPixel` decoded bytes each, with the product checked
    // for overflow; false for a zero dimension.
    static bool IsPlausibleImage(std::uint64_t width, std::uint64_t height,
                                 std::uint64_t bytesPerPixel, std::uint64_t fileSize,
                                 std::uint64_t expansion);
};
