#pragma once

#include <cstddef>
#include <cstdint>

// The few EXIF fields a picture's reader needs, from the payload of a JPEG APP1 marker
// ("Exif", two zero bytes, then a TIFF structure: byte order, 42, offset of IFD0). Only
// IFD0 is read; every offset is checked against the payload, and a field that is missing
// or damaged keeps its default.
class ExifInfo {
public:
    // 1 top-left (as stored), 2 mirrored, 3 turned 180, 4 upside down mirrored,
    // 5 transposed, 6 to be turned 90 clockwise, 7 transversed, 8 to be turned 90
    // counter-clockwise.
    int orientation = 1;
    // Pixels per metre; 0 when the payload gives none.
    double xPelsPerMeter = 0;
    double yPelsPerMeter = 0;

    static ExifInfo Parse(const std::uint8_t* payload, std::size_t size);
};
