#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// The packed device-independent bitmap, the pixel format everywhere in the system: one
// block holding
//   header        40 bytes, little-endian: size 40, width, height (> 0: rows bottom-up),
//                 planes 1, bits per pixel (1, 4, 8, 16, 24, 32), compression 0, image
//                 size, x and y resolution, colours used, colours important
//   colour table  4 bytes per entry (blue, green, red, 0): colour count entries for 1, 4
//                 and 8 bits; none for 24 bits; 12 bytes (room for three masks) for 16
//                 and 32 bits
//   pixels        rows from the bottom up, each padded to a multiple of four bytes
//
// The colour count is the header's colours-used field when it is not 0, else 2, 16 or 256
// for 1, 4 or 8 bits, else 0. Every size is computed in 64 bits and a bitmap is refused
// when its block would exceed kMaxBytes.
class PackedBitmap {
public:
    static constexpr std::size_t kHeaderSize = 40;
    static constexpr std::uint64_t kMaxBytes = std::uint64_t{1} << 31;

    struct Header {
        std::uint32_t size = kHeaderSize;
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::uint16_t planes = 1;
        std::uint16_t bitCount = 0;
        std::uint32_t compression = 0;
        std::uint32_t sizeImage = 0;
        std::int32_t xPelsPerMeter = 0;
        std::int32_t yPelsPerMeter = 0;
        std::uint32_t clrUsed = 0;
        std::uint32_t clrImportant = 0;
    };

    // Blocks come from malloc/calloc: a large zeroed block is then fresh zero pages that
    // cost nothing until written.
    struct FreeBlock {
        void operator()(std::uint8_t* block) const;
    };
    using Block = std::unique_ptr<std::uint8_t[], FreeBlock>;
    // Null when memory runs out.
    static Block AllocateBlock(std::size_t size, bool zeroed);

    PackedBitmap() = default;
    PackedBitmap(const PackedBitmap& other);
    PackedBitmap& operator=(const PackedBitmap& other);
    PackedBitmap(PackedBitmap&& other) noexcept = default;
    PackedBitmap& operator=(PackedBitmap&& other) noexcept = default;

    static bool IsSupportedDepth(int bitCount);
    // Bytes of one padded row: ((bits * width + 31) / 32) * 4.
    static std::uint64_t RowBytes(std::int64_t width, int bitCount);
    static std::uint32_t ColourCount(int bitCount, std::uint32_t coloursUsed);
    static std::uint64_t ColourTableSize(int bitCount, std::uint32_t coloursUsed);
    // Total block size for a header, or 0 when the header cannot describe a bitmap this
    // program keeps (size, depth, planes, dimensions, compression, or too large).
    static std::uint64_t TotalSizeFor(const Header& header);

    // A new bitmap with the header's fields (image size recomputed), colour table and
    // pixels all zero. False, and nothing changed, when the header describes no bitmap or
    // memory runs out.
    bool Allocate(const Header& header);
    // Copies a packed bitmap from memory after checking it against its own sizes: the
    // header must be complete and valid and the block must hold every byte it describes.
    bool CopyFrom(const std::uint8_t* data, std::size_t size);
    // Takes a block that already holds a packed bitmap, with the same checks as CopyFrom;
    // bytes past the described bitmap are ignored.
    bool Adopt(Block block, std::size_t size);
    // Sets every pixel byte (padding included) to zero.
    void ZeroPixels();
    void Clear();
    // Hands the block over (a malloc block of TotalSize() bytes) and leaves the bitmap empty.
    Block TakeBlock();
    bool Empty() const { return size_ == 0; }

    const Header& header() const { return header_; }
    int Width() const { return header_.width; }
    int Height() const { return header_.height; }
    int BitCount() const { return header_.bitCount; }
    std::uint32_t ColourCount() const { return ColourCount(header_.bitCount, header_.clrUsed); }
    std::size_t ColourTableSize() const;
    std::size_t RowBytes() const;
    std::size_t ImageSize() const;
    std::size_t TotalSize() const { return size_; }

    // The whole block; the header part always mirrors header().
    const std::uint8_t* Data() const { return data_.get(); }
    std::uint8_t* ColourTable() { return data_.get() + kHeaderSize; }
    const std::uint8_t* ColourTable() const { return data_.get() + kHeaderSize; }
    std::uint8_t* Pixels() { return data_.get() + kHeaderSize + ColourTableSize(); }
    const std::uint8_t* Pixels() const { return data_.get() + kHeaderSize + ColourTableSize(); }
    // A row by its index in storage order (0 is the bottom row of the picture).
    std::uint8_t* StoredRow(int index) {
        return Pixels() + RowBytes() * static_cast<std::size_t>(index);
    }
    const std::uint8_t* StoredRow(int index) const {
        return Pixels() + RowBytes() * static_cast<std::size_t>(index);
    }
    // A row by picture position y from the top.
    std::uint8_t* RowFromTop(int y) { return StoredRow(Height() - 1 - y); }
    const std::uint8_t* RowFromTop(int y) const { return StoredRow(Height() - 1 - y); }

    // The pixel value at (x, y from the top): a colour index for 1, 4 and 8 bits, the raw
    // little-endian value for 16, 24 and 32 bits.
    std::uint32_t PixelAt(int x, int y) const;
    void SetPixelAt(int x, int y, std::uint32_t value);

    // Rewrites the header part of the block from header() after a caller changed fields
    // that do not move the layout (resolution, colours important).
    void SetResolution(std::int32_t xPelsPerMeter, std::int32_t yPelsPerMeter);

    static Header ReadHeader(const std::uint8_t* bytes);
    static void WriteHeader(const Header& header, std::uint8_t* bytes);

private:
    Header header_;
    Block data_;
    std::size_t size_ = 0;
};
