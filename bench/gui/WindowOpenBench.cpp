// Opening documents in the window program, from the open command to a window whose image
// and data list are drawn, for three sizes of work; and adding one point to a set of
// 100,000 with the data list and the view brought up to date. The documents are made by
// this program in a temporary folder before the timings.
//
//   QT_QPA_PLATFORM=offscreen build-bench/bench/bench_WindowOpenBench
#include "core/ApplicationState.h"
#include "core/CPreferences.h"
#include "database/DbPointRep.h"
#include "database/PlumeData.h"
#include "document/CPlumeDoc.h"
#include "history/NewSetTask.h"
#include "history/PrimTask.h"
#include "history/TransTask.h"
#include "image/ImageStore.h"
#include "mapping/TransformMan.h"
#include "shell/CChildFrame.h"
#include "shell/CDataView.h"
#include "shell/CMainFrame.h"
#include "shell/DataListModel.h"
#include "shell/DocumentManager.h"
#include "view/CPlumeView.h"

#include <QApplication>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

struct Work {
    int width;
    int height;
    int points;
    int sets;
};

constexpr Work kWorks[] = {
    {4000, 2500, 10000, 4},
    {1000, 1000, 100000, 1},
    {10000, 10000, 1000, 1},
};

std::unique_ptr<QTemporaryDir> folder;

std::string DocumentFor(const Work& work) {
    const std::string path =
        folder
            ->filePath(
                QStringLiteral("%1x%2-%3.plm").arg(work.width).arg(work.height).arg(work.points))
            .toStdString();
    if (QFileInfo::exists(QString::fromStdString(path))) {
        return path;
    }
    CPlumeDoc doc{DocumentServices{}};
    doc.NewDocument();
    PackedBitmap::Header header;
    header.width = work.width;
    header.height = work.height;
    header.bitCount = 24;
    PackedBitmap bitmap;
    bitmap.Allocate(header);
    for (std::size_t i = 0; i < bitmap.ImageSize(); ++i) {
        bitmap.Pixels()[i] = static_cast<std::uint8_t>(200 + (i * 7 >> 10) % 50);
    }
    ImageStore image;
    image.SetBitmap(std::move(bitmap), ImageStore::kTypeBmp);
    PlumeData& database = *doc.Database();
    database.ReplaceImage(std::move(image), 0);
    doc.RunCommand(kDefineMappingFullSized);
    for (int set = 0; set < work.sets; ++set) {
        if (set > 0) {
            database.Perform(std::make_unique<NewSetTask>(&database, "Set " + std::to_string(set)));
        }
        for (int i = 0; i < work.points / work.sets; ++i) {
            const double x = (i * 37 % work.width) + 0.5;
            const double y = (i * 53 % work.height) + 0.5;
            auto* point = new DbPointRep(DPoint{x, y});
            database.AddPrimitive(SmartPtr<DbPrimRep>(point), -1);
        }
    }
    doc.SaveDocumentFile(path);
    return path;
}

struct Window {
    Window() {
        frame = std::make_unique<CMainFrame>(&preferences, DocumentServices{});
        frame->resize(1600, 1000);
        frame->show();
    }
    ApplicationState::Scope state;
    CPreferences preferences;
    std::unique_ptr<CMainFrame> frame;
};

void BM_OpenToFirstFrame(benchmark::State& state) {
    const Work& work = kWorks[state.range(0)];
    const std::string path = DocumentFor(work);
    Window window;
    for (auto _ : state) {
        CPlumeDoc* document = window.frame->Documents().OpenFile(path);
        if (document == nullptr) {
            state.SkipWithError("the document did not open");
            break;
        }
        CChildFrame* frame = window.frame->ActiveFrame();
        frame->View()->repaint();
        frame->DataList()->repaint();
        benchmark::DoNotOptimize(frame->DataList()->Model()->rowCount());
        state.PauseTiming();
        for (QMdiSubWindow* sub : window.frame->findChildren<QMdiSubWindow*>()) {
            sub->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.SetLabel(std::to_string(work.width) + "x" + std::to_string(work.height) + ", " +
                   std::to_string(work.points) + " points");
}
BENCHMARK(BM_OpenToFirstFrame)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_AddPointToALargeSet(benchmark::State& state) {
    const std::string path = DocumentFor(kWorks[1]);
    Window window;
    CPlumeDoc* document = window.frame->Documents().OpenFile(path);
    CChildFrame* frame = window.frame->ActiveFrame();
    PlumeData& database = *document->Database();
    int i = 0;
    for (auto _ : state) {
        auto* point = new DbPointRep(DPoint{100.5 + (i++ % 500), 200.5});
        database.Perform(std::make_unique<PrimTask>(&database, SmartPtr<DbPrimRep>(point)));
        document->CommitTask();
        frame->View()->repaint();
        frame->DataList()->repaint();
    }
    state.counters["rows"] = frame->DataList()->Model()->rowCount();
}
BENCHMARK(BM_AddPointToALargeSet)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    QApplication application(argc, argv);
    folder = std::make_unique<QTemporaryDir>();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    folder.reset();
    return 0;
}
