#include "image/DecodeLimits.h"

#include "image/PackedBitmap.h"

#include <limits>

bool DecodeLimits::IsPlausible(std::uint64_t decodedBytes, std::uint64_t pixels,
                               std::uint64_t fileSize, std::uint64_t expansion) {
    if (decodedBytes == 0 || pixels == 0 || expansion == 0) {
        return false;
    }
    if (decodedBytes / expansion <= fileSize) {
        return true;
    }
    return pixels <= kAlwaysAcceptedPixels && decodedBytes <= kAlwaysAcceptedBytes;
}

bool DecodeLimits::IsPlausibleImage(std::uint64_t width, std::uint64_t height,
                                    std::uint64_t bytesPerPixel, std::uint64_t fileSize,
                                    std::uint64_t expansion) {
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    if (width == 0 || height == 0 || bytesPerPixel == 0 || width > kMax / height) {
        return false;
    }
    const std::uint64_t pixels = width * height;
    if (pixels > kMax / bytesPerPixel) {
        return false;
    }
    const std::uint64_t decoded = pixels * bytesPerPixel;
    return decoded <= PackedBitmap::kMaxBytes && IsPlausible(decoded, pixels, fileSize, expansion);
}
