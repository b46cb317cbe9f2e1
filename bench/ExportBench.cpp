// Whole-process times of `tracery --export` (open plus save) against small baselines of
// the same work measured in the same run:
//   a document with 1,000,000 points in 10 sets to .csv  vs  reading a file of its size and
//       writing the same 2,000,000 values with printf "%g"
//   the same document to .plm                           vs  reading a file of its size and
//       writing the same bytes with fwrite
//   a document with an embedded 8000 x 8000 24-bit image to .plm  vs  zlib's one-call
//       compress of the same bitmap
#include "core/Archive.h"
#include "database/DbPointRep.h"
#include "database/PlumeData.h"
#include "document/CPlumeDoc.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::filesystem::path kFolder =
    std::filesystem::temp_directory_path() / "tracery-export-bench";

void WriteDatabase(PlumeData& database, const std::filesystem::path& path) {
    Archive archive;
    archive.WriteInt32(static_cast<std::int32_t>(CPlumeDoc::kMagic));
    database.Serialize(archive);
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    archive.ForEachChunk([&](const std::uint8_t* data, std::size_t size) {
        return std::fwrite(data, 1, size, file) == size;
    });
    std::fclose(file);
}

const std::filesystem::path& PointsDocument() {
    static const std::filesystem::path path = [] {
        std::filesystem::create_directories(kFolder);
        const std::filesystem::path made = kFolder / "points.plm";
        PlumeData database;
        database.CreateDefaultSet();
        for (int s = 1; s < 10; ++s) {
            database.NewSet("Set");
        }
        for (int i = 0; i < 1000000; ++i) {
            auto* point = new DbPointRep(DPoint{i * 0.37, i % 977 * 1.5});
            point->graph = DPoint{i * 0.0123, 1000.0 / (1 + i % 311)};
            database.AddPrimitive(SmartPtr<DbPrimRep>(point), i % 10);
        }
        WriteDatabase(database, made);
        return made;
    }();
    return path;
}

PackedBitmap& Bitmap() {
    static PackedBitmap bitmap = [] {
        PackedBitmap::Header header;
        header.width = 8000;
        header.height = 8000;
        header.bitCount = 24;
        PackedBitmap made;
        made.Allocate(header);
        // A scanned graph: white paper, a grid, curves and some noise in the dark parts.
        std::uint8_t* pixels = made.Pixels();
        for (int y = 0; y < 8000; ++y) {
            std::uint8_t* row = pixels + made.RowBytes() * static_cast<std::size_t>(y);
            for (int x = 0; x < 8000; ++x) {
                const bool ink = x % 400 == 0 || y % 400 == 0 || (x * 7 + y * 3) % 1999 < 6;
                const std::uint8_t value =
                    ink ? static_cast<std::uint8_t>((x * 31 + y * 17) % 64) : 255;
                row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = value;
            }
        }
        return made;
    }();
    return bitmap;
}

const std::filesystem::path& ImageDocument() {
    static const std::filesystem::path path = [] {
        std::filesystem::create_directories(kFolder);
        const std::filesystem::path made = kFolder / "image.plm";
        PlumeData database;
        database.CreateDefaultSet();
        ImageStore store;
        store.SetBitmap(Bitmap(), ImageStore::kTypeBmp);
        database.ReplaceImage(store, 0);
        WriteDatabase(database, made);
        return made;
    }();
    return path;
}

void Export(benchmark::State& state, const std::filesystem::path& input, const char* output) {
    const std::string command = std::string("'" TRACERY_EXECUTABLE "' --export '") +
                                (kFolder / output).string() + "' '" + input.string() + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("export failed");
            break;
        }
    }
}

std::vector<char> ReadAll(const std::filesystem::path& path) {
    std::vector<char> bytes(std::filesystem::file_size(path));
    std::FILE* file = std::fopen(path.string().c_str(), "rb");
    benchmark::DoNotOptimize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    return bytes;
}

void BM_ExportPointsToCsv(benchmark::State& state) {
    Export(state, PointsDocument(), "points.csv");
}

void BM_BaselineReadAndPrintf(benchmark::State& state) {
    const auto& input = PointsDocument();
    for (auto _ : state) {
        const std::vector<char> bytes = ReadAll(input);
        benchmark::DoNotOptimize(bytes.data());
        std::FILE* file = std::fopen((kFolder / "baseline.csv").string().c_str(), "w");
        for (int i = 0; i < 1000000; ++i) {
            std::fprintf(file, "%g, %g\n", i * 0.0123, 1000.0 / (1 + i % 311));
        }
        std::fclose(file);
    }
}

void BM_ExportPointsToPlm(benchmark::State& state) {
    Export(state, PointsDocument(), "points-out.plm");
}

void BM_BaselineReadAndFwrite(benchmark::State& state) {
    const auto& input = PointsDocument();
    for (auto _ : state) {
        const std::vector<char> bytes = ReadAll(input);
        std::FILE* file = std::fopen((kFolder / "baseline.plm").string().c_str(), "wb");
        benchmark::DoNotOptimize(std::fwrite(bytes.data(), 1, bytes.size(), file));
        std::fclose(file);
    }
}

void BM_ExportImageToPlm(benchmark::State& state) {
    Export(state, ImageDocument(), "image-out.plm");
}

void BM_BaselineCompress(benchmark::State& state) {
    const PackedBitmap& bitmap = Bitmap();
    std::vector<std::uint8_t> out(compressBound(bitmap.TotalSize()));
    for (auto _ : state) {
        uLongf size = out.size();
        benchmark::DoNotOptimize(compress(out.data(), &size, bitmap.Data(), bitmap.TotalSize()));
    }
}

} // namespace

BENCHMARK(BM_BaselineReadAndPrintf)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ExportPointsToCsv)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_BaselineReadAndFwrite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ExportPointsToPlm)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_BaselineCompress)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_ExportImageToPlm)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
