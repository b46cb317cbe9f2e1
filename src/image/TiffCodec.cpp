#include "image/TiffCodec.h"

#include "image/DecodeLimits.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace {

// Decoded bytes per file byte that an image may claim: uncompressed data must be in the
// file; fax codes and the general codecs as DecodeLimits gives them.
std::uint64_t MaxExpansion(std::uint16_t compression) {
    switch (compression) {
    case COMPRESSION_NONE:
        return 1;
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
        return DecodeLimits::kFaxExpansion;
    default:
        return DecodeLimits::kGeneralExpansion;
    }
}

// The byte range libtiff reads through its client procedures; the data is never written.
struct MemoryFile {
    const std::uint8_t* data;
    std::uint64_t size;
    std::uint64_t position;
};

MemoryFile& FileOf(thandle_t handle) {
    return *static_cast<MemoryFile*>(handle);
}

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t wanted) {
    MemoryFile& file = FileOf(handle);
    if (wanted <= 0 || file.position >= file.size) {
        return 0;
    }
    const std::uint64_t count =
        std::min(static_cast<std::uint64_t>(wanted), file.size - file.position);
    std::memcpy(buffer, file.data + file.position, static_cast<std::size_t>(count));
    file.position += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) {
    return 0;
}

// Positions past the end are allowed (reads there return nothing); before the start not.
toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
    MemoryFile& file = FileOf(handle);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR) {
        base = file.position;
    } else if (whence == SEEK_END) {
        base = file.size;
    } else if (whence != SEEK_SET) {
        return static_cast<toff_t>(-1);
    }
    // libtiff passes relative moves as two's-complement offsets.
    const auto delta = static_cast<std::int64_t>(offset);
    if (whence == SEEK_SET) {
        if (delta < 0) {
            return static_cast<toff_t>(-1);
        }
        file.position = offset;
    } else if (delta < 0) {
        const std::uint64_t back = 0 - offset;
        if (back > base) {
            return static_cast<toff_t>(-1);
        }
        file.position = base - back;
    } else {
        if (offset > std::numeric_limits<std::uint64_t>::max() - base) {
            return static_cast<toff_t>(-1);
        }
        file.position = base + offset;
    }
    return file.position;
}

int CloseProc(thandle_t) {
    return 0;
}

toff_t SizeProc(thandle_t handle) {
    return FileOf(handle).size;
}

int MapProc(thandle_t handle, void** base, toff_t* size) {
    const MemoryFile& file = FileOf(handle);
    // libtiff only reads through the mapping of a file opened for reading.
    *base = const_cast<std::uint8_t*>(file.data);
    *size = file.size;
    return 1;
}

void UnmapProc(thandle_t, void*, toff_t) {}

int IgnoreReport(TIFF*, void*, const char*, const char*, va_list) {
    return 1; // handled: the library's default handlers are not called
}

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

// Opens the first directory with every error and warning report of this handle silenced.
// `file` must outlive the handle.
TiffPtr OpenMemory(MemoryFile& file) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr) {
        return nullptr;
    }
    TIFFOpenOptionsSetErrorHandlerExtR(options, IgnoreReport, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, IgnoreReport, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(PackedBitmap::kMaxBytes));
    TIFF* tif = TIFFClientOpenExt("memory", "r", &file, ReadProc, WriteProc, SeekProc, CloseProc,
                                  SizeProc, MapProc, UnmapProc, options);
    TIFFOpenOptionsFree(options);
    return TiffPtr(tif);
}

class RgbaImage {
public:
    RgbaImage() { std::memset(&image_, 0, sizeof image_); }
    ~RgbaImage() {
        if (begun_) {
            TIFFRGBAImageEnd(&image_);
        }
    }
    RgbaImage(const RgbaImage&) = delete;
    RgbaImage& operator=(const RgbaImage&) = delete;

    // Read errors stop the conversion: a strip or tile that cannot be read fails the load.
    bool Begin(TIFF* tif) {
        char message[1024] = {};
        if (TIFFRGBAImageOK(tif, message) == 0) {
            return false;
        }
        begun_ = TIFFRGBAImageBegin(&image_, tif, 1, message) != 0;
        return begun_;
    }
    TIFFRGBAImage& get() { return image_; }

private:
    TIFFRGBAImage image_;
    bool begun_ = false;
};

template <typename T> struct FreeArray {
    void operator()(T* p) const { delete[] p; }
};
template <typename T> using Array = std::unique_ptr<T[], FreeArray<T>>;

template <typename T> Array<T> NewArray(std::uint64_t count) {
    if (count == 0 || count > std::numeric_limits<std::size_t>::max() / sizeof(T)) {
        return nullptr;
    }
    return Array<T>(new (std::nothrow) T[static_cast<std::size_t>(count)]());
}

// Where the upright picture's pixel (x, y from its top-left) lies in the image as stored
// (`rows` rows of `columns` pixels, first stored row first): stored row r0 + x*rx + y*ry,
// column c0 + x*cx + y*cy. Orientations 5 to 8 store the picture transposed, so the
// picture is `rows` wide and `columns` high; values outside 1..8 count as top-left.
struct Placement {
    std::int64_t width, height;
    std::int64_t r0, rx, ry;
    std::int64_t c0, cx, cy;
};

Placement PlacementFor(std::uint16_t orientation, std::int64_t rows, std::int64_t columns) {
    const std::int64_t lastRow = rows - 1;
    const std::int64_t lastColumn = columns - 1;
    switch (orientation) {
    case ORIENTATION_TOPRIGHT:
        return {columns, rows, 0, 0, 1, lastColumn, -1, 0};
    case ORIENTATION_BOTRIGHT:
        return {columns, rows, lastRow, 0, -1, lastColumn, -1, 0};
    case ORIENTATION_BOTLEFT:
        return {columns, rows, lastRow, 0, -1, 0, 1, 0};
    case ORIENTATION_LEFTTOP:
        return {rows, columns, 0, 1, 0, 0, 0, 1};
    case ORIENTATION_RIGHTTOP:
        return {rows, columns, lastRow, -1, 0, 0, 0, 1};
    case ORIENTATION_RIGHTBOT:
        return {rows, columns, lastRow, -1, 0, lastColumn, 0, -1};
    case ORIENTATION_LEFTBOT:
        return {rows, columns, 0, 1, 0, lastColumn, 0, -1};
    default:
        return {columns, rows, 0, 0, 1, 0, 1, 0};
    }
}

// False for a size the file cannot plausibly hold: the data libtiff must decode (which
// is also what it allocates for strips and tiles) may not exceed the file size times the
// codec's expansion, unless the image is small.
bool IsPlausible(TIFF* tif, std::uint64_t fileSize, std::uint64_t pixels) {
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    std::uint64_t decoded = 0;
    if (TIFFIsTiled(tif) != 0) {
        const std::uint64_t tiles = TIFFNumberOfTiles(tif);
        const std::uint64_t tileBytes = TIFFTileSize64(tif);
        if (tileBytes == 0 || tiles > std::numeric_limits<std::uint64_t>::max() / tileBytes) {
            return false;
        }
        decoded = tiles * tileBytes;
    } else {
        std::uint32_t rows = 0;
        std::uint16_t planar = PLANARCONFIG_CONTIG;
        std::uint16_t samples = 1;
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &rows);
        TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
        TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
        const std::uint64_t planes = planar == PLANARCONFIG_SEPARATE ? samples : 1;
        const std::uint64_t scanline = TIFFScanlineSize64(tif);
        const std::uint64_t perPlane = std::uint64_t{rows};
        if (scanline == 0 || planes == 0 ||
            perPlane > std::numeric_limits<std::uint64_t>::max() / scanline / planes) {
            return false;
        }
        decoded = scanline * perPlane * planes;
    }
    return DecodeLimits::IsPlausible(decoded, pixels, fileSize, MaxExpansion(compression));
}

PackedBitmap::Header HeaderFor(std::int64_t width, std::int64_t height, int bitCount) {
    PackedBitmap::Header header;
    header.width = static_cast<std::int32_t>(width);
    header.height = static_cast<std::int32_t>(height);
    header.bitCount = static_cast<std::uint16_t>(bitCount);
    return header;
}

bool FitsHeader(const Placement& placement) {
    const std::int64_t limit = std::numeric_limits<std::int32_t>::max();
    return placement.width > 0 && placement.height > 0 && placement.width <= limit &&
           placement.height <= limit;
}

void PutColour(std::uint8_t* entry, std::uint8_t grey) {
    entry[0] = grey;
    entry[1] = grey;
    entry[2] = grey;
    entry[3] = 0;
}

// 1 bit per pixel, strip by strip: libtiff hands every strip over most significant bit
// first whatever the file's fill order (raw data is reversed, the fax decoders read
// either order), so stored bits are copied as they come.
bool ReadBilevel(TIFF* tif, std::uint16_t photometric, std::uint16_t orientation,
                 std::uint32_t columns, std::uint32_t rows, PackedBitmap& out) {
    const Placement placement = PlacementFor(orientation, rows, columns);
    PackedBitmap bitmap;
    if (!FitsHeader(placement) ||
        !bitmap.Allocate(HeaderFor(placement.width, placement.height, 1))) {
        return false;
    }
    const std::uint64_t scanline = (std::uint64_t{columns} + 7) / 8;
    if (static_cast<std::uint64_t>(TIFFScanlineSize64(tif)) != scanline) {
        return false;
    }
    std::uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    if (rowsPerStrip == 0) {
        return false;
    }
    rowsPerStrip = std::min(rowsPerStrip, rows);
    const std::uint64_t strips = (std::uint64_t{rows} + rowsPerStrip - 1) / rowsPerStrip;
    if (strips > TIFFNumberOfStrips(tif)) {
        return false;
    }
    // The whole stored image, rows of `scanline` bytes in file order; the size was
    // checked against the bitmap's own limit when the bitmap was allocated.
    Array<std::uint8_t> stored = NewArray<std::uint8_t>(scanline * rows);
    if (!stored) {
        return false;
    }
    for (std::uint64_t strip = 0; strip < strips; ++strip) {
        const std::uint64_t first = strip * rowsPerStrip;
        const std::uint64_t count = std::min<std::uint64_t>(rowsPerStrip, rows - first);
        const auto bytes = static_cast<tmsize_t>(count * scanline);
        if (TIFFReadEncodedStrip(tif, static_cast<std::uint32_t>(strip),
                                 stored.get() + first * scanline, bytes) != bytes) {
            return false;
        }
    }

    std::uint8_t* table = bitmap.ColourTable();
    const bool whiteIsZero = photometric == PHOTOMETRIC_MINISWHITE;
    PutColour(table, whiteIsZero ? 0xFF : 0x00);
    PutColour(table + 4, whiteIsZero ? 0x00 : 0xFF);

    const auto width = placement.width;
    if (placement.cx == 1 && placement.cy == 0) {
        // Whole stored rows, only their order changes; the fill bits after the last pixel
        // are cleared so that no operation can reveal them.
        const auto tail = static_cast<std::uint8_t>(0xFF << ((8 - width % 8) % 8));
        for (std::int64_t y = 0; y < placement.height; ++y) {
            std::uint8_t* row = bitmap.RowFromTop(static_cast<int>(y));
            std::memcpy(row, stored.get() + (placement.r0 + y * placement.ry) * scanline,
                        static_cast<std::size_t>(scanline));
            row[scanline - 1] &= tail;
        }
    } else {
        for (std::int64_t y = 0; y < placement.height; ++y) {
            std::uint8_t* row = bitmap.RowFromTop(static_cast<int>(y));
            std::int64_t r = placement.r0 + y * placement.ry;
            std::int64_t c = placement.c0 + y * placement.cy;
            for (std::int64_t x = 0; x < width; ++x) {
                const std::uint8_t byte = stored[static_cast<std::size_t>(r * scanline + c / 8)];
                if ((byte >> (7 - c % 8) & 1) != 0) {
                    row[x / 8] = static_cast<std::uint8_t>(row[x / 8] | 0x80 >> (x % 8));
                }
                r += placement.rx;
                c += placement.cx;
            }
        }
    }
    out = std::move(bitmap);
    return true;
}

// Everything else through libtiff's RGBA conversion. The raster is requested in the
// stored order (asking for the file's own orientation makes libtiff flip nothing), and
// the placement then turns it upright, transposing for orientations 5 to 8 that libtiff
// cannot rotate.
bool ReadColour(TIFFRGBAImage& image, PackedBitmap& out) {
    const std::uint32_t columns = image.width;
    const std::uint32_t rows = image.height;
    const Placement placement = PlacementFor(image.orientation, rows, columns);
    if (!FitsHeader(placement)) {
        return false;
    }
    const PackedBitmap::Header header = HeaderFor(placement.width, placement.height, 32);
    const std::uint64_t pixels = std::uint64_t{columns} * rows;
    if (PackedBitmap::TotalSizeFor(header) == 0 || pixels > PackedBitmap::kMaxBytes / 4) {
        return false;
    }
    Array<std::uint32_t> raster = NewArray<std::uint32_t>(pixels);
    if (!raster) {
        return false;
    }
    image.req_orientation = image.orientation;
    if (TIFFRGBAImageGet(&image, raster.get(), columns, rows) == 0) {
        return false;
    }
    PackedBitmap bitmap;
    if (!bitmap.Allocate(header)) {
        return false;
    }
    for (std::int64_t y = 0; y < placement.height; ++y) {
        std::uint8_t* row = bitmap.RowFromTop(static_cast<int>(y));
        std::int64_t r = placement.r0 + y * placement.ry;
        std::int64_t c = placement.c0 + y * placement.cy;
        for (std::int64_t x = 0; x < placement.width; ++x) {
            const std::uint32_t abgr = raster[static_cast<std::size_t>(r * columns + c)];
            row[0] = static_cast<std::uint8_t>(TIFFGetB(abgr));
            row[1] = static_cast<std::uint8_t>(TIFFGetG(abgr));
            row[2] = static_cast<std::uint8_t>(TIFFGetR(abgr));
            row[3] = 0;
            row += 4;
            r += placement.rx;
            c += placement.cx;
        }
    }
    out = std::move(bitmap);
    return true;
}

} // namespace

bool TiffCodec::IsTiff(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size == 0) {
        return false;
    }
    MemoryFile file{data, size, 0};
    return OpenMemory(file) != nullptr;
}

bool TiffCodec::Decode(const std::uint8_t* data, std::size_t size, PackedBitmap& out) {
    if (data == nullptr || size == 0) {
        return false;
    }
    MemoryFile file{data, size, 0};
    TiffPtr tif = OpenMemory(file);
    if (!tif) {
        return false;
    }
    std::uint32_t columns = 0;
    std::uint32_t rows = 0;
    if (TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &columns) == 0 ||
        TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &rows) == 0 || columns == 0 || rows == 0) {
        return false;
    }
    if (!IsPlausible(tif.get(), size, std::uint64_t{columns} * rows)) {
        return false;
    }
    RgbaImage image;
    if (!image.Begin(tif.get())) {
        return false;
    }
    const TIFFRGBAImage& state = image.get();
    const bool bilevel = (state.photometric == PHOTOMETRIC_MINISWHITE ||
                          state.photometric == PHOTOMETRIC_MINISBLACK) &&
                         state.bitspersample == 1 && state.samplesperpixel == 1;
    // Tiled bilevel images cannot be read strip by strip; the colour path reads them.
    if (bilevel && TIFFIsTiled(tif.get()) == 0) {
        return ReadBilevel(tif.get(), state.photometric, state.orientation, columns, rows, out);
    }
    return ReadColour(image.get(), out);
}
