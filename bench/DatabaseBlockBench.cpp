// Writing and reading the database block of a document with 1,000,000 points in 10 sets,
// against writing and reading the same number of bytes with plain fwrite / fread.
#include "core/Archive.h"
#include "database/DbPointRep.h"
#include "database/PlumeData.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kPoints = 1000000;
constexpr int kSets = 10;
const char* const kPath = "/tmp/tracery-bench-block.bin";

PlumeData& Populated() {
    static PlumeData* database = [] {
        auto* made = new PlumeData();
        made->CreateDefaultSet();
        for (int s = 1; s < kSets; ++s) {
            made->NewSet("Set");
        }
        for (int i = 0; i < kPoints; ++i) {
            auto* point = new DbPointRep(DPoint{double(i), double(i % 97)});
            point->graph = point->pixel;
            made->AddPrimitive(SmartPtr<DbPrimRep>(point), i % kSets);
        }
        return made;
    }();
    return *database;
}

std::size_t BlockBytes() {
    Archive archive;
    Populated().Serialize(archive);
    return archive.StoredSize();
}

void BM_WriteBlockToFile(benchmark::State& state) {
    PlumeData& database = Populated();
    std::size_t bytes = 0;
    for (auto _ : state) {
        // As a document is saved: the archive streams into the file as it fills.
        std::FILE* file = std::fopen(kPath, "wb");
        Archive archive([&](const std::uint8_t* data, std::size_t size) {
            return std::fwrite(data, 1, size, file) == size;
        });
        database.Serialize(archive);
        archive.Flush();
        std::fclose(file);
        bytes = archive.StoredSize();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_ReadBlockFromFile(benchmark::State& state) {
    const std::size_t bytes = BlockBytes();
    {
        Archive archive;
        Populated().Serialize(archive);
        std::FILE* file = std::fopen(kPath, "wb");
        archive.ForEachChunk([&](const std::uint8_t* data, std::size_t size) {
            return std::fwrite(data, 1, size, file) == size;
        });
        std::fclose(file);
    }
    for (auto _ : state) {
        std::vector<std::uint8_t> data(bytes);
        std::FILE* file = std::fopen(kPath, "rb");
        benchmark::DoNotOptimize(std::fread(data.data(), 1, bytes, file));
        std::fclose(file);
        auto loaded = std::make_unique<PlumeData>();
        Archive archive(data.data(), data.size());
        benchmark::DoNotOptimize(loaded->Serialize(archive));
        // Freeing the points belongs to closing the document, not to opening it.
        state.PauseTiming();
        loaded.reset();
        data = {};
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_PlainWrite(benchmark::State& state) {
    const std::vector<std::uint8_t> data(BlockBytes(), 7);
    for (auto _ : state) {
        std::FILE* file = std::fopen(kPath, "wb");
        benchmark::DoNotOptimize(std::fwrite(data.data(), 1, data.size(), file));
        std::fclose(file);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void BM_PlainRead(benchmark::State& state) {
    const std::size_t bytes = BlockBytes();
    for (auto _ : state) {
        std::vector<std::uint8_t> data(bytes);
        std::FILE* file = std::fopen(kPath, "rb");
        benchmark::DoNotOptimize(std::fread(data.data(), 1, bytes, file));
        std::fclose(file);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

} // namespace

BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteBlockToFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBlockFromFile)->Unit(benchmark::kMillisecond);
