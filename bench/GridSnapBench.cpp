// Snapping pointer positions onto the regular grid, on a linear and on a logarithmic X axis,
// against one plain pixel-to-graph mapping of the same positions: a snap maps the position
// twice and, when it snaps, maps the result back, so about three mappings is its floor.

#include "core/Geometry.h"
#include "mapping/RegGridData.h"
#include "mapping/SnapTolerance.h"
#include "mapping/TransformData.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr std::size_t kPositions = 1000000;

// A 1200 x 900 pixel region turned by 3 degrees, as a scanned graph usually is.
void MakeMapping(TransformData& transform, bool logX) {
    transform.logX = logX ? 1 : 0;
    transform.region.SetPixelRect({40, 30}, {1240, 930});
    transform.SetLimits({logX ? 1.0 : 0.0, 0}, {logX ? 1000.0 : 100.0, 50});
    transform.region.Rotate(3);
}

std::vector<DPoint> PointerPositions() {
    std::mt19937 random(20240601);
    std::uniform_real_distribution<double> x(40, 1240);
    std::uniform_real_distribution<double> y(30, 930);
    std::vector<DPoint> positions(kPositions);
    for (DPoint& p : positions) {
        p = {x(random), y(random)};
    }
    return positions;
}

void GridSnap(benchmark::State& state, bool logX) {
    TransformData transform;
    MakeMapping(transform, logX);
    RegGridData grid(&transform);
    grid.snapX = 1;
    grid.snapY = 1;
    // Log paper on the log axis; elsewhere lines every 60 (X) and 90 (Y) pixels, so that
    // part of the positions snap.
    grid.originX = logX ? 1.0 : 0.0;
    grid.stepX = logX ? 1.0 : 5.0;
    grid.stepY = 5.0;
    const std::vector<DPoint> positions = PointerPositions();
    // The usual pick tolerance: 3 screen pixels at zoom 1.
    SnapTolerance::Scope tolerance(3.0);
    std::int64_t snapped = 0;
    for (auto _ : state) {
        for (const DPoint& position : positions) {
            DPoint p = position;
            snapped += grid.Snap(p) ? 1 : 0;
            benchmark::DoNotOptimize(p);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kPositions));
    state.counters["snapped"] = benchmark::Counter(
        static_cast<double>(snapped) / static_cast<double>(state.iterations() * kPositions));
}

void PixelToGraphBaseline(benchmark::State& state, bool logX) {
    TransformData transform;
    MakeMapping(transform, logX);
    const std::vector<DPoint> positions = PointerPositions();
    for (auto _ : state) {
        for (const DPoint& position : positions) {
            DPoint g;
            benchmark::DoNotOptimize(transform.PixelToGraph(position, g));
            benchmark::DoNotOptimize(g);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kPositions));
}

} // namespace

BENCHMARK_CAPTURE(PixelToGraphBaseline, linear, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PixelToGraphBaseline, log_x, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(GridSnap, linear, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(GridSnap, log_x, true)->Unit(benchmark::kMillisecond);
