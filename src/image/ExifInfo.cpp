#include "image/ExifInfo.h"

#include "image/WhitePaper.h"

#include <cstring>

namespace {

constexpr std::uint16_t kTagOrientation = 0x0112;
constexpr std::uint16_t kTagXResolution = 0x011A;
constexpr std::uint16_t kTagYResolution = 0x011B;
constexpr std::uint16_t kTagResolutionUnit = 0x0128;
constexpr std::uint16_t kTypeShort = 3;
constexpr std::uint16_t kTypeRational = 5;
constexpr int kUnitInch = 2;
constexpr int kUnitCentimetre = 3;

class TiffBytes {
public:
    TiffBytes(const std::uint8_t* data, std::size_t size, bool bigEndian)
        : data_(data), size_(size), bigEndian_(bigEndian) {}

    bool Has(std::uint64_t offset, std::uint64_t count) const {
        return offset <= size_ && count <= size_ - offset;
    }
    std::uint32_t U16(std::size_t at) const {
        return bigEndian_ ? std::uint32_t{data_[at]} << 8 | data_[at + 1]
                          : std::uint32_t{data_[at + 1]} << 8 | data_[at];
    }
    std::uint32_t U32(std::size_t at) const {
        return bigEndian_ ? U16(at) << 16 | U16(at + 2) : U16(at + 2) << 16 | U16(at);
    }
    // An unsigned rational at `offset`; 0 when it lies outside or divides by zero.
    double Rational(std::uint32_t offset) const {
        if (!Has(offset, 8) || U32(offset + 4) == 0) {
            return 0;
        }
        return static_cast<double>(U32(offset)) / U32(offset + 4);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    bool bigEndian_;
};

} // namespace

ExifInfo ExifInfo::Parse(const std::uint8_t* payload, std::size_t size) {
    ExifInfo info;
    if (payload == nullptr || size < 14 || std::memcmp(payload, "Exif\0\0", 6) != 0) {
        return info;
    }
    const std::uint8_t* tiff = payload + 6;
    const std::size_t tiffSize = size - 6;
    const bool bigEndian = tiff[0] == 'M' && tiff[1] == 'M';
    if (!bigEndian && !(tiff[0] == 'I' && tiff[1] == 'I')) {
        return info;
    }
    const TiffBytes bytes(tiff, tiffSize, bigEndian);
    if (bytes.U16(2) != 42) {
        return info;
    }
    const std::uint32_t ifd = bytes.U32(4);
    if (!bytes.Has(ifd, 2)) {
        return info;
    }
    const std::uint32_t count = bytes.U16(ifd);
    double xResolution = 0;
    double yResolution = 0;
    int unit = kUnitInch;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t entry = std::uint64_t{ifd} + 2 + 12 * std::uint64_t{i};
        if (!bytes.Has(entry, 12)) {
            break;
        }
        const auto at = static_cast<std::size_t>(entry);
        const std::uint32_t tag = bytes.U16(at);
        const std::uint32_t type = bytes.U16(at + 2);
        if (tag == kTagOrientation && type == kTypeShort) {
            const std::uint32_t value = bytes.U16(at + 8);
            info.orientation = value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
        } else if (tag == kTagResolutionUnit && type == kTypeShort) {
            unit = static_cast<int>(bytes.U16(at + 8));
        } else if (tag == kTagXResolution && type == kTypeRational) {
            xResolution = bytes.Rational(bytes.U32(at + 8));
        } else if (tag == kTagYResolution && type == kTypeRational) {
            yResolution = bytes.Rational(bytes.U32(at + 8));
        }
    }
    const double perMetre = unit == kUnitInch         ? WhitePaper::kInchesPerMetre
                            : unit == kUnitCentimetre ? 100.0
                                                      : 0.0;
    info.xPelsPerMeter = xResolution * perMetre;
    info.yPelsPerMeter = yResolution * perMetre;
    return info;
}
