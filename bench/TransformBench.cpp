// Cost of one mapping through the eight-node region (Newton inversion, then interpolation)
// against plain bilinear interpolation of four corners, measured in the same run so the
// ratio is what counts.

#include "core/Geometry.h"
#include "mapping/TransformData.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>

namespace {

constexpr std::size_t kSamples = 64;

void MakeMapping(TransformData& data, double degrees) {
    data.region.SetPixelRect({40, 30}, {1240, 930});
    data.SetLimits({0, 0}, {100, 50});
    data.region.Rotate(degrees);
}

std::array<DPoint, kSamples> PixelSamples(const TransformData& data) {
    std::array<DPoint, kSamples> samples{};
    for (std::size_t i = 0; i < kSamples; ++i) {
        DPoint graph{(static_cast<double>(i % 8) + 0.5) * 12.5,
                     (static_cast<double>(i / 8) + 0.5) * 6.25};
        data.GraphToPixel(graph, samples[i]);
    }
    return samples;
}

std::array<DPoint, kSamples> GraphSamples() {
    std::array<DPoint, kSamples> samples{};
    for (std::size_t i = 0; i < kSamples; ++i) {
        samples[i] = {(static_cast<double>(i % 8) + 0.5) * 12.5,
                      (static_cast<double>(i / 8) + 0.5) * 6.25};
    }
    return samples;
}

void PixelToGraph(benchmark::State& state, double degrees) {
    TransformData data;
    MakeMapping(data, degrees);
    const auto samples = PixelSamples(data);
    std::size_t i = 0;
    for (auto _ : state) {
        DPoint graph;
        const bool ok = data.PixelToGraph(samples[i++ % kSamples], graph);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(graph);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

void GraphToPixel(benchmark::State& state, double degrees) {
    TransformData data;
    MakeMapping(data, degrees);
    const auto samples = GraphSamples();
    std::size_t i = 0;
    for (auto _ : state) {
        DPoint graph = samples[i++ % kSamples];
        DPoint pixel;
        const bool ok = data.GraphToPixel(graph, pixel);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(pixel);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

// The floor: a point interpolated bilinearly from four corners at known fractions.
void BilinearBaseline(benchmark::State& state) {
    const DPoint corners[4] = {{0, 50}, {100, 50}, {100, 0}, {0, 0}};
    std::array<DPoint, kSamples> fractions{};
    for (std::size_t i = 0; i < kSamples; ++i) {
        fractions[i] = {(static_cast<double>(i % 8) + 0.5) / 8.0,
                        (static_cast<double>(i / 8) + 0.5) / 8.0};
    }
    std::size_t i = 0;
    for (auto _ : state) {
        const DPoint f = fractions[i++ % kSamples];
        const double w0 = (1 - f.x) * (1 - f.y);
        const double w1 = f.x * (1 - f.y);
        const double w2 = f.x * f.y;
        const double w3 = (1 - f.x) * f.y;
        DPoint p{w0 * corners[0].x + w1 * corners[1].x + w2 * corners[2].x + w3 * corners[3].x,
                 w0 * corners[0].y + w1 * corners[1].y + w2 * corners[2].y + w3 * corners[3].y};
        benchmark::DoNotOptimize(p);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

} // namespace

BENCHMARK(BilinearBaseline);
BENCHMARK_CAPTURE(PixelToGraph, unrotated, 0.0);
BENCHMARK_CAPTURE(PixelToGraph, rotated_30, 30.0);
BENCHMARK_CAPTURE(GraphToPixel, unrotated, 0.0);
BENCHMARK_CAPTURE(GraphToPixel, rotated_30, 30.0);
