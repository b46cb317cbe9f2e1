#include "image/PackedBitmap.h"

#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

std::uint32_t Get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t Get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

void Put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

} // namespace

void PackedBitmap::FreeBlock::operator()(std::uint8_t* block) const {
    std::free(block);
}

PackedBitmap::Block PackedBitmap::AllocateBlock(std::size_t size, bool zeroed) {
    void* memory =
        zeroed ? std::calloc(size == 0 ? 1 : size, 1) : std::malloc(size == 0 ? 1 : size);
#if defined(__linux__)
    // Large images in large pages: a quarter turn or a scaling walks the bitmap across its
    // rows, and with small pages nearly every step would miss the address cache. A fresh
    // zeroed block is still untouched here, so its pages are made large from the start.
    constexpr std::size_t kLargeBlock = std::size_t{8} << 20;
    if (memory != nullptr && size >= kLargeBlock) {
        const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
        const std::uintptr_t start =
            (reinterpret_cast<std::uintptr_t>(memory) + page - 1) & ~(page - 1);
        const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(memory) + size) & ~(page - 1);
        if (end > start) {
            madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
        }
    }
#endif
    return Block(static_cast<std::uint8_t*>(memory));
}

// A copy that cannot get its memory is empty; callers that must not lose an image check
// Empty() against the original.
PackedBitmap::PackedBitmap(const PackedBitmap& other) : header_(other.header_), size_(0) {
    if (other.size_ > 0) {
        data_ = AllocateBlock(other.size_, false);
        if (data_) {
            std::memcpy(data_.get(), other.data_.get(), other.size_);
            size_ = other.size_;
        } else {
            header_ = Header{};
        }
    }
}

PackedBitmap& PackedBitmap::operator=(const PackedBitmap& other) {
    if (this != &other) {
        PackedBitmap copy(other);
        *this = std::move(copy);
    }
    return *this;
}

bool PackedBitmap::IsSupportedDepth(int bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
           bitCount == 32;
}

std::uint64_t PackedBitmap::RowBytes(std::int64_t width, int bitCount) {
    return (static_cast<std::uint64_t>(bitCount) * static_cast<std::uint64_t>(width) + 31) / 32 * 4;
}

std::uint32_t PackedBitmap::ColourCount(int bitCount, std::uint32_t coloursUsed) {
    if (coloursUsed != 0) {
        return coloursUsed;
    }
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

std::uint64_t PackedBitmap::ColourTableSize(int bitCount, std::uint32_t coloursUsed) {
    if (bitCount == 16 || bitCount == 32) {
        return 12;
    }
    if (bitCount == 24) {
        return 0;
    }
    return std::uint64_t{ColourCount(bitCount, coloursUsed)} * 4;
}

std::uint64_t PackedBitmap::TotalSizeFor(const Header& header) {
    if (header.size != kHeaderSize || header.width <= 0 || header.height <= 0 ||
        header.planes != 1 || !IsSupportedDepth(header.bitCount) || header.compression != 0) {
        return 0;
    }
    const std::uint64_t image =
        RowBytes(header.width, header.bitCount) * static_cast<std::uint64_t>(header.height);
    const std::uint64_t total =
        kHeaderSize + ColourTableSize(header.bitCount, header.clrUsed) + image;
    return total > kMaxBytes ? 0 : total;
}

bool PackedBitmap::Allocate(const Header& wanted) {
    Header header = wanted;
    const std::uint64_t total = TotalSizeFor(header);
    if (total == 0) {
        return false;
    }
    header.sizeImage = static_cast<std::uint32_t>(RowBytes(header.width, header.bitCount) *
                                                  static_cast<std::uint64_t>(header.height));
    Block block = AllocateBlock(static_cast<std::size_t>(total), true);
    if (!block) {
        return false;
    }
    WriteHeader(header, block.get());
    header_ = header;
    data_ = std::move(block);
    size_ = static_cast<std::size_t>(total);
    return true;
}

bool PackedBitmap::CopyFrom(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < kHeaderSize) {
        return false;
    }
    const Header header = ReadHeader(data);
    const std::uint64_t total = TotalSizeFor(header);
    if (total == 0 || total > size) {
        return false;
    }
    PackedBitmap copy;
    if (!copy.Allocate(header)) {
        return false;
    }
    std::memcpy(copy.data_.get() + kHeaderSize, data + kHeaderSize, copy.size_ - kHeaderSize);
    *this = std::move(copy);
    return true;
}

bool PackedBitmap::Adopt(Block block, std::size_t size) {
    if (!block || size < kHeaderSize) {
        return false;
    }
    Header header = ReadHeader(block.get());
    const std::uint64_t total = TotalSizeFor(header);
    if (total == 0 || total > size) {
        return false;
    }
    header.sizeImage = static_cast<std::uint32_t>(RowBytes(header.width, header.bitCount) *
                                                  static_cast<std::uint64_t>(header.height));
    WriteHeader(header, block.get());
    header_ = header;
    data_ = std::move(block);
    size_ = static_cast<std::size_t>(total);
    return true;
}

void PackedBitmap::ZeroPixels() {
    if (data_) {
        std::memset(Pixels(), 0, ImageSize());
    }
}

void PackedBitmap::Clear() {
    data_.reset();
    size_ = 0;
    header_ = Header{};
}

PackedBitmap::Block PackedBitmap::TakeBlock() {
    Block block = std::move(data_);
    Clear();
    return block;
}

std::size_t PackedBitmap::ColourTableSize() const {
    return static_cast<std::size_t>(ColourTableSize(header_.bitCount, header_.clrUsed));
}

std::size_t PackedBitmap::RowBytes() const {
    return static_cast<std::size_t>(RowBytes(header_.width, header_.bitCount));
}

std::size_t PackedBitmap::ImageSize() const {
    return RowBytes() * static_cast<std::size_t>(header_.height);
}

std::uint32_t PackedBitmap::PixelAt(int x, int y) const {
    const std::uint8_t* row = RowFromTop(y);
    switch (header_.bitCount) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4:
        return (x & 1) != 0 ? row[x >> 1] & 0x0Fu : row[x >> 1] >> 4;
    case 8:
        return row[x];
    case 16:
        return Get16(row + 2 * static_cast<std::size_t>(x));
    case 24: {
        const std::uint8_t* p = row + 3 * static_cast<std::size_t>(x);
        return static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16);
    }
    default:
        return Get32(row + 4 * static_cast<std::size_t>(x));
    }
}

void PackedBitmap::SetPixelAt(int x, int y, std::uint32_t value) {
    std::uint8_t* row = RowFromTop(y);
    switch (header_.bitCount) {
    case 1: {
        const auto mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
        row[x >> 3] =
            static_cast<std::uint8_t>((value & 1) != 0 ? row[x >> 3] | mask : row[x >> 3] & ~mask);
        break;
    }
    case 4: {
        std::uint8_t& byte = row[x >> 1];
        byte = (x & 1) != 0 ? static_cast<std::uint8_t>((byte & 0xF0) | (value & 0x0F))
                            : static_cast<std::uint8_t>((byte & 0x0F) | (value & 0x0F) << 4);
        break;
    }
    case 8:
        row[x] = static_cast<std::uint8_t>(value);
        break;
    case 16:
        Put16(row + 2 * static_cast<std::size_t>(x), static_cast<std::uint16_t>(value));
        break;
    case 24: {
        std::uint8_t* p = row + 3 * static_cast<std::size_t>(x);
        p[0] = static_cast<std::uint8_t>(value);
        p[1] = static_cast<std::uint8_t>(value >> 8);
        p[2] = static_cast<std::uint8_t>(value >> 16);
        break;
    }
    default:
        Put32(row + 4 * static_cast<std::size_t>(x), value);
        break;
    }
}

void PackedBitmap::SetResolution(std::int32_t xPelsPerMeter, std::int32_t yPelsPerMeter) {
    header_.xPelsPerMeter = xPelsPerMeter;
    header_.yPelsPerMeter = yPelsPerMeter;
    if (data_) {
        WriteHeader(header_, data_.get());
    }
}

PackedBitmap::Header PackedBitmap::ReadHeader(const std::uint8_t* p) {
    Header h;
    h.size = Get32(p);
    h.width = static_cast<std::int32_t>(Get32(p + 4));
    h.height = static_cast<std::int32_t>(Get32(p + 8));
    h.planes = Get16(p + 12);
    h.bitCount = Get16(p + 14);
    h.compression = Get32(p + 16);
    h.sizeImage = Get32(p + 20);
    h.xPelsPerMeter = static_cast<std::int32_t>(Get32(p + 24));
    h.yPelsPerMeter = static_cast<std::int32_t>(Get32(p + 28));
    h.clrUsed = Get32(p + 32);
    h.clrImportant = Get32(p + 36);
    return h;
}

void PackedBitmap::WriteHeader(const Header& h, std::uint8_t* p) {
    Put32(p, h.size);
    Put32(p + 4, static_cast<std::uint32_t>(h.width));
    Put32(p + 8, static_cast<std::uint32_t>(h.height));
    Put16(p + 12, h.planes);
    Put16(p + 14, h.bitCount);
    Put32(p + 16, h.compression);
    Put32(p + 20, h.sizeImage);
    Put32(p + 24, static_cast<std::uint32_t>(h.xPelsPerMeter));
    Put32(p + 28, static_cast<std::uint32_t>(h.yPelsPerMeter));
    Put32(p + 32, h.clrUsed);
    Put32(p + 36, h.clrImportant);
}
