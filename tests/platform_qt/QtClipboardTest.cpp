#include "platform_qt/QtClipboard.h"

#include "BitmapPixels.h"
#include "LargestAllocation.h"
#include "SeededBitmap.h"
#include "Truncations.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <vector>

namespace {

// Seeded pixels, a colour table of distinct colours (`coloursUsed` entries, 0 for the
// depth's full table) and a resolution.
PackedBitmap Painted(int width, int height, int bits, std::uint32_t coloursUsed = 0) {
    const PackedBitmap seeded = SeededBitmap(width, height, bits, 3, 11);
    PackedBitmap::Header header = seeded.header();
    header.clrUsed = coloursUsed;
    header.xPelsPerMeter = 2835;
    header.yPelsPerMeter = 3937;
    PackedBitmap bitmap;
    EXPECT_TRUE(bitmap.Allocate(header));
    std::memcpy(bitmap.Pixels(), seeded.Pixels(), seeded.ImageSize());
    if (bits <= 8) {
        std::uint8_t* table = bitmap.ColourTable();
        for (std::uint32_t i = 0; i < bitmap.ColourCount(); ++i) {
            table[4 * i] = static_cast<std::uint8_t>(i * 53 + 7);
            table[4 * i + 1] = static_cast<std::uint8_t>(i * 101 + 3);
            table[4 * i + 2] = static_cast<std::uint8_t>(i * 29 + 11);
        }
    }
    return bitmap;
}

std::vector<std::uint8_t> Bytes(const PackedBitmap& bitmap) {
    return std::vector<std::uint8_t>(bitmap.Data(), bitmap.Data() + bitmap.TotalSize());
}

// 0xAARRGGBB, top row first.
std::vector<std::uint32_t> Argb(const QImage& image) {
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            pixels.push_back(image.pixel(x, y));
        }
    }
    return pixels;
}

std::vector<std::uint32_t> Opaque(std::vector<std::uint32_t> rgb) {
    for (std::uint32_t& p : rgb) {
        p |= 0xFF000000u;
    }
    return rgb;
}

// The colours of a packed bitmap that must be a complete 24-bit one.
std::vector<std::uint32_t> Rgb24(const std::vector<std::uint8_t>& bytes) {
    PackedBitmap bitmap;
    EXPECT_TRUE(bitmap.CopyFrom(bytes.data(), bytes.size()));
    EXPECT_EQ(bitmap.BitCount(), 24);
    EXPECT_EQ(bitmap.TotalSize(), bytes.size());
    return ToRgb(bitmap);
}

TEST(PackedBitmapToImage, EveryDepthKeepsItsColoursBothWays) {
    const struct {
        int width;
        int height;
        int bits;
        std::uint32_t coloursUsed;
    } cases[] = {
        {13, 5, 1, 0},  {13, 5, 1, 1}, // index 1 past a one-entry table: black
        {13, 5, 4, 0},  {13, 5, 4, 5},  {13, 5, 8, 0}, {13, 5, 8, 20}, {13, 5, 16, 0},
        {13, 5, 24, 0}, {13, 5, 32, 0}, {1, 1, 24, 0}, {4, 3, 32, 0},  {33, 2, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << " x " << c.bits << ", "
                                          << c.coloursUsed << " colours");
        const PackedBitmap original = Painted(c.width, c.height, c.bits, c.coloursUsed);
        const std::vector<std::uint32_t> colours = ToRgb(original);

        const QImage image = PackedBitmapToImage(original.Data(), original.TotalSize());
        ASSERT_EQ(image.size(), QSize(c.width, c.height));
        EXPECT_EQ(Argb(image), Opaque(colours));
        EXPECT_EQ(image.dotsPerMeterX(), 2835);
        EXPECT_EQ(image.dotsPerMeterY(), 3937);

        const std::vector<std::uint8_t> back = ImageToPackedBitmap(image);
        EXPECT_EQ(Rgb24(back), colours);
        const PackedBitmap::Header header = PackedBitmap::ReadHeader(back.data());
        EXPECT_EQ(header.xPelsPerMeter, 2835);
        EXPECT_EQ(header.yPelsPerMeter, 3937);
    }
}

TEST(PackedBitmapToImage, RefusesBlocksItCannotTrust) {
    const std::vector<std::uint8_t> valid = Bytes(Painted(5, 3, 8));
    ASSERT_FALSE(PackedBitmapToImage(valid.data(), valid.size()).isNull());
    std::vector<std::uint8_t> longer = valid;
    longer.resize(valid.size() + 100, 0xEE);
    EXPECT_FALSE(PackedBitmapToImage(longer.data(), longer.size()).isNull())
        << "bytes past the bitmap are not part of it";
    EXPECT_TRUE(PackedBitmapToImage(nullptr, valid.size()).isNull());
    ForEachTruncation(valid, [](const std::vector<std::uint8_t>& prefix, std::size_t length) {
        EXPECT_TRUE(PackedBitmapToImage(prefix.data(), length).isNull()) << length;
    });

    using Header = PackedBitmap::Header;
    const struct {
        const char* what;
        std::function<void(Header&)> change;
    } headers[] = {
        {"a 12-byte header", [](Header& h) { h.size = 12; }},
        {"no width", [](Header& h) { h.width = 0; }},
        {"rows top-down", [](Header& h) { h.height = -3; }},
        {"two planes", [](Header& h) { h.planes = 2; }},
        {"2 bits", [](Header& h) { h.bitCount = 2; }},
        {"run-length pixels", [](Header& h) { h.compression = 1; }},
        {"bit-field masks", [](Header& h) { h.compression = 3; }},
        {"every dimension huge",
         [](Header& h) {
             h.width = 0x7FFFFFFF;
             h.height = 0x7FFFFFFF;
         }},
        {"a row past 32 bits",
         [](Header& h) {
             h.width = 0x40000000;
             h.height = 1;
             h.bitCount = 32;
         }},
        {"a large picture in a short block",
         [](Header& h) {
             h.width = 16000;
             h.height = 16000;
         }},
        {"a colour table past the block", [](Header& h) { h.clrUsed = 300; }},
        {"a colour table past 32 bits", [](Header& h) { h.clrUsed = 0xFFFFFFFF; }},
    };
    for (const auto& h : headers) {
        SCOPED_TRACE(h.what);
        Header header = PackedBitmap::ReadHeader(valid.data());
        h.change(header);
        std::vector<std::uint8_t> bytes = valid;
        PackedBitmap::WriteHeader(header, bytes.data());
        QImage image;
        const std::size_t largest =
            LargestAllocationOf([&] { image = PackedBitmapToImage(bytes.data(), bytes.size()); });
        EXPECT_TRUE(image.isNull());
        if (LargestAllocationKnown()) {
            EXPECT_LT(largest, std::size_t{1} << 20);
        }
    }
}

TEST(ImageToPackedBitmap, EveryImageFormatBecomesItsColoursIn24Bits) {
    QImage reference(7, 3, QImage::Format_RGB32);
    for (int y = 0; y < reference.height(); ++y) {
        for (int x = 0; x < reference.width(); ++x) {
            reference.setPixel(x, y, qRgb(x * 40, y * 120, (x * 7 + y * 50) % 256));
        }
    }
    reference.setDotsPerMeterX(5000);
    reference.setDotsPerMeterY(2000);
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied,
          QImage::Format_RGB888, QImage::Format_BGR888, QImage::Format_RGB16,
          QImage::Format_Indexed8, QImage::Format_Mono, QImage::Format_Grayscale8,
          QImage::Format_RGBA64}) {
        SCOPED_TRACE(static_cast<int>(format));
        const QImage image = reference.convertToFormat(format);
        std::vector<std::uint32_t> expected;
        for (const std::uint32_t p : Argb(image)) {
            expected.push_back(p & 0xFFFFFFu);
        }
        const std::vector<std::uint8_t> bytes = ImageToPackedBitmap(image);
        EXPECT_EQ(Rgb24(bytes), expected);
        const PackedBitmap::Header header = PackedBitmap::ReadHeader(bytes.data());
        EXPECT_EQ(header.xPelsPerMeter, 5000);
        EXPECT_EQ(header.yPelsPerMeter, 2000);
    }
    EXPECT_TRUE(ImageToPackedBitmap(QImage()).empty());
}

TEST(ImageToPackedBitmap, TransparencyIsLaidOverWhite) {
    const struct {
        QRgb argb;
        std::uint32_t rgb;
    } cases[] = {
        {qRgba(255, 0, 0, 255), 0xFF0000},   {qRgba(0, 0, 0, 0), 0xFFFFFF},
        {qRgba(10, 20, 30, 0), 0xFFFFFF},    {qRgba(200, 100, 0, 128), 0xE3B17F},
        {qRgba(0, 0, 255, 51), 0xCCCCFF},    {qRgba(0, 0, 0, 254), 0x010101},
        {qRgba(255, 255, 255, 1), 0xFFFFFF},
    };
    QImage image(static_cast<int>(std::size(cases)), 1, QImage::Format_ARGB32);
    std::vector<std::uint32_t> expected;
    for (int x = 0; x < image.width(); ++x) {
        image.setPixel(x, 0, cases[x].argb);
        expected.push_back(cases[x].rgb);
    }
    EXPECT_EQ(Rgb24(ImageToPackedBitmap(image)), expected);
}

TEST(QtClipboard, CopiesAndPastesThroughTheApplicationClipboard) {
    QClipboard* system = QGuiApplication::clipboard();
    ASSERT_NE(system, nullptr);
    system->setText("before");
    QtClipboard clipboard;

    // Writes outside a session go nowhere.
    clipboard.SetText("dropped");
    clipboard.Empty();
    EXPECT_EQ(system->text(), "before");
    EXPECT_FALSE(clipboard.HasPackedBitmap());
    EXPECT_FALSE(clipboard.GetPackedBitmap());

    // Copy: text and picture, handed over together when the session closes.
    const PackedBitmap picture = Painted(13, 5, 8);
    ASSERT_TRUE(clipboard.Open());
    clipboard.Empty();
    clipboard.SetText("x\ty\n1\t2\n");
    clipboard.SetPackedBitmap(Bytes(picture));
    EXPECT_TRUE(clipboard.HasPackedBitmap()) << "the session sees what it set";
    EXPECT_EQ(system->text(), "before");
    clipboard.Close();
    EXPECT_EQ(system->text(), "x\ty\n1\t2\n");
    ASSERT_NE(system->mimeData(), nullptr);
    EXPECT_TRUE(system->mimeData()->hasText());
    EXPECT_EQ(Argb(system->image()), Opaque(ToRgb(picture))) << "what other programs paste";

    // Paste.
    EXPECT_TRUE(clipboard.HasPackedBitmap());
    ASSERT_TRUE(clipboard.Open());
    const std::optional<std::vector<std::uint8_t>> pasted = clipboard.GetPackedBitmap();
    clipboard.Close();
    ASSERT_TRUE(pasted);
    EXPECT_EQ(Rgb24(*pasted), ToRgb(picture));

    // Emptied: the session no longer sees the picture; the clipboard loses it on Close.
    ASSERT_TRUE(clipboard.Open());
    clipboard.Empty();
    EXPECT_FALSE(clipboard.HasPackedBitmap());
    EXPECT_FALSE(clipboard.GetPackedBitmap());
    EXPECT_FALSE(system->image().isNull());
    clipboard.Close();
    EXPECT_FALSE(clipboard.HasPackedBitmap());
    EXPECT_TRUE(system->text().isEmpty());

    // A bitmap that cannot be read sets no picture; the text still goes.
    std::vector<std::uint8_t> cut = Bytes(picture);
    cut.pop_back();
    ASSERT_TRUE(clipboard.Open());
    clipboard.Empty();
    clipboard.SetText("t");
    clipboard.SetPackedBitmap(cut);
    clipboard.Close();
    EXPECT_EQ(system->text(), "t");
    EXPECT_FALSE(clipboard.HasPackedBitmap());

    // Another program's picture, partly transparent.
    QImage other(2, 1, QImage::Format_ARGB32);
    other.setPixel(0, 0, qRgba(200, 100, 0, 128));
    other.setPixel(1, 0, qRgba(0, 0, 0, 0));
    system->setImage(other);
    EXPECT_TRUE(clipboard.HasPackedBitmap());
    ASSERT_TRUE(clipboard.Open());
    const std::optional<std::vector<std::uint8_t>> foreign = clipboard.GetPackedBitmap();
    clipboard.Close();
    ASSERT_TRUE(foreign);
    EXPECT_EQ(Rgb24(*foreign), (std::vector<std::uint32_t>{0xE3B17F, 0xFFFFFF}));

    // A session never closed changes nothing.
    {
        QtClipboard abandoned;
        ASSERT_TRUE(abandoned.Open());
        abandoned.Empty();
        abandoned.SetText("lost");
    }
    EXPECT_TRUE(clipboard.HasPackedBitmap());
    EXPECT_NE(system->text(), "lost");
}

} // namespace
