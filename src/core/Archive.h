#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Thrown when a read needs more bytes than the archive holds.
class ArchiveEndOfFile : public std::runtime_error {
public:
    ArchiveEndOfFile() : std::runtime_error("Unexpected end of file") {}
};

// The byte encoding of the document file. Storing appends to in-memory chunks (the file is
// written from them in one go; chunks never move, so a large document is neither copied
// on growth nor faulted into fresh memory twice); loading reads from a byte range that the
// caller keeps alive.
//
// - int32: 4 bytes little-endian; double: 8 bytes IEEE 754 little-endian.
// - string: length prefix, then the 8-bit characters without terminator. The prefix is one
//   byte for lengths up to 254; 0xFF + uint16 for 255..65533; 0xFF, 0xFFFF + uint32 above.
//   Readers also take a wide string: 0xFF, 0xFFFE, then a prefix of the same form counting
//   UTF-16 units, then the units little-endian, converted to the 8-bit code page.
// - raw blocks: bytes as they are.
class Archive {
public:
    // An archive that stores.
    Archive();
    // An archive that loads from [data, data + size).
    Archive(const std::uint8_t* data, std::size_t size);

    bool IsStoring() const { return storing_; }
    bool IsLoading() const { return !storing_; }

    void WriteInt32(std::int32_t value);
    void WriteUInt16(std::uint16_t value);
    void WriteByte(std::uint8_t value);
    void WriteDouble(double value);
    void WriteString(std::string_view text);
    void WriteBytes(const void* data, std::size_t size);

    std::int32_t ReadInt32();
    std::uint16_t ReadUInt16();
    std::uint8_t ReadByte();
    double ReadDouble();
    std::string ReadString();
    // The same string without a copy: a view into the archive's bytes, or for a wide
    // string into a buffer of the archive's that the next call reuses.
    std::string_view ReadStringView();
    void ReadBytes(void* data, std::size_t size);
    // Points at the next size bytes and moves past them, without copying.
    const std::uint8_t* ReadView(std::size_t size);
    void Skip(std::size_t size);

    // Bytes left to read; a reader checks a count against this before it allocates for it.
    std::size_t Remaining() const { return size_ - position_; }
    std::size_t Position() const { return storing_ ? StoredSize() : position_; }

    // What has been stored, in order.
    std::size_t StoredSize() const;
    std::vector<std::uint8_t> Buffer() const;
    std::vector<std::uint8_t> TakeBuffer();
    // Calls sink(data, size) for each stored chunk in order; stops at the first false.
    template <typename Sink> bool ForEachChunk(Sink&& sink) const {
        for (const Chunk& chunk : chunks_) {
            if (!sink(chunk.bytes.get(), chunk.used)) {
                return false;
            }
        }
        return true;
    }

private:
    struct Chunk {
        std::unique_ptr<std::uint8_t[]> bytes;
        std::size_t used = 0;
        std::size_t capacity = 0;
    };
    static constexpr std::size_t kChunkSize = 1 << 20;

    void Need(std::size_t size) const;
    std::uint32_t ReadStringLength();
    void AddChunk(std::size_t atLeast);

    bool storing_;
    std::vector<Chunk> chunks_;
    std::string converted_;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t position_ = 0;
};

// UTF-16 to the 8-bit code page (Windows-1252); characters it lacks become '?'.
std::string Utf16ToCodePage(const std::u16string& text);
