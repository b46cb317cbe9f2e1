// Collecting points one by one through the history, as a user does, then undoing every
// one of them: both must stay linear. Compare the per-point times of 100,000 and
// 1,000,000 points.
#include "database/DbAttRep.h"
#include "database/DbPointRep.h"
#include "database/PlumeData.h"
#include "history/PrimTask.h"

#include <benchmark/benchmark.h>

namespace {

void BM_PerformAndUndoPoints(benchmark::State& state) {
    const auto points = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto database = std::make_unique<PlumeData>();
        database->CreateDefaultSet();
        database->Mapping().region.SetPixelRect(DPoint{0, 0}, DPoint{1000, 1000});
        database->AddAttribute(SmartPtr<DbAttRep>(new DbAttRep("Run", "1", 1)));
        state.ResumeTiming();
        for (int i = 0; i < points; ++i) {
            database->Perform(std::make_unique<PrimTask>(
                database.get(),
                SmartPtr<DbPrimRep>(new DbPointRep(DPoint{double(i % 1000), 5.0}))));
        }
        while (database->Undo()) {
        }
        state.PauseTiming();
        database.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * points);
}

} // namespace

BENCHMARK(BM_PerformAndUndoPoints)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
