#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
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

// Thrown when a storing archive's sink refuses bytes (a full disk, a failed write).
class ArchiveWriteFailed : public std::runtime_error {
public:
    ArchiveWriteFailed() : std::runtime_error("The file could not be written") {}
};

// The byte encoding of the document file. Storing appends to in-memory chunks of 1 MiB
// (chunks never move, so a large document is neither copied on growth nor faulted into
// fresh memory twice); an archive made with a sink instead hands each chunk to the sink
// as it fills and reuses it, so that a save of any size holds one chunk of its bytes at
// a time. Loading reads from a byte range that the caller keeps alive.
//
// - int32: 4 bytes little-endian; double: 8 bytes IEEE 754 little-endian.
// - string: length prefix, then the 8-bit characters without terminator. The prefix is one
//   byte for lengths up to 254; 0xFF + uint16 for 255..65533; 0xFF, 0xFFFF + uint32 above.
//   Readers also take a wide string: 0xFF, 0xFFFE, then a prefix of the same form counting
//   UTF-16 units, then the units little-endian, converted to the 8-bit code page.
// - raw blocks: bytes as they are.
class Archive {
public:
    // Takes stored bytes in order; false when they could not be written.
    using Sink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

    // An archive that stores in memory.
    Archive();
    // An archive that stores through the sink. Every write may throw ArchiveWriteFailed
    // once the sink has refused bytes; Flush hands over what is still held.
    explicit Archive(Sink sink);
    // An archive that loads from [data, data + size).
    Archive(const std::uint8_t* data, std::size_t size);
    // The write position points into the archive's own chunk.
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool IsStoring() const { return storing_; }
    bool IsLoading() const { return !storing_; }

    // The fixed-size writes are inline: saving a million points makes several million.
    void WriteInt32(std::int32_t value) { WriteBytes(&value, sizeof value); }
    void WriteUInt16(std::uint16_t value) { WriteBytes(&value, sizeof value); }
    void WriteByte(std::uint8_t value) { WriteBytes(&value, sizeof value); }
    void WriteDouble(double value) { WriteBytes(&value, sizeof value); }
    void WriteString(std::string_view text);
    void WriteBytes(const void* data, std::size_t size) {
        if (size <= static_cast<std::size_t>(limit_ - cursor_)) {
            if (size != 0) {
                std::memcpy(cursor_, data, size);
                cursor_ += size;
            }
            return;
        }
        WriteBytesInNewChunk(data, size);
    }
    // Hands the bytes still held to the sink; throws ArchiveWriteFailed when it refuses
    // them. Nothing to do for an archive without a sink.
    void Flush();

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

    // What has been stored, in order: the size counts the bytes already handed to a sink,
    // the others hold only what is not.
    std::size_t StoredSize() const;
    std::vector<std::uint8_t> Buffer() const;
    std::vector<std::uint8_t> TakeBuffer();
    // Calls each(data, size) for each held chunk in order; stops at the first false.
    template <typename Each> bool ForEachChunk(Each&& each) const {
        for (std::size_t i = 0; i < chunks_.size(); ++i) {
            if (!each(chunks_[i].bytes.get(), Used(i))) {
                return false;
            }
        }
        return true;
    }

private:
    // The last chunk's bytes in use run from bytes to cursor_; the others are full to used.
    struct Chunk {
        std::unique_ptr<std::uint8_t[]> bytes;
        std::size_t used = 0;
    };
    static constexpr std::size_t kChunkSize = 1 << 20;

    void Need(std::size_t size) const;
    std::uint32_t ReadStringLength();
    void WriteBytesInNewChunk(const void* data, std::size_t size);
    void AddChunk(std::size_t capacity);
    std::size_t Used(std::size_t chunk) const;
    void Pass(const std::uint8_t* data, std::size_t size);

    bool storing_;
    std::vector<Chunk> chunks_;
    std::uint8_t* cursor_ = nullptr;
    std::uint8_t* limit_ = nullptr;
    Sink sink_;
    std::size_t passed_ = 0; // bytes handed to the sink
    bool sinkFailed_ = false;
    std::string converted_;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t position_ = 0;
};

// UTF-16 to the 8-bit code page (Windows-1252); characters it lacks become '?'.
std::string Utf16ToCodePage(const std::u16string& text);
