#pragma once

#include <cstdint>

// The arithmetic every reader shares when it turns stored samples into the bitmap's 8-bit
// colours. A transparent pixel stands on white paper: colour c with opacity a (both in
// 0..max) becomes c * a / max + white * (max - a) / max, rounded to the nearest value.
namespace WhitePaper {

inline std::uint8_t Over8(std::uint32_t colour, std::uint32_t alpha) {
    return static_cast<std::uint8_t>((colour * alpha + 255 * (255 - alpha) + 127) / 255);
}

inline std::uint16_t Over16(std::uint32_t colour, std::uint32_t alpha) {
    const std::uint64_t sum = std::uint64_t{colour} * alpha + 65535ull * (65535 - alpha) + 32767;
    return static_cast<std::uint16_t>(sum / 65535);
}

// A 16-bit sample to 8 bits, rounded: round(v * 255 / 65535).
inline std::uint8_t Reduce16(std::uint32_t value) {
    return static_cast<std::uint8_t>((value * 255 + 32767) / 65535);
}

// One colour-table entry: blue, green, red, 0.
inline void PutEntry(std::uint8_t* entry, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    entry[0] = blue;
    entry[1] = green;
    entry[2] = red;
    entry[3] = 0;
}

// Metres per inch, for resolutions given in dots per inch.
constexpr double kInchesPerMetre = 1.0 / 0.0254;

} // namespace WhitePaper
