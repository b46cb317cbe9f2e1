#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Builds file bytes by hand, so that readers are checked against the layout and not
// against our own writers.
class ByteWriter {
public:
    ByteWriter& I32(std::int32_t value);
    ByteWriter& U16(std::uint16_t value);
    ByteWriter& U8(std::uint8_t value);
    ByteWriter& F64(double value);
    // A string with the one-byte length prefix (length below 255).
    ByteWriter& Str(std::string_view text);
    ByteWriter& Raw(const void* data, std::size_t size);
    ByteWriter& Bytes(const std::vector<std::uint8_t>& bytes);

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

private:
    std::vector<std::uint8_t> bytes_;
};
