// The compressed image copy of a document: a 10000 x 10000 24-bit picture deflated on every
// core (ParallelDeflate) against zlib's one-call compress of the same bytes, for a scanned
// plot (white paper, grid, curves, lettering) and for a photo-like noisy picture. The
// counter "size_vs_compress" is the parallel stream's size over compress's.
#include "image/ParallelDeflate.h"

#include <zlib.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int kSide = 10000;
constexpr std::size_t kRow = std::size_t{kSide} * 3;

void Dot(std::vector<std::uint8_t>& image, int x, int y, std::uint8_t b, std::uint8_t g,
         std::uint8_t r) {
    if (x < 0 || y < 0 || x >= kSide || y >= kSide) {
        return;
    }
    std::uint8_t* p = image.data() + std::size_t(y) * kRow + std::size_t(x) * 3;
    p[0] = b;
    p[1] = g;
    p[2] = r;
}

const std::vector<std::uint8_t>& Plot() {
    static const std::vector<std::uint8_t> image = [] {
        std::vector<std::uint8_t> made(kRow * kSide, 0xFF);
        std::mt19937 random(11);
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                if (x % 500 == 0 || y % 500 == 0) {
                    Dot(made, x, y, 200, 200, 200); // grid
                }
            }
        }
        for (int curve = 0; curve < 6; ++curve) {
            for (int x = 0; x < kSide; ++x) {
                const int y = static_cast<int>(5000 + (1000 + 500 * curve) *
                                                          std::sin(x / (700.0 + 90 * curve)));
                for (int t = -2; t <= 2; ++t) {
                    Dot(made, x, y + t, 40, 40, static_cast<std::uint8_t>(180 - 25 * curve));
                }
            }
        }
        // Lettering: small dark strokes in rows along the axes and in a legend.
        for (int n = 0; n < 40000; ++n) {
            const int x = static_cast<int>(random() % kSide);
            const int y = (n % 3 == 0) ? 9700 + static_cast<int>(random() % 200)
                                       : static_cast<int>(random() % 300);
            for (int k = 0; k < 12; ++k) {
                Dot(made, x + k % 4, y + k / 4, 20, 20, 20);
            }
        }
        return made;
    }();
    return image;
}

const std::vector<std::uint8_t>& Photo() {
    static const std::vector<std::uint8_t> image = [] {
        std::vector<std::uint8_t> made(kRow * kSide);
        std::mt19937 random(5);
        for (std::size_t i = 0; i < made.size(); ++i) {
            const std::size_t pixel = i / 3;
            const int smooth = static_cast<int>((pixel % kSide) / 40 + (pixel / kSide) / 60);
            made[i] = static_cast<std::uint8_t>(smooth + static_cast<int>(random() % 24));
        }
        return made;
    }();
    return image;
}

const std::vector<std::uint8_t>& Picture(std::int64_t which) {
    return which == 0 ? Plot() : Photo();
}

std::size_t CompressedSize(const std::vector<std::uint8_t>& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::vector<std::uint8_t> out(size);
    compress(out.data(), &size, data.data(), static_cast<uLong>(data.size()));
    return size;
}

void BM_OneCallCompress(benchmark::State& state) {
    const std::vector<std::uint8_t>& data = Picture(state.range(0));
    uLongf bound = compressBound(static_cast<uLong>(data.size()));
    std::vector<std::uint8_t> out(bound);
    for (auto _ : state) {
        uLongf size = bound;
        benchmark::DoNotOptimize(
            compress(out.data(), &size, data.data(), static_cast<uLong>(data.size())));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void BM_ParallelDeflate(benchmark::State& state) {
    const std::vector<std::uint8_t>& data = Picture(state.range(0));
    std::size_t size = 0;
    for (auto _ : state) {
        ParallelDeflate::Stream stream;
        benchmark::DoNotOptimize(ParallelDeflate::Compress(data.data(), data.size(), stream));
        size = stream.size;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
    state.counters["size_vs_compress"] =
        static_cast<double>(size) / static_cast<double>(CompressedSize(data));
}

// Argument 0: the plot; 1: the photo.
BENCHMARK(BM_OneCallCompress)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ParallelDeflate)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
