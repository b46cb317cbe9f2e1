#include "platform_qt/QtDevice.h"

#include "image/PackedBitmap.h"
#include "platform_qt/QtColour.h"

#include <QColor>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QRectF>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Target pixels, half-open, in 64 bits so that no coordinate plus the origin overflows.
struct Box {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t right = 0;
    std::int64_t bottom = 0;

    bool Empty() const { return left >= right || top >= bottom; }
    std::int64_t Width() const { return right - left; }
    std::int64_t Height() const { return bottom - top; }
};

Box Intersect(const Box& a, const Box& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

Box FromRect(const QRect& rect) {
    return {rect.left(), rect.top(), std::int64_t{rect.right()} + 1,
            std::int64_t{rect.bottom()} + 1};
}

bool IsDirectFormat(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

Box ImageBounds(QImage& image) {
    if (image.isNull()) {
        return {};
    }
    if (!IsDirectFormat(image.format())) {
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                : QImage::Format_RGB32);
    }
    return {0, 0, image.width(), image.height()};
}

// A painter's logical bounds can be far larger than any device when it scales down; they
// are held where every pixel coordinate still fits a QRect.
constexpr double kPainterLimit = 1 << 30;

std::int64_t Bounded(double value) {
    if (!(value > -kPainterLimit)) {
        return -static_cast<std::int64_t>(kPainterLimit);
    }
    if (value > kPainterLimit) {
        return static_cast<std::int64_t>(kPainterLimit);
    }
    return static_cast<std::int64_t>(value);
}

// The device's rectangle (and the painter's clip) in the painter's logical coordinates.
Box PainterBounds(QPainter& painter) {
    const QPaintDevice* device = painter.device();
    if (!painter.isActive() || device == nullptr) {
        return {};
    }
    bool invertible = false;
    const QTransform inverse = painter.combinedTransform().inverted(&invertible);
    if (!invertible) {
        return {};
    }
    QRectF area = inverse.mapRect(QRectF(0, 0, device->width(), device->height()));
    if (painter.hasClipping()) {
        area &= painter.clipBoundingRect();
    }
    return {Bounded(std::floor(area.left())), Bounded(std::floor(area.top())),
            Bounded(std::ceil(area.right())), Bounded(std::ceil(area.bottom()))};
}

// Calls paint(x, y) for each pixel of the line from (x0, y0) to (x1, y1) that lies in `box`,
// in the order Bresenham's rule steps them, the end point left out; a dotted line leaves out
// every second step as well, the first painted.
//
// The rule's pixels have a closed form. On a line of `along` steps on its major axis and
// `across` on the other, step k is offset across by floor((2 * across * k + along) /
// (2 * along)): a tie steps towards the end. The offset never falls as k grows, so the
// visible steps are found by bisection and only they are walked, from the decision value
// the rule would hold there. The two ends are ints plus the same origin, so `along` is
// below 2^32 and every product below stays within 64 bits.
template <class Paint>
void ForEachLinePixel(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                      bool dotted, const Box& box, Paint paint) {
    const std::int64_t dx = x1 > x0 ? x1 - x0 : x0 - x1;
    const std::int64_t dy = y1 > y0 ? y1 - y0 : y0 - y1;
    const bool xMajor = dx >= dy;
    const std::int64_t along = xMajor ? dx : dy;
    const std::int64_t across = xMajor ? dy : dx;
    if (along == 0 || box.Empty()) {
        return;
    }
    const std::int64_t xStep = x0 < x1 ? 1 : -1;
    const std::int64_t yStep = y0 < y1 ? 1 : -1;
    const std::int64_t major0 = xMajor ? x0 : y0;
    const std::int64_t minor0 = xMajor ? y0 : x0;
    const std::int64_t majorStep = xMajor ? xStep : yStep;
    const std::int64_t minorStep = xMajor ? yStep : xStep;
    const std::int64_t majorLow = xMajor ? box.left : box.top;
    const std::int64_t majorHigh = xMajor ? box.right : box.bottom;
    const std::int64_t minorLow = xMajor ? box.top : box.left;
    const std::int64_t minorHigh = xMajor ? box.bottom : box.right;

    // Steps whose major coordinate is inside.
    std::int64_t first = majorStep > 0 ? majorLow - major0 : major0 - majorHigh + 1;
    std::int64_t end = majorStep > 0 ? majorHigh - major0 : major0 - majorLow + 1;
    first = std::max<std::int64_t>(first, 0);
    end = std::min(end, along);
    if (first >= end) {
        return;
    }
    // Offsets whose minor coordinate is inside.
    const std::int64_t offsetLow = minorStep > 0 ? minorLow - minor0 : minor0 - minorHigh + 1;
    const std::int64_t offsetHigh = minorStep > 0 ? minorHigh - minor0 : minor0 - minorLow + 1;

    const auto u = [](std::int64_t v) { return static_cast<std::uint64_t>(v); };
    // across * k = quotient * along + remainder; the offset is the quotient, one more when
    // the remainder reaches half of along.
    struct Split {
        std::int64_t offset;
        std::int64_t remainder;
        std::int64_t roundedUp;
    };
    const auto split = [&](std::int64_t k) {
        const std::uint64_t product = u(across) * u(k);
        const auto quotient = static_cast<std::int64_t>(product / u(along));
        const auto remainder = static_cast<std::int64_t>(product % u(along));
        const std::int64_t up = 2 * remainder >= along ? 1 : 0;
        return Split{quotient + up, remainder, up};
    };
    const auto firstReaching = [&](std::int64_t low, std::int64_t high, std::int64_t offset) {
        while (low < high) {
            const std::int64_t middle = low + (high - low) / 2;
            if (split(middle).offset >= offset) {
                high = middle;
            } else {
                low = middle + 1;
            }
        }
        return low;
    };
    first = firstReaching(first, end, offsetLow);
    end = firstReaching(first, end, offsetHigh);
    if (first >= end) {
        return;
    }

    // After step k the minor axis steps when 2 * across * (k + 1) - along * (2 * offset + 1)
    // is not negative; written through the remainder it stays small.
    const Split start = split(first);
    std::int64_t decision = 2 * start.remainder + 2 * across - 2 * along * start.roundedUp - along;
    std::int64_t major = major0 + majorStep * first;
    std::int64_t minor = minor0 + minorStep * start.offset;
    for (std::int64_t k = first; k < end; ++k) {
        if (!dotted || k % 2 == 0) {
            if (xMajor) {
                paint(major, minor);
            } else {
                paint(minor, major);
            }
        }
        if (decision >= 0) {
            minor += minorStep;
            decision -= 2 * along;
        }
        decision += 2 * across;
        major += majorStep;
    }
}

QRgb& ImagePixel(uchar* bits, qsizetype bytesPerLine, std::int64_t x, std::int64_t y) {
    return reinterpret_cast<QRgb*>(bits + static_cast<qsizetype>(y) * bytesPerLine)[x];
}

// Joins the pixels of a line into horizontal or vertical runs, so that a painter (a
// printer above all) receives one rectangle per run rather than one per pixel.
class PainterRuns {
public:
    PainterRuns(QPainter& painter, QRgb colour) : painter_(painter), colour_(colour) {}
    PainterRuns(const PainterRuns&) = delete;
    PainterRuns& operator=(const PainterRuns&) = delete;
    ~PainterRuns() { Flush(); }

    void Add(std::int64_t x, std::int64_t y) {
        const auto px = static_cast<int>(x);
        const auto py = static_cast<int>(y);
        if (!run_.isEmpty()) {
            if (run_.height() == 1 && py == run_.top() &&
                (px == run_.right() + 1 || px == run_.left() - 1)) {
                run_ = run_.united(QRect(px, py, 1, 1));
                return;
            }
            if (run_.width() == 1 && px == run_.left() &&
                (py == run_.bottom() + 1 || py == run_.top() - 1)) {
                run_ = run_.united(QRect(px, py, 1, 1));
                return;
            }
            Flush();
        }
        run_ = QRect(px, py, 1, 1);
    }

    void Flush() {
        if (!run_.isEmpty()) {
            painter_.fillRect(run_, QColor::fromRgb(colour_));
            run_ = QRect();
        }
    }

private:
    QPainter& painter_;
    QRgb colour_;
    QRect run_;
};

// The pixels of a packed bitmap whose header and sizes have been checked against its block.
struct Source {
    const std::uint8_t* pixels = nullptr;
    std::size_t rowBytes = 0;
    int width = 0;
    int height = 0;
    int bits = 0;
    // 0xFFRRGGBB for indices 0..255; black past the colour table.
    std::array<QRgb, 256> palette{};

    const std::uint8_t* RowFromTop(std::int64_t y) const {
        return pixels + rowBytes * static_cast<std::size_t>(height - 1 - y);
    }
};

bool ReadSource(const PackedBitmapView& view, Source& source) {
    if (view.data == nullptr || view.size < PackedBitmap::kHeaderSize) {
        return false;
    }
    const PackedBitmap::Header header = PackedBitmap::ReadHeader(view.data);
    const std::uint64_t total = PackedBitmap::TotalSizeFor(header);
    if (total == 0 || total > view.size) {
        return false;
    }
    source.width = header.width;
    source.height = header.height;
    source.bits = header.bitCount;
    source.rowBytes = static_cast<std::size_t>(PackedBitmap::RowBytes(header.width, source.bits));
    const std::uint8_t* table = view.data + PackedBitmap::kHeaderSize;
    source.pixels = table + static_cast<std::size_t>(
                                PackedBitmap::ColourTableSize(source.bits, header.clrUsed));
    source.palette.fill(0xFF000000u);
    if (source.bits <= 8) {
        const std::uint32_t count =
            std::min<std::uint32_t>(PackedBitmap::ColourCount(source.bits, header.clrUsed), 256);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* entry = table + 4 * static_cast<std::size_t>(i);
            source.palette[i] = qRgb(entry[2], entry[1], entry[0]);
        }
    }
    return true;
}

// A 5-bit channel to 8 bits: round(v * 255 / 31), in one multiply and shift.
constexpr std::uint32_t FiveToEight(std::uint32_t v) {
    return (v * 527 + 23) >> 6;
}
static_assert([] {
    for (std::uint32_t v = 0; v < 32; ++v) {
        if (FiveToEight(v) != (v * 255 + 15) / 31) {
            return false;
        }
    }
    return true;
}());

// The source position of each visible destination column: a pixel index for 1 and 4 bits,
// a byte offset in the row for the others.
struct Columns {
    std::vector<std::uint32_t> at;
    // Each column is the pixel after the one before (no horizontal scaling): rows are then
    // converted as straight runs.
    bool consecutive = false;
    // How many leading columns of a 24-bit row may be read as four bytes: all but those
    // whose fourth byte lies past the end of the row.
    std::size_t wide = 0;
};

Columns MakeColumns(const Source& source, std::int64_t firstColumn, std::int64_t count,
                    std::int64_t srcX, std::int64_t srcWidth, std::int64_t destWidth) {
    Columns columns;
    columns.at.resize(static_cast<std::size_t>(count));
    const std::uint32_t bytes = source.bits >= 8 ? static_cast<std::uint32_t>(source.bits / 8) : 1;
    for (std::size_t c = 0; c < columns.at.size(); ++c) {
        const std::int64_t i = firstColumn + static_cast<std::int64_t>(c);
        columns.at[c] = static_cast<std::uint32_t>(srcX + i * srcWidth / destWidth) * bytes;
    }
    columns.consecutive = srcWidth == destWidth;
    columns.wide = columns.at.size();
    if (source.bits == 24) {
        while (columns.wide > 0 && columns.at[columns.wide - 1] + 4 > source.rowBytes) {
            --columns.wide;
        }
    }
    return columns;
}

// Converts the pixels of one source row at the given columns to 0xFFRRGGBB.
template <bool Consecutive>
void ConvertRow(const Source& source, const std::uint8_t* row, const Columns& columns, QRgb* out) {
    const std::uint32_t* at = columns.at.data();
    const std::size_t count = columns.at.size();
    const std::size_t first = at[0];
    const auto column = [&](std::size_t i, std::size_t bytes) -> std::size_t {
        return Consecutive ? first + i * bytes : at[i];
    };
    const QRgb* palette = source.palette.data();
    switch (source.bits) {
    case 1:
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t c = column(i, 1);
            out[i] = palette[(row[c >> 3] >> (7 - (c & 7))) & 1];
        }
        break;
    case 4:
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t c = column(i, 1);
            out[i] = palette[(row[c >> 1] >> ((c & 1) != 0 ? 0 : 4)) & 0x0F];
        }
        break;
    case 8:
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = palette[row[column(i, 1)]];
        }
        break;
    case 16:
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* p = row + column(i, 2);
            const std::uint32_t v = p[0] | std::uint32_t{p[1]} << 8;
            out[i] = 0xFF000000u | FiveToEight(v >> 10 & 31) << 16 | FiveToEight(v >> 5 & 31) << 8 |
                     FiveToEight(v & 31);
        }
        break;
    case 24: {
        // Blue, green, red read as one little-endian word; the byte after them is
        // overwritten by the alpha.
        const std::size_t wide = columns.wide;
        std::size_t i = 0;
#if defined(__SSE2__)
        if constexpr (Consecutive) {
            // Four pixels at a time: the twelve bytes of a sixteen-byte load, which must lie
            // in the row, moved into four words.
            const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
            for (; i + 4 <= count && first + 3 * i + 16 <= source.rowBytes; i += 4) {
                const __m128i v =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + first + 3 * i));
                const __m128i low = _mm_unpacklo_epi32(v, _mm_srli_si128(v, 3));
                const __m128i high = _mm_unpacklo_epi32(_mm_srli_si128(v, 6), _mm_srli_si128(v, 9));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                                 _mm_or_si128(_mm_unpacklo_epi64(low, high), alpha));
            }
        }
#endif
        for (; i < wide; ++i) {
            std::uint32_t v = 0;
            std::memcpy(&v, row + column(i, 3), 4);
            out[i] = v | 0xFF000000u;
        }
        for (; i < count; ++i) {
            const std::uint8_t* p = row + column(i, 3);
            out[i] = 0xFF000000u | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
        }
        break;
    }
    default: // 32: blue, green, red, unused
        for (std::size_t i = 0; i < count; ++i) {
            std::uint32_t v = 0;
            std::memcpy(&v, row + column(i, 4), 4);
            out[i] = v | 0xFF000000u;
        }
        break;
    }
}

// Fills `count` lines of 32-bit pixels from `first` on: line r shows source row rows[r]. A
// row that repeats the one before (an enlarged picture) is copied rather than converted.
void RenderRows(const Source& source, const Columns& columns, const std::int32_t* rows,
                std::int64_t count, uchar* first, qsizetype bytesPerLine) {
    const std::size_t lineBytes = columns.at.size() * sizeof(QRgb);
    for (std::int64_t r = 0; r < count; ++r) {
        uchar* line = first + static_cast<qsizetype>(r) * bytesPerLine;
        if (r > 0 && rows[r] == rows[r - 1]) {
            std::memcpy(line, line - bytesPerLine, lineBytes);
        } else if (columns.consecutive) {
            ConvertRow<true>(source, source.RowFromTop(rows[r]), columns,
                             reinterpret_cast<QRgb*>(line));
        } else {
            ConvertRow<false>(source, source.RowFromTop(rows[r]), columns,
                              reinterpret_cast<QRgb*>(line));
        }
    }
}

// The format a painter's device keeps its pixels in when that has fewer than 24 bits of
// colour; Format_Invalid otherwise.
QImage::Format LowColourFormat(const QPaintDevice& device) {
    QImage::Format format = QImage::Format_Invalid;
    if (device.devType() == QInternal::Image) {
        format = static_cast<const QImage&>(device).format();
    } else {
        switch (device.depth()) {
        case 1:
            format = QImage::Format_Mono;
            break;
        case 8:
            format = QImage::Format_Indexed8;
            break;
        case 15:
            format = QImage::Format_RGB555;
            break;
        case 16:
            format = QImage::Format_RGB16;
            break;
        default:
            break;
        }
    }
    if (format == QImage::Format_Invalid) {
        return format;
    }
    const QPixelFormat pixel = QImage::toPixelFormat(format);
    const int colourBits = pixel.colorModel() == QPixelFormat::RGB
                               ? pixel.redSize() + pixel.greenSize() + pixel.blueSize()
                               : pixel.bitsPerPixel();
    return colourBits < 24 ? format : QImage::Format_Invalid;
}

// The largest tile of a bitmap drawn through a painter: 16 MB.
constexpr std::int64_t kTileWidth = 2048;
constexpr std::int64_t kTilePixels = std::int64_t{1} << 22;

Box VisibleBox(QImage* image, QPainter* painter, const std::optional<QRect>& clip) {
    Box bounds;
    if (image != nullptr) {
        bounds = ImageBounds(*image);
    } else if (painter != nullptr) {
        bounds = PainterBounds(*painter);
    }
    if (clip) {
        bounds = Intersect(bounds, FromRect(*clip));
    }
    return bounds;
}

// Copies the colour into the box, which lies inside the target.
void FillBox(QImage* image, QPainter* painter, const Box& box, QRgb rgb) {
    if (box.Empty()) {
        return;
    }
    if (image != nullptr) {
        uchar* bits = image->bits();
        const qsizetype bytesPerLine = image->bytesPerLine();
        for (std::int64_t y = box.top; y < box.bottom; ++y) {
            std::fill_n(&ImagePixel(bits, bytesPerLine, box.left, y), box.Width(), rgb);
        }
        return;
    }
    // The colour is opaque: the painter's usual source-over composition copies it.
    painter->fillRect(QRect(static_cast<int>(box.left), static_cast<int>(box.top),
                            static_cast<int>(box.Width()), static_cast<int>(box.Height())),
                      QColor::fromRgb(rgb));
}

} // namespace

QtDevice::QtDevice(QImage& image) : image_(&image) {}

QtDevice::QtDevice(QPainter& painter) : painter_(&painter) {}

Pen QtDevice::SelectPen(const Pen& pen) {
    const Pen old = pen_;
    pen_ = pen;
    return old;
}

RasterOp QtDevice::SetRasterOp(RasterOp op) {
    const RasterOp old = rop_;
    rop_ = op;
    return old;
}

void QtDevice::MoveTo(int x, int y) {
    x_ = x;
    y_ = y;
}

void QtDevice::SetOrigin(int dx, int dy) {
    originX_ = dx;
    originY_ = dy;
}

void QtDevice::SetClip(const QRect& clip) {
    clip_ = clip;
}

void QtDevice::ClearClip() {
    clip_.reset();
}

void QtDevice::SetDithered(bool dithered) {
    dithered_ = dithered;
}

void QtDevice::LineTo(int x, int y) {
    const std::int64_t x0 = std::int64_t{x_} + originX_;
    const std::int64_t y0 = std::int64_t{y_} + originY_;
    const std::int64_t x1 = std::int64_t{x} + originX_;
    const std::int64_t y1 = std::int64_t{y} + originY_;
    x_ = x;
    y_ = y;
    const Box visible = VisibleBox(image_, painter_, clip_);
    if (visible.Empty()) {
        return;
    }
    const bool dotted = pen_.style == PenStyle::Dotted;
    const QRgb colour = ToQRgb(pen_.colour);
    if (image_ != nullptr) {
        uchar* bits = image_->bits();
        const qsizetype bytesPerLine = image_->bytesPerLine();
        if (rop_ == RasterOp::NotXorPen) {
            const QRgb pen = colour & 0x00FFFFFFu;
            ForEachLinePixel(x0, y0, x1, y1, dotted, visible,
                             [&](std::int64_t px, std::int64_t py) {
                                 QRgb& p = ImagePixel(bits, bytesPerLine, px, py);
                                 p = (p & 0xFF000000u) | (~(p ^ pen) & 0x00FFFFFFu);
                             });
        } else {
            ForEachLinePixel(x0, y0, x1, y1, dotted, visible,
                             [&](std::int64_t px, std::int64_t py) {
                                 ImagePixel(bits, bytesPerLine, px, py) = colour;
                             });
        }
        return;
    }
    const QPainter::CompositionMode previous = painter_->compositionMode();
    if (rop_ == RasterOp::NotXorPen) {
        // Only the raster engine really combines with what is there; the PDF engine, for
        // one, claims raster operations and paints the plain pen colour.
        const QPaintEngine* engine = painter_->paintEngine();
        if (engine == nullptr || engine->type() != QPaintEngine::Raster) {
            return;
        }
        painter_->setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    }
    {
        PainterRuns runs(*painter_, colour);
        ForEachLinePixel(x0, y0, x1, y1, dotted, visible,
                         [&](std::int64_t px, std::int64_t py) { runs.Add(px, py); });
    }
    painter_->setCompositionMode(previous);
}

void QtDevice::SetPixel(int x, int y, Colour colour) {
    const std::int64_t px = std::int64_t{x} + originX_;
    const std::int64_t py = std::int64_t{y} + originY_;
    FillBox(image_, painter_,
            Intersect(Box{px, py, px + 1, py + 1}, VisibleBox(image_, painter_, clip_)),
            ToQRgb(colour));
}

void QtDevice::FillRect(int left, int top, int right, int bottom, Colour colour) {
    const Box area{std::int64_t{left} + originX_, std::int64_t{top} + originY_,
                   std::int64_t{right} + originX_, std::int64_t{bottom} + originY_};
    FillBox(image_, painter_, Intersect(area, VisibleBox(image_, painter_, clip_)), ToQRgb(colour));
}

void QtDevice::DrawPackedBitmap(const PackedBitmapView& bitmap, int destX, int destY, int destWidth,
                                int destHeight, int srcX, int srcY, int srcWidth, int srcHeight) {
    if (destWidth <= 0 || destHeight <= 0 || srcWidth <= 0 || srcHeight <= 0 || srcX < 0 ||
        srcY < 0) {
        return;
    }
    Source source;
    if (!ReadSource(bitmap, source) || std::int64_t{srcX} + srcWidth > source.width ||
        std::int64_t{srcY} + srcHeight > source.height) {
        return;
    }
    const std::int64_t left = std::int64_t{destX} + originX_;
    const std::int64_t top = std::int64_t{destY} + originY_;
    const Box visible = Intersect(Box{left, top, left + destWidth, top + destHeight},
                                  VisibleBox(image_, painter_, clip_));
    if (visible.Empty()) {
        return;
    }

    // Only the visible destination pixels are worked out, so neither time nor memory grows
    // with the zoom.
    const auto rowsFrom = [&](std::int64_t first, std::int64_t count) {
        std::vector<std::int32_t> rows(static_cast<std::size_t>(count));
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const std::int64_t j = first - top + static_cast<std::int64_t>(r);
            rows[r] = static_cast<std::int32_t>(srcY + j * srcHeight / destHeight);
        }
        return rows;
    };
    if (image_ != nullptr) {
        const Columns columns =
            MakeColumns(source, visible.left - left, visible.Width(), srcX, srcWidth, destWidth);
        const std::vector<std::int32_t> rows = rowsFrom(visible.top, visible.Height());
        const qsizetype bytesPerLine = image_->bytesPerLine();
        uchar* first = image_->bits() + static_cast<qsizetype>(visible.top) * bytesPerLine +
                       static_cast<qsizetype>(visible.left) * 4;
        RenderRows(source, columns, rows.data(), visible.Height(), first, bytesPerLine);
        return;
    }

    // A painter's logical area may be far larger than its device (a page at printer
    // resolution, a painter that scales down): it is drawn in tiles of bounded size.
    const QImage::Format lowColour =
        dithered_ ? LowColourFormat(*painter_->device()) : QImage::Format_Invalid;
    const std::int64_t tileWidth = std::min(visible.Width(), kTileWidth);
    const std::int64_t tileHeight = std::max<std::int64_t>(1, kTilePixels / tileWidth);
    for (std::int64_t y = visible.top; y < visible.bottom; y += tileHeight) {
        const std::int64_t height = std::min(tileHeight, visible.bottom - y);
        const std::vector<std::int32_t> rows = rowsFrom(y, height);
        for (std::int64_t x = visible.left; x < visible.right; x += tileWidth) {
            const std::int64_t width = std::min(tileWidth, visible.right - x);
            const Columns columns = MakeColumns(source, x - left, width, srcX, srcWidth, destWidth);
            QImage tile(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
            if (tile.isNull()) {
                return;
            }
            RenderRows(source, columns, rows.data(), height, tile.bits(), tile.bytesPerLine());
            if (lowColour != QImage::Format_Invalid) {
                tile = tile.convertToFormat(lowColour, Qt::DiffuseDither);
            }
            painter_->drawImage(QPoint(static_cast<int>(x), static_cast<int>(y)), tile);
        }
    }
}
