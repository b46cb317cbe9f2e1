#include "mapping/TransformData.h"
#include "core/Archive.h"
#include "mapping/TransformAxisVw.h"
#include "mapping/TransformMan.h"
#include "mapping/TransformMemento.h"
#include "mapping/TransformPpiVw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void Define(TransformData& data, DPoint topLeft, DPoint bottomRight, DPoint min, DPoint max) {
    data.region.SetPixelRect(topLeft, bottomRight);
    data.SetLimits(min, max);
}

template <typename Rep> std::unique_ptr<Rep> RepOf(TransformData& data) {
    std::unique_ptr<AttributeRep> rep = data.CreateRep(Rep::kKey);
    return std::unique_ptr<Rep>(dynamic_cast<Rep*>(rep.release()));
}

// Turns a pixel clockwise about a pivot exactly as a region turns.
DPoint Turned(DPoint p, DPoint pivot, double degrees) {
    const double t = degrees * kDegreesToRadians;
    const double dx = p.x - pivot.x;
    const double dy = p.y - pivot.y;
    return {pivot.x + dx * std::cos(t) - dy * std::sin(t),
            pivot.y + dx * std::sin(t) + dy * std::cos(t)};
}

std::vector<std::uint8_t> Stored(TransformData& data) {
    Archive archive;
    data.Serialize(archive);
    return archive.Buffer();
}

TEST(TransformData, NewMappingHasNoRegionButValidLimits) {
    TransformData data;
    DPoint graph{-7, -7};
    DPoint pixel{-7, -7};
    DPoint input{5, 5};
    EXPECT_FALSE(data.PixelToGraph({1, 1}, graph));
    EXPECT_FALSE(data.GraphToPixel(input, pixel));
    EXPECT_EQ(graph, (DPoint{-7, -7}));
    EXPECT_EQ(pixel, (DPoint{-7, -7}));
    EXPECT_EQ(data.limitsSet, 1);
    EXPECT_EQ(data.region.graphNodes[3], (DPoint{10, 5.5}));
}

TEST(TransformData, MapsKnownPointsBothWaysIncludingExtrapolation) {
    TransformData data;
    Define(data, {0, 0}, {99, 49}, {0, 0}, {10, 5});
    struct Case {
        DPoint pixel;
        DPoint graph;
    };
    const Case cases[] = {
        {{0, 49}, {0, 0}},           {{99, 0}, {10, 5}},      {{49.5, 24.5}, {5, 2.5}},
        {{99, 49}, {10, 0}},         {{9.9, 44.1}, {1, 0.5}}, {{198, 49}, {20, 0}},
        {{-49.5, 73.5}, {-5, -2.5}},
    };
    for (const Case& c : cases) {
        DPoint graph;
        ASSERT_TRUE(data.PixelToGraph(c.pixel, graph)) << c.pixel.x << "," << c.pixel.y;
        EXPECT_NEAR(graph.x, c.graph.x, 1e-9);
        EXPECT_NEAR(graph.y, c.graph.y, 1e-9);
        DPoint input = c.graph;
        DPoint pixel;
        ASSERT_TRUE(data.GraphToPixel(input, pixel)) << c.graph.x << "," << c.graph.y;
        EXPECT_NEAR(pixel.x, c.pixel.x, 1e-9);
        EXPECT_NEAR(pixel.y, c.pixel.y, 1e-9);
        EXPECT_EQ(input, c.graph); // linear axes leave the input alone
    }
    EXPECT_NEAR(data.region.GraphCenter().x, 5, 1e-12);
    EXPECT_NEAR(data.region.GraphCenter().y, 2.5, 1e-12);
}

TEST(TransformData, LogarithmicAxesInterpolateInDecades) {
    struct Case {
        int logX;
        int logY;
        DPoint min;
        DPoint max;
        DPoint pixel;
        DPoint graph;
    };
    // Region (0, 0)-(90, 60): thirds of the width are 30 pixels, quarters of the height 15.
    const Case cases[] = {
        {1, 0, {1, 0}, {1000, 6}, {45, 30}, {31.622776601683793, 3}},
        {1, 0, {1, 0}, {1000, 6}, {30, 60}, {10, 0}},
        {1, 0, {1, 0}, {1000, 6}, {180, 0}, {1e6, 6}},
        {0, 1, {0, 0.1}, {9, 1000}, {45, 30}, {4.5, 10}},
        {0, 1, {0, 0.1}, {9, 1000}, {0, 45}, {0, 1}},
        {1, 1, {1, 1}, {100, 100}, {45, 30}, {10, 10}},
    };
    for (const Case& c : cases) {
        TransformData data;
        data.logX = c.logX;
        data.logY = c.logY;
        Define(data, {0, 0}, {90, 60}, c.min, c.max);
        DPoint graph;
        ASSERT_TRUE(data.PixelToGraph(c.pixel, graph));
        EXPECT_NEAR(graph.x, c.graph.x, 1e-9 * std::max(1.0, c.graph.x));
        EXPECT_NEAR(graph.y, c.graph.y, 1e-9 * std::max(1.0, c.graph.y));
        DPoint input = c.graph;
        DPoint pixel;
        ASSERT_TRUE(data.GraphToPixel(input, pixel));
        EXPECT_NEAR(pixel.x, c.pixel.x, 1e-7);
        EXPECT_NEAR(pixel.y, c.pixel.y, 1e-7);
        EXPECT_NEAR(input.x, c.logX ? std::log10(c.graph.x) : c.graph.x, 1e-12);
        EXPECT_NEAR(input.y, c.logY ? std::log10(c.graph.y) : c.graph.y, 1e-12);
    }

    TransformData data;
    data.logX = 1;
    Define(data, {0, 0}, {90, 60}, {1, 0}, {1000, 6});
    for (const DPoint bad : {DPoint{0, 3}, DPoint{-5, 3}, DPoint{kNaN, 3}}) {
        DPoint input = bad;
        DPoint pixel{-1, -1};
        EXPECT_FALSE(data.GraphToPixel(input, pixel)) << bad.x;
        EXPECT_EQ(pixel, (DPoint{-1, -1}));
    }
}

TEST(TransformData, MapsTheSameAtAnyScaleOfGraphValues) {
    for (const double s : {1e-12, 1e-4, 1.0, 1e12}) {
        TransformData data;
        Define(data, {0, 0}, {99, 49}, {0, 0}, {s, 2 * s});
        struct Case {
            DPoint pixel;
            DPoint graph;
        };
        const Case cases[] = {
            {{24.75, 36.75}, {0.25 * s, 0.5 * s}}, {{99, 0}, {s, 2 * s}}, {{-99, 49}, {-s, 0}}};
        for (const Case& c : cases) {
            DPoint graph;
            ASSERT_TRUE(data.PixelToGraph(c.pixel, graph)) << s;
            EXPECT_NEAR(graph.x, c.graph.x, 1e-12 * s) << s;
            EXPECT_NEAR(graph.y, c.graph.y, 1e-12 * s) << s;
            DPoint input = c.graph;
            DPoint pixel;
            ASSERT_TRUE(data.GraphToPixel(input, pixel)) << s;
            EXPECT_NEAR(pixel.x, c.pixel.x, 1e-9) << s;
            EXPECT_NEAR(pixel.y, c.pixel.y, 1e-9) << s;
        }
    }
}

TEST(TransformData, DegenerateRegionsAndLimitsStillFail) {
    struct Case {
        const char* what;
        DPoint topLeft;
        DPoint bottomRight;
        double angle;
        DPoint min;
        DPoint max;
        bool pixelToGraph;
        bool graphToPixel;
    };
    const Case cases[] = {
        {"zero height", {0, 10}, {99, 10}, 0, {0, 0}, {10, 5}, false, true},
        {"zero height, turned", {0, 10}, {99, 10}, 30, {0, 0}, {10, 5}, false, true},
        {"a single point", {5, 5}, {5, 5}, 0, {0, 0}, {10, 5}, false, true},
        {"equal X limits", {0, 0}, {99, 49}, 0, {3, 0}, {3, 5}, true, false},
        {"equal tiny Y limits", {0, 0}, {99, 49}, 0, {0, 1e-12}, {1e-12, 1e-12}, true, false},
    };
    for (const Case& c : cases) {
        TransformData data;
        Define(data, c.topLeft, c.bottomRight, c.min, c.max);
        data.region.Rotate(c.angle);
        DPoint graph;
        DPoint input{5, 2};
        DPoint pixel;
        EXPECT_EQ(data.PixelToGraph({20, 10}, graph), c.pixelToGraph) << c.what;
        EXPECT_EQ(data.GraphToPixel(input, pixel), c.graphToPixel) << c.what;
    }
}

TEST(TransformData, TurningTheRegionKeepsGraphValues) {
    TransformData data;
    Define(data, {0, 0}, {99, 49}, {0, 0}, {10, 5});
    const DPoint pivot = data.region.pixelNodes[6];
    const DPoint samples[] = {{0, 0}, {49.5, 24.5}, {10, 40}, {150, -20}};
    DPoint before[4];
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(data.PixelToGraph(samples[i], before[i]));
    }
    for (const double degrees : {30.0, -45.0, 90.0}) {
        TransformData turned;
        Define(turned, {0, 0}, {99, 49}, {0, 0}, {10, 5});
        turned.region.Rotate(degrees);
        for (int i = 0; i < 4; ++i) {
            DPoint graph;
            ASSERT_TRUE(turned.PixelToGraph(Turned(samples[i], pivot, degrees), graph));
            EXPECT_NEAR(graph.x, before[i].x, 1e-9) << degrees;
            EXPECT_NEAR(graph.y, before[i].y, 1e-9) << degrees;
        }
    }
    // A quarter turn about (0, 49) by hand: the top-left corner lands at (49, 49), the
    // bottom-right at (0, 148), the centre at (24.5, 98.5).
    data.region.Rotate(90);
    struct Case {
        DPoint pixel;
        DPoint graph;
    };
    for (const Case& c :
         {Case{{49, 49}, {0, 5}}, Case{{0, 148}, {10, 0}}, Case{{24.5, 98.5}, {5, 2.5}}}) {
        DPoint graph;
        ASSERT_TRUE(data.PixelToGraph(c.pixel, graph));
        EXPECT_NEAR(graph.x, c.graph.x, 1e-5);
        EXPECT_NEAR(graph.y, c.graph.y, 1e-5);
    }
}

TEST(TransformData, PixelMappingDerivesExtentsFromTheRegion) {
    TransformData data;
    data.region.SetPixelRect({0, 0}, {100, 50});
    EXPECT_TRUE(data.SetPixelMapping(2, 10, {0, 0}));
    EXPECT_DOUBLE_EQ(data.xMax, 20);
    EXPECT_DOUBLE_EQ(data.yMax, 5);
    DPoint graph;
    ASSERT_TRUE(data.PixelToGraph({100, 0}, graph));
    EXPECT_NEAR(graph.x, 20, 1e-12);
    EXPECT_NEAR(graph.y, 5, 1e-12);

    EXPECT_TRUE(data.SetPixelMapping(2, 10, {3, 4}));
    EXPECT_DOUBLE_EQ(data.xMin, 3);
    EXPECT_DOUBLE_EQ(data.xMax, 23);
    EXPECT_DOUBLE_EQ(data.yMax, 9);

    // Turning the region in a pixel mapping recomputes the graph nodes from the region's own
    // size, which the turn does not change: every turned point keeps its graph value.
    data.mode = TransformData::kPixelMapping;
    for (const double degrees : {45.0, 90.0, -30.0}) {
        auto man = RepOf<TransformMan>(data);
        const DPoint pivot = man->RotationPivot();
        DPoint before;
        ASSERT_TRUE(data.PixelToGraph({70, 20}, before));
        man->RotateRegion(degrees);
        man->Notify(nullptr);
        DPoint after;
        ASSERT_TRUE(data.PixelToGraph(Turned({70, 20}, pivot, degrees), after)) << degrees;
        EXPECT_NEAR(after.x, before.x, 1e-9) << degrees;
        EXPECT_NEAR(after.y, before.y, 1e-9) << degrees;
        EXPECT_NEAR(data.xMax, 23, 1e-9);
        EXPECT_NEAR(data.region.graphNodes[2].y, 9, 1e-9);
    }
}

TEST(TransformData, UnusablePixelScalesAreReportedAndRefused) {
    struct Case {
        double aspect;
        double pointsPerLength;
        bool pixelToGraph; // a finite (if constant) graph value still comes out
    };
    const Case cases[] = {
        {1, 0, false}, {1, -0.0, false}, {1, kNaN, false}, {kNaN, 1, false}, {1, kInf, true},
    };
    for (const Case& c : cases) {
        TransformData data;
        data.region.SetPixelRect({0, 0}, {100, 50});
        EXPECT_FALSE(data.SetPixelMapping(c.aspect, c.pointsPerLength, {1, 2}))
            << c.aspect << " " << c.pointsPerLength;
        DPoint graph{-1, -1};
        EXPECT_EQ(data.PixelToGraph({50, 25}, graph), c.pixelToGraph) << c.pointsPerLength;
        EXPECT_TRUE(std::isfinite(graph.x) && std::isfinite(graph.y));
        DPoint input{1, 2};
        DPoint pixel{-1, -1};
        EXPECT_FALSE(data.GraphToPixel(input, pixel)) << c.pointsPerLength;
        EXPECT_EQ(pixel, (DPoint{-1, -1}));
    }
}

TEST(TransformData, CreatesRepresentationsByExactKey) {
    TransformData data;
    Define(data, {0, 0}, {100, 50}, {0, 0}, {20, 5});
    struct Case {
        const char* key;
        bool made;
    };
    const Case cases[] = {
        {"ViewManipTransformData", true},
        {"ViewAxisTransformData", true},
        {"ViewPPITransformData", true},
        {"ViewMementoTransformData", true},
        {"viewaxistransformdata", false},
        {"ViewAxisTransformData ", false},
        {"ViewPpiTransformData", false},
        {"AttTransform", false},
        {"", false},
    };
    for (const Case& c : cases) {
        const std::unique_ptr<AttributeRep> rep = data.CreateRep(c.key);
        ASSERT_EQ(rep != nullptr, c.made) << c.key;
        if (rep) {
            EXPECT_EQ(rep->GetKey(), c.key);
        }
    }
    // Made reps are already filled from the data.
    EXPECT_DOUBLE_EQ(RepOf<TransformAxisVw>(data)->xMax, 20);
    EXPECT_EQ(RepOf<TransformMan>(data)->region, data.region);
    EXPECT_TRUE(dynamic_cast<TransformPpiVw*>(data.CreateRep("ViewPPITransformData").get()));
}

TEST(TransformData, UpdateTakesValuesByRepresentationType) {
    TransformData data;
    Define(data, {0, 0}, {100, 50}, {0, 0}, {20, 5});

    // Axis: an axis mapping with new limits, log10 in the nodes.
    data.mode = TransformData::kPixelMapping;
    auto axis = RepOf<TransformAxisVw>(data);
    axis->xMin = 1;
    axis->xMax = 100;
    axis->logX = 1;
    axis->Notify(nullptr);
    EXPECT_EQ(data.mode, TransformData::kAxisMapping);
    EXPECT_EQ(data.logX, 1);
    EXPECT_DOUBLE_EQ(data.xMax, 100);
    EXPECT_DOUBLE_EQ(data.region.graphNodes[2].x, 2);
    EXPECT_DOUBLE_EQ(data.region.graphNodes[1].x, 1);

    // Pixel: a linear pixel mapping from the rep's own scale and origin.
    auto ppi = RepOf<TransformPpiVw>(data);
    ppi->aspectRatio = 2;
    ppi->pointsPerLength = 10;
    ppi->xOrigin = 1;
    ppi->yOrigin = 2;
    ppi->Notify(nullptr);
    EXPECT_EQ(data.mode, TransformData::kPixelMapping);
    EXPECT_EQ(data.logX, 0);
    EXPECT_DOUBLE_EQ(data.xMax, 21);
    EXPECT_DOUBLE_EQ(data.yMax, 7);

    // Manipulation in a pixel mapping: a wider region means larger extents at the same scale.
    auto man = RepOf<TransformMan>(data);
    man->DragRegion(Box::kHitRight, {100, 20}, {150, 20});
    man->Notify(nullptr);
    EXPECT_DOUBLE_EQ(data.xMax, 31);
    EXPECT_DOUBLE_EQ(data.region.pixelNodes[4].x, 150);

    // Manipulation in an axis mapping: the same limits spread over the new region.
    axis = RepOf<TransformAxisVw>(data);
    axis->logX = 0;
    axis->xMin = 0;
    axis->xMax = 10;
    axis->Notify(nullptr);
    man = RepOf<TransformMan>(data);
    man->DragRegion(Box::kHitTop, {75, 0}, {75, -50});
    man->Notify(nullptr);
    DPoint graph;
    ASSERT_TRUE(data.PixelToGraph({150, -50}, graph));
    EXPECT_NEAR(graph.x, 10, 1e-12);
    EXPECT_NEAR(graph.y, 7, 1e-12);
    EXPECT_DOUBLE_EQ(data.xMax, 10);

    // A subject of another type changes nothing.
    const Box region = data.region;
    Observer stranger;
    data.Update(&stranger, nullptr);
    EXPECT_EQ(data.region, region);
}

TEST(TransformData, PixelViewShowsTheScaleTheMappingImplies) {
    struct Case {
        int logX;
        DPoint min;
        DPoint max;
        double pointsPerLength;
        DPoint origin;
    };
    // Region 100 pixels wide; the stored scale is 1 unless the limits imply one.
    const Case cases[] = {
        {0, {0, 0}, {20, 5}, 5, {0, 0}},
        {1, {10, 1}, {35, 6}, 4, {1, 1}}, // origin shown in log10 where the axis is log
        {0, {3, 0}, {3, 5}, 1, {3, 0}},   // equal X limits imply no scale
    };
    for (const Case& c : cases) {
        TransformData data;
        data.logX = c.logX;
        Define(data, {0, 0}, {100, 50}, c.min, c.max);
        auto ppi = RepOf<TransformPpiVw>(data);
        EXPECT_DOUBLE_EQ(ppi->pointsPerLength, c.pointsPerLength);
        EXPECT_DOUBLE_EQ(ppi->xOrigin, c.origin.x);
        EXPECT_DOUBLE_EQ(ppi->yOrigin, c.origin.y);
    }
    TransformData data;
    data.region.SetPixelRect({0, 0}, {100, 50});
    data.SetPixelMapping(3, 7, {0, 0});
    data.mode = TransformData::kPixelMapping;
    EXPECT_DOUBLE_EQ(RepOf<TransformPpiVw>(data)->pointsPerLength, 7);
    EXPECT_DOUBLE_EQ(RepOf<TransformPpiVw>(data)->aspectRatio, 3);

    // Reset and refresh: the data is back to its defaults and so is the rep.
    auto ppi = RepOf<TransformPpiVw>(data);
    ppi->ResetAndRefresh();
    EXPECT_EQ(data.mode, TransformData::kAxisMapping);
    EXPECT_EQ(data.region.pixelCount, 0);
    EXPECT_DOUBLE_EQ(data.xMax, 10);
    EXPECT_DOUBLE_EQ(ppi->aspectRatio, 1);
    EXPECT_DOUBLE_EQ(ppi->xOrigin, 1);
}

TEST(TransformData, MementoRestoresEveryFieldExactly) {
    TransformData data;
    data.logY = 1;
    Define(data, {3, 4}, {103, 54}, {0.5, 2}, {7, 2000});
    data.region.Rotate(17);
    data.mode = 7; // whatever a file held
    data.pointsPerLength = 3.25;
    data.aspectRatio = 0.75;
    data.limitsSet = 0;
    const std::vector<std::uint8_t> before = Stored(data);
    auto memento = RepOf<TransformMemento>(data);

    auto ppi = RepOf<TransformPpiVw>(data);
    ppi->pointsPerLength = 99;
    ppi->Notify(nullptr);
    auto man = RepOf<TransformMan>(data);
    man->DragRegion(0, {0, 0}, {9, 9});
    man->Notify(nullptr);
    ASSERT_NE(Stored(data), before);

    // Every field, bit for bit: the stored form holds them all.
    memento->Notify(nullptr);
    EXPECT_EQ(Stored(data), before);
}

TEST(TransformMan, RegionOperationsWorkOnTheCopyOnly) {
    TransformData data;
    auto man = RepOf<TransformMan>(data);
    // Without a region any drag spans a new unrotated one, corners in order.
    man->DragRegion(Box::kHitTopLeft, {30, 40}, {10, 5});
    EXPECT_EQ(man->region.pixelNodes[0], (DPoint{10, 5}));
    EXPECT_EQ(man->region.pixelNodes[4], (DPoint{30, 40}));
    EXPECT_EQ(data.region.pixelCount, 0);
    EXPECT_EQ(man->RotationPivot(), (DPoint{10, 40}));

    man->RotateRegion(60);
    EXPECT_EQ(man->RotationPivot(), (DPoint{10, 40}));
    EXPECT_NEAR(man->RegionSize().width, 20, 1e-12);
    EXPECT_NEAR(man->RegionSize().height, 35, 1e-12);
    const DPoint pointer = man->region.pixelNodes[4];
    const DPoint tolerance{1, 1};
    EXPECT_EQ(man->RegionHitTest(pointer, tolerance), Box::kHitBottomRight);
    EXPECT_EQ(man->RegionCursor(pointer, tolerance),
              Box::kCursorVertical); // "\" turned by 45 or more

    man->ClearRegion();
    EXPECT_EQ(man->RegionHitTest(pointer, tolerance), Box::kHitNone);
    man->DragRegion(Box::kHitRight, {0, 0}, {4, 3});
    EXPECT_EQ(man->region.angle, 0.0);
    EXPECT_EQ(man->region.pixelNodes[2], (DPoint{4, 0}));
}

} // namespace
