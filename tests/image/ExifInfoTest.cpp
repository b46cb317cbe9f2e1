// The EXIF fields of a JPEG's APP1 payload, built by hand in both byte orders, with
// damaged offsets and values.
#include "image/ExifInfo.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Entry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t value; // a SHORT in the value field, or an offset for a RATIONAL
};

class TiffWriter {
public:
    explicit TiffWriter(bool bigEndian) : big_(bigEndian) {}
    void U16(std::uint16_t v) {
        if (big_) {
            bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
            bytes_.push_back(static_cast<std::uint8_t>(v));
        } else {
            bytes_.push_back(static_cast<std::uint8_t>(v));
            bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
        }
    }
    void U32(std::uint32_t v) {
        U16(static_cast<std::uint16_t>(big_ ? v >> 16 : v));
        U16(static_cast<std::uint16_t>(big_ ? v : v >> 16));
    }
    Bytes bytes_;

private:
    bool big_;
};

// "Exif\0\0", the TIFF header with IFD0 at 8, the entries, then the rationals at
// TIFF offset 8 + 2 + 12 n + 4 (after the next-IFD offset).
Bytes Payload(bool bigEndian, const std::vector<Entry>& entries,
              const std::vector<std::uint32_t>& rationals) {
    TiffWriter w(bigEndian);
    w.bytes_ = {'E', 'x', 'i', 'f', 0, 0};
    w.bytes_.push_back(bigEndian ? 'M' : 'I');
    w.bytes_.push_back(bigEndian ? 'M' : 'I');
    w.U16(42);
    w.U32(8);
    w.U16(static_cast<std::uint16_t>(entries.size()));
    for (const Entry& e : entries) {
        w.U16(e.tag);
        w.U16(e.type);
        w.U32(1);
        if (e.type == 3) {
            w.U16(static_cast<std::uint16_t>(e.value));
            w.U16(0);
        } else {
            w.U32(e.value);
        }
    }
    w.U32(0);
    for (std::uint32_t r : rationals) {
        w.U32(r);
    }
    return w.bytes_;
}

TEST(ExifInfo, ReadsOrientationAndResolutionAndIgnoresWhatIsDamaged) {
    const std::uint32_t rationalsAt = 8 + 2 + 12 * 4 + 4;
    const std::vector<Entry> full = {
        {0x0112, 3, 6}, {0x011A, 5, rationalsAt}, {0x011B, 5, rationalsAt + 8}, {0x0128, 3, 2}};
    struct Case {
        const char* what;
        Bytes payload;
        int orientation;
        double xPerMetre;
        double yPerMetre;
    };
    Bytes badMagic = Payload(false, full, {300, 1, 150, 1});
    badMagic[8] = 43;
    Bytes cut = Payload(true, full, {300, 1, 150, 1});
    cut.resize(cut.size() - 12);
    const Case cases[] = {
        {"little-endian", Payload(false, full, {300, 1, 150, 1}), 6, 300 / 0.0254, 150 / 0.0254},
        {"big-endian", Payload(true, full, {300, 1, 150, 1}), 6, 300 / 0.0254, 150 / 0.0254},
        {"centimetres",
         Payload(true, {{0x011A, 5, 8 + 2 + 36 + 4}, {0x011B, 5, 8 + 2 + 36 + 12}, {0x0128, 3, 3}},
                 {40, 1, 80, 2}),
         1, 4000, 4000},
        {"orientation 9 is no orientation", Payload(false, {{0x0112, 3, 9}}, {}), 1, 0, 0},
        {"orientation 0 is no orientation", Payload(false, {{0x0112, 3, 0}}, {}), 1, 0, 0},
        {"orientation as a LONG is not read", Payload(false, {{0x0112, 4, 3}}, {}), 1, 0, 0},
        {"a zero denominator", Payload(false, full, {300, 0, 150, 1}), 6, 0, 150 / 0.0254},
        {"rationals past the end", cut, 6, 0, 0},
        {"a rational offset far outside",
         Payload(false, {{0x011A, 5, 0xFFFFFFF0}, {0x011B, 5, 0xFFFFFFF0}}, {}), 1, 0, 0},
        {"not 42", badMagic, 1, 0, 0},
        {"no Exif header", Bytes{'J', 'F', 'I', 'F', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0}, 1, 0, 0},
        {"empty", Bytes{}, 1, 0, 0},
    };
    for (const Case& c : cases) {
        const ExifInfo info = ExifInfo::Parse(c.payload.data(), c.payload.size());
        EXPECT_EQ(info.orientation, c.orientation) << c.what;
        EXPECT_NEAR(info.xPelsPerMeter, c.xPerMetre, 1e-6) << c.what;
        EXPECT_NEAR(info.yPelsPerMeter, c.yPerMetre, 1e-6) << c.what;
    }
    // An entry count that runs past the payload stops at the last whole entry.
    Bytes many = Payload(false, {{0x0112, 3, 8}}, {});
    many[14] = 0xFF;
    many[15] = 0xFF;
    EXPECT_EQ(ExifInfo::Parse(many.data(), many.size()).orientation, 8);
}

} // namespace
