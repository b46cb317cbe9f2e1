#include "view/Magnifier.h"
#include "BitmapPixels.h"
#include "FakePlatform.h"
#include "SeededBitmap.h"
#include "ViewRig.h"
#include "core/ApplicationState.h"
#include "core/CPreferences.h"
#include "image/ImageStore.h"
#include "mapping/RegGridData.h"
#include "mapping/TransformData.h"
#include "tools/TrackMgr.h"
#include "view/CPlumeView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr int kSize = Magnifier::kPictureSize;

// The view rig at actual pixels with a magnifier (not yet shown) following the view.
struct MagnifierRig : ViewRig {
    explicit MagnifierRig(int imageWidth = 100, int imageHeight = 50, int bitCount = 24,
                          IPoint client = {200, 100})
        : ViewRig(imageWidth, imageHeight, client, bitCount, 5) {
        view->ActualPixels();
        magnifier.SetView(view.get());
        const PackedBitmap& bitmap = document->Database()->Image().GetPackedBitmap();
        width = bitmap.Width();
        height = bitmap.Height();
        rgb = ToRgb(bitmap);
    }

    // The source colour at an image pixel, or nothing off the image.
    std::optional<QRgb> OnImage(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            return std::nullopt;
        }
        return rgb[static_cast<std::size_t>(y * width + x)];
    }
    QRgb Picture(int x, int y) const { return magnifier.Picture().pixel(x, y) & 0xFFFFFF; }

    Magnifier magnifier;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;
};

int FloorDiv(int a, int b) {
    return static_cast<int>(std::floor(static_cast<double>(a) / b));
}

// Compares the picture with the image around probed pixel p: the square of zoom x zoom
// screen pixels centred in the picture is p, its neighbours are p's neighbours, cells off
// the image are the background. The cross-hair's band (the rows and columns through the
// probed square, two pixels either side) is left out, except the probed square itself,
// which the cross-hair must leave clear. Returns the number of wrong pixels.
int WrongPixels(const MagnifierRig& rig, int zoom, QPoint p) {
    const int cell = (kSize - zoom) / 2;
    const auto inBand = [&](int v) { return v >= cell - 2 && v < cell + zoom + 2; };
    const auto inCell = [&](int v) { return v >= cell && v < cell + zoom; };
    int wrong = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            if ((inBand(x) || inBand(y)) && !(inCell(x) && inCell(y))) {
                continue;
            }
            const int sx = p.x() + FloorDiv(x - cell, zoom);
            const int sy = p.y() + FloorDiv(y - cell, zoom);
            const QRgb expected = rig.OnImage(sx, sy).value_or(Magnifier::kBackground);
            if (rig.Picture(x, y) != expected) {
                if (wrong == 0) {
                    ADD_FAILURE() << "picture (" << x << ", " << y << ") shows " << std::hex
                                  << rig.Picture(x, y) << " for image (" << std::dec << sx << ", "
                                  << sy << "), expected " << std::hex << expected;
                }
                ++wrong;
            }
        }
    }
    return wrong;
}

bool AllBackground(const QImage& picture) {
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if ((picture.pixel(x, y) & 0xFFFFFF) != Magnifier::kBackground) {
                return false;
            }
        }
    }
    return true;
}

QPoint Floor(DPoint pixel) {
    return QPoint(static_cast<int>(std::floor(pixel.x)), static_cast<int>(std::floor(pixel.y)));
}

// Every cell is one source pixel, nearest neighbour, at both zooms, wherever the pointer
// is over the view: inside the image, on its edges, in the strips beside it, zoomed in to a
// fractional pixel and zoomed far out; an 8-bit image and an image smaller than the picture.
TEST(Magnifier, CellsAreTheImagesOwnPixels) {
    struct Case {
        const char* what;
        int imageWidth;
        int imageHeight;
        int bitCount;
        double scale;
        QPoint client; // (-1, -1): over image pixel `pixel` at actual pixels
        QPoint pixel;
    };
    const Case cases[] = {
        {"middle", 100, 50, 24, 1.0, {-1, -1}, {37, 21}},
        {"top-left pixel", 100, 50, 24, 1.0, {-1, -1}, {0, 0}},
        {"bottom-right pixel", 100, 50, 24, 1.0, {-1, -1}, {99, 49}},
        {"just off the top-left", 100, 50, 24, 1.0, {-1, -1}, {-1, -1}},
        {"in the strip, beside the image", 100, 50, 24, 1.0, {-1, -1}, {-30, 20}},
        {"8-bit image", 100, 50, 8, 1.0, {-1, -1}, {50, 10}},
        {"image smaller than the picture", 3, 2, 24, 1.0, {-1, -1}, {1, 1}},
        {"zoomed in: a fractional pixel", 100, 50, 24, 2.5, {103, 47}, {}},
        {"zoomed far out: far from the image", 100, 50, 24, 0.25, {0, 0}, {}},
    };
    for (const Case& c : cases) {
        MagnifierRig rig(c.imageWidth, c.imageHeight, c.bitCount);
        rig.magnifier.show();
        if (c.scale != 1.0) {
            rig.view->ApplyView(ViewSpec{c.scale, 0, 0, 0});
            ASSERT_EQ(rig.view->Geometry().Scale(), c.scale) << c.what;
        }
        rig.Move(c.client.x() >= 0 ? c.client : rig.Over(c.pixel.x(), c.pixel.y()));
        const CPlumeView::PointerProbe probe = rig.view->Probe();
        ASSERT_TRUE(probe.inside) << c.what;
        const QPoint p = Floor(probe.pixel);
        if (c.client.x() < 0) {
            EXPECT_EQ(p, c.pixel) << c.what;
        }
        for (const int zoom : {4, 8}) {
            rig.magnifier.SetZoom(zoom);
            ASSERT_EQ(rig.magnifier.Zoom(), zoom);
            ASSERT_EQ(rig.magnifier.Picture().size(), QSize(kSize, kSize));
            EXPECT_EQ(WrongPixels(rig, zoom, p), 0) << c.what << " at " << zoom << "x";
        }
    }
    // The zoomed-in case really probed between pixels, and the far one really far out.
    MagnifierRig rig;
    rig.view->ApplyView(ViewSpec{2.5, 0, 0, 0});
    rig.Move(QPoint(103, 47));
    const DPoint between = rig.view->Probe().pixel;
    EXPECT_NE(between.x, std::floor(between.x));
    rig.view->ApplyView(ViewSpec{0.25, 0, 0, 0});
    rig.Move(QPoint(0, 0));
    EXPECT_LT(rig.view->Probe().pixel.x, -kSize);
}

// The cross-hair: lines through the probed square with a dark and a light pixel side by side
// on every arm, so it shows on light and dark images alike.
TEST(Magnifier, CrossHairShowsOnLightAndDark) {
    MagnifierRig rig;
    rig.magnifier.show();
    rig.Move(rig.Over(50, 25));
    for (const int zoom : {4, 8}) {
        rig.magnifier.SetZoom(zoom);
        const int centre = kSize / 2;
        // Across each arm, near the picture's edges: the band of the two centre lines.
        const QPoint arms[][2] = {
            {{5, centre - 1}, {5, centre}},
            {{kSize - 6, centre - 1}, {kSize - 6, centre}},
            {{centre - 1, 5}, {centre, 5}},
            {{centre - 1, kSize - 6}, {centre, kSize - 6}},
        };
        for (const auto& arm : arms) {
            const QRgb a = rig.Picture(arm[0].x(), arm[0].y());
            const QRgb b = rig.Picture(arm[1].x(), arm[1].y());
            EXPECT_EQ(std::min(a, b), 0x000000u)
                << zoom << "x at " << arm[0].x() << "," << arm[0].y();
            EXPECT_EQ(std::max(a, b), 0xFFFFFFu)
                << zoom << "x at " << arm[0].x() << "," << arm[0].y();
        }
    }
    // With no pointer over the view there is nothing to aim at: no cross-hair either.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(rig.view.get(), &leave);
    EXPECT_TRUE(AllBackground(rig.magnifier.Picture()));
    EXPECT_TRUE(rig.magnifier.PositionText().isEmpty());
}

// The cross-hair sits on the pixel a click would take: the grid-snapped one, or the raw one
// with Shift held; the position text follows.
TEST(Magnifier, FollowsTheSnappedPixelAndTheRawOneWithShift) {
    MagnifierRig rig;
    PlumeData& database = *rig.document->Database();
    // Graph 0..10 across pixels 0..99, 0..5 up pixels 49..0: 9.9 and 9.8 pixels per unit.
    database.Mapping().region.SetPixelRect(DPoint{0, 0}, DPoint{99, 49});
    database.Mapping().SetLimits(DPoint{0, 0}, DPoint{10, 5});
    RegGridData& grid = database.Grid();
    grid.snapX = 1;
    grid.snapY = 1;
    grid.stepX = 1;
    grid.stepY = 1;
    rig.view->Tracker().SetSnapEnabled(true);
    rig.magnifier.show();

    // Pixel (33, 29) is graph (3.33, 2.04): it snaps to graph (3, 2), pixel (29.7, 29.4).
    rig.Move(rig.Over(33, 29));
    const CPlumeView::PointerProbe snapped = rig.view->Probe();
    ASSERT_NEAR(snapped.pixel.x, 29.7, 1e-9);
    ASSERT_NEAR(snapped.pixel.y, 29.4, 1e-9);
    ASSERT_EQ(snapped.rawPixel, (DPoint{33, 29}));
    for (const int zoom : {8, 4}) {
        rig.magnifier.SetZoom(zoom);
        EXPECT_EQ(WrongPixels(rig, zoom, QPoint(29, 29)), 0) << zoom << "x, snapped";
    }
    EXPECT_EQ(rig.magnifier.PositionText().toStdString(), "3, 2");

    rig.Move(rig.Over(33, 29), Qt::ShiftModifier);
    for (const int zoom : {8, 4}) {
        rig.magnifier.SetZoom(zoom);
        EXPECT_EQ(WrongPixels(rig, zoom, QPoint(33, 29)), 0) << zoom << "x, Shift";
    }
    EXPECT_EQ(rig.magnifier.PositionText().toStdString(), "3.33333, 2.04082");

    // Letting Shift go with the pointer still snaps it again.
    rig.Move(rig.Over(33, 29));
    EXPECT_EQ(WrongPixels(rig, 4, QPoint(29, 29)), 0);
}

// The graph position under the cross-hair, written with a decimal point; empty where the
// mapping gives none or the pointer is not over the view.
TEST(Magnifier, PositionText) {
    struct Case {
        const char* what;
        bool mapped;
        QPoint pixel;
        bool leave;
        const char* text;
    };
    const Case cases[] = {
        {"inside", true, {66, 10}, false, "6.66667, 3.97959"},
        {"top-right corner", true, {99, 0}, false, "10, 5"},
        {"off the region: extrapolated", true, {-20, 20}, false, "-2.0202, 2.95918"},
        {"no mapping region", false, {10, 10}, false, ""},
        {"pointer left the view", true, {10, 10}, true, ""},
    };
    for (const Case& c : cases) {
        MagnifierRig rig;
        if (c.mapped) {
            rig.document->Database()->Mapping().region.SetPixelRect(DPoint{0, 0}, DPoint{99, 49});
            rig.document->Database()->Mapping().SetLimits(DPoint{0, 0}, DPoint{10, 5});
        }
        rig.magnifier.show();
        rig.Move(rig.Over(c.pixel.x(), c.pixel.y()));
        if (c.leave) {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(rig.view.get(), &leave);
        }
        EXPECT_EQ(rig.magnifier.PositionText().toStdString(), c.text) << c.what;
    }

    // A move outside the client area counts as leaving it.
    MagnifierRig rig;
    rig.magnifier.show();
    rig.Move(rig.Over(10, 10));
    ASSERT_FALSE(AllBackground(rig.magnifier.Picture()));
    rig.Move(QPoint(-40, 500));
    EXPECT_TRUE(AllBackground(rig.magnifier.Picture()));
}

// A hidden magnifier asks for nothing: the view stops announcing its pointer, and the one
// it no longer follows is told so too.
TEST(Magnifier, HiddenWantsNoProbe) {
    MagnifierRig rig;
    int announced = 0;
    QObject::connect(rig.view.get(), &CPlumeView::pointerMoved, [&announced] { ++announced; });
    EXPECT_FALSE(rig.view->ProbeWanted()) << "following while hidden";
    rig.Move(rig.Over(10, 10));
    EXPECT_EQ(announced, 0);
    EXPECT_TRUE(AllBackground(rig.magnifier.Picture()));

    rig.magnifier.show();
    EXPECT_TRUE(rig.view->ProbeWanted());
    EXPECT_FALSE(AllBackground(rig.magnifier.Picture())) << "shown: the pointer's place at once";
    rig.Move(rig.Over(20, 10));
    EXPECT_GT(announced, 0);
    EXPECT_EQ(WrongPixels(rig, rig.magnifier.Zoom(), QPoint(20, 10)), 0);

    rig.magnifier.hide();
    EXPECT_FALSE(rig.view->ProbeWanted());
    announced = 0;
    const QImage before = rig.magnifier.Picture().copy();
    rig.Move(rig.Over(40, 30));
    rig.view->ZoomIn();
    EXPECT_EQ(announced, 0);
    EXPECT_EQ(rig.magnifier.Picture(), before) << "nothing is drawn while hidden";

    // Another view taken over while shown; the first stops, the second starts.
    MagnifierRig other;
    rig.magnifier.show();
    EXPECT_TRUE(rig.view->ProbeWanted());
    rig.magnifier.SetView(other.view.get());
    EXPECT_FALSE(rig.view->ProbeWanted());
    EXPECT_TRUE(other.view->ProbeWanted());
    rig.magnifier.SetView(nullptr);
    EXPECT_FALSE(other.view->ProbeWanted());
    EXPECT_TRUE(AllBackground(rig.magnifier.Picture()));
    EXPECT_TRUE(rig.magnifier.PositionText().isEmpty());

    // A magnifier that goes stops its view too.
    {
        Magnifier shortLived;
        shortLived.SetView(other.view.get());
        shortLived.show();
        EXPECT_TRUE(other.view->ProbeWanted());
    }
    EXPECT_FALSE(other.view->ProbeWanted());
}

// The magnifier draws only into its own picture: the view's back buffer is the same byte
// for byte at every pointer position whether the magnifier is shown or not.
TEST(Magnifier, LeavesTheViewsBackBufferAlone) {
    MagnifierRig rig;
    const QPoint path[] = {rig.Over(0, 0), rig.Over(50, 25), rig.Over(99, 49), QPoint(5, 5),
                           QPoint(199, 99)};
    std::vector<QImage> alone;
    for (const QPoint at : path) {
        rig.Move(at);
        alone.push_back(rig.view->BackBuffer().copy());
    }
    rig.magnifier.show();
    for (const int zoom : {4, 8}) {
        rig.magnifier.SetZoom(zoom);
        for (std::size_t i = 0; i < std::size(path); ++i) {
            rig.Move(path[i]);
            EXPECT_EQ(rig.view->BackBuffer(), alone[i]) << "position " << i << ", " << zoom << "x";
        }
    }
}

// Only 4 and 8 are taken; a change is announced once, from the call or the buttons.
TEST(Magnifier, ZoomChoice) {
    MagnifierRig rig;
    rig.magnifier.show();
    std::vector<int> changes;
    QObject::connect(&rig.magnifier, &Magnifier::zoomChanged,
                     [&changes](int zoom) { changes.push_back(zoom); });
    EXPECT_EQ(rig.magnifier.Zoom(), 8);
    for (const int refused : {0, -4, 2, 5, 16}) {
        rig.magnifier.SetZoom(refused);
        EXPECT_EQ(rig.magnifier.Zoom(), 8) << refused;
    }
    rig.magnifier.SetZoom(8);
    EXPECT_TRUE(changes.empty());

    rig.magnifier.SetZoom(4);
    EXPECT_EQ(changes, std::vector<int>{4});

    QRadioButton* eight = nullptr;
    QRadioButton* four = nullptr;
    for (QRadioButton* button : rig.magnifier.findChildren<QRadioButton*>()) {
        (button->accessibleName().contains('8') ? eight : four) = button;
    }
    ASSERT_NE(eight, nullptr);
    ASSERT_NE(four, nullptr);
    EXPECT_TRUE(four->isChecked()) << "the buttons show a zoom set by call";
    EXPECT_NE(eight->focusPolicy() & Qt::TabFocus, 0) << "reachable from the keyboard";
    eight->click();
    EXPECT_EQ(rig.magnifier.Zoom(), 8);
    EXPECT_EQ(changes, (std::vector<int>{4, 8}));
}

// The view going away while followed leaves an empty picture and no dangling pointer.
TEST(Magnifier, ViewDestroyedWhileFollowed) {
    MagnifierRig rig;
    rig.magnifier.show();
    rig.Move(rig.Over(30, 30));
    ASSERT_FALSE(AllBackground(rig.magnifier.Picture()));
    rig.views.views.clear();
    rig.view.reset();
    EXPECT_EQ(rig.magnifier.View(), nullptr);
    EXPECT_TRUE(AllBackground(rig.magnifier.Picture()));
    EXPECT_TRUE(rig.magnifier.PositionText().isEmpty());
    rig.magnifier.Refresh();
    rig.magnifier.SetZoom(4);
    rig.magnifier.hide();
    rig.magnifier.show();
    rig.magnifier.SetView(nullptr);
    EXPECT_TRUE(AllBackground(rig.magnifier.Picture()));
}

} // namespace
