// Saving points that share one attribute list: every point's record looks its list up in
// the object table, so the save must stay linear in the number of points. Compare the
// per-point time of the 100,000 and 1,000,000 point runs.
#include "core/Archive.h"
#include "core/ArchiveObjectTable.h"
#include "database/DbAttRep.h"
#include "database/DbPointRep.h"
#include "database/DbSetMgr.h"

#include <benchmark/benchmark.h>

namespace {

// One set of points collected while one attribute was active: they share one list.
void CollectPoints(DbSetMgr& manager, int points) {
    manager.NewSet("Line");
    manager.GetAttributeManager()->AddAttribute(SmartPtr<DbAttRep>(new DbAttRep("Run", "1", 1)));
    for (int i = 0; i < points; ++i) {
        manager.AddPrimitive(SmartPtr<DbPrimRep>(new DbPointRep(DPoint{double(i), 1.0})), -1);
    }
}

void BM_WriteSharedPoints(benchmark::State& state) {
    const auto points = static_cast<int>(state.range(0));
    DbSetMgr manager;
    CollectPoints(manager, points);
    std::size_t bytes = 0;
    for (auto _ : state) {
        ArchiveTableSession session;
        Archive archive;
        manager.Serialize(archive);
        bytes = archive.StoredSize();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * points);
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_ReadSharedPoints(benchmark::State& state) {
    const auto points = static_cast<int>(state.range(0));
    DbSetMgr manager;
    CollectPoints(manager, points);
    std::vector<std::uint8_t> bytes;
    {
        ArchiveTableSession session;
        Archive archive;
        manager.Serialize(archive);
        bytes = archive.TakeBuffer();
    }
    for (auto _ : state) {
        DbSetMgr loaded;
        ArchiveTableSession session;
        Archive archive(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(loaded.Serialize(archive));
    }
    state.SetItemsProcessed(state.iterations() * points);
}

} // namespace

BENCHMARK(BM_WriteSharedPoints)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSharedPoints)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
