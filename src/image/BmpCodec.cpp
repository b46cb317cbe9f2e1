#include "image/BmpCodec.h"

#include "image/SafeFileWriter.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

// BMP file layout (all integers little-endian):
//   file header   14 bytes: "BM", file size (not trusted, never consulted), two reserved
//                 16-bit words, offset of the pixels from the start of the file
//   info header   its own size first: 12 (core: 16-bit width and height, planes, bits;
//                 3-byte colour entries), 16 and 64 (the later form of the core header:
//                 the 40-byte fields cut short, or followed by fields not needed here;
//                 compression 3 and 4 name a fax and a 24-bit run-length coding there),
//                 40 (info), 52 and 56 (info, colour masks, alpha mask), 108 and 124
//                 (info, masks, colour space; colour profiles are not applied)
//   masks         12 bytes after a 40-byte header when compression is 3 (bit fields)
//   colour table  colour entries (4 bytes: blue, green, red, reserved; 3 in core files)
//   pixels        at the file header's offset; rows bottom-up unless the height is negative

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kCoreHeaderSize = 12;
constexpr std::uint32_t kPlainMasks16[3] = {0x7C00, 0x03E0, 0x001F};
constexpr std::uint32_t kPlainMasks32[3] = {0xFF0000, 0x00FF00, 0x0000FF};

// Run-length data codes a row of 255 pixels in 2 bytes at best, so 256 output bytes per
// input byte covers every file whose pixels are all coded; the floor keeps small images
// that leave most pixels undefined (end-of-row, delta, end-of-bitmap codes) readable.
constexpr std::uint64_t kMaxRleRatio = 256;
constexpr std::uint64_t kRleFloorBytes = std::uint64_t{1} << 20;

enum Compression : std::uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,
};

std::uint16_t Get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t Get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void Put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

bool IsKnownHeaderSize(std::uint32_t size) {
    switch (size) {
    case 12:
    case 16:
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
        return true;
    default:
        return false;
    }
}

// What a file's headers say, after every field has been checked against the format and
// against the bytes the file holds. Offsets count from the start of the file.
struct FileLayout {
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0; // always positive; topDown tells the row order
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kRgb;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t coloursUsed = 0;
    std::uint32_t coloursImportant = 0;
    std::uint32_t masks[3] = {0, 0, 0};
    std::uint64_t tableOffset = 0;
    std::uint64_t tableEntries = 0; // entries stored in the file
    std::uint64_t entrySize = 4;
    std::uint64_t pixelOffset = 0;
    std::uint64_t pixelBytes = 0; // run-length data: its length; else what the rows take
    std::uint64_t rowBytes = 0;   // of the file's uncompressed rows
    bool keepsGap = false;        // 16 or 32 bits laid out as our own files are
};

bool ReadLayout(const std::uint8_t* data, std::size_t size, FileLayout& layout) {
    if (size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') {
        return false;
    }
    const std::uint8_t* info = data + kFileHeaderSize;
    layout.headerSize = Get32(info);
    if (!IsKnownHeaderSize(layout.headerSize) ||
        size - kFileHeaderSize < std::uint64_t{layout.headerSize}) {
        return false;
    }

    std::uint32_t planes = 0;
    std::uint32_t sizeImage = 0;
    if (layout.headerSize == kCoreHeaderSize) {
        layout.width = Get16(info + 4);
        layout.height = Get16(info + 6);
        planes = Get16(info + 8);
        layout.bitCount = Get16(info + 10);
        layout.entrySize = 3;
    } else {
        layout.width = static_cast<std::int32_t>(Get32(info + 4));
        // In 64 bits even the lowest height negates; it then fails the size checks.
        const std::int64_t height = static_cast<std::int32_t>(Get32(info + 8));
        layout.topDown = height < 0;
        layout.height = layout.topDown ? -height : height;
        planes = Get16(info + 12);
        layout.bitCount = Get16(info + 14);
        if (layout.headerSize >= 40) {
            layout.compression = Get32(info + 16);
            sizeImage = Get32(info + 20);
            layout.xPelsPerMeter = static_cast<std::int32_t>(Get32(info + 24));
            layout.yPelsPerMeter = static_cast<std::int32_t>(Get32(info + 28));
            layout.coloursUsed = Get32(info + 32);
            layout.coloursImportant = Get32(info + 36);
        }
    }
    if (planes != 1 || !PackedBitmap::IsSupportedDepth(layout.bitCount) || layout.width <= 0 ||
        layout.height <= 0) {
        return false;
    }

    const int bits = layout.bitCount;
    switch (layout.compression) {
    case kRgb:
        break;
    case kRle8:
    case kRle4:
        // Run-length rows are bottom-up by definition; a top-down height makes no sense.
        if (bits != (layout.compression == kRle8 ? 8 : 4) || layout.topDown) {
            return false;
        }
        break;
    case kBitFields:
        // In the 64-byte header compression 3 is a fax coding, not bit fields.
        if ((bits != 16 && bits != 32) || layout.headerSize == 64) {
            return false;
        }
        break;
    default:
        return false;
    }

    std::uint64_t tableOffset = kFileHeaderSize + layout.headerSize;
    if (layout.compression == kBitFields) {
        const std::uint8_t* masks = info + 40;
        if (layout.headerSize == 40) {
            if (size < tableOffset + 12) {
                return false;
            }
            masks = data + tableOffset;
            tableOffset += 12;
        }
        for (int i = 0; i < 3; ++i) {
            layout.masks[i] = Get32(masks + 4 * i);
        }
        if (bits == 16 && ((layout.masks[0] | layout.masks[1] | layout.masks[2]) >> 16) != 0) {
            return false;
        }
    }

    if (layout.headerSize == kCoreHeaderSize) {
        layout.tableEntries = PackedBitmap::ColourCount(bits, 0);
    } else if (bits <= 8) {
        layout.tableEntries = PackedBitmap::ColourCount(bits, layout.coloursUsed);
    } else {
        // An optional table for display on palette screens; read past, never used.
        layout.tableEntries = layout.coloursUsed;
    }
    layout.tableOffset = tableOffset;
    const std::uint64_t tableEnd = tableOffset + layout.tableEntries * layout.entrySize;
    if (tableEnd > size) {
        return false;
    }

    // The file's own offset wins when it is plausible: inside the file, and not before the
    // masks and the colours the pixels index (a gap before the pixels is allowed; the unused
    // table of a deeper image may be skipped). Writers that leave it 0 or point too early
    // get the pixels right after the table; for 16 and 32 bits with a bare 40-byte header
    // that is after the 12 bytes of room our own packed layout keeps there.
    const std::uint64_t offset = Get32(data + 10);
    if (offset > size) {
        return false;
    }
    const bool gap = (bits == 16 || bits == 32) && layout.compression == kRgb &&
                     layout.headerSize == 40 && layout.tableEntries == 0;
    if (offset >= (bits <= 8 ? tableEnd : tableOffset)) {
        layout.pixelOffset = offset;
    } else {
        layout.pixelOffset = tableEnd + (gap ? 12 : 0);
        if (layout.pixelOffset > size) {
            return false;
        }
    }
    layout.keepsGap = gap && layout.pixelOffset >= tableEnd + 12;

    // Dimensions come from 16- or 32-bit fields, so these products fit 64 bits.
    layout.rowBytes = PackedBitmap::RowBytes(layout.width, bits);
    const std::uint64_t imageBytes = layout.rowBytes * static_cast<std::uint64_t>(layout.height);
    if (imageBytes > PackedBitmap::kMaxBytes) {
        return false;
    }
    const std::uint64_t available = size - layout.pixelOffset;
    if (layout.compression == kRle8 || layout.compression == kRle4) {
        // The image size field is the length of the compressed data; bytes after it (a
        // writer's padding) are not codes. Where it is unset or too large, the data runs
        // to the end of the file.
        layout.pixelBytes = sizeImage != 0 && sizeImage <= available ? sizeImage : available;
        return imageBytes <= layout.pixelBytes * kMaxRleRatio + kRleFloorBytes;
    }
    layout.pixelBytes = imageBytes;
    return imageBytes <= available;
}

// One colour channel of a bit-field pixel scaled to 8 bits: round(v * 255 / max).
class Channel {
public:
    bool Set(std::uint32_t mask) {
        if (mask == 0) {
            return true;
        }
        shift_ = std::countr_zero(mask);
        const std::uint32_t field = mask >> shift_;
        if ((field & (field + 1)) != 0) {
            return false; // holes in the mask
        }
        max_ = field;
        if (max_ <= 0xFFFF) {
            lookup_.resize(std::size_t{max_} + 1);
            for (std::uint32_t v = 0; v <= max_; ++v) {
                lookup_[v] = Scale(v);
            }
        }
        return true;
    }

    std::uint8_t operator()(std::uint32_t pixel) const {
        if (max_ == 0) {
            return 0;
        }
        const std::uint32_t v = (pixel >> shift_) & max_;
        return lookup_.empty() ? Scale(v) : lookup_[v];
    }

private:
    std::uint8_t Scale(std::uint32_t v) const {
        return static_cast<std::uint8_t>((std::uint64_t{v} * 255 + max_ / 2) / max_);
    }

    int shift_ = 0;
    std::uint32_t max_ = 0;
    std::vector<std::uint8_t> lookup_;
};

// The source row for a stored (bottom-up) row index.
const std::uint8_t* FileRow(const std::uint8_t* data, const FileLayout& layout, std::int64_t row) {
    const std::int64_t fileRow = layout.topDown ? layout.height - 1 - row : row;
    return data + layout.pixelOffset + layout.rowBytes * static_cast<std::uint64_t>(fileRow);
}

void CopyRows(const std::uint8_t* data, const FileLayout& layout, PackedBitmap& out) {
    for (std::int64_t row = 0; row < layout.height; ++row) {
        std::memcpy(out.StoredRow(static_cast<int>(row)), FileRow(data, layout, row),
                    out.RowBytes());
    }
}

bool ConvertBitFields(const std::uint8_t* data, const FileLayout& layout, PackedBitmap& out) {
    Channel red;
    Channel green;
    Channel blue;
    if (!red.Set(layout.masks[0]) || !green.Set(layout.masks[1]) || !blue.Set(layout.masks[2])) {
        return false;
    }
    const bool wide = layout.bitCount == 32;
    for (std::int64_t row = 0; row < layout.height; ++row) {
        const std::uint8_t* source = FileRow(data, layout, row);
        std::uint8_t* target = out.StoredRow(static_cast<int>(row));
        for (std::int64_t x = 0; x < layout.width; ++x) {
            const std::uint32_t pixel = wide ? Get32(source + 4 * x) : Get16(source + 2 * x);
            target[4 * x] = blue(pixel);
            target[4 * x + 1] = green(pixel);
            target[4 * x + 2] = red(pixel);
            target[4 * x + 3] = 0;
        }
    }
    return true;
}

// Writes run-length pixels into rows that were zeroed beforehand (pixels the data leaves
// undefined keep colour index 0). A run that reaches past the end of its row is cut at the
// row's end, and pixels in rows above the top are dropped: the data never writes outside
// its row, whatever it says.
class RleWriter {
public:
    RleWriter(PackedBitmap& out, bool nibbles)
        : out_(out), width_(out.Width()), height_(out.Height()), nibbles_(nibbles) {}

    void Put(std::uint8_t value) {
        if (x_ < width_ && y_ < height_) {
            std::uint8_t* row = out_.StoredRow(static_cast<int>(y_));
            if (!nibbles_) {
                row[x_] = value;
            } else if ((x_ & 1) == 0) {
                row[x_ >> 1] = static_cast<std::uint8_t>((row[x_ >> 1] & 0x0F) | value << 4);
            } else {
                row[x_ >> 1] = static_cast<std::uint8_t>((row[x_ >> 1] & 0xF0) | value);
            }
        }
        ++x_;
    }
    // n pixels of one byte (8 bits) or of its high and low nibbles in turn (4 bits).
    void Run(unsigned n, std::uint8_t value) {
        for (unsigned i = 0; i < n && x_ < width_; ++i) {
            Put(nibbles_ ? static_cast<std::uint8_t>((i & 1) == 0 ? value >> 4 : value & 0x0F)
                         : value);
        }
    }
    void EndOfRow() {
        x_ = 0;
        ++y_;
    }
    void Move(unsigned dx, unsigned dy) {
        x_ += dx;
        y_ += dy;
    }
    bool Filled() const { return y_ >= height_ || (y_ == height_ - 1 && x_ >= width_); }

private:
    PackedBitmap& out_;
    std::int64_t width_;
    std::int64_t height_;
    bool nibbles_;
    std::int64_t x_ = 0;
    std::int64_t y_ = 0;
};

// Byte pairs: n > 0, v: a run of n pixels; 0, 0: end of row; 0, 1: end of bitmap (only as
// the last code); 0, 2, dx, dy: move right and up (8 bits only); 0, n >= 3: n literal
// pixels, their bytes padded to an even count.
bool DecodeRunLength(const std::uint8_t* src, std::size_t size, bool nibbles, PackedBitmap& out) {
    RleWriter writer(out, nibbles);
    std::size_t p = 0;
    while (p < size) {
        if (size - p < 2) {
            return false;
        }
        const std::uint8_t count = src[p];
        const std::uint8_t code = src[p + 1];
        p += 2;
        if (count != 0) {
            writer.Run(count, code);
            continue;
        }
        switch (code) {
        case 0:
            writer.EndOfRow();
            break;
        case 1:
            return p == size;
        case 2:
            if (nibbles || size - p < 2) {
                return false;
            }
            writer.Move(src[p], src[p + 1]);
            p += 2;
            break;
        default: {
            const std::size_t bytes = nibbles ? (code + 1u) / 2 : code;
            const std::size_t padded = bytes + (bytes & 1);
            if (size - p < padded) {
                return false;
            }
            for (unsigned i = 0; i < code; ++i) {
                const std::uint8_t byte = src[p + (nibbles ? i / 2 : i)];
                writer.Put(nibbles
                               ? static_cast<std::uint8_t>((i & 1) == 0 ? byte >> 4 : byte & 0x0F)
                               : byte);
            }
            p += padded;
            break;
        }
        }
    }
    return writer.Filled();
}

} // namespace

bool BmpCodec::Decode(const std::uint8_t* data, std::size_t size, PackedBitmap& out) {
    if (data == nullptr) {
        return false;
    }
    FileLayout layout;
    if (!ReadLayout(data, size, layout)) {
        return false;
    }

    const int bits = layout.bitCount;
    // Bit fields become plain pixels: 5-5-5 masks are the plain 16-bit layout and the
    // 8-8-8 masks the plain 32-bit one; any other masks are scaled into 32-bit pixels.
    bool convert = false;
    if (layout.compression == kBitFields) {
        const std::uint32_t* plain = bits == 16 ? kPlainMasks16 : kPlainMasks32;
        convert = layout.masks[0] != plain[0] || layout.masks[1] != plain[1] ||
                  layout.masks[2] != plain[2];
    }

    PackedBitmap::Header header;
    header.width = static_cast<std::int32_t>(layout.width);
    header.height = static_cast<std::int32_t>(layout.height);
    header.bitCount = static_cast<std::uint16_t>(convert ? 32 : bits);
    header.xPelsPerMeter = layout.xPelsPerMeter;
    header.yPelsPerMeter = layout.yPelsPerMeter;
    // Only as many entries as the depth can address are kept; deeper images keep none.
    std::uint32_t kept = 0;
    if (bits <= 8) {
        const std::uint32_t addressable = PackedBitmap::ColourCount(bits, 0);
        kept =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(layout.tableEntries, addressable));
        const bool core = layout.headerSize == kCoreHeaderSize;
        header.clrUsed = core || layout.coloursUsed != 0 ? kept : 0;
        header.clrImportant = core                              ? kept
                              : layout.coloursImportant <= kept ? layout.coloursImportant
                                                                : 0;
    }

    PackedBitmap bitmap;
    if (!bitmap.Allocate(header)) {
        return false;
    }
    std::uint8_t* table = bitmap.ColourTable();
    for (std::uint32_t i = 0; i < kept; ++i) {
        const std::uint8_t* entry = data + layout.tableOffset + i * layout.entrySize;
        table[4 * i] = entry[0];
        table[4 * i + 1] = entry[1];
        table[4 * i + 2] = entry[2];
        table[4 * i + 3] = 0;
    }
    // The room our own layout keeps before 16- and 32-bit pixels carries no meaning, but is
    // carried over so that a bitmap written and read back is the same block.
    if (layout.keepsGap) {
        std::memcpy(table, data + layout.tableOffset, 12);
    }

    switch (layout.compression) {
    case kRle8:
    case kRle4:
        if (!DecodeRunLength(data + layout.pixelOffset, static_cast<std::size_t>(layout.pixelBytes),
                             layout.compression == kRle4, bitmap)) {
            return false;
        }
        break;
    default:
        if (convert) {
            if (!ConvertBitFields(data, layout, bitmap)) {
                return false;
            }
        } else {
            CopyRows(data, layout, bitmap);
        }
        break;
    }
    out = std::move(bitmap);
    return true;
}

std::vector<std::uint8_t> BmpCodec::Encode(const PackedBitmap& bitmap) {
    std::vector<std::uint8_t> bytes;
    if (bitmap.Empty()) {
        return bytes;
    }
    const std::uint64_t total = std::uint64_t{bitmap.TotalSize()} + kFileHeaderSize;
    if (total > std::numeric_limits<std::uint32_t>::max()) {
        return bytes;
    }
    bytes.resize(static_cast<std::size_t>(total));
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(&bytes[2], static_cast<std::uint32_t>(total));
    Put32(&bytes[6], 0);
    Put32(&bytes[10], static_cast<std::uint32_t>(kFileHeaderSize + PackedBitmap::kHeaderSize +
                                                 bitmap.ColourTableSize()));
    std::memcpy(&bytes[kFileHeaderSize], bitmap.Data(), bitmap.TotalSize());
    return bytes;
}

bool BmpCodec::Save(const PackedBitmap& bitmap, const std::string& path) {
    const std::vector<std::uint8_t> bytes = Encode(bitmap);
    if (bytes.empty()) {
        return false;
    }
    return SafeFileWriter::WriteBytes(path, bytes.data(), bytes.size()) ==
           SafeFileWriter::Result::Written;
}
