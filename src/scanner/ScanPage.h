#pragma once

#include "image/PackedBitmap.h"

#include <sane/sane.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// One scanned page as SANE hands it over — one frame (grey or red-green-blue interleaved),
// or one frame per colour for three-pass scanners — made into a packed bitmap:
//
//   grey, 1 bit     1-bit bitmap, colour 0 white and colour 1 black (a set bit is black)
//   grey, 8/16 bits 8-bit bitmap with a grey ramp (16-bit samples keep their high byte)
//   colour, 8/16    24-bit bitmap (blue, green, red)
//
// Samples of 16 bits are in the machine's byte order. A frame of unknown height (a hand
// scanner says -1 lines) is as high as its whole lines; bytes past the last whole line are
// dropped.
class ScanPage {
public:
    // Starts a frame; false when its format, depth or sizes cannot make a bitmap, or it
    // does not fit the frames before it.
    bool BeginFrame(const SANE_Parameters& parameters);
    // The frame's bytes as read; false once the frame holds more than a bitmap may.
    bool Append(const std::uint8_t* data, std::size_t size);
    // The page, with `dpi` in the header; empty when no frame gave a whole line, or a
    // colour is missing after three-pass frames.
    PackedBitmap Build(double dpi) const;
    // The bytes the current frame expects in all; 0 when its height is not known.
    std::uint64_t ExpectedBytes() const;
    std::uint64_t ReceivedBytes() const;

private:
    struct Frame {
        SANE_Parameters parameters{};
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Frame> frames_;
};
