#include "platform_qt/QtDevice.h"

#include "image/BitmapOps.h"
#include "image/PackedBitmap.h"
#include "platform_qt/QtColour.h"

#include "BitmapPixels.h"
#include "LargestAllocation.h"
#include "RasterDevice.h"
#include "SeededBitmap.h"
#include "Truncations.h"

#include <QBitmap>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QString>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr Colour kPaper = MakeColour(250, 240, 200);
constexpr Colour kRed = MakeColour(230, 30, 10);
constexpr Colour kBlue = MakeColour(20, 40, 230);
constexpr int kHuge = 1 << 28;

// One call on a Device, so that a drawing can be played on two devices, or shifted.
struct Op {
    enum Kind { kMove, kLine, kPen, kRop, kPixel, kFill } kind;
    int a = 0, b = 0, c = 0, d = 0;
    Colour colour = kBlack;
    PenStyle style = PenStyle::Solid;
    RasterOp rop = RasterOp::Copy;

    static Op To(int x, int y) { return {kMove, x, y}; }
    static Op Line(int x, int y) { return {kLine, x, y}; }
    static Op Pen(Colour c, PenStyle s = PenStyle::Solid) { return {kPen, 0, 0, 0, 0, c, s}; }
    static Op Rop(RasterOp r) { return {kRop, 0, 0, 0, 0, kBlack, PenStyle::Solid, r}; }
    static Op Dot(int x, int y, Colour c) { return {kPixel, x, y, 0, 0, c}; }
    static Op Box(int l, int t, int r, int b, Colour c) { return {kFill, l, t, r, b, c}; }
};
using Drawing = std::vector<Op>;

// Plays the drawing with every coordinate moved by (dx, dy).
void Play(Device& device, const Drawing& drawing, int dx = 0, int dy = 0) {
    for (const Op& op : drawing) {
        switch (op.kind) {
        case Op::kMove:
            device.MoveTo(op.a + dx, op.b + dy);
            break;
        case Op::kLine:
            device.LineTo(op.a + dx, op.b + dy);
            break;
        case Op::kPen:
            device.SelectPen(Pen{op.colour, 0, op.style});
            break;
        case Op::kRop:
            device.SetRasterOp(op.rop);
            break;
        case Op::kPixel:
            device.SetPixel(op.a + dx, op.b + dy, op.colour);
            break;
        case Op::kFill:
            device.FillRect(op.a + dx, op.b + dy, op.c + dx, op.d + dy, op.colour);
            break;
        }
    }
}

Drawing Concat(std::initializer_list<Drawing> parts) {
    Drawing all;
    for (const Drawing& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// Lines from (cx, cy) to points round a circle, every 15 degrees: all eight octants, their
// boundaries and the slopes between.
Drawing Star(int cx, int cy, int radius) {
    Drawing drawing;
    for (int degrees = 0; degrees < 360; degrees += 15) {
        const double a = degrees * 3.14159265358979 / 180.0;
        drawing.push_back(Op::To(cx, cy));
        drawing.push_back(Op::Line(cx + static_cast<int>(std::lround(radius * std::cos(a))),
                                   cy + static_cast<int>(std::lround(radius * std::sin(a)))));
    }
    return drawing;
}

const Drawing kEdgeLines = {
    Op::Pen(kBlack),        Op::To(-500, 3),
    Op::Line(500, 20),      Op::To(20, -1000),
    Op::Line(25, 1000),     Op::To(-30000, -20000),
    Op::Line(30000, 21000), Op::To(47, 35),
    Op::Line(-1, -1),       Op::To(0, 0),
    Op::Line(48, 0),        Op::To(47, -5),
    Op::Line(47, 40),       Op::Pen(kRed, PenStyle::Dotted),
    Op::To(60, 40),         Op::Line(-20, -7),
};
// A polyline goes on from its last point; a line to the current point draws nothing.
const Drawing kPolyline = {
    Op::Pen(kBlue, PenStyle::Dotted),
    Op::To(2, 2),
    Op::Line(30, 5),
    Op::Line(30, 5),
    Op::Line(10, 30),
    Op::Line(2, 2),
    Op::Line(45, 33),
};
// Pixels and fills copy whatever the raster operation; an inverted rectangle is empty.
const Drawing kPixelsAndFills = {
    Op::Rop(RasterOp::NotXorPen), Op::Dot(0, 0, kRed),
    Op::Dot(-1, 3, kRed),         Op::Dot(47, 35, kBlue),
    Op::Dot(48, 35, kBlue),       Op::Box(5, 5, 15, 9, kBlue),
    Op::Box(5, 5, 15, 9, kBlue),  Op::Box(40, 30, 60, 50, kRed),
    Op::Box(12, 12, 6, 6, kRed),  Op::Box(-100, -100, 100, 2, kBlack),
    Op::Dot(0, 0, kRed),
};

QImage Canvas(int width, int height, QImage::Format format = QImage::Format_RGB32) {
    QImage image(width, height, format);
    image.fill(ToQRgb(kPaper));
    return image;
}

// The first pixel where the image is not the expected colour, as text; empty when none.
std::string FirstDifference(const QImage& image, const std::vector<QRgb>& expected) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb want = expected[static_cast<std::size_t>(y * image.width() + x)];
            if (image.pixel(x, y) != want) {
                return "(" + std::to_string(x) + ", " + std::to_string(y) +
                       "): " + QString::number(image.pixel(x, y), 16).toStdString() +
                       " instead of " + QString::number(want, 16).toStdString();
            }
        }
    }
    return {};
}

std::vector<QRgb> Pixels(const RasterDevice& reference) {
    std::vector<QRgb> pixels;
    for (int y = 0; y < reference.height(); ++y) {
        for (int x = 0; x < reference.width(); ++x) {
            pixels.push_back(ToQRgb(reference.At(x, y)));
        }
    }
    return pixels;
}

TEST(QtColour, ConvertsBetweenColourAndQRgb) {
    const std::pair<Colour, QRgb> cases[] = {{MakeColour(1, 2, 3), 0xFF010203u},
                                             {MakeColour(255, 0, 0), 0xFFFF0000u},
                                             {MakeColour(0, 0, 255), 0xFF0000FFu}};
    for (const auto& [colour, rgb] : cases) {
        EXPECT_EQ(ToQRgb(colour), rgb);
        EXPECT_EQ(FromQRgb(rgb & 0x00FFFFFFu), colour);
    }
}

TEST(QtDevice, DrawsTheSamePixelsAsTheReferenceRaster) {
    const std::pair<const char*, Drawing> cases[] = {
        {"solid star", Concat({{Op::Pen(kBlack)}, Star(20, 15, 14)})},
        {"dotted stars, not-xor over each other",
         Concat({{Op::Pen(kRed, PenStyle::Dotted), Op::Rop(RasterOp::NotXorPen)},
                 Star(20, 15, 14),
                 Star(23, 17, 9)})},
        {"lines across and along the edges", kEdgeLines},
        {"polyline", kPolyline},
        {"pixels and fills", kPixelsAndFills},
    };
    for (const auto& [name, drawing] : cases) {
        RasterDevice reference(48, 36, kPaper);
        Play(reference, drawing);
        QImage image = Canvas(48, 36);
        QtDevice device(image);
        Play(device, drawing);
        EXPECT_EQ(FirstDifference(image, Pixels(reference)), "") << name;
    }
    // Every end point around a start, both pen styles.
    for (const PenStyle style : {PenStyle::Solid, PenStyle::Dotted}) {
        for (int y = -3; y <= 27; ++y) {
            for (int x = -3; x <= 27; ++x) {
                const Drawing line = {Op::Pen(kBlack, style), Op::To(12, 11), Op::Line(x, y)};
                RasterDevice reference(25, 25, kPaper);
                Play(reference, line);
                QImage image = Canvas(25, 25);
                QtDevice device(image);
                Play(device, line);
                ASSERT_EQ(FirstDifference(image, Pixels(reference)), "")
                    << "to " << x << ", " << y << (style == PenStyle::Dotted ? " dotted" : "");
            }
        }
    }
}

TEST(QtDevice, OriginClipAndFarCoordinatesKeepTheReferencePixels) {
    // The reference draws `twin` (or the drawing moved by the origin) and is cut to the
    // clip. A far line has a short twin on the same pixels; both start an even number of
    // steps before the surface, so a dotted pen paints the same pixels too.
    struct Case {
        const char* name;
        int dx;
        int dy;
        std::optional<QRect> clip;
        Drawing drawing;
        std::optional<Drawing> twin;
    };
    const Drawing all =
        Concat({{Op::Pen(kBlack)}, Star(20, 15, 14), kEdgeLines, kPolyline, kPixelsAndFills});
    const Case cases[] = {
        {"origin", 7, -4, {}, all, {}},
        {"origin and clip", -13, 9, QRect(5, 4, 20, 12), all, {}},
        {"one-pixel clip", 0, 0, QRect(47, 35, 1, 1), all, {}},
        {"empty clip", 2, 1, QRect(10, 10, 0, 5), all, {}},
        {"clip beyond the target", 3, 3, QRect(-10, -10, 100, 100), all, {}},
        {"horizontal",
         0,
         0,
         {},
         {Op::To(-kHuge, 5), Op::Line(kHuge, 5)},
         Drawing{Op::To(-4000, 5), Op::Line(4000, 5)}},
        {"diagonal",
         0,
         0,
         {},
         {Op::To(-kHuge, -kHuge), Op::Line(kHuge, kHuge)},
         Drawing{Op::To(-4000, -4000), Op::Line(4000, 4000)}},
        {"slope one half",
         0,
         0,
         {},
         {Op::To(-kHuge, -kHuge / 2), Op::Line(kHuge, kHuge / 2)},
         Drawing{Op::To(-4000, -2000), Op::Line(4000, 2000)}},
        {"slope two, backwards, clipped",
         0,
         0,
         QRect(3, 2, 30, 20),
         {Op::To(kHuge / 2, kHuge), Op::Line(-kHuge / 2, -kHuge)},
         Drawing{Op::To(2000, 4000), Op::Line(-2000, -4000)}},
        {"the whole int range",
         0,
         0,
         {},
         {Op::To(INT_MIN, 7), Op::Line(INT_MAX, 7)},
         Drawing{Op::To(-4000, 7), Op::Line(4000, 7)}},
        {"origin bringing the int range back",
         INT_MAX,
         INT_MAX,
         {},
         {Op::To(INT_MIN, INT_MIN), Op::Line(INT_MIN + 20, INT_MIN + 10)},
         Drawing{Op::To(-1, -1), Op::Line(19, 9)}},
        {"origin taking the int range beyond",
         1 << 30,
         0,
         {},
         {Op::To(INT_MAX - 5, 5), Op::Line(-(1 << 30) + 10, 5)},
         Drawing{Op::To(4000, 5), Op::Line(10, 5)}},
        {"wholly outside", 0, 0, {}, {Op::To(-kHuge, -3), Op::Line(kHuge, -kHuge)}, Drawing{}},
    };
    for (const Case& c : cases) {
        for (const PenStyle style : {PenStyle::Solid, PenStyle::Dotted}) {
            const Drawing pen = {Op::Pen(kBlack, style)};
            RasterDevice reference(48, 36, kPaper);
            if (c.twin) {
                Play(reference, Concat({pen, *c.twin}));
            } else {
                Play(reference, Concat({pen, c.drawing}), c.dx, c.dy);
            }
            std::vector<QRgb> expected = Pixels(reference);
            for (std::size_t i = 0; c.clip && i < expected.size(); ++i) {
                if (!c.clip->contains(static_cast<int>(i % 48), static_cast<int>(i / 48))) {
                    expected[i] = ToQRgb(kPaper);
                }
            }
            QImage image = Canvas(48, 36);
            QtDevice device(image);
            device.SetOrigin(c.dx, c.dy);
            if (c.clip) {
                device.SetClip(*c.clip);
            }
            Play(device, Concat({pen, c.drawing}));
            EXPECT_EQ(FirstDifference(image, expected), "")
                << c.name << (style == PenStyle::Dotted ? ", dotted" : "");
        }
    }
}

TEST(QtDevice, NotXorTwiceRestoresEveryByte) {
    const Drawing figure = Concat({
        {Op::Rop(RasterOp::NotXorPen), Op::Pen(kBlack)},
        Star(30, 20, 18),
        {Op::Pen(kRed, PenStyle::Dotted), Op::To(-10, 3), Op::Line(70, 45), Op::Line(5, 44)},
        {Op::Pen(kBlack, PenStyle::Dotted), Op::To(10, 10), Op::Line(50, 10), Op::Line(50, 40),
         Op::Line(10, 10)},
    });
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied}) {
        QImage image(64, 48, format);
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                // Opaque where premultiplied values must stay valid; any alpha otherwise.
                const int alpha = format == QImage::Format_ARGB32 ? (x * 7 + y * 3) % 256 : 255;
                image.setPixel(x, y, qRgba((x * 37 + y) % 256, y * 5, x ^ y, alpha));
            }
        }
        const QImage before = image.copy();
        QtDevice device(image);
        Play(device, figure);
        EXPECT_FALSE(image == before) << format;
        Play(device, figure);
        for (int y = 0; y < 48; ++y) {
            ASSERT_EQ(std::memcmp(image.constScanLine(y), before.constScanLine(y), 64 * 4), 0)
                << "format " << format << ", row " << y;
        }
    }
}

// Seeded pixels and, for 1, 4 and 8 bits, a table of `colours` unlike entries (0: full).
PackedBitmap ColouredBitmap(int width, int height, int bits, std::uint32_t colours = 0) {
    const PackedBitmap seeded = SeededBitmap(width, height, bits, 3, 29);
    PackedBitmap::Header header = seeded.header();
    header.clrUsed = colours;
    PackedBitmap bitmap;
    EXPECT_TRUE(bitmap.Allocate(header));
    std::memcpy(bitmap.Pixels(), seeded.Pixels(), seeded.ImageSize());
    for (std::uint32_t i = 0; bits <= 8 && i < bitmap.ColourCount(); ++i) {
        const std::uint8_t entry[4] = {static_cast<std::uint8_t>(i * 53 + 7),
                                       static_cast<std::uint8_t>(i * 91 + 100),
                                       static_cast<std::uint8_t>(i * 37 + 200), 0};
        std::memcpy(bitmap.ColourTable() + 4 * i, entry, 4);
    }
    return bitmap;
}

PackedBitmapView ViewOf(const PackedBitmap& bitmap) {
    return {bitmap.Data(), bitmap.TotalSize()};
}

// The model's own picture of `source` scaled to width x height.
std::vector<QRgb> ScaledByTheModel(const PackedBitmap& source, int width, int height) {
    PackedBitmap scaled;
    EXPECT_TRUE(BitmapOps::Scale(source, width, height, scaled));
    std::vector<QRgb> pixels = ToRgb(scaled);
    for (QRgb& p : pixels) {
        p |= 0xFF000000u;
    }
    return pixels;
}

TEST(QtDevice, BitmapsOfEveryDepthScaleAsTheModelScales) {
    // Short tables leave indices without a colour: they show black.
    const std::pair<int, std::uint32_t> depths[] = {{1, 0},   {4, 0},  {4, 5},  {8, 0},
                                                    {8, 100}, {16, 0}, {24, 0}, {32, 0}};
    // 4 x 3: rows of 24 and 32 bits without padding, so that the top row's last pixel ends
    // the block.
    const QSize sources[] = {{13, 7}, {1, 1}, {33, 2}, {4, 3}};
    const QSize sizes[] = {{13, 7}, {4, 3}, {31, 17}, {5, 3}, {1, 40}, {97, 1}, {64, 64}};
    for (const auto& [bits, colours] : depths) {
        for (const QSize& from : sources) {
            const PackedBitmap bitmap = ColouredBitmap(from.width(), from.height(), bits, colours);
            for (const QSize& to : sizes) {
                QImage image = Canvas(to.width(), to.height());
                QtDevice(image).DrawPackedBitmap(ViewOf(bitmap), 0, 0, to.width(), to.height(), 0,
                                                 0, from.width(), from.height());
                EXPECT_EQ(FirstDifference(image, ScaledByTheModel(bitmap, to.width(), to.height())),
                          "")
                    << bits << " bits, " << colours << " colours, " << from.width() << "x"
                    << from.height() << " to " << to.width() << "x" << to.height();
            }
        }
    }
}

TEST(QtDevice, APartOfABitmapOrOfTheTargetIsTheCorrespondingCrop) {
    struct Case {
        const char* name;
        QPoint origin;
        std::optional<QRect> clip;
        QRect dest;   // logical
        QRect source; // bitmap pixels, rows from the top
    };
    const Case cases[] = {
        {"offset by the origin", {-9, -5}, {}, {0, 0, 40, 30}, {0, 0, 21, 11}},
        {"placed and clipped", {4, 3}, QRect(6, 5, 17, 9), {2, 1, 40, 30}, {0, 0, 21, 11}},
        {"hanging off every side", {0, 0}, {}, {-7, -6, 40, 30}, {0, 0, 21, 11}},
        {"a source rectangle", {0, 0}, {}, {1, 2, 29, 23}, {5, 3, 9, 6}},
        {"a source rectangle at its own size", {0, 0}, {}, {2, 3, 15, 8}, {5, 2, 15, 8}},
        {"a source rectangle, clipped",
         {-3, 2},
         QRect(0, 0, 12, 30),
         {0, 0, 29, 23},
         {12, 4, 9, 7}},
    };
    for (const int bits : {4, 24}) {
        const PackedBitmap bitmap = ColouredBitmap(21, 11, bits);
        for (const Case& c : cases) {
            PackedBitmap part;
            ASSERT_TRUE(BitmapOps::Crop(bitmap, c.source.x(), c.source.y(), c.source.width(),
                                        c.source.height(), part));
            const std::vector<QRgb> full = ScaledByTheModel(part, c.dest.width(), c.dest.height());
            std::vector<QRgb> expected;
            for (int y = 0; y < 20; ++y) {
                for (int x = 0; x < 24; ++x) {
                    const QPoint p = QPoint(x, y) - c.origin - c.dest.topLeft();
                    const bool shown = QRect(QPoint(0, 0), c.dest.size()).contains(p) &&
                                       (!c.clip || c.clip->contains(x, y));
                    expected.push_back(
                        shown ? full[static_cast<std::size_t>(p.y() * c.dest.width() + p.x())]
                              : ToQRgb(kPaper));
                }
            }
            QImage image = Canvas(24, 20);
            QtDevice device(image);
            device.SetOrigin(c.origin.x(), c.origin.y());
            if (c.clip) {
                device.SetClip(*c.clip);
            }
            device.DrawPackedBitmap(ViewOf(bitmap), c.dest.x(), c.dest.y(), c.dest.width(),
                                    c.dest.height(), c.source.x(), c.source.y(), c.source.width(),
                                    c.source.height());
            EXPECT_EQ(FirstDifference(image, expected), "") << c.name << ", " << bits << " bits";
        }
    }
}

// One pixel of a 1-, 8- or 24-bit bitmap, read by hand.
QRgb ColourAt(const PackedBitmap& bitmap, int x, int y) {
    const std::uint32_t value = bitmap.PixelAt(x, y);
    if (bitmap.BitCount() == 24) {
        return 0xFF000000u | value; // blue, green, red: 0x00RRGGBB
    }
    const std::uint8_t* entry = bitmap.ColourTable() + 4 * value;
    return value < bitmap.ColourCount() ? qRgb(entry[2], entry[1], entry[0]) : 0xFF000000u;
}

TEST(QtDevice, AnyZoomCostsOnlyTheVisiblePixels) {
    struct Case {
        const char* name;
        QSize source;
        int bits;
        int destWidth;
        int destHeight;
        QPoint origin;
        QSize target;
    };
    const Case cases[] = {
        {"50 times", {10000, 10000}, 1, 500000, 500000, {-123457, -234567}, {1920, 1080}},
        {"the largest int", {300, 200}, 8, INT_MAX, INT_MAX, {-2000000000, -2100000000}, {64, 48}},
        {"the largest int, at its far end",
         {300, 200},
         24,
         INT_MAX,
         INT_MAX,
         {-(INT_MAX - 40), -(INT_MAX - 30)},
         {64, 48}},
    };
    for (const Case& c : cases) {
        const PackedBitmap bitmap = ColouredBitmap(c.source.width(), c.source.height(), c.bits);
        QImage image = Canvas(c.target.width(), c.target.height());
        QtDevice device(image);
        device.SetOrigin(c.origin.x(), c.origin.y());
        const std::size_t largest = LargestAllocationOf([&] {
            device.DrawPackedBitmap(ViewOf(bitmap), 0, 0, c.destWidth, c.destHeight, 0, 0,
                                    c.source.width(), c.source.height());
        });
        if (LargestAllocationKnown()) {
            EXPECT_LE(largest, std::size_t{64} * 1024) << c.name;
        }
        std::vector<QRgb> expected;
        for (int y = 0; y < c.target.height(); ++y) {
            for (int x = 0; x < c.target.width(); ++x) {
                const std::int64_t i = std::int64_t{x} - c.origin.x();
                const std::int64_t j = std::int64_t{y} - c.origin.y();
                expected.push_back(
                    i >= c.destWidth || j >= c.destHeight
                        ? ToQRgb(kPaper)
                        : ColourAt(bitmap, static_cast<int>(i * c.source.width() / c.destWidth),
                                   static_cast<int>(j * c.source.height() / c.destHeight)));
            }
        }
        EXPECT_EQ(FirstDifference(image, expected), "") << c.name;
    }
}

TEST(QtDevice, BitmapsThatCannotBeDrawnLeaveTheTargetAlone) {
    const PackedBitmap bitmap = ColouredBitmap(6, 5, 8);
    const PackedBitmapView view = ViewOf(bitmap);
    struct Case {
        const char* name;
        PackedBitmapView view;
        QRect dest;
        int source[4];
    };
    const Case cases[] = {
        {"no data", {nullptr, 0}, {0, 0, 10, 10}, {0, 0, 6, 5}},
        {"source wider than the bitmap", view, {0, 0, 10, 10}, {1, 0, 6, 5}},
        {"source below the bitmap", view, {0, 0, 10, 10}, {0, 3, 6, 3}},
        {"negative source position", view, {0, 0, 10, 10}, {-1, 0, 3, 3}},
        {"mirrored source", view, {0, 0, 10, 10}, {5, 0, -5, 5}},
        {"mirrored destination", view, {9, 0, -9, 10}, {0, 0, 6, 5}},
        {"empty destination", view, {0, 0, 0, 10}, {0, 0, 6, 5}},
        {"source beyond the int range", view, {0, 0, 10, 10}, {INT_MAX, 0, INT_MAX, 5}},
    };
    for (const Case& c : cases) {
        QImage image = Canvas(12, 12);
        QtDevice(image).DrawPackedBitmap(c.view, c.dest.x(), c.dest.y(), c.dest.width(),
                                         c.dest.height(), c.source[0], c.source[1], c.source[2],
                                         c.source[3]);
        EXPECT_TRUE(image == Canvas(12, 12)) << c.name;
    }
    // Every truncation of a complete block is refused, and none is read past its end.
    const std::vector<std::uint8_t> block(bitmap.Data(), bitmap.Data() + bitmap.TotalSize());
    ForEachTruncation(block, [&](const std::vector<std::uint8_t>& prefix, std::size_t length) {
        QImage image = Canvas(12, 12);
        QtDevice(image).DrawPackedBitmap({prefix.data(), prefix.size()}, 0, 0, 12, 12, 0, 0, 6, 5);
        EXPECT_TRUE(image == Canvas(12, 12)) << length << " bytes";
    });
}

TEST(QtDevice, APainterShowsWhatTheImageShows) {
    const PackedBitmap bitmap = ColouredBitmap(11, 9, 8);
    const Drawing drawing = Concat({{Op::Pen(kBlack)},
                                    Star(20, 15, 14),
                                    kEdgeLines,
                                    kPolyline,
                                    kPixelsAndFills,
                                    {Op::Pen(kBlack, PenStyle::Dotted)},
                                    Star(25, 18, 10)});
    const auto draw = [&](QtDevice& device) {
        device.DrawPackedBitmap(ViewOf(bitmap), 3, 2, 33, 25, 0, 0, 11, 9);
        Play(device, drawing);
    };
    QImage direct = Canvas(48, 36);
    QtDevice directDevice(direct);
    draw(directDevice);

    // Identical through a plain painter (not-xor included: it paints on Qt's raster engine),
    // doubled through one that scales by two, cut by one that clips.
    struct Case {
        const char* name;
        int scale;
        QRect clip;
    };
    for (const Case& c : {Case{"plain", 1, {}}, Case{"scaled by two", 2, {}},
                          Case{"clipped", 1, QRect(10, 8, 20, 15)}}) {
        QImage painted = Canvas(48 * c.scale, 36 * c.scale);
        {
            QPainter painter(&painted);
            painter.scale(c.scale, c.scale);
            if (!c.clip.isNull()) {
                painter.setClipRect(c.clip);
            }
            QtDevice device(painter);
            draw(device);
        }
        std::vector<QRgb> expected;
        for (int y = 0; y < painted.height(); ++y) {
            for (int x = 0; x < painted.width(); ++x) {
                const QPoint p(x / c.scale, y / c.scale);
                expected.push_back(c.clip.isNull() || c.clip.contains(p) ? direct.pixel(p)
                                                                         : ToQRgb(kPaper));
            }
        }
        EXPECT_EQ(FirstDifference(painted, expected), "") << c.name;
    }

    // Wider, taller and larger than one tile: the tiles meet without a gap or an overlap.
    const PackedBitmap large = ColouredBitmap(37, 23, 24);
    QImage whole = Canvas(2100, 2100);
    QImage tiled = Canvas(2100, 2100);
    QtDevice(whole).DrawPackedBitmap(ViewOf(large), 0, 0, 2100, 2100, 0, 0, 37, 23);
    {
        QPainter painter(&tiled);
        QtDevice(painter).DrawPackedBitmap(ViewOf(large), 0, 0, 2100, 2100, 0, 0, 37, 23);
    }
    EXPECT_TRUE(tiled == whole);
}

TEST(QtDevice, PrintsWithoutFeedback) {
    // A picture records through its own engine, as a printer does: the copied drawing
    // arrives, the not-xor lines are left out.
    const PackedBitmap bitmap = ColouredBitmap(11, 9, 8);
    const Drawing copied = Concat({{Op::Pen(kBlue)}, Star(20, 15, 14), kPixelsAndFills});
    QPicture picture;
    picture.setBoundingRect(QRect(0, 0, 48, 36));
    {
        QPainter painter(&picture);
        QtDevice device(painter);
        device.DrawPackedBitmap(ViewOf(bitmap), 3, 2, 33, 25, 0, 0, 11, 9);
        Play(device, copied);
        Play(device, Concat({{Op::Pen(kBlack), Op::Rop(RasterOp::NotXorPen)}, Star(30, 20, 12)}));
    }
    QImage replayed = Canvas(48, 36);
    QPainter(&replayed).drawPicture(0, 0, picture);
    QImage expected = Canvas(48, 36);
    QtDevice device(expected);
    device.DrawPackedBitmap(ViewOf(bitmap), 3, 2, 33, 25, 0, 0, 11, 9);
    Play(device, copied);
    EXPECT_TRUE(replayed == expected);

    // A PDF page receives the bitmap as an image of its size.
    const PackedBitmap photo = ColouredBitmap(64, 16, 24);
    QBuffer page;
    page.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&page);
        QPainter painter(&writer);
        QtDevice(painter).DrawPackedBitmap(ViewOf(photo), 10, 10, 64, 16, 0, 0, 64, 16);
    }
    EXPECT_TRUE(page.data().contains("/Subtype /Image"));
    EXPECT_TRUE(page.data().contains("/Width 64"));
}

TEST(QtDevice, DitheringMixesColoursOnlyOnATargetWithFewOfThem) {
    // Mid-grey on a one-bit target: a mix of black and white when dithered, one of them
    // otherwise.
    const PackedBitmap grey = SeededBitmap(16, 16, 24, 0x80, 0);
    for (const bool dithered : {false, true}) {
        QBitmap bits(32, 32);
        bits.fill(Qt::color0);
        {
            QPainter painter(&bits);
            QtDevice device(painter);
            device.SetDithered(dithered);
            device.DrawPackedBitmap(ViewOf(grey), 0, 0, 32, 32, 0, 0, 16, 16);
        }
        const QImage shown = bits.toImage();
        int black = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                black += shown.pixel(x, y) == 0xFF000000u ? 1 : 0;
            }
        }
        if (dithered) {
            EXPECT_TRUE(black > 256 && black < 768) << black;
        } else {
            EXPECT_TRUE(black == 0 || black == 1024) << black;
        }
    }
    // A 32-bit target shows the same pixels either way.
    const PackedBitmap bitmap = ColouredBitmap(13, 7, 16);
    QImage plain = Canvas(40, 30);
    QImage dithered = Canvas(40, 30);
    QtDevice(plain).DrawPackedBitmap(ViewOf(bitmap), 0, 0, 40, 30, 0, 0, 13, 7);
    {
        QPainter painter(&dithered);
        QtDevice device(painter);
        device.SetDithered(true);
        device.DrawPackedBitmap(ViewOf(bitmap), 0, 0, 40, 30, 0, 0, 13, 7);
    }
    EXPECT_TRUE(dithered == plain);
}

TEST(QtDevice, AnImageOfAnotherFormatIsConvertedBeforeDrawing) {
    const Drawing line = {Op::Pen(kRed), Op::To(0, 4), Op::Line(20, 4)};
    QImage image = Canvas(20, 10, QImage::Format_RGB888);
    QtDevice device(image);
    Play(device, line);
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    RasterDevice reference(20, 10, kPaper);
    Play(reference, line);
    EXPECT_EQ(FirstDifference(image, Pixels(reference)), "");
}

} // namespace
