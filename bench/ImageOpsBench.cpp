// Image operations on large scans, each against a memcpy of the same bytes measured in the
// same run: flips and quarter turns of the whole bitmap, scaling per output byte, and
// loading a BMP file against reading the file into memory.
#include "image/BitmapOps.h"
#include "image/BmpCodec.h"
#include "image/ImageStore.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 8000;

// One image per depth, made once: filling 192 MB per benchmark would dominate the run.
ImageStore& Image(int bits) {
    static std::map<int, std::unique_ptr<ImageStore>> images;
    auto& slot = images[bits];
    if (!slot) {
        PackedBitmap::Header header;
        header.width = kSide;
        header.height = kSide;
        header.bitCount = static_cast<std::uint16_t>(bits);
        PackedBitmap bitmap;
        bitmap.Allocate(header);
        std::uint8_t* pixels = bitmap.Pixels();
        for (std::size_t i = 0; i < bitmap.ImageSize(); ++i) {
            pixels[i] = static_cast<std::uint8_t>(i * 2654435761u >> 13);
        }
        slot = std::make_unique<ImageStore>();
        slot->SetBitmap(std::move(bitmap), ImageStore::kTypeBmp);
    }
    return *slot;
}

std::size_t StatusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stoul(line.substr(std::strlen(field)));
        }
    }
    return 0;
}

void ResetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_Memcpy(benchmark::State& state) {
    const std::size_t bytes = Image(static_cast<int>(state.range(0))).GetPackedBitmap().ImageSize();
    std::vector<std::uint8_t> a(bytes, 1);
    std::vector<std::uint8_t> b(bytes, 2);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_FlipVertical(benchmark::State& state) {
    ImageStore& image = Image(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        image.FlipVertical();
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * image.GetPackedBitmap().ImageSize()));
}

void BM_FlipHorizontal(benchmark::State& state) {
    ImageStore& image = Image(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        image.FlipHorizontal();
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * image.GetPackedBitmap().ImageSize()));
}

void BM_Rotate90(benchmark::State& state) {
    ImageStore& image = Image(static_cast<int>(state.range(0)));
    const double bitmapMiB = static_cast<double>(image.GetPackedBitmap().TotalSize()) / (1 << 20);
    // How far the resident size rises above what it was with the old bitmap alone: a
    // rotation that needs no more than old + new bitmap rises by one bitmap at most.
    double riseMiB = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ResetPeakResident();
        const std::size_t before = StatusKiB("VmRSS:");
        state.ResumeTiming();
        image.Rotate(90);
        state.PauseTiming();
        riseMiB = static_cast<double>(StatusKiB("VmHWM:") - before) / 1024;
        state.ResumeTiming();
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * image.GetPackedBitmap().ImageSize()));
    state.counters["bitmap_MiB"] = bitmapMiB;
    state.counters["peak_rise_MiB"] = riseMiB;
}

// Per output byte: the baseline is a memcpy of the output's size. The scaled bitmap is
// made from the image as the display copies are (the source stays), and released outside
// the timing.
void BM_ScaleTo(benchmark::State& state) {
    const PackedBitmap& source = Image(static_cast<int>(state.range(0))).GetPackedBitmap();
    const int side = static_cast<int>(state.range(1));
    std::size_t outBytes = 0;
    for (auto _ : state) {
        PackedBitmap scaled;
        BitmapOps::Scale(source, side, side, scaled);
        outBytes = scaled.ImageSize();
        state.PauseTiming();
        scaled.Clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * outBytes));
}

void BM_MemcpyOfSize(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    const std::size_t side = static_cast<std::size_t>(state.range(1));
    const std::size_t bytes = PackedBitmap::RowBytes(static_cast<std::int64_t>(side), bits) * side;
    std::vector<std::uint8_t> a(bytes, 1);
    std::vector<std::uint8_t> b(bytes, 2);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

const char* BmpPath(int bits) {
    static std::map<int, std::string> paths;
    auto& path = paths[bits];
    if (path.empty()) {
        path = "/tmp/tracery-bench-" + std::to_string(bits) + ".bmp";
        BmpCodec::Save(Image(bits).GetPackedBitmap(), path);
    }
    return path.c_str();
}

void BM_ReadFileIntoMemory(benchmark::State& state) {
    const char* path = BmpPath(static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::FILE* file = std::fopen(path, "rb");
        std::fseek(file, 0, SEEK_END);
        bytes = static_cast<std::size_t>(std::ftell(file));
        std::fseek(file, 0, SEEK_SET);
        std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[bytes]);
        benchmark::DoNotOptimize(std::fread(data.get(), 1, bytes, file));
        std::fclose(file);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_LoadBmpFile(benchmark::State& state) {
    const char* path = BmpPath(static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        ImageStore store;
        benchmark::DoNotOptimize(store.LoadFile(path));
        bytes = store.GetPackedBitmap().TotalSize();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

} // namespace

#define DEPTHS ->Arg(24)->Arg(8)->Arg(1)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_Memcpy) DEPTHS;
BENCHMARK(BM_FlipVertical) DEPTHS;
BENCHMARK(BM_FlipHorizontal) DEPTHS;
BENCHMARK(BM_Rotate90) DEPTHS->Iterations(3);
BENCHMARK(BM_ReadFileIntoMemory) DEPTHS;
BENCHMARK(BM_LoadBmpFile) DEPTHS;
BENCHMARK(BM_MemcpyOfSize)
    ->Args({24, 2000})
    ->Args({8, 2000})
    ->Args({1, 2000})
    ->Args({24, 16000})
    ->Args({8, 16000})
    ->Args({1, 16000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScaleTo)
    ->Args({24, 2000})
    ->Args({8, 2000})
    ->Args({1, 2000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScaleTo)
    ->Args({24, 16000})
    ->Args({8, 16000})
    ->Args({1, 16000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
