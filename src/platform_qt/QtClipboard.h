#pragma once

#include "platform/Clipboard.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QMimeData;

// A packed bitmap as a QImage with the same pixels: 1 bit as Mono and 4 or 8 bits as
// Indexed8 (the colour table padded with black to every index the depth can hold), 16 bits
// (5-5-5) and 32 bits (blue, green, red, unused) as RGB32, 24 bits as BGR888; the
// resolution comes along when it is positive. Null for anything PackedBitmap would refuse,
// and for a block shorter than the bitmap it describes; the image never takes more than
// twice the block's size.
QImage PackedBitmapToImage(const std::uint8_t* data, std::size_t size);

// Any image as a 24-bit packed bitmap with its resolution. Transparency is laid over white,
// the colour of the page a graph is drawn on, so that a transparent backdrop reads as paper
// rather than as whatever colour its hidden pixels hold. Empty for a null image or one too
// large for a packed bitmap.
std::vector<std::uint8_t> ImageToPackedBitmap(const QImage& image);

// The application's clipboard, written as a session: Open, then Empty and the Set calls,
// then Close hands everything set to the clipboard at once, text and image together in one
// set of data (plain text, and the image in every format Qt offers to other programs).
// Within a session the reads see what the session has set; writes outside a session are
// dropped, and a session that is never closed changes nothing.
class QtClipboard : public Clipboard {
public:
    QtClipboard();
    ~QtClipboard() override;
    QtClipboard(const QtClipboard&) = delete;
    QtClipboard& operator=(const QtClipboard&) = delete;

    // False when there is no clipboard (no application object).
    bool Open() override;
    void Close() override;
    void Empty() override;
    // UTF-8 text.
    void SetText(const std::string& text) override;
    // A bitmap PackedBitmapToImage refuses sets nothing.
    void SetPackedBitmap(const std::vector<std::uint8_t>& bitmap) override;
    // True while the clipboard offers an image in any format.
    bool HasPackedBitmap() const override;
    // The clipboard's image as ImageToPackedBitmap makes it; nothing without an image.
    std::optional<std::vector<std::uint8_t>> GetPackedBitmap() override;

private:
    const QMimeData* Current() const;
    QMimeData& Pending();

    bool open_ = false;
    bool emptied_ = false;
    std::unique_ptr<QMimeData> pending_;
};
