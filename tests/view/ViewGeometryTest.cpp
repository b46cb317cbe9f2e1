#include "view/ViewGeometry.h"
#include "view/SavedViews.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

ViewGeometry Geometry(IPoint image, IPoint client, double scale = 1.0, IPoint scroll = {0, 0}) {
    ViewGeometry g;
    g.SetImageSize(image.x, image.y);
    g.SetClientSize(client.x, client.y);
    EXPECT_TRUE(g.SetScale(scale));
    g.SetScroll(scroll);
    return g;
}

// Fit to window snaps the limiting side's ratio down to a power of the zoom rate.
TEST(ViewGeometry, FitSnapsDownToAPowerOfTheZoomRate) {
    struct Case {
        const char* what;
        IPoint image;
        IPoint client;
        int zoomType;
        double scale;
    };
    const Case cases[] = {
        {"twice as wide as the window", {400, 100}, {200, 100}, 2, std::pow(1.2, -4)},
        {"a fit of 1.1 gives 1", {100, 50}, {110, 55}, 2, 1.0},
        {"height limits", {100, 400}, {200, 100}, 2, std::pow(1.2, -8)}, // 0.25
        {"fast rate", {400, 100}, {200, 100}, 1, std::pow(1.4, -3)},     // 0.5
        {"slow rate, 3x", {100, 100}, {300, 300}, 3, std::pow(1.05, 21)},
    };
    for (const Case& c : cases) {
        ViewGeometry g = Geometry(c.image, c.client);
        g.SetZoomType(c.zoomType);
        g.FitToWindow();
        EXPECT_DOUBLE_EQ(g.Scale(), c.scale) << c.what;
        EXPECT_LE(g.DisplaySize().x, c.client.x) << c.what;
    }
}

// Every zoom keeps its anchor: the window centre for the menu, the pointer for the tools.
TEST(ViewGeometry, ZoomScrollArithmetic) {
    struct Case {
        const char* what;
        char op; // i in, o out, I in at, O out at, a actual pixels
        double scale;
        IPoint scroll;
        IPoint logical;
        double scaleAfter;
        IPoint scrollAfter;
    };
    const IPoint image{1000, 1000};
    const IPoint client{200, 100};
    const Case cases[] = {
        {"zoom in at logical 100, scroll 40", 'I', 1.0, {40, 40}, {100, 100}, 1.2, {60, 60}},
        {"zoom out at", 'O', 1.2, {60, 60}, {100, 100}, 1.0, {43, 43}}, // trunc(83.3) - 40
        {"menu zoom in about the centre", 'i', 1.0, {100, 100}, {}, 1.2, {140, 130}},
        {"menu zoom out", 'o', 1.2, {140, 130}, {}, 1.0, {100, 100}},
        {"actual pixels from 2", 'a', 2.0, {300, 300}, {}, 1.0, {100, 125}},
        {"zoom out held at scroll 0", 'o', 1.0, {0, 0}, {}, 1 / 1.2, {0, 0}},
    };
    for (const Case& c : cases) {
        ViewGeometry g = Geometry(image, client, c.scale, c.scroll);
        switch (c.op) {
        case 'i':
            EXPECT_TRUE(g.ZoomIn());
            break;
        case 'o':
            EXPECT_TRUE(g.ZoomOut());
            break;
        case 'I':
            EXPECT_TRUE(g.ZoomInAt(c.logical));
            break;
        case 'O':
            EXPECT_TRUE(g.ZoomOutAt(c.logical));
            break;
        default:
            g.ActualPixels();
            break;
        }
        EXPECT_DOUBLE_EQ(g.Scale(), c.scaleAfter) << c.what;
        EXPECT_EQ(g.Scroll(), c.scrollAfter) << c.what;
    }
}

// A zoomed image smaller than the window is centred, and points over the strips have
// negative pixel positions; the zoom stays within one displayed pixel and the logical range.
TEST(ViewGeometry, CentringAndBounds) {
    ViewGeometry g = Geometry({100, 50}, {200, 100});
    EXPECT_EQ(g.CentringOffset(), (IPoint{50, 25}));
    EXPECT_EQ(g.ClientToLogical({10, 10}), (IPoint{-40, -15}));
    EXPECT_EQ(g.LogicalToPixel(g.ClientToLogical({10, 10})), (DPoint{-40, -15}));
    EXPECT_EQ(g.LogicalToClient({0, 0}), (IPoint{50, 25}));
    g.SetScroll({30, 30});
    EXPECT_EQ(g.Scroll(), (IPoint{0, 0})) << "nothing to scroll";

    ViewGeometry small = Geometry({3, 1000}, {200, 100});
    ASSERT_TRUE(small.SetScale(small.MinScale()));
    EXPECT_EQ(small.DisplaySize().x, 1);
    EXPECT_FALSE(small.ZoomOut()) << "one pixel is the least";
    EXPECT_DOUBLE_EQ(small.Scale(), small.MinScale());

    ViewGeometry big = Geometry({10000, 10000}, {200, 100});
    EXPECT_TRUE(big.SetScale(big.MaxScale()));
    EXPECT_LE(big.DisplaySize().x, ViewGeometry::kMaxDisplay);
    EXPECT_FALSE(big.ZoomIn());
    EXPECT_FALSE(big.ZoomInAt({5, 5}));
    EXPECT_FALSE(big.SetScale(std::nan("")));
    EXPECT_FALSE(big.SetScale(1e300));
}

// Save below the top discards what is above; Next onto an entry that Previous pushed by
// itself takes it off; Previous never goes below the first entry.
TEST(SavedViews, StackRules) {
    const ViewSpec a{1.0, 0, 0, 0};
    const ViewSpec b{2.0, 10, 10, 0};
    const ViewSpec c{4.0, 20, 20, 0};
    const ViewSpec moved{4.0, 25, 20, 0};
    SavedViews views;
    EXPECT_FALSE(views.CanPrevious(a));
    EXPECT_FALSE(views.CanNext());
    views.Save(a);
    views.Save(b);
    views.Save(c);
    EXPECT_EQ(views.Count(), 3);
    EXPECT_EQ(views.Index(), 2);
    EXPECT_TRUE(views.CanPrevious(c)) << "back to the entry below";
    EXPECT_TRUE(views.CanPrevious(moved));

    // Previous from a moved view pushes it (auto-saved) and steps back to the last saved.
    std::optional<ViewSpec> back = views.Previous(moved);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->SameViewAs(c));
    EXPECT_EQ(views.Count(), 4);
    EXPECT_EQ(views.At(3).autoSaved, 1);
    back = views.Previous(c);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->SameViewAs(b));
    // Next twice: the second lands on the auto-saved entry and removes it.
    ASSERT_TRUE(views.Next());
    std::optional<ViewSpec> forward = views.Next();
    ASSERT_TRUE(forward);
    EXPECT_TRUE(forward->SameViewAs(moved));
    EXPECT_EQ(views.Count(), 3);
    EXPECT_EQ(views.Index(), 2);
    EXPECT_FALSE(views.CanNext());

    // Back to the bottom, and no further.
    ASSERT_TRUE(views.Previous(c));
    ASSERT_TRUE(views.Previous(b));
    EXPECT_EQ(views.Index(), 0);
    EXPECT_FALSE(views.CanPrevious(a));
    EXPECT_FALSE(views.Previous(a));
    EXPECT_EQ(views.Index(), 0);

    // Saving below the top discards what is above.
    views.Save(moved);
    EXPECT_EQ(views.Count(), 2);
    EXPECT_EQ(views.Index(), 1);
    EXPECT_TRUE(views.At(1).SameViewAs(moved));
    for (int i = 0; i < 25; ++i) {
        views.Save(ViewSpec{1.0 + i, i, i, 0});
    }
    EXPECT_EQ(views.Capacity() % 20, 0) << "grows in tens, doubled";
}

} // namespace
