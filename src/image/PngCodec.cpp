#include "image/PngCodec.h"

#include "image/BitmapOps.h"
#include "image/DecodeLimits.h"
#include "image/WhitePaper.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <limits>

// libpng reports an error by a longjmp to the setjmp in ReadImage. No C++ object with a
// destructor lives in ReadImage or in any frame between it and libpng: everything the
// decoder owns sits in a Target in Decode's frame, which the jump never crosses, and
// ReadImage leaves it only through its return value.

namespace {

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position;
};

void ReadFromMemory(png_structp png, png_bytep out, std::size_t count) {
    auto* input = static_cast<Input*>(png_get_io_ptr(png));
    if (count > input->size - input->position) {
        png_error(png, "truncated");
    }
    std::memcpy(out, input->data + input->position, count);
    input->position += count;
}

// libpng prints a report whose handler returns; these jump straight back instead.
void JumpOnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

class ReadStruct {
public:
    ReadStruct() {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOnError, IgnoreWarning);
        if (png_ != nullptr) {
            info_ = png_create_info_struct(png_);
        }
    }
    ~ReadStruct() {
        if (png_ != nullptr) {
            png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, nullptr);
        }
    }
    ReadStruct(const ReadStruct&) = delete;
    ReadStruct& operator=(const ReadStruct&) = delete;

    bool Valid() const { return png_ != nullptr && info_ != nullptr; }
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

// How libpng's rows become bitmap rows: straight into the bitmap (indices, grey levels,
// blue-green-red), or through a buffer whose samples are put over white.
enum class Layout { kDirect, kGreyAlpha, kRgba };

struct Target {
    std::uint64_t fileSize = 0;
    Layout layout = Layout::kDirect;
    int sampleBytes = 1;
    PackedBitmap bitmap;
    PackedBitmap::Block buffer;
    std::size_t bufferRowBytes = 0;
    bool wholeImage = false;
};

void PutGreyTable(PackedBitmap& bitmap, int levels) {
    std::uint8_t* table = bitmap.ColourTable();
    for (int i = 0; i < levels; ++i) {
        const auto grey = static_cast<std::uint8_t>(i * 255 / (levels - 1));
        WhitePaper::PutEntry(table + 4 * i, grey, grey, grey);
    }
}

// The palette with each entry's tRNS opacity put over white.
void PutPalette(png_structp png, png_infop info, PackedBitmap& bitmap) {
    png_colorp palette = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &palette, &count);
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    png_color_16p unused = nullptr;
    if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
        png_get_tRNS(png, info, &alpha, &alphaCount, &unused);
    }
    std::uint8_t* table = bitmap.ColourTable();
    const int entries = static_cast<int>(bitmap.ColourCount());
    for (int i = 0; i < count && i < entries; ++i) {
        const std::uint32_t a = alpha != nullptr && i < alphaCount ? alpha[i] : 255;
        WhitePaper::PutEntry(table + 4 * i, WhitePaper::Over8(palette[i].red, a),
                             WhitePaper::Over8(palette[i].green, a),
                             WhitePaper::Over8(palette[i].blue, a));
    }
}

// Sets libpng's transformations for the colour type and allocates the bitmap. Calls only
// libpng functions that cannot fail.
bool Configure(png_structp png, png_infop info, Target& target) {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int depth = 0;
    int colourType = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colourType, nullptr, nullptr, nullptr);
    const std::uint64_t rawRowBytes = png_get_rowbytes(png, info);
    if (width > static_cast<png_uint_32>(std::numeric_limits<std::int32_t>::max()) ||
        height > static_cast<png_uint_32>(std::numeric_limits<std::int32_t>::max()) ||
        !DecodeLimits::IsPlausible((rawRowBytes + 1) * height, std::uint64_t{width} * height,
                                   target.fileSize, DecodeLimits::kGeneralExpansion)) {
        return false;
    }
    const bool transparent = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    PackedBitmap::Header header;
    header.width = static_cast<std::int32_t>(width);
    header.height = static_cast<std::int32_t>(height);
    int greyLevels = 0;
    target.sampleBytes = depth == 16 ? 2 : 1;

    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        int count = 0;
        png_colorp palette = nullptr;
        if (png_get_PLTE(png, info, &palette, &count) == 0 || count <= 0) {
            return false;
        }
        header.bitCount = depth == 1 ? 1 : 8;
        header.clrUsed = depth == 1 ? 2 : static_cast<std::uint32_t>(count);
        if (depth == 2 || depth == 4) {
            png_set_packing(png);
        }
    } else if (colourType == PNG_COLOR_TYPE_GRAY && !(transparent && depth == 16)) {
        header.bitCount = depth == 1 ? 1 : 8;
        greyLevels = depth == 16 ? 256 : 1 << depth;
        header.clrUsed = static_cast<std::uint32_t>(greyLevels);
        if (depth == 2 || depth == 4) {
            png_set_packing(png);
        }
        if (depth == 16) {
            png_set_scale_16(png);
        }
    } else if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        // A 16-bit grey tRNS value names one 16-bit level, which the 8-bit table cannot
        // tell from its neighbours: it becomes an alpha channel instead.
        png_set_tRNS_to_alpha(png);
        header.bitCount = 8;
        header.clrUsed = 256;
        greyLevels = 256;
        target.layout = Layout::kGreyAlpha;
    } else if (colourType == PNG_COLOR_TYPE_RGB && !transparent) {
        header.bitCount = 24;
        if (depth == 16) {
            png_set_scale_16(png);
        }
        png_set_bgr(png);
    } else if (colourType == PNG_COLOR_TYPE_RGB || colourType == PNG_COLOR_TYPE_RGB_ALPHA) {
        png_set_tRNS_to_alpha(png);
        header.bitCount = 24;
        target.layout = Layout::kRgba;
    } else {
        return false;
    }

    png_uint_32 xResolution = 0;
    png_uint_32 yResolution = 0;
    int unit = PNG_RESOLUTION_UNKNOWN;
    if (png_get_pHYs(png, info, &xResolution, &yResolution, &unit) != 0 &&
        unit == PNG_RESOLUTION_METER) {
        const png_uint_32 limit = std::numeric_limits<std::int32_t>::max();
        header.xPelsPerMeter = static_cast<std::int32_t>(std::min(xResolution, limit));
        header.yPelsPerMeter = static_cast<std::int32_t>(std::min(yResolution, limit));
    }
    if (!target.bitmap.Allocate(header)) {
        return false;
    }
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        PutPalette(png, info, target.bitmap);
    } else if (greyLevels > 0) {
        PutGreyTable(target.bitmap, greyLevels);
        png_bytep unusedAlpha = nullptr;
        int unusedCount = 0;
        png_color_16p key = nullptr;
        if (target.layout == Layout::kDirect && transparent &&
            png_get_tRNS(png, info, &unusedAlpha, &unusedCount, &key) != 0 && key != nullptr &&
            key->gray < greyLevels) {
            WhitePaper::PutEntry(target.bitmap.ColourTable() + 4 * key->gray, 255, 255, 255);
        }
    }
    return true;
}

// The rows libpng fills: the bitmap's own, or a buffer of one row (or of every row, when
// an interlaced image arrives in passes) to be put over white.
bool PrepareRows(Target& target, std::size_t rowBytes, int passes) {
    const PackedBitmap& bitmap = target.bitmap;
    if (target.layout == Layout::kDirect) {
        return rowBytes <= bitmap.RowBytes();
    }
    const std::size_t channels = target.layout == Layout::kRgba ? 4 : 2;
    if (rowBytes != channels * static_cast<std::size_t>(target.sampleBytes) *
                        static_cast<std::size_t>(bitmap.Width())) {
        return false;
    }
    target.wholeImage = passes > 1;
    const std::uint64_t rows = target.wholeImage ? static_cast<std::uint64_t>(bitmap.Height()) : 1;
    if (rows > PackedBitmap::kMaxBytes / rowBytes) {
        return false;
    }
    target.bufferRowBytes = rowBytes;
    target.buffer = PackedBitmap::AllocateBlock(static_cast<std::size_t>(rowBytes * rows), false);
    return target.buffer != nullptr;
}

png_bytep RowFor(Target& target, png_uint_32 y) {
    if (target.layout == Layout::kDirect) {
        return target.bitmap.RowFromTop(static_cast<int>(y));
    }
    return target.buffer.get() + (target.wholeImage ? y * target.bufferRowBytes : 0);
}

std::uint32_t Sample(const std::uint8_t* p, int bytes) {
    return bytes == 2 ? std::uint32_t{p[0]} << 8 | p[1] : p[0];
}

std::uint8_t Over(std::uint32_t colour, std::uint32_t alpha, int bytes) {
    return bytes == 2 ? WhitePaper::Reduce16(WhitePaper::Over16(colour, alpha))
                      : WhitePaper::Over8(colour, alpha);
}

void FinishRow(Target& target, png_uint_32 y) {
    if (target.layout == Layout::kDirect) {
        // The fill bits after a 1-bit row's last pixel are the file's; cleared, no
        // operation can reveal them.
        const int width = target.bitmap.Width();
        if (target.bitmap.BitCount() == 1 && width % 8 != 0) {
            target.bitmap.RowFromTop(static_cast<int>(y))[width / 8] &=
                static_cast<std::uint8_t>(0xFF << (8 - width % 8));
        }
        return;
    }
    const std::uint8_t* in = RowFor(target, y);
    std::uint8_t* out = target.bitmap.RowFromTop(static_cast<int>(y));
    const int n = target.sampleBytes;
    const int width = target.bitmap.Width();
    if (target.layout == Layout::kGreyAlpha) {
        for (int x = 0; x < width; ++x, in += 2 * n) {
            out[x] = Over(Sample(in, n), Sample(in + n, n), n);
        }
        return;
    }
    for (int x = 0; x < width; ++x, in += 4 * n, out += 3) {
        const std::uint32_t alpha = Sample(in + 3 * n, n);
        out[0] = Over(Sample(in + 2 * n, n), alpha, n);
        out[1] = Over(Sample(in + n, n), alpha, n);
        out[2] = Over(Sample(in, n), alpha, n);
    }
}

// Reads the image into target; false after any libpng error.
bool ReadImage(png_structp png, png_infop info, Target* target) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_read_info(png, info);
    if (!Configure(png, info, *target)) {
        return false;
    }
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (!PrepareRows(*target, png_get_rowbytes(png, info), passes)) {
        return false;
    }
    const png_uint_32 height = png_get_image_height(png, info);
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, RowFor(*target, y), nullptr);
            if (passes == 1) {
                FinishRow(*target, y);
            }
        }
    }
    if (passes > 1) {
        for (png_uint_32 y = 0; y < height; ++y) {
            FinishRow(*target, y);
        }
    }
    return true;
}

} // namespace

bool PngCodec::IsPng(const std::uint8_t* data, std::size_t size) {
    return data != nullptr && size >= 8 && png_sig_cmp(data, 0, 8) == 0;
}

bool PngCodec::Decode(const std::uint8_t* data, std::size_t size, PackedBitmap& out) {
    if (!IsPng(data, size)) {
        return false;
    }
    ReadStruct read;
    if (!read.Valid()) {
        return false;
    }
    Input input{data, size, 0};
    png_set_read_fn(read.png(), &input, ReadFromMemory);
    Target target;
    target.fileSize = size;
    if (!ReadImage(read.png(), read.info(), &target) || !BitmapOps::CoverIndices(target.bitmap)) {
        return false;
    }
    out = std::move(target.bitmap);
    return true;
}
