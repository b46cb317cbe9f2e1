#include "scanner/ScanPage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

int Channels(SANE_Frame format) {
    return format == SANE_FRAME_RGB ? 3 : 1;
}

// A sample's 8 most significant bits.
std::uint8_t Sample(const std::uint8_t* row, int index, int depth) {
    if (depth == 16) {
        std::uint16_t value;
        std::memcpy(&value, row + 2 * static_cast<std::size_t>(index), 2);
        return static_cast<std::uint8_t>(value >> 8);
    }
    return row[index];
}

std::int64_t WholeLines(const SANE_Parameters& parameters, std::size_t bytes) {
    const auto perLine = static_cast<std::uint64_t>(parameters.bytes_per_line);
    const std::uint64_t whole = bytes / perLine;
    return parameters.lines >= 0 ? std::min<std::int64_t>(parameters.lines, whole)
                                 : static_cast<std::int64_t>(whole);
}

} // namespace

bool ScanPage::BeginFrame(const SANE_Parameters& p) {
    const bool grey = p.format == SANE_FRAME_GRAY;
    const bool single =
        p.format == SANE_FRAME_RED || p.format == SANE_FRAME_GREEN || p.format == SANE_FRAME_BLUE;
    const bool depthShown = (grey && p.depth == 1) || p.depth == 8 || p.depth == 16;
    if ((!grey && !single && p.format != SANE_FRAME_RGB) || !depthShown || p.pixels_per_line <= 0 ||
        p.bytes_per_line <= 0 || p.lines < -1) {
        return false;
    }
    const std::uint64_t needed =
        (static_cast<std::uint64_t>(p.pixels_per_line) * Channels(p.format) * p.depth + 7) / 8;
    if (static_cast<std::uint64_t>(p.bytes_per_line) < needed) {
        return false;
    }
    // Three-pass frames agree with each other.
    if (!frames_.empty()) {
        const SANE_Parameters& first = frames_.front().parameters;
        if (!single || first.format == SANE_FRAME_GRAY || first.format == SANE_FRAME_RGB ||
            first.pixels_per_line != p.pixels_per_line || first.depth != p.depth ||
            frames_.size() >= 3) {
            return false;
        }
    }
    Frame frame;
    frame.parameters = p;
    if (p.lines > 0) {
        const std::uint64_t expected = static_cast<std::uint64_t>(p.bytes_per_line) * p.lines;
        if (expected > PackedBitmap::kMaxBytes) {
            return false;
        }
        frame.bytes.reserve(static_cast<std::size_t>(expected));
    }
    frames_.push_back(std::move(frame));
    return true;
}

bool ScanPage::Append(const std::uint8_t* data, std::size_t size) {
    if (frames_.empty()) {
        return false;
    }
    std::vector<std::uint8_t>& bytes = frames_.back().bytes;
    if (bytes.size() + size > PackedBitmap::kMaxBytes) {
        return false;
    }
    bytes.insert(bytes.end(), data, data + size);
    return true;
}

std::uint64_t ScanPage::ExpectedBytes() const {
    if (frames_.empty() || frames_.back().parameters.lines < 0) {
        return 0;
    }
    const SANE_Parameters& p = frames_.back().parameters;
    return static_cast<std::uint64_t>(p.bytes_per_line) * static_cast<std::uint64_t>(p.lines);
}

std::uint64_t ScanPage::ReceivedBytes() const {
    return frames_.empty() ? 0 : frames_.back().bytes.size();
}

PackedBitmap ScanPage::Build(double dpi) const {
    PackedBitmap bitmap;
    if (frames_.empty()) {
        return bitmap;
    }
    const SANE_Parameters& first = frames_.front().parameters;
    const bool grey = first.format == SANE_FRAME_GRAY;
    const bool threePass = !grey && first.format != SANE_FRAME_RGB;
    if (threePass && frames_.size() != 3) {
        return bitmap;
    }
    std::int64_t lines = WholeLines(first, frames_.front().bytes.size());
    for (const Frame& frame : frames_) {
        lines = std::min(lines, WholeLines(frame.parameters, frame.bytes.size()));
    }
    if (lines <= 0) {
        return bitmap;
    }
    PackedBitmap::Header header;
    header.width = first.pixels_per_line;
    header.height = static_cast<std::int32_t>(lines);
    header.bitCount = grey ? static_cast<std::uint16_t>(first.depth == 1 ? 1 : 8) : 24;
    const long pelsPerMeter = std::lround(dpi * 10000.0 / 254.0);
    header.xPelsPerMeter = header.yPelsPerMeter = static_cast<std::int32_t>(pelsPerMeter);
    if (!bitmap.Allocate(header)) {
        return bitmap;
    }
    const int width = first.pixels_per_line;
    if (grey) {
        std::uint8_t* table = bitmap.ColourTable();
        const std::uint32_t colours = bitmap.ColourCount();
        for (std::uint32_t i = 0; i < colours; ++i) {
            // 1 bit: 0 white, 1 black; 8 bits: a ramp from black.
            const auto level = static_cast<std::uint8_t>(colours == 2 ? (i == 0 ? 255 : 0) : i);
            table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = level;
            table[4 * i + 3] = 0;
        }
    }
    // Where each colour comes from: the one frame, or a frame per colour.
    const std::uint8_t* channelFrame[3] = {};
    std::size_t channelLine[3] = {};
    if (threePass) {
        for (const Frame& frame : frames_) {
            const int channel = frame.parameters.format - SANE_FRAME_RED;
            channelFrame[channel] = frame.bytes.data();
            channelLine[channel] = static_cast<std::size_t>(frame.parameters.bytes_per_line);
        }
        if (channelFrame[0] == nullptr || channelFrame[1] == nullptr ||
            channelFrame[2] == nullptr) {
            bitmap.Clear();
            return bitmap;
        }
    }
    for (std::int64_t y = 0; y < lines; ++y) {
        const std::size_t offset = static_cast<std::size_t>(y) * first.bytes_per_line;
        std::uint8_t* out = bitmap.RowFromTop(static_cast<int>(y));
        const std::uint8_t* in = frames_.front().bytes.data() + offset;
        if (grey && first.depth == 1) {
            std::memcpy(out, in, (static_cast<std::size_t>(width) + 7) / 8);
        } else if (grey) {
            for (int x = 0; x < width; ++x) {
                out[x] = Sample(in, x, first.depth);
            }
        } else if (!threePass) {
            for (int x = 0; x < width; ++x) {
                out[3 * x + 2] = Sample(in, 3 * x, first.depth);
                out[3 * x + 1] = Sample(in, 3 * x + 1, first.depth);
                out[3 * x] = Sample(in, 3 * x + 2, first.depth);
            }
        } else {
            for (int x = 0; x < width; ++x) {
                for (int channel = 0; channel < 3; ++channel) {
                    out[3 * x + 2 - channel] = Sample(
                        channelFrame[channel] + static_cast<std::size_t>(y) * channelLine[channel],
                        x, first.depth);
                }
            }
        }
    }
    return bitmap;
}
