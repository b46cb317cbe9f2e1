#include "draw/DrawContext.h"
#include "mapping/RegGridData.h"
#include "mapping/RegGridSnap.h"
#include "mapping/SnapTolerance.h"
#include "mapping/TransformData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Records every line as its two logical end points.
struct SegmentDevice : Device {
    Pen SelectPen(const Pen& pen) override { return pen; }
    RasterOp SetRasterOp(RasterOp op) override { return op; }
    void MoveTo(int x, int y) override { at = {x, y}; }
    void LineTo(int x, int y) override { segments.push_back({at, {x, y}}); }
    void SetPixel(int, int, Colour) override {}
    void FillRect(int, int, int, int, Colour) override {}
    void DrawPackedBitmap(const PackedBitmapView&, int, int, int, int, int, int, int,
                          int) override {}
    IPoint at;
    std::vector<std::pair<IPoint, IPoint>> segments;
};

// A grid over an unrotated region from (0, 0) to the given corner with the given limits.
struct Grid {
    Grid(DPoint corner, DPoint min, DPoint max, int logX = 0) {
        transform.logX = logX;
        transform.region.SetPixelRect({0, 0}, corner);
        transform.SetLimits(min, max);
    }
    // Logical x of the vertical lines drawn with the X grid on, sorted.
    std::vector<int> XLines(double origin, double step) {
        grid.snapX = 1;
        grid.originX = origin;
        grid.stepX = step;
        DrawContext ctx(&device);
        grid.Draw(ctx);
        std::vector<int> xs;
        for (const auto& [from, to] : device.segments) {
            if (from.x == to.x) {
                xs.push_back(from.x);
            }
        }
        std::sort(xs.begin(), xs.end());
        return xs;
    }
    TransformData transform;
    RegGridData grid{&transform};
    SegmentDevice device;
};

void ExpectSnap(RegGridData& grid, DPoint in, DPoint out, bool snaps, const char* what) {
    DPoint p = in;
    EXPECT_EQ(grid.Snap(p), snaps) << what << " " << in.x << "," << in.y;
    EXPECT_NEAR(p.x, snaps ? out.x : in.x, 1e-9) << what << " " << in.x << "," << in.y;
    EXPECT_NEAR(p.y, snaps ? out.y : in.y, 1e-9) << what << " " << in.x << "," << in.y;
}

TEST(SnapTolerance, RestsAtTheSmallestStepAndScopesRestoreIt) {
    const double e = SnapTolerance::Current();
    EXPECT_EQ(1.0 + e, 1.0);
    EXPECT_NE(1.0 + 2.0 * e, 1.0);
    EXPECT_EQ(SnapTolerance::Minimum(), e);
    {
        SnapTolerance::Scope outer(1.5);
        EXPECT_EQ(SnapTolerance::Current(), 1.5);
        SnapTolerance::Scope inner(kNaN);
        EXPECT_EQ(SnapTolerance::Current(), e);
    }
    EXPECT_EQ(SnapTolerance::Current(), e);
}

// Graph 0..100 on 100 x 100 pixels (pixel y = 100 - graph y): 0.5 pixel is 1 graph unit.
TEST(RegGridSnap, LinearGridTakesTheNearLineOnEachAxisThatIsOn) {
    struct Case {
        int snapX, snapY;
        double origin, step;
        DPoint in, out; // out NaN: no snap
    };
    const Case cases[] = {
        {1, 0, 0, 10, {19.4, 33.3}, {20, 33.3}},
        {1, 0, 0, 10, {15, 33.3}, {kNaN, 0}},
        {1, 0, 3, 10, {12.6, 40}, {13, 40}},
        {0, 1, 0, 10, {33.3, 29.2}, {33.3, 30}},
        {0, 0, 0, 10, {19.4, 19.4}, {kNaN, 0}},
        // Step below twice the tolerance: X takes the line below, Y the line above, also
        // with a negative step.
        {1, 0, 0, 1, {10.4, 50}, {10, 50}},
        {0, 1, 0, 1, {50, 10.4}, {50, 11}},
        {1, 1, 0, 1, {10.4, 10.4}, {10, 11}},
        {1, 1, 0, -1, {10.4, 10.4}, {10, 11}},
    };
    Grid g({100, 100}, {0, 0}, {100, 100});
    SnapTolerance::Scope tolerance(0.5);
    for (const Case& c : cases) {
        g.grid.snapX = c.snapX;
        g.grid.snapY = c.snapY;
        g.grid.originX = g.grid.originY = c.origin;
        g.grid.stepX = g.grid.stepY = c.step;
        ExpectSnap(g.grid, {c.in.x, 100 - c.in.y}, {c.out.x, 100 - c.out.y}, !std::isnan(c.out.x),
                   "linear");
    }
}

TEST(RegGridSnap, RotatedRegionSnapsAlongTheTurnedGraphAxes) {
    Grid g({100, 100}, {0, 0}, {100, 100});
    g.transform.region.Rotate(30);
    const double c = std::cos(30 * kDegreesToRadians);
    const double s = std::sin(30 * kDegreesToRadians);
    // Graph (x, y) on the region turned clockwise about its bottom-left corner (0, 100).
    const auto pixel = [&](DPoint g) { return DPoint{g.x * c + g.y * s, 100 + g.x * s - g.y * c}; };
    g.grid.stepX = g.grid.stepY = 10;
    // One pixel along both image axes is c + s = 1.37 graph units in X, c - s = 0.37 in Y.
    SnapTolerance::Scope tolerance(0.5);
    struct Case {
        int snapX, snapY;
        DPoint in, out;
        bool snaps;
    };
    const Case cases[] = {
        {1, 0, {19.4, 33.3}, {20, 33.3}, true},
        {0, 1, {41.1, 29.8}, {41.1, 30}, true},
        {0, 1, {41.1, 29.5}, {}, false},
        {1, 1, {19.4, 29.8}, {20, 30}, true},
    };
    for (const Case& k : cases) {
        g.grid.snapX = k.snapX;
        g.grid.snapY = k.snapY;
        ExpectSnap(g.grid, pixel(k.in), pixel(k.out), k.snaps, "rotated");
    }
}

// Log X 1..1000 on 300 pixels: pixel x = 100 log10(x); moving 2 * tolerance pixels
// multiplies x by 10^(tolerance / 50), so at 3.02 a tolerance of 0.5 reaches 0.070.
TEST(RegGridSnap, LogarithmicAxisRepeatsTheStepPerDecadeFromTheOrigin) {
    struct Case {
        double tolerance, origin, step, in, out; // out NaN: no snap
    };
    const Case cases[] = {
        {0.5, 1, 1, 3.02, 3},       {0.1, 1, 1, 3.02, kNaN}, {0.5, 1, 1, 30.2, 30},
        {0.5, 1, 1, 3.5, kNaN},     {0.5, 1, 1, 0.302, 0.3}, {0.5, 1, 1, 0.0302, 0.03},
        {0.5, 1, 1, 9.95, 10},      {0.5, 1, 4, 9.9, 10},    {0.5, 2, 3, 11.1, 11},
        {0.5, 0.5, 0.5, 2.51, 2.5},
    };
    Grid g({300, 100}, {1, 0}, {1000, 100}, 1);
    g.grid.snapX = 1;
    for (const Case& c : cases) {
        g.grid.originX = c.origin;
        g.grid.stepX = c.step;
        SnapTolerance::Scope tolerance(c.tolerance);
        ExpectSnap(g.grid, {100 * std::log10(c.in), 50}, {100 * std::log10(c.out), 50},
                   !std::isnan(c.out), "log");
    }
    // The X grid off with its origin at the default 0 leaves Y snapping on the log mapping.
    g.grid.snapX = 0;
    g.grid.originX = 0;
    g.grid.snapY = 1;
    g.grid.stepY = 10;
    SnapTolerance::Scope tolerance(0.5);
    ExpectSnap(g.grid, {150, 100 - 29.4}, {150, 70}, true, "log X, Y grid");
}

// No snap, point untouched, nothing drawn.
TEST(RegGrid, AxisWithoutLinesOrPositionWithoutMappingNeitherSnapsNorDraws) {
    struct Case {
        int logX;
        double origin, step;
    };
    const Case cases[] = {
        {0, 0, 0}, {0, 19.4, 0}, {0, 0, kNaN}, {0, 0, kInf}, {0, kNaN, 10}, {0, -kInf, 10},
        {1, 1, 0}, {1, 1, -1},   {1, 0, 1},    {1, -1, 1},   {1, kInf, 1},  {1, 1, kNaN},
    };
    SnapTolerance::Scope tolerance(1e6);
    for (const Case& c : cases) {
        Grid g({200, 100}, {c.logX ? 1.0 : 0.0, 0}, {200, 100}, c.logX);
        EXPECT_TRUE(g.XLines(c.origin, c.step).empty()) << c.origin << " " << c.step;
        ExpectSnap(g.grid, {19.4, 50}, {}, false, "no lines");
    }
    Grid g({100, 100}, {0, 0}, {100, 100});
    g.grid.snapX = 1;
    g.grid.stepX = 1;
    DPoint p{kNaN, 3};
    EXPECT_FALSE(g.grid.Snap(p));
    EXPECT_TRUE(std::isnan(p.x) && p.y == 3);
    g.transform.region.pixelCount = 0;
    ExpectSnap(g.grid, {3, 3}, {}, false, "no region");
    RegGridData detached(nullptr);
    detached.snapX = 1;
    detached.stepX = 1;
    ExpectSnap(detached, {3, 3}, {}, false, "no mapping");
}

// Graph X 0..200 on 200 pixels: pixel x = graph x.
TEST(RegGridDraw, LinearLinesWalkBothWaysToTheRegionEdges) {
    struct Case {
        double origin, step;
        std::vector<int> xs;
    };
    const Case cases[] = {
        {0, 20, {0, 20, 40, 60, 80, 100, 120, 140, 160, 180, 200}},
        {5, 20, {5, 25, 45, 65, 85, 105, 125, 145, 165, 185}},
        // 200.75 lies within 1 % of the half-width beyond the edge, 201.75 does not.
        {0.75, 20, {1, 21, 41, 61, 81, 101, 121, 141, 161, 181, 201}},
        {1.75, 20, {2, 22, 42, 62, 82, 102, 122, 142, 162, 182}},
        {-1000, -30, {20, 50, 80, 110, 140, 170, 200}},
        // The lines either side of the centre are -40 (outside) and 200.
        {-1000, 240, {200}},
    };
    for (const Case& c : cases) {
        Grid g({200, 100}, {0, 0}, {200, 100});
        EXPECT_EQ(g.XLines(c.origin, c.step), c.xs) << c.origin << " " << c.step;
    }
    // Y lines run across the whole width, right edge to left.
    Grid g({200, 100}, {0, 0}, {200, 100});
    g.grid.snapY = 1;
    g.grid.stepY = 25;
    DrawContext ctx(&g.device);
    RegGridSnap(&g.grid).Draw(ctx);
    ASSERT_EQ(g.device.segments.size(), 5u);
    for (const auto& [from, to] : g.device.segments) {
        EXPECT_EQ(from, (IPoint{200, from.y}));
        EXPECT_EQ(to, (IPoint{0, from.y}));
        EXPECT_EQ(from.y % 25, 0);
    }
}

TEST(RegGridDraw, LogLinesFallAtOneToNineTimesEachDecade) {
    std::vector<double> paper;
    for (double decade : {1.0, 10.0, 100.0}) {
        for (int k = 1; k <= 9; ++k) {
            paper.push_back(k * decade);
        }
    }
    paper.push_back(1000);
    struct Case {
        double min, max; // graph X limits, 100 pixels per decade
        std::vector<double> lines;
    };
    const Case cases[] = {
        {1, 1000, paper},
        // Centre 10^0.9: the decade of 1 has its first line outside, that of 10 inside.
        {std::pow(10.0, 0.3), std::pow(10.0, 1.5), {2, 3, 4, 5, 6, 7, 8, 9, 10, 20, 30}},
        {2, 8, {2, 3, 4, 5, 6, 7, 8}},
        {0.02, 0.5, {0.02, 0.03, 0.04, 0.05, 0.06, 0.07, 0.08, 0.09, 0.1, 0.2, 0.3, 0.4, 0.5}},
    };
    for (const Case& c : cases) {
        const double left = std::log10(c.min);
        Grid g({100 * (std::log10(c.max) - left), 100}, {c.min, 0}, {c.max, 100}, 1);
        std::vector<int> expected;
        for (double v : c.lines) {
            expected.push_back(static_cast<int>(std::trunc(100 * (std::log10(v) - left) + 0.5)));
        }
        EXPECT_EQ(g.XLines(1, 1), expected) << c.min << ".." << c.max;
    }
}

TEST(RegGridDraw, ShowOffDrawsNothingButTheSnapTestStillSnaps) {
    Grid g({200, 100}, {0, 0}, {200, 100});
    g.grid.showX = 0;
    EXPECT_TRUE(g.XLines(0, 10).empty());
    SnapTolerance::Scope tolerance(0.5);
    RegGridSnap snap(&g.grid);
    DPoint p{19.4, 50};
    ASSERT_TRUE(static_cast<SnapCheck&>(snap).Snap(p));
    EXPECT_NEAR(p.x, 20, 1e-9);
    g.grid.showX = 1;
    g.transform.region.pixelCount = 0;
    EXPECT_TRUE(g.XLines(0, 10).empty());
}

TEST(RegGridDraw, TinyStepsStopAtTheCapAroundTheCentre) {
    const std::size_t cap = RegGridData::kMaxLinesPerAxis;
    // 100 pixels per graph unit in X: the capped lines span 0.1 unit = 10 pixels, centred.
    Grid linear({200, 100}, {0, 0}, {2, 100});
    linear.grid.snapY = 1;
    linear.grid.stepY = 1e-4;
    const std::vector<int> xs = linear.XLines(0, 1e-5);
    ASSERT_EQ(xs.size(), cap);
    EXPECT_NEAR(xs.front(), 95, 1);
    EXPECT_NEAR(xs.back(), 105, 1);
    EXPECT_EQ(linear.device.segments.size(), 2 * cap);

    Grid log({300, 100}, {1, 0}, {1000, 100}, 1);
    EXPECT_EQ(log.XLines(1, 1e-9).size(), cap);
    // Steps that vanish against the values: x + step == x.
    for (double step : {1e-300, 5e-324}) {
        EXPECT_LE(Grid({200, 100}, {0, 0}, {200, 100}).XLines(1e6, step).size(), 1u) << step;
        EXPECT_LE(Grid({300, 100}, {1, 0}, {1000, 100}, 1).XLines(1, step).size(), cap) << step;
    }
}

} // namespace
