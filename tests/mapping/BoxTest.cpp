#include "mapping/Box.h"
#include "RasterDevice.h"
#include "draw/DrawContext.h"
#include "mapping/CropBox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct Pointer {
    DPoint pixel;
    DPoint tolerance;
};

Pointer PointerAt(DPoint pixel, double tolerance = 2.0) {
    return Pointer{pixel, {tolerance, tolerance}};
}

Box RegionOf(DPoint topLeft, DPoint bottomRight) {
    Box box;
    box.SetPixelRect(topLeft, bottomRight);
    return box;
}

// Screen delta of a move by (du, dv) in the frame of a region turned clockwise by degrees:
// u runs along the bottom edge from node 6 to node 4, v from the top edge to the bottom.
DPoint ScreenDelta(double degrees, double du, double dv) {
    const double t = degrees * kDegreesToRadians;
    return {du * std::cos(t) - dv * std::sin(t), du * std::sin(t) + dv * std::cos(t)};
}

void ExpectNear(const DPoint& actual, const DPoint& expected, double tolerance, const char* what) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
}

int BlackPixels(const RasterDevice& device) {
    int count = 0;
    for (int y = 0; y < device.height(); ++y) {
        for (int x = 0; x < device.width(); ++x) {
            count += device.At(x, y) == kBlack ? 1 : 0;
        }
    }
    return count;
}

TEST(Box, HitCodesAndCursorsAroundAnUnrotatedRegion) {
    const Box box = RegionOf({10, 10}, {110, 60});
    struct Case {
        DPoint pointer;
        int hit;
        int cursor;
    };
    // Tolerance (2, 2) reaches 2.83 pixels from an edge or a corner.
    const Case cases[] = {
        {{10, 10}, Box::kHitTopLeft, Box::kCursorDiagonalNwSe},
        {{60, 10.5}, Box::kHitTop, Box::kCursorVertical},
        {{110, 35}, Box::kHitRight, Box::kCursorHorizontal},
        {{60, 35}, Box::kHitNone, Box::kCursorNone},
        {{112, 8}, Box::kHitTopRight, Box::kCursorDiagonalNeSw},
        {{110, 60}, Box::kHitBottomRight, Box::kCursorDiagonalNwSe},
        {{9, 61}, Box::kHitBottomLeft, Box::kCursorDiagonalNeSw},
        {{8, 35}, Box::kHitLeft, Box::kCursorHorizontal},
        {{60, 62.5}, Box::kHitBottom, Box::kCursorVertical},
        {{60, 63}, Box::kHitNone, Box::kCursorNone},
        {{113.5, 10}, Box::kHitNone, Box::kCursorNone},
    };
    for (const Case& c : cases) {
        const Pointer event = PointerAt(c.pointer);
        EXPECT_EQ(box.HitTest(event.pixel, event.tolerance), c.hit)
            << c.pointer.x << "," << c.pointer.y;
        EXPECT_EQ(box.CursorKind(event.pixel, event.tolerance), c.cursor)
            << c.pointer.x << "," << c.pointer.y;
    }
    EXPECT_EQ(Box().HitTest({0, 0}, {2, 2}), Box::kHitNone);
    // A segment of no length never answers, not even at its own end.
    EXPECT_EQ(box.SegmentHit({5, 5}, {2, 2}, {5, 5}, {5, 5}), Box::kSegmentMiss);
}

TEST(Box, SizingCursorTurnsWithTheRegion) {
    struct Case {
        double angle;
        int node;
        int cursor;
    };
    const Case cases[] = {
        {45, 0, Box::kCursorVertical},
        {22.4, 0, Box::kCursorDiagonalNwSe},
        {22.6, 0, Box::kCursorVertical},
        {90, 0, Box::kCursorDiagonalNeSw},
        {135, 0, Box::kCursorHorizontal},
        {180, 0, Box::kCursorDiagonalNwSe},
        {-45, 0, Box::kCursorHorizontal},
        {90, 1, Box::kCursorHorizontal},
        {-90, 7, Box::kCursorVertical},
        {-200, 2, Box::kCursorDiagonalNeSw},
        // Turns beyond -202.5 degrees still name a sizing cursor: -270 is +90.
        {-270, 0, Box::kCursorDiagonalNeSw},
        {-270, 1, Box::kCursorHorizontal},
    };
    for (const Case& c : cases) {
        Box box = RegionOf({10, 10}, {110, 60});
        box.Rotate(c.angle);
        const Pointer event = PointerAt(box.pixelNodes[static_cast<std::size_t>(c.node)]);
        EXPECT_EQ(box.CursorKind(event.pixel, event.tolerance), c.cursor)
            << c.angle << " node " << c.node;
    }
}

TEST(Box, RotationTurnsPixelNodesAboutTheBottomLeftCorner) {
    Box box = RegionOf({0, 0}, {100, 50});
    const DPoint graph[4] = {{0, 5}, {10, 5}, {10, 0}, {0, 0}};
    box.SetGraphNodes(4, graph);
    const Box start = box;

    box.Rotate(90);
    // Clockwise on the screen about (0, 50); the factor is 3.1415926 / 180, so a quarter
    // turn is off by about 3e-8 radians.
    ExpectNear(box.pixelNodes[0], {50, 50}, 1e-5, "node 0");
    ExpectNear(box.pixelNodes[4], {0, 150}, 1e-5, "node 4");
    ExpectNear(box.pixelNodes[3], {25, 150}, 1e-5, "node 3");
    EXPECT_EQ(box.pixelNodes[6], start.pixelNodes[6]);
    EXPECT_EQ(box.graphNodes, start.graphNodes);
    EXPECT_DOUBLE_EQ(box.angle, 90);
    EXPECT_NEAR(box.Size().width, 100, 1e-9);
    EXPECT_NEAR(box.Size().height, 50, 1e-9);

    box = start;
    box.Rotate(30);
    box.Rotate(-30);
    for (std::size_t i = 0; i < 8; ++i) {
        ExpectNear(box.pixelNodes[i], start.pixelNodes[i], 1e-9, "back");
    }
    EXPECT_EQ(box.angle, 0.0);
}

TEST(Box, ResizeMovesHandlesInTheRegionsOwnFrame) {
    struct Case {
        int code;
        double du;
        double dv;
        double widthChange;
        double heightChange;
        int fixedCorner;
    };
    const Case cases[] = {
        {Box::kHitBottomLeft, -10, 0, 10, 0, 4}, // along the bottom edge: width only
        {Box::kHitTopLeft, -10, -5, 10, 5, 4},
        {Box::kHitTopRight, 10, -5, 10, 5, 6},
        {Box::kHitBottomRight, 10, 5, 10, 5, 0},
        {Box::kHitLeft, -10, 7, 10, 0, 2},
        {Box::kHitRight, 10, 7, 10, 0, 6},
        {Box::kHitTop, 3, -5, 0, 5, 6},
        {Box::kHitBottom, 3, 5, 0, 5, 0},
        {Box::kHitRight, -150, 0, -150, 0, 6}, // past the left edge: mirrored, not normalised
    };
    for (const double angle : {0.0, 30.0, -110.0}) {
        for (const Case& c : cases) {
            Box box = RegionOf({20, 20}, {120, 70});
            box.Rotate(angle);
            const Box before = box;
            const DPoint delta = ScreenDelta(angle, c.du, c.dv);
            box.Drag(c.code, {200, 200}, {200 + delta.x, 200 + delta.y});
            const auto fixed = static_cast<std::size_t>(c.fixedCorner);
            EXPECT_EQ(box.angle, angle);
            EXPECT_NEAR(box.Size().width, 100 + c.widthChange, 1e-9) << c.code << " " << angle;
            EXPECT_NEAR(box.Size().height, 50 + c.heightChange, 1e-9) << c.code << " " << angle;
            ExpectNear(box.pixelNodes[fixed], before.pixelNodes[fixed], 1e-9, "fixed corner");
            ExpectNear(box.pixelNodes[5],
                       {(box.pixelNodes[4].x + box.pixelNodes[6].x) / 2,
                        (box.pixelNodes[4].y + box.pixelNodes[6].y) / 2},
                       1e-12, "midpoint");
        }
    }
    // Neither a code without a handle nor a non-positive code moves anything.
    Box box = RegionOf({20, 20}, {120, 70});
    box.Rotate(30);
    const Box before = box;
    box.Resize(3, {5, 5});
    box.Drag(0, {0, 0}, {5, 5});
    box.Drag(-1, {0, 0}, {5, 5});
    EXPECT_EQ(box, before);
}

TEST(Box, DrawsTheOutlineAndLinesOfConstantGraphValue) {
    Box box = RegionOf({2, 2}, {12, 8});
    const DPoint graph[4] = {{0, 6}, {10, 6}, {10, 0}, {0, 0}};
    box.SetGraphNodes(4, graph);

    RasterDevice outline(16, 12);
    DrawContext outlineContext(&outline);
    box.Draw(outlineContext);
    EXPECT_EQ(BlackPixels(outline), 32);
    EXPECT_EQ(outline.At(2, 2), kBlack);
    EXPECT_EQ(outline.At(12, 8), kBlack);
    EXPECT_EQ(outline.At(7, 5), kWhite);

    RasterDevice zoomed(30, 20);
    DrawContext zoomedContext(&zoomed, 2.0);
    box.Draw(zoomedContext);
    EXPECT_EQ(zoomed.At(24, 16), kBlack);
    EXPECT_EQ(BlackPixels(zoomed), 64);

    struct Case {
        bool constantX;
        DPoint graph;
        bool drawn;
        IPoint onLine;
        int pixels;
    };
    // Graph X 5 is pixel column 7, graph Y 3 is pixel row 5. Up to 1 % of the half-width
    // beyond an edge (0.05 graph units) still draws.
    const Case cases[] = {
        {true, {5, 100}, true, {7, 3}, 6},     {true, {10.04, 3}, true, {12, 5}, 6},
        {true, {10.06, 3}, false, {0, 0}, 0},  {true, {-0.06, 3}, false, {0, 0}, 0},
        {false, {-100, 3}, true, {3, 5}, 10},  {false, {5, 6.02}, true, {5, 2}, 10},
        {false, {5, -0.04}, false, {0, 0}, 0},
    };
    for (const Case& c : cases) {
        RasterDevice device(16, 12);
        DrawContext ctx(&device);
        const bool drawn = c.constantX ? box.DrawXLine(ctx, c.graph) : box.DrawYLine(ctx, c.graph);
        EXPECT_EQ(drawn, c.drawn) << c.graph.x << "," << c.graph.y;
        EXPECT_EQ(BlackPixels(device), c.pixels) << c.graph.x << "," << c.graph.y;
        if (c.drawn) {
            EXPECT_EQ(device.At(c.onLine.x, c.onLine.y), kBlack) << c.graph.x << "," << c.graph.y;
        }
    }

    // Graph values without a pixel region: the line counts as inside but nothing is drawn.
    Box unplaced = box;
    unplaced.pixelCount = 0;
    RasterDevice empty(16, 12);
    DrawContext emptyContext(&empty);
    EXPECT_TRUE(unplaced.DrawXLine(emptyContext, {5, 3}));
    unplaced.Draw(emptyContext);
    EXPECT_EQ(BlackPixels(empty), 0);

    // Edges with an end that is not a number or beyond the logical range (a damaged file)
    // are skipped; only the left edge 6-0 is left to draw.
    Box damaged = box;
    damaged.pixelNodes[2].x = std::numeric_limits<double>::quiet_NaN();
    damaged.pixelNodes[4].y = 1e300;
    damaged.Draw(emptyContext);
    damaged.DrawYLine(emptyContext, {5, 3});
    EXPECT_EQ(BlackPixels(empty), 6);
    EXPECT_EQ(empty.At(2, 5), kBlack);
}

TEST(CropBox, CropRectangleAndDragging) {
    struct Case {
        DPoint from;
        DPoint to;
        double angle;
        int left, top, width, height;
    };
    const Case cases[] = {
        {{10.4, 20.6}, {30.4, 40.6}, 0, 10, 21, 21, 21},
        {{30.4, 40.6}, {10.4, 20.6}, 0, 10, 21, 21, 21}, // dragged up and left
        {{0, 0}, {0, 0}, 0, 0, 0, 1, 1},
        // A quarter turn about (10, 30): the box now spans x 10..30 and y 30..50.
        {{10, 10}, {30, 30}, 90, 10, 30, 21, 21},
    };
    for (const Case& c : cases) {
        CropBox crop;
        crop.Drag(0, c.from, c.to);
        crop.Rotate(c.angle);
        int left = -1, top = -1, width = -1, height = -1;
        ASSERT_TRUE(crop.CropRect(left, top, width, height));
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(top, c.top);
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
    }

    CropBox crop;
    int left = -1, top = -1, width = -1, height = -1;
    EXPECT_FALSE(crop.CropRect(left, top, width, height));
    EXPECT_EQ(left, -1);
    // A handle without a region starts a new rectangle; with a region it resizes.
    crop.Drag(Box::kHitRight, {50, 60}, {20, 10});
    EXPECT_EQ(crop.pixelNodes[0], (DPoint{20, 10}));
    EXPECT_EQ(crop.pixelNodes[4], (DPoint{50, 60}));
    crop.Drag(Box::kHitRight, {50, 30}, {55, 31});
    EXPECT_EQ(crop.pixelNodes[4], (DPoint{55, 60}));

    crop.SaveCorners();
    crop.Rotate(20);
    crop.Drag(Box::kHitTop, {0, 0}, {0, -9});
    crop.RestoreCorners();
    EXPECT_EQ(crop.pixelNodes[0], (DPoint{20, 10}));
    EXPECT_EQ(crop.pixelNodes[3], (DPoint{55, 35}));
    EXPECT_EQ(crop.angle, 0.0);

    crop.pixelNodes[2].x = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(crop.CropRect(left, top, width, height));
}

} // namespace
