#include "core/Archive.h"

#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little,
              "the archive copies little-endian values directly");

Archive::Archive() : storing_(true) {}

Archive::Archive(Sink sink) : storing_(true), sink_(std::move(sink)) {}

Archive::Archive(const std::uint8_t* data, std::size_t size)
    : storing_(false), data_(data), size_(data != nullptr ? size : 0) {}

void Archive::AddChunk(std::size_t capacity) {
    if (!chunks_.empty()) {
        chunks_.back().used = Used(chunks_.size() - 1);
    }
    Chunk chunk;
    chunk.bytes.reset(new std::uint8_t[capacity]);
    cursor_ = chunk.bytes.get();
    limit_ = cursor_ + capacity;
    chunks_.push_back(std::move(chunk));
}

std::size_t Archive::Used(std::size_t chunk) const {
    return chunk + 1 == chunks_.size()
               ? static_cast<std::size_t>(cursor_ - chunks_[chunk].bytes.get())
               : chunks_[chunk].used;
}

void Archive::Pass(const std::uint8_t* data, std::size_t size) {
    // After one refusal the file is lost: nothing more goes to the sink.
    if (sinkFailed_ || !sink_(data, size)) {
        sinkFailed_ = true;
        throw ArchiveWriteFailed();
    }
    passed_ += size;
}

void Archive::WriteBytesInNewChunk(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (!sink_) {
        // A large block gets a chunk of its own size instead of being split.
        AddChunk(size > kChunkSize ? size : kChunkSize);
        std::memcpy(cursor_, bytes, size);
        cursor_ += size;
        return;
    }
    if (chunks_.empty()) {
        AddChunk(kChunkSize);
    } else {
        Flush();
    }
    if (size > kChunkSize) {
        Pass(bytes, size); // straight from the caller's block, never copied
        return;
    }
    std::memcpy(cursor_, bytes, size);
    cursor_ += size;
}

void Archive::Flush() {
    if (!sink_ || chunks_.empty()) {
        return;
    }
    std::uint8_t* const start = chunks_.back().bytes.get();
    if (cursor_ > start) {
        Pass(start, static_cast<std::size_t>(cursor_ - start));
        cursor_ = start;
    }
}

std::size_t Archive::StoredSize() const {
    std::size_t size = passed_;
    for (std::size_t i = 0; i < chunks_.size(); ++i) {
        size += Used(i);
    }
    return size;
}

std::vector<std::uint8_t> Archive::Buffer() const {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(StoredSize() - passed_);
    ForEachChunk([&](const std::uint8_t* data, std::size_t size) {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    });
    return bytes;
}

std::vector<std::uint8_t> Archive::TakeBuffer() {
    std::vector<std::uint8_t> bytes = Buffer();
    chunks_.clear();
    cursor_ = limit_ = nullptr;
    return bytes;
}

void Archive::WriteString(std::string_view text) {
    const std::size_t length = text.size();
    if (length < 255) {
        WriteByte(static_cast<std::uint8_t>(length));
    } else if (length < 0xFFFE) {
        WriteByte(0xFF);
        WriteUInt16(static_cast<std::uint16_t>(length));
    } else {
        WriteByte(0xFF);
        WriteUInt16(0xFFFF);
        WriteInt32(static_cast<std::int32_t>(static_cast<std::uint32_t>(length)));
    }
    WriteBytes(text.data(), length);
}

void Archive::Need(std::size_t size) const {
    if (size > size_ - position_) {
        throw ArchiveEndOfFile();
    }
}

void Archive::ReadBytes(void* data, std::size_t size) {
    Need(size);
    if (size > 0) {
        std::memcpy(data, data_ + position_, size);
    }
    position_ += size;
}

const std::uint8_t* Archive::ReadView(std::size_t size) {
    Need(size);
    const std::uint8_t* view = data_ + position_;
    position_ += size;
    return view;
}

void Archive::Skip(std::size_t size) {
    Need(size);
    position_ += size;
}

std::int32_t Archive::ReadInt32() {
    std::int32_t value;
    ReadBytes(&value, sizeof value);
    return value;
}

std::uint16_t Archive::ReadUInt16() {
    std::uint16_t value;
    ReadBytes(&value, sizeof value);
    return value;
}

std::uint8_t Archive::ReadByte() {
    Need(1);
    return data_[position_++];
}

double Archive::ReadDouble() {
    double value;
    ReadBytes(&value, sizeof value);
    return value;
}

// Reads the part of a length prefix after a leading 0xFF.
std::uint32_t Archive::ReadStringLength() {
    const std::uint16_t word = ReadUInt16();
    if (word < 0xFFFF) {
        return word;
    }
    return static_cast<std::uint32_t>(ReadInt32());
}

std::string Archive::ReadString() {
    return std::string(ReadStringView());
}

std::string_view Archive::ReadStringView() {
    std::uint32_t length = ReadByte();
    bool wide = false;
    if (length == 0xFF) {
        const std::uint16_t word = ReadUInt16();
        if (word == 0xFFFE) {
            wide = true;
            length = ReadByte();
            if (length == 0xFF) {
                length = ReadStringLength();
            }
        } else if (word == 0xFFFF) {
            length = static_cast<std::uint32_t>(ReadInt32());
        } else {
            length = word;
        }
    }
    if (!wide) {
        const std::uint8_t* bytes = ReadView(length);
        return std::string_view(reinterpret_cast<const char*>(bytes), length);
    }
    // Checked before the conversion allocates: a wide string needs two bytes per unit.
    const std::size_t byteCount = static_cast<std::size_t>(length) * 2;
    const std::uint8_t* bytes = ReadView(byteCount);
    std::u16string units(length, u'\0');
    std::memcpy(units.data(), bytes, byteCount);
    converted_ = Utf16ToCodePage(units);
    return converted_;
}

namespace {

// Windows-1252 positions 0x80..0x9F; 0 where the code page has no character.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char ToCodePage(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        return static_cast<char>(unit);
    }
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] != 0 && kCp1252High[i] == unit) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

} // namespace

std::string Utf16ToCodePage(const std::u16string& text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        // A surrogate pair is one character outside the code page.
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;
            result.push_back('?');
            continue;
        }
        result.push_back(ToCodePage(unit));
    }
    return result;
}
