// Repainting a 1920 x 1080 image view of a 100-megapixel 24-bit image at several zooms,
// against copying the same number of 32-bit pixels: the view renders only what is visible,
// so a frame should cost a small multiple of that copy at any zoom. Also reports the
// resident memory at zoom 1 and 50.
//
//   QT_QPA_PLATFORM=offscreen build-bench/bench/bench_ViewRepaintBench
#include "core/ApplicationState.h"
#include "core/CPreferences.h"
#include "document/CPlumeDoc.h"
#include "image/ImageStore.h"
#include "view/CPlumeView.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int kImageSide = 10000; // 100 megapixels
constexpr int kClientWidth = 1920;
constexpr int kClientHeight = 1080;

// Resident and peak resident size of this process in MiB.
double StatusMiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::strtod(line.c_str() + std::strlen(field), nullptr) / 1024.0;
        }
    }
    return 0.0;
}

struct Scene {
    Scene() {
        document = std::make_unique<CPlumeDoc>(DocumentServices{});
        document->NewDocument();
        PackedBitmap::Header header;
        header.width = kImageSide;
        header.height = kImageSide;
        header.bitCount = 24;
        PackedBitmap bitmap;
        bitmap.Allocate(header);
        std::uint8_t* pixels = bitmap.Pixels();
        for (std::size_t i = 0; i < bitmap.ImageSize(); ++i) {
            pixels[i] = static_cast<std::uint8_t>(i * 7 + (i >> 12));
        }
        ImageStore image;
        image.SetBitmap(std::move(bitmap), ImageStore::kTypeBmp);
        document->Database()->ReplaceImage(std::move(image), 0);
        view = std::make_unique<CPlumeView>(document.get(), &preferences);
        view->setFrameShape(QFrame::NoFrame);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->resize(kClientWidth, kClientHeight);
        view->show();
        view->OnInitialUpdate();
        if (view->BackBuffer().width() != kClientWidth ||
            view->BackBuffer().height() != kClientHeight) {
            std::fprintf(stderr, "the view is %d x %d, not %d x %d\n", view->BackBuffer().width(),
                         view->BackBuffer().height(), kClientWidth, kClientHeight);
            std::exit(1);
        }
    }
    void Zoom(double scale) {
        // Somewhere in the middle of the image.
        const int middle = static_cast<int>(kImageSide * scale / 2);
        view->ApplyView(ViewSpec{scale, middle, middle, 0});
    }

    ApplicationState::Scope state;
    CPreferences preferences;
    std::unique_ptr<CPlumeDoc> document;
    std::unique_ptr<CPlumeView> view;
};

// Made by the first benchmark that needs it and destroyed before the application object.
std::unique_ptr<Scene> theScene;

Scene& TheScene() {
    if (!theScene) {
        theScene = std::make_unique<Scene>();
    }
    return *theScene;
}

void BM_CopyScreenBaseline(benchmark::State& state) {
    QImage source(kClientWidth, kClientHeight, QImage::Format_RGB32);
    source.fill(Qt::gray);
    QImage target(kClientWidth, kClientHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        std::memcpy(target.bits(), source.constBits(),
                    static_cast<std::size_t>(source.sizeInBytes()));
        benchmark::DoNotOptimize(target.bits());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyScreenBaseline)->Unit(benchmark::kMillisecond);

void BM_RepaintAtZoom(benchmark::State& state) {
    Scene& scene = TheScene();
    const double scale = static_cast<double>(state.range(0)) / 10.0;
    scene.Zoom(scale);
    for (auto _ : state) {
        scene.view->Redraw();
        benchmark::DoNotOptimize(scene.view->BackBuffer().constBits());
    }
    state.counters["rss_MiB"] = StatusMiB("VmRSS:");
}
BENCHMARK(BM_RepaintAtZoom)->Arg(1)->Arg(10)->Arg(80)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_PanBy30Pixels(benchmark::State& state) {
    Scene& scene = TheScene();
    scene.Zoom(1.0);
    int direction = 1;
    for (auto _ : state) {
        scene.view->AutoScrollBy(30 * direction, 0);
        direction = -direction;
        benchmark::DoNotOptimize(scene.view->BackBuffer().constBits());
    }
}
BENCHMARK(BM_PanBy30Pixels)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theScene.reset();
    // Peak resident size over the whole run, zoom 50 included: the image (300 MB) plus a
    // few screens, not the 250000 x 250000 zoomed size.
    std::printf("peak resident %.0f MiB, resident now %.0f MiB\n", StatusMiB("VmHWM:"),
                StatusMiB("VmRSS:"));
    return 0;
}
