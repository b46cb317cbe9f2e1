#include "image/BitmapOps.h"

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

// Copies K bytes; 3-byte pixels move as one 4-byte load and store where the byte after
// the pixel may be overwritten (the next pixel written will cover it).
template <std::size_t K>
inline void CopyPixel(std::uint8_t* dst, const std::uint8_t* src, bool roomAfter) {
    if constexpr (K == 3) {
        if (roomAfter) {
            std::memcpy(dst, src, 4);
            return;
        }
    }
    std::memcpy(dst, src, K);
}

// A quarter turn of K-byte pixels in tiles, so that both the rows read and the rows
// written stay in the cache. In storage coordinates (rows bottom-up), clockwise:
// dest[rd][xd] = src[xd][w-1-rd]; counter-clockwise: dest[rd][xd] = src[h-1-xd][rd].
template <std::size_t K>
void RotateTiles(const PackedBitmap& src, PackedBitmap& dst, bool clockwise) {
    constexpr int kTile = 64;
    const int w = src.Width();
    const int h = src.Height();
    const std::uint8_t* srcBase = src.Pixels();
    const auto srcStride = static_cast<std::ptrdiff_t>(src.RowBytes());
    std::uint8_t* dstBase = dst.Pixels();
    const std::size_t dstStride = dst.RowBytes();
    const int dw = h;
    const int dh = w;
    const std::ptrdiff_t step = clockwise ? srcStride : -srcStride;
    for (int rd0 = 0; rd0 < dh; rd0 += kTile) {
        const int rd1 = std::min(rd0 + kTile, dh);
        for (int xd0 = 0; xd0 < dw; xd0 += kTile) {
            const int xd1 = std::min(xd0 + kTile, dw);
            for (int rd = rd0; rd < rd1; ++rd) {
                const std::size_t column =
                    static_cast<std::size_t>(clockwise ? w - 1 - rd : rd) * K;
                const std::uint8_t* sp =
                    srcBase + column + srcStride * (clockwise ? xd0 : h - 1 - xd0);
                std::uint8_t* dp = dstBase + dstStride * static_cast<std::size_t>(rd) +
                                   static_cast<std::size_t>(xd0) * K;
                // The 4-byte copy needs a byte after the pixel in its source row, and must
                // not be the destination row's last pixel.
                const bool wide = column + 4 <= static_cast<std::size_t>(srcStride);
                const int wideEnd = wide ? std::min(xd1, dw - 1) : xd0;
                int xd = xd0;
                for (; xd < wideEnd; ++xd, sp += step, dp += K) {
                    CopyPixel<K>(dp, sp, true);
                }
                for (; xd < xd1; ++xd, sp += step, dp += K) {
                    CopyPixel<K>(dp, sp, false);
                }
            }
        }
    }
}

// Transposes an 8 x 8 bit block: bit (7 - j) of out[i] is bit (7 - i) of in[j].
void Transpose8(const std::uint8_t in[8], std::uint8_t out[8]) {
    std::uint64_t x = 0;
    for (int i = 0; i < 8; ++i) {
        x = x << 8 | in[i];
    }
    std::uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
    x = x ^ t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
    x = x ^ t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
    x = x ^ t ^ (t << 28);
    for (int i = 7; i >= 0; --i) {
        out[i] = static_cast<std::uint8_t>(x);
        x >>= 8;
    }
}

// ORs 8 pixels (most significant bit first) into a zeroed 1-bit row at pixel position p;
// pixels before the row's start are dropped.
void OrBits(std::uint8_t* row, long p, std::uint8_t bits) {
    if (p < 0) {
        bits = static_cast<std::uint8_t>(bits << -p);
        p = 0;
    }
    const int shift = static_cast<int>(p & 7);
    row[p >> 3] |= static_cast<std::uint8_t>(bits >> shift);
    if (shift != 0) {
        row[(p >> 3) + 1] |= static_cast<std::uint8_t>(bits << (8 - shift));
    }
}

// A quarter turn of a 1-bit bitmap, 8 x 8 pixels at a time.
void RotateBits(const PackedBitmap& src, PackedBitmap& dst, bool clockwise) {
    const int w = src.Width();
    const int h = src.Height();
    const std::size_t usedBytes = (static_cast<std::size_t>(w) + 7) / 8;
    std::uint8_t* dstBase = dst.Pixels();
    const std::size_t dstStride = dst.RowBytes();
    for (int a = 0; a * 8 < h; ++a) {
        const std::uint8_t* rows[8];
        for (int i = 0; i < 8; ++i) {
            rows[i] = a * 8 + i < h ? src.StoredRow(a * 8 + i) : nullptr;
        }
        for (std::size_t b = 0; b < usedBytes; ++b) {
            std::uint8_t block[8];
            for (int i = 0; i < 8; ++i) {
                block[i] = rows[i] != nullptr ? rows[i][b] : 0;
            }
            std::uint8_t turned[8];
            Transpose8(block, turned);
            for (int j = 0; j < 8; ++j) {
                const int c = static_cast<int>(b) * 8 + j;
                if (c >= w) {
                    break;
                }
                if (clockwise) {
                    dstBase[dstStride * static_cast<std::size_t>(w - 1 - c) +
                            static_cast<std::size_t>(a)] = turned[j];
                } else {
                    OrBits(dstBase + dstStride * static_cast<std::size_t>(c),
                           static_cast<long>(h) - 8 - 8L * a, kBitReversal[turned[j]]);
                }
            }
        }
    }
}

// One output row of K-byte pixels from byte offsets into the source row. The first
// `wideCount` pixels may move as 4-byte copies (see Scale), the rest as K bytes.
template <std::size_t K>
void ScaleRow(const std::uint8_t* src, std::uint8_t* dst, const std::vector<std::uint32_t>& offsets,
              std::size_t wideCount) {
    const std::uint32_t* offset = offsets.data();
    const std::size_t n = offsets.size();
    std::size_t i = 0;
    for (; i < wideCount; ++i, dst += K) {
        CopyPixel<K>(dst, src + offset[i], true);
    }
    for (; i < n; ++i, dst += K) {
        CopyPixel<K>(dst, src + offset[i], false);
    }
}

void ScaleBits(const std::uint8_t* src, std::uint8_t* dst,
               const std::vector<std::int32_t>& columns) {
    const std::size_t n = columns.size();
    std::uint8_t byte = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::int32_t c = columns[i];
        byte = static_cast<std::uint8_t>(byte << 1 | ((src[c >> 3] >> (7 - (c & 7))) & 1));
        if ((i & 7) == 7) {
            dst[i >> 3] = byte;
            byte = 0;
        }
    }
    if ((n & 7) != 0) {
        dst[n >> 3] = static_cast<std::uint8_t>(byte << (8 - (n & 7)));
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
    case 1:
        RotateBits(source, turned, clockwise);
        break;
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
        // 4 bits: pixel by pixel into the zeroed bitmap.
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
            std::memcpy(cropped.RowFromTop(j),
                        source.RowFromTop(y + j) + static_cast<std::size_t>(x) * k,
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
    const std::size_t k = bits >= 8 ? static_cast<std::size_t>(bits / 8) : 0;
    std::vector<std::uint32_t> offsets(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        offsets[i] = static_cast<std::uint32_t>(static_cast<std::size_t>(columns[i]) * k);
    }
    // A 3-byte pixel moves as a 4-byte copy when a later pixel (or the row's padding)
    // takes the extra byte written and the source row has a byte after the pixel read:
    // every output pixel but the last, and only those whose source is not the last
    // source pixel of an unpadded row.
    std::size_t wideCount = 0;
    if (bits == 24) {
        const bool sourcePadded = source.RowBytes() >= static_cast<std::size_t>(w) * 3 + 1;
        const bool destPadded = rowBytes >= static_cast<std::size_t>(width) * 3 + 1;
        wideCount = destPadded ? columns.size() : columns.size() - 1;
        if (!sourcePadded) {
            const auto last =
                std::lower_bound(columns.begin(), columns.end(), static_cast<std::int32_t>(w - 1));
            wideCount = std::min(wideCount, static_cast<std::size_t>(last - columns.begin()));
        }
    }
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
        case 1:
            ScaleBits(src, dst, columns);
            break;
        case 8:
            ScaleRow<1>(src, dst, offsets, 0);
            break;
        case 16:
            ScaleRow<2>(src, dst, offsets, 0);
            break;
        case 24:
            ScaleRow<3>(src, dst, offsets, wideCount);
            break;
        case 32:
            ScaleRow<4>(src, dst, offsets, 0);
            break;
        default:
            for (int i = 0; i < width; ++i) {
                scaled.SetPixelAt(
                    i, static_cast<int>(j),
                    source.PixelAt(columns[static_cast<std::size_t>(i)], static_cast<int>(sy)));
            }
            break;
        }
    }
    result = std::move(scaled);
    return true;
}

bool BitmapOps::Orient(PackedBitmap& bitmap, int orientation) {
    switch (orientation) {
    case 2:
        return FlipHorizontal(bitmap);
    case 3:
        return FlipVertical(bitmap) && FlipHorizontal(bitmap);
    case 4:
        return FlipVertical(bitmap);
    case 5:
    case 6:
    case 7:
    case 8:
        break;
    default:
        return true;
    }
    // 5 is a clockwise turn mirrored, 7 a clockwise turn flipped.
    PackedBitmap turned;
    if (!RotateQuarter(bitmap, orientation == 8 ? 270 : 90, turned)) {
        return false;
    }
    if ((orientation == 5 && !FlipHorizontal(turned)) ||
        (orientation == 7 && !FlipVertical(turned))) {
        return false;
    }
    turned.SetResolution(bitmap.header().yPelsPerMeter, bitmap.header().xPelsPerMeter);
    bitmap = std::move(turned);
    return true;
}

bool BitmapOps::CoverIndices(PackedBitmap& bitmap) {
    if (bitmap.BitCount() != 8) {
        return true;
    }
    std::uint8_t highest = 0;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* row = bitmap.StoredRow(y);
        highest = std::max(highest, *std::max_element(row, row + bitmap.Width()));
    }
    if (highest < bitmap.ColourCount()) {
        return true;
    }
    PackedBitmap::Header header = bitmap.header();
    header.clrUsed = std::uint32_t{highest} + 1;
    PackedBitmap wider;
    if (!wider.Allocate(header)) {
        return false;
    }
    std::memcpy(wider.ColourTable(), bitmap.ColourTable(), bitmap.ColourTableSize());
    std::memcpy(wider.Pixels(), bitmap.Pixels(), bitmap.ImageSize());
    bitmap = std::move(wider);
    return true;
}

bool BitmapOps::PackTwoColours(PackedBitmap& bitmap) {
    if (bitmap.BitCount() != 8 || bitmap.ColourCount() > 2) {
        return true;
    }
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* row = bitmap.StoredRow(y);
        if (std::any_of(row, row + bitmap.Width(), [](std::uint8_t v) { return v > 1; })) {
            return true;
        }
    }
    PackedBitmap::Header header = bitmap.header();
    header.bitCount = 1;
    header.clrUsed = 2;
    PackedBitmap packed;
    if (!packed.Allocate(header)) {
        return false;
    }
    std::memcpy(packed.ColourTable(), bitmap.ColourTable(), bitmap.ColourTableSize());
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* in = bitmap.StoredRow(y);
        std::uint8_t* out = packed.StoredRow(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            if (in[x] != 0) {
                out[x / 8] = static_cast<std::uint8_t>(out[x / 8] | 0x80 >> (x % 8));
            }
        }
    }
    bitmap = std::move(packed);
    return true;
}
