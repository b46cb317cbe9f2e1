#include "platform_qt/QtClipboard.h"

#include "image/PackedBitmap.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QList>
#include <QMimeData>
#include <QString>
#include <QVariant>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// A 5-bit channel to 8 bits: round(v * 255 / 31).
constexpr int FiveToEight(std::uint32_t v) {
    return static_cast<int>((v * 255 + 15) / 31);
}

QClipboard* SystemClipboard() {
    return qGuiApp != nullptr ? QGuiApplication::clipboard() : nullptr;
}

QImage::Format FormatFor(int bits) {
    switch (bits) {
    case 1:
        return QImage::Format_Mono;
    case 4:
    case 8:
        return QImage::Format_Indexed8;
    case 24:
        return QImage::Format_BGR888;
    default:
        return QImage::Format_RGB32;
    }
}

} // namespace

QImage PackedBitmapToImage(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < PackedBitmap::kHeaderSize) {
        return QImage();
    }
    const PackedBitmap::Header header = PackedBitmap::ReadHeader(data);
    const std::uint64_t total = PackedBitmap::TotalSizeFor(header);
    if (total == 0 || total > size) {
        return QImage();
    }
    const int width = header.width;
    const int height = header.height;
    const int bits = header.bitCount;
    const auto rowBytes = static_cast<std::size_t>(PackedBitmap::RowBytes(width, bits));
    const std::uint8_t* table = data + PackedBitmap::kHeaderSize;
    const std::uint8_t* pixels =
        table + static_cast<std::size_t>(PackedBitmap::ColourTableSize(bits, header.clrUsed));

    QImage image(width, height, FormatFor(bits));
    if (image.isNull()) {
        return QImage();
    }
    if (bits <= 8) {
        const std::uint32_t indices = std::uint32_t{1} << bits;
        QList<QRgb> colours(static_cast<qsizetype>(indices), qRgb(0, 0, 0));
        const std::uint32_t count =
            std::min(PackedBitmap::ColourCount(bits, header.clrUsed), indices);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* entry = table + 4 * static_cast<std::size_t>(i);
            colours[static_cast<qsizetype>(i)] = qRgb(entry[2], entry[1], entry[0]);
        }
        image.setColorTable(colours);
    }
    // The bytes of a row that hold pixels, padding left out.
    const std::size_t used =
        (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 7) / 8;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = pixels + rowBytes * static_cast<std::size_t>(height - 1 - y);
        uchar* out = image.scanLine(y);
        auto* rgb = reinterpret_cast<QRgb*>(out);
        switch (bits) {
        case 4:
            for (int x = 0; x < width; ++x) {
                const std::uint8_t byte = row[x >> 1];
                out[x] = static_cast<uchar>((x & 1) != 0 ? byte & 0x0F : byte >> 4);
            }
            break;
        case 16:
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* p = row + 2 * static_cast<std::size_t>(x);
                const std::uint32_t v = p[0] | std::uint32_t{p[1]} << 8;
                rgb[x] =
                    qRgb(FiveToEight(v >> 10 & 31), FiveToEight(v >> 5 & 31), FiveToEight(v & 31));
            }
            break;
        case 32:
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* p = row + 4 * static_cast<std::size_t>(x);
                rgb[x] = qRgb(p[2], p[1], p[0]);
            }
            break;
        default: // 1, 8 and 24 bits share the row layout of their QImage format
            std::memcpy(out, row, used);
            break;
        }
    }
    if (header.xPelsPerMeter > 0) {
        image.setDotsPerMeterX(header.xPelsPerMeter);
    }
    if (header.yPelsPerMeter > 0) {
        image.setDotsPerMeterY(header.yPelsPerMeter);
    }
    return image;
}

std::vector<std::uint8_t> ImageToPackedBitmap(const QImage& image) {
    if (image.isNull()) {
        return {};
    }
    PackedBitmap::Header header;
    header.width = image.width();
    header.height = image.height();
    header.bitCount = 24;
    header.xPelsPerMeter = std::max(image.dotsPerMeterX(), 0);
    header.yPelsPerMeter = std::max(image.dotsPerMeterY(), 0);
    const std::uint64_t total = PackedBitmap::TotalSizeFor(header);
    if (total == 0) {
        return {};
    }
    const auto rowBytes = static_cast<std::size_t>(PackedBitmap::RowBytes(header.width, 24));
    header.sizeImage =
        static_cast<std::uint32_t>(rowBytes * static_cast<std::size_t>(header.height));

    // Premultiplied, a pixel over white is its channels plus (255 - alpha): no channel
    // exceeds its alpha, so the sum stays within a byte.
    const bool alpha = image.hasAlphaChannel();
    const QImage source =
        image.convertToFormat(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (source.isNull()) {
        return {};
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(total));
    } catch (const std::bad_alloc&) {
        return {};
    }
    PackedBitmap::WriteHeader(header, bytes.data());
    std::uint8_t* pixels = bytes.data() + PackedBitmap::kHeaderSize;
    for (int y = 0; y < header.height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        std::uint8_t* out = pixels + rowBytes * static_cast<std::size_t>(header.height - 1 - y);
        for (int x = 0; x < header.width; ++x) {
            const QRgb p = in[x];
            const int white = alpha ? 255 - qAlpha(p) : 0;
            out[3 * x] = static_cast<std::uint8_t>(qBlue(p) + white);
            out[3 * x + 1] = static_cast<std::uint8_t>(qGreen(p) + white);
            out[3 * x + 2] = static_cast<std::uint8_t>(qRed(p) + white);
        }
    }
    return bytes;
}

QtClipboard::QtClipboard() = default;

QtClipboard::~QtClipboard() = default;

bool QtClipboard::Open() {
    if (SystemClipboard() == nullptr) {
        return false;
    }
    open_ = true;
    emptied_ = false;
    pending_.reset();
    return true;
}

void QtClipboard::Close() {
    if (!open_) {
        return;
    }
    open_ = false;
    QClipboard* clipboard = SystemClipboard();
    if (clipboard != nullptr && pending_) {
        clipboard->setMimeData(pending_.release());
    } else if (clipboard != nullptr && emptied_) {
        clipboard->clear();
    }
    pending_.reset();
    emptied_ = false;
}

void QtClipboard::Empty() {
    if (open_) {
        pending_.reset();
        emptied_ = true;
    }
}

void QtClipboard::SetText(const std::string& text) {
    if (open_) {
        Pending().setText(QString::fromStdString(text));
    }
}

void QtClipboard::SetPackedBitmap(const std::vector<std::uint8_t>& bitmap) {
    if (!open_) {
        return;
    }
    const QImage image = PackedBitmapToImage(bitmap.data(), bitmap.size());
    if (!image.isNull()) {
        Pending().setImageData(image);
    }
}

bool QtClipboard::HasPackedBitmap() const {
    const QMimeData* data = Current();
    return data != nullptr && data->hasImage();
}

std::optional<std::vector<std::uint8_t>> QtClipboard::GetPackedBitmap() {
    const QMimeData* data = Current();
    if (data == nullptr || !data->hasImage()) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes = ImageToPackedBitmap(qvariant_cast<QImage>(data->imageData()));
    if (bytes.empty()) {
        return std::nullopt;
    }
    return bytes;
}

const QMimeData* QtClipboard::Current() const {
    if (open_ && (emptied_ || pending_)) {
        return pending_.get();
    }
    const QClipboard* clipboard = SystemClipboard();
    return clipboard != nullptr ? clipboard->mimeData() : nullptr;
}

QMimeData& QtClipboard::Pending() {
    if (!pending_) {
        pending_ = std::make_unique<QMimeData>();
    }
    return *pending_;
}
