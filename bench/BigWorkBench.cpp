// Whole-process times of `tracery --export OUT.plm IN.plm` — open a document and save it
// again — for three kinds of big work:
//   A  a 4000 x 2500 scan with 10,000 points in 4 sets
//   B  a 1000 x 1000 scan with 100,000 points in 4 sets
//   C  a 10000 x 10000 scan with 1,000 points
// The scans are 24-bit pictures of a plotted graph (white paper, grid, curves, lettering).
// The counter peak_rss_MiB is the largest resident size of any `tracery` run so far (the
// cases run from the smallest to the largest, so each reads its own).
#include "core/Archive.h"
#include "database/DbPointRep.h"
#include "database/PlumeData.h"
#include "document/CPlumeDoc.h"
#include "image/ImageStore.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

const std::filesystem::path kFolder =
    std::filesystem::temp_directory_path() / "tracery-big-work-bench";

struct Work {
    const char* name;
    int width;
    int height;
    int points;
    int sets;
};
constexpr Work kWork[] = {
    {"a", 4000, 2500, 10000, 4}, {"b", 1000, 1000, 100000, 4}, {"c", 10000, 10000, 1000, 1}};

PackedBitmap Scan(int width, int height) {
    PackedBitmap::Header header;
    header.width = width;
    header.height = height;
    header.bitCount = 24;
    PackedBitmap made;
    made.Allocate(header);
    std::uint8_t* pixels = made.Pixels();
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = pixels + made.RowBytes() * static_cast<std::size_t>(y);
        const int curve = static_cast<int>(height / 2 + height / 3 * std::sin(y * 0.003));
        for (int x = 0; x < width; ++x) {
            const bool grid = x % 250 == 0 || y % 250 == 0;
            const bool line = std::abs(x - curve) < 3 || std::abs(y - x * height / width) < 2;
            const bool letter = y > height - 120 && (x * 13 + y * 7) % 97 < 9;
            const std::uint8_t value = line || letter ? 30 : grid ? 200 : 255;
            row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = value;
        }
    }
    return made;
}

const std::filesystem::path& Document(const Work& work) {
    static std::filesystem::path paths[std::size(kWork)];
    std::filesystem::path& path = paths[&work - kWork];
    if (!path.empty()) {
        return path;
    }
    std::filesystem::create_directories(kFolder);
    path = kFolder / (std::string(work.name) + ".plm");
    PlumeData database;
    database.CreateDefaultSet();
    for (int s = 1; s < work.sets; ++s) {
        database.NewSet("Set");
    }
    ImageStore store;
    store.SetBitmap(Scan(work.width, work.height), ImageStore::kTypeBmp);
    database.ReplaceImage(std::move(store), 0);
    database.Mapping().region.SetPixelRect(DPoint{0, 0},
                                           DPoint{double(work.width), double(work.height)});
    database.Mapping().SetLimits(DPoint{0, 1}, DPoint{100, 1000});
    for (int i = 0; i < work.points; ++i) {
        auto* point = new DbPointRep(DPoint{double(i % work.width), double(i % work.height)});
        point->Remap(database.Mapping());
        database.AddPrimitive(SmartPtr<DbPrimRep>(point), i % work.sets);
    }
    Archive archive;
    archive.WriteInt32(static_cast<std::int32_t>(CPlumeDoc::kMagic));
    database.Serialize(archive);
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    archive.ForEachChunk([&](const std::uint8_t* data, std::size_t size) {
        return std::fwrite(data, 1, size, file) == size;
    });
    std::fclose(file);
    return path;
}

void BM_LoadAndSave(benchmark::State& state) {
    const Work& work = kWork[state.range(0)];
    const std::filesystem::path& input = Document(work);
    const std::string command = std::string("'" TRACERY_EXECUTABLE "' --export '") +
                                (kFolder / (std::string(work.name) + "-out.plm")).string() + "' '" +
                                input.string() + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("export failed");
            break;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.SetLabel(work.name);
}

} // namespace

BENCHMARK(BM_LoadAndSave)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
