// Whole-process times of `tracery --export OUT.plm IN.plm` — open a document and save it
// again — for three kinds of big work:
//   A  a 4000 x 2500 scan with 10,000 points in 4 sets
//   B  a 1000 x 1000 scan with 100,000 points in 4 sets
//   C  a 10000 x 10000 scan with 1,000 points
// The scans are 24-bit pictures of a plotted graph (white paper, grid, curves, lettering).
// The counter peak_rss_MiB is the largest resident size of the case's runs.
//
// With TRACERY_BASELINE naming another build's executable, each case also runs that one
// right after this build's, so that the two are compared in the same run.
#include "core/Archive.h"
#include "database/DbPointRep.h"
#include "database/PlumeData.h"
#include "document/CPlumeDoc.h"
#include "image/ImageStore.h"

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

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

bool WriteDocument(const Work& work, const std::filesystem::path& path);

const std::filesystem::path& Document(const Work& work) {
    static std::filesystem::path paths[std::size(kWork)];
    std::filesystem::path& path = paths[&work - kWork];
    if (!path.empty()) {
        return path;
    }
    std::filesystem::create_directories(kFolder);
    path = kFolder / (std::string(work.name) + ".plm");
    // Made in a child process: a child started later reports at least the resident size
    // its parent ever reached, so this process must never hold a big scan itself.
    const pid_t maker = fork();
    if (maker != 0) {
        int status = 0;
        if (maker < 0 || waitpid(maker, &status, 0) != maker || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            path.clear();
        }
        return path;
    }
    std::_Exit(WriteDocument(work, path) ? 0 : 1);
}

bool WriteDocument(const Work& work, const std::filesystem::path& path) {
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
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    Archive archive([&](const std::uint8_t* data, std::size_t size) {
        return std::fwrite(data, 1, size, file) == size;
    });
    archive.WriteInt32(static_cast<std::int32_t>(CPlumeDoc::kMagic));
    const bool written = database.Serialize(archive);
    archive.Flush();
    return std::fclose(file) == 0 && written;
}

// Runs the program to its end; the largest resident size it reached, in KiB, or -1.
long RunOnce(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return -1;
    }
    return usage.ru_maxrss;
}

// state.range(0): the case; state.range(1): 0 this build, 1 the baseline.
void BM_LoadAndSave(benchmark::State& state) {
    const Work& work = kWork[state.range(0)];
    const char* baseline = std::getenv("TRACERY_BASELINE");
    const bool ofBaseline = state.range(1) == 1;
    if (ofBaseline && (baseline == nullptr || *baseline == '\0')) {
        state.SkipWithError("TRACERY_BASELINE is not set");
        return;
    }
    const std::filesystem::path& input = Document(work);
    if (input.empty()) {
        state.SkipWithError("the document could not be made");
        return;
    }
    const std::vector<std::string> command = {
        ofBaseline ? baseline : TRACERY_EXECUTABLE, "--export",
        (kFolder / (std::string(work.name) + "-out.plm")).string(), input.string()};
    long peak = 0;
    for (auto _ : state) {
        const long used = RunOnce(command);
        if (used < 0) {
            state.SkipWithError("export failed");
            break;
        }
        peak = std::max(peak, used);
    }
    state.counters["peak_rss_MiB"] = static_cast<double>(peak) / 1024.0;
    state.SetLabel(std::string(work.name) + (ofBaseline ? " baseline" : ""));
}

void Cases(benchmark::internal::Benchmark* benchmark) {
    for (int work = 0; work < static_cast<int>(std::size(kWork)); ++work) {
        benchmark->Args({work, 0});
        if (std::getenv("TRACERY_BASELINE") != nullptr) {
            benchmark->Args({work, 1});
        }
    }
}

} // namespace

BENCHMARK(BM_LoadAndSave)
    ->Apply(Cases)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
