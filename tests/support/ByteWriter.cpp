#include "ByteWriter.h"

#include <cstring>
#include <stdexcept>

ByteWriter& ByteWriter::Raw(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
    return *this;
}

ByteWriter& ByteWriter::I32(std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        bytes_.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
    }
    return *this;
}

ByteWriter& ByteWriter::U16(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
    return *this;
}

ByteWriter& ByteWriter::U8(std::uint8_t value) {
    bytes_.push_back(value);
    return *this;
}

ByteWriter& ByteWriter::F64(double value) {
    std::uint64_t u;
    std::memcpy(&u, &value, sizeof u);
    for (int i = 0; i < 8; ++i) {
        bytes_.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
    }
    return *this;
}

ByteWriter& ByteWriter::Str(std::string_view text) {
    if (text.size() >= 255) {
        throw std::length_error("ByteWriter::Str takes short strings only");
    }
    U8(static_cast<std::uint8_t>(text.size()));
    return Raw(text.data(), text.size());
}

ByteWriter& ByteWriter::Bytes(const std::vector<std::uint8_t>& bytes) {
    return Raw(bytes.data(), bytes.size());
}
