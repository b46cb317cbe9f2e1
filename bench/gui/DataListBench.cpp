// Making the data list again for a current set of 100,000 points, against writing the
// text of that set, which the list shows: the list should cost a small multiple of its text.
//
//   QT_QPA_PLATFORM=offscreen build-bench/bench/bench_DataListBench
#include "core/ApplicationState.h"
#include "core/CPreferences.h"
#include "database/DbPointRep.h"
#include "database/ExportOptions.h"
#include "database/PlumeData.h"
#include "document/CPlumeDoc.h"
#include "shell/CDataView.h"
#include "shell/DataListModel.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int kPoints = 100000;

struct Scene {
    Scene() {
        document = std::make_unique<CPlumeDoc>(DocumentServices{});
        document->NewDocument();
        PlumeData& database = *document->Database();
        for (int i = 0; i < kPoints; ++i) {
            auto* point = new DbPointRep(DPoint{double(i), double(i % 97)});
            point->graph = DPoint{i * 0.01, 1.0 / (i + 1)};
            database.AddPrimitive(SmartPtr<DbPrimRep>(point), -1);
        }
        list = std::make_unique<CDataView>(document.get(), &preferences);
        list->resize(300, 800);
        list->show();
        list->OnInitialUpdate();
        if (list->Model()->rowCount() != kPoints + 1) {
            std::abort();
        }
    }
    ~Scene() { list->Detach(); }

    ApplicationState::Scope state;
    CPreferences preferences;
    std::unique_ptr<CPlumeDoc> document;
    std::unique_ptr<CDataView> list;
};

Scene& TheScene() {
    static Scene* scene = new Scene();
    return *scene;
}

void BM_SetText(benchmark::State& state) {
    Scene& scene = TheScene();
    for (auto _ : state) {
        std::string text;
        ExportOptions options;
        scene.document->Database()->SetManager().ExportCurrentSet(text, ",", options);
        benchmark::DoNotOptimize(text.data());
    }
}

void BM_RebuildList(benchmark::State& state) {
    Scene& scene = TheScene();
    for (auto _ : state) {
        scene.list->Rebuild();
        QApplication::processEvents();
    }
}

} // namespace

BENCHMARK(BM_SetText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildList)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
