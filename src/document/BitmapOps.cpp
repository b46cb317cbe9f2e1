#include "document/BitmapOps.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr std::array<std::uint8_t, 256> MakeBitReversal() {
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        int reversed = 0;
        for (int bit = 0; bit < 8; ++bit) {
            reversed |= ((i >> bit) & 1) << (7 - bit);
        }
        table[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(reversed);
    }
    return table;
}
constexpr std::array<std::uint8_t, 256> kBitReversal = MakeBitReversal();

// Reverses the first `bits` bits of a row of packed sub-byte pixels. The row's used bytes
// are reversed with their bits (or nibbles) mirrored; the fill bits that were at the end
// are then at the start, and a shift by their count moves the pixels back to bit 0, with
// zeros coming in where the fill bits go.
void ReversePackedRow(std::uint8_t* row, std::size_t usedBytes, unsigned fillBits, bool nibbles,
                      std::vector<std::uint8_t>& scratch) {
    scratch.resize(usedBytes + 1);
    for (std::size_t j = 0; j < usedBytes; ++j) {
        const std::uint8_t b = row[usedBytes - 1 - j];
        scratch[j] = nibbles ? static_cast<std::uint8_t>((b << 4) | (b >> 4)) : kBitReversal[b];
    }
    scratch[usedBytes] = 0;
    for (std::size_t j = 0; j < usedBytes; ++j) {
        row[j] = fillBits == 0 ? scratch[j]
                               : static_cast<std::uint8_t>((scratch[j] << fillBits) |
                                                           (scratch[j + 1] >> (8 - fillBits)));
    }
}

template <std::size_t K> void ReverseWholePixels(std::uint8_t* row, int width) {
    std::uint8_t* left = row;
    std::uint8_t* right = row + (static_cast<std::size_t>(width) - 1) * K;
    while (left < right) {
        std::uint8_t t[K];
        std::memcpy(t, left, K);
        std::memcpy(left, right, K);
        std::memcpy(right, t, K);
        left += K;
        right -= K;
    }
}

// Copies K-byte pixels of a quarter turn in tiles, so that both the rows read and the rows
// written stay in the cache. dest[rd][xd] = src[rowOf(rd, xd)][colOf(rd, xd)].
template <std::size_t K>
void RotateTiles(const PackedBitmap& src, PackedBitmap& dst, bool clockwise) {
    constexpr int kTile = 64;
    const int w = src.Width();
    const int h = src.Height();
    const int dw = dst.Width();  // h
    const int dh = dst.Height(); // w
    for (int rd0 = 0; rd0 < dh; rd0 += kTile) {
        const int rd1 = std::min(rd0 + kTile, dh);
        for (int xd0 = 0; xd0 < dw; xd0 += kTile) {
            const int xd1 = std::min(xd0 + kTile, dw);
            for (int xd = xd0; xd < xd1; ++xd) {
                // 90: source stored row xd, column w-1-rd; 270: row h-1-xd, column rd.
                const std::uint8_t* srow = src.StoredRow(clockwise ? xd : h - 1 - xd);
                for (int rd = rd0; rd < rd1; ++rd) {
                    const int column = clockwise ? w - 1 - rd : rd;
                    std::memcpy(dst.StoredRow(rd) + static_cast<std::size_t>(xd) * K,
                                srow + static_cast<std::size_t>(column) * K, K);
                }
            }
        }
    }
}

template <std::size_t K>
void ScaleRow(const std::uint8_t* src, std::uint8_t* dst, const std::vector<std::int32_t>& columns) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        std::memcpy(dst + i * K, src + static_cast<std::size_t>(columns[i]) * K, K);
    }
}

} // namespace

bool BitmapOps::NewLike(const PackedBitmap& source, int width, int height, PackedBitmap& result) {
    PackedBitmap::Header header = source.header();
    header.width = width;
    header.height = height;
    PackedBitmap made;
    if (!made.Allocate(header)) {
        return false;
    }
    std::memcpy(made.ColourTable(), source.ColourTable(), source.ColourTableSize());
    result = std::move(made);
    return true;
}

bool BitmapOps::FlipVertical(PackedBitmap& bitmap) {
    const std::size_t rowBytes = bitmap.RowBytes();
    const int h = bitmap.Height();
    for (int i = 0; i < h / 2; ++i) {
        std::swap_ranges(bitmap.StoredRow(i), bitmap.StoredRow(i) + rowBytes,
                         bitmap.StoredRow(h - 1 - i));
    }
    return true;
}

bool BitmapOps::FlipHorizontal(PackedBitmap& bitmap) {
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    const int bits = bitmap.BitCount();
    std::vector<std::uint8_t> scratch;
    for (int r = 0; r < h; ++r) {
        std::uint8_t* row = bitmap.StoredRow(r);
        switch (bits) {
        case 1: {
            const std::size_t used = (static_cast<std::size_t>(w) + 7) / 8;
            ReversePackedRow(row, used, static_cast<unsigned>(used * 8 - w), false, scratch);
            break;
        }
        case 4: {
            const std::size_t used = (static_cast<std::size_t>(w) + 1) / 2;
            ReversePackedRow(row, used, static_cast<unsigned>(used * 2 - w) * 4, true, scratch);
            break;
        }
        case 8:
            std::reverse(row, row + w);
            break;
        case 16:
            ReverseWholePixels<2>(row, w);
            break;
        case 24:
            ReverseWholePixels<3>(row, w);
            break;
        default:
            ReverseWholePixels<4>(row, w);
            break;
        }
    }
    return true;
}

bool BitmapOps::RotateQuarter(const PackedBitmap& source, int degrees, PackedBitmap& result) {
    if (degrees != 90 && degrees != 270) {
        return false;
    }
    PackedBitmap turned;
    if (!NewLike(source, source.Height(), source.Width(), turned)) {
        return false;
    }
    const bool clockwise = degrees == 90;
    switch (source.BitCount()) {
    case 8:
        RotateTiles<1>(source, turned, clockwise);
        break;
    case 16:
        RotateTiles<2>(source, turned, clockwise);
        break;
    case 24:
        RotateTiles<3>(source, turned, clockwise);
        break;
    case 32:
        RotateTiles<4>(source, turned, clockwise);
        break;
    default: {
        // 1 and 4 bits: pixel by pixel into the zeroed bitmap.
        const int w = source.Width();
        const int h = source.Height();
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const std::uint32_t value = source.PixelAt(x, y);
                if (clockwise) {
                    turned.SetPixelAt(h - 1 - y, x, value);
                } else {
                    turned.SetPixelAt(y, w - 1 - x, value);
                }
            }
        }
        break;
    }
    }
    result = std::move(turned);
    return true;
}

bool BitmapOps::Crop(const PackedBitmap& source, int x, int y, int width, int height,
                     PackedBitmap& result) {
    if (width <= 0 || height <= 0 || x < 0 || y < 0 || x > source.Width() - width ||
        y > source.Height() - height) {
        return false;
    }
    PackedBitmap cropped;
    if (!NewLike(source, width, height, cropped)) {
        return false;
    }
    const int bits = source.BitCount();
    for (int j = 0; j < height; ++j) {
        if (bits >= 8) {
            const std::size_t k = static_cast<std::size_t>(bits / 8);
            std::memcpy(cropped.RowFromTop(j), source.RowFromTop(y + j) + static_cast<std::size_t>(x) * k,
                        static_cast<std::size_t>(width) * k);
        } else {
            for (int i = 0; i < width; ++i) {
                cropped.SetPixelAt(i, j, source.PixelAt(x + i, y + j));
            }
        }
    }
    result = std::move(cropped);
    return true;
}

bool BitmapOps::Scale(const PackedBitmap& source, int width, int height, PackedBitmap& result) {
    if (width <= 0 || height <= 0) {
        return false;
    }
    PackedBitmap scaled;
    if (!NewLike(source, width, height, scaled)) {
        return false;
    }
    const std::int64_t w = source.Width();
    const std::int64_t h = source.Height();
    std::vector<std::int32_t> columns(static_cast<std::size_t>(width));
    for (std::int64_t i = 0; i < width; ++i) {
        columns[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(i * w / width);
    }
    const int bits = source.BitCount();
    const std::size_t rowBytes = scaled.RowBytes();
    std::int64_t previous = -1;
    for (std::int64_t j = 0; j < height; ++j) {
        const std::int64_t sy = j * h / height;
        std::uint8_t* dst = scaled.RowFromTop(static_cast<int>(j));
        if (sy == previous) {
            // Enlarging repeats source rows: the row just made is the same.
            std::memcpy(dst, scaled.RowFromTop(static_cast<int>(j - 1)), rowBytes);
            continue;
        }
        previous = sy;
        const std::uint8_t* src = source.RowFromTop(static_cast<int>(sy));
        switch (bits) {
        case 8:
            ScaleRow<1>(src, dst, columns);
            break;
        case 16:
            ScaleRow<2>(src, dst, columns);
            break;
        case 24:
            ScaleRow<3>(src, dst, columns);
            break;
        case 32:
            ScaleRow<4>(src, dst, columns);
            break;
        default:
            for (int i = 0; i < width; ++i) {
                scaled.SetPixelAt(i, static_cast<int>(j),
                                  source.PixelAt(columns[static_cast<std::size_t>(i)], static_cast<int>(sy)));
            }
            break;
        }
    }
    result = std::move(scaled);
    return true;
}
