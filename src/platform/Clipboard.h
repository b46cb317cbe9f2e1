#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The system clipboard with plain text and packed device-independent bitmaps.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // False when the clipboard cannot be opened now; the caller then does nothing.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual void Empty() = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual void SetPackedBitmap(const std::vector<std::uint8_t>& bitmap) = 0;
    virtual bool HasPackedBitmap() const = 0;
    virtual std::optional<std::vector<std::uint8_t>> GetPackedBitmap() = 0;
};
