// The panel with a full sample of 40 applications: how long it takes to build
// and paint the first time, how long one redraw after a new sample takes
// (against a repaint of unchanged content in the same run), and how much
// resident memory the program holds with the panel closed and open.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <unistd.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "App/ProModel.h"
#include "UI/ProRootView.h"
#include "Util/SymbolImage.h"

namespace {

using quorvel::AppGroup;
using quorvel::ProModel;
using quorvel::ProRootView;

std::unique_ptr<ProModel> gModel;

// 40 applications of falling footprint; `round` moves every footprint.
std::vector<AppGroup> sample(int round) {
    std::vector<AppGroup> groups;
    for (int i = 0; i < 40; ++i) {
        AppGroup group;
        group.displayName = "Application " + std::to_string(i + 1);
        group.key = "/usr/share/applications/org.example.app" + std::to_string(i) + ".desktop";
        group.appPath = group.key;
        group.bundleID = "org.example.app" + std::to_string(i);
        group.current = (6ull << 30) - uint64_t(i) * (100ull << 20) + uint64_t(round) * 4096;
        group.peak = group.current + (64ull << 20);
        group.isKnownHog = i % 7 == 0;
        group.isStopped = i == 3;
        for (int p = 0; p < 1 + i % 3; ++p)
            group.processes.push_back(
                {100000 + 10 * i + p, 1, 1000, 1, group.current, "app", "/usr/bin/app", 1});
        groups.push_back(std::move(group));
    }
    return groups;
}

void paint(QWidget &root, QImage &image) {
    image.fill(Qt::transparent);
    root.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
}

double residentMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void firstPaint(benchmark::State &state) {
    gModel->receiveGroups(sample(0));
    for (auto _ : state) {
        ProRootView root(*gModel);
        root.ensurePolished();
        root.adjustSize();
        QImage image(root.size(), QImage::Format_ARGB32_Premultiplied);
        paint(root, image);
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(firstPaint)->Unit(benchmark::kMillisecond);

// The baseline: painting the same panel again, nothing changed.
void repaintUnchanged(benchmark::State &state) {
    gModel->receiveGroups(sample(0));
    ProRootView root(*gModel);
    root.adjustSize();
    QImage image(root.size(), QImage::Format_ARGB32_Premultiplied);
    paint(root, image);
    for (auto _ : state) {
        paint(root, image);
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(repaintUnchanged)->Unit(benchmark::kMillisecond);

// A new sample published, the rows updated in place, the panel painted.
void redrawAfterSample(benchmark::State &state) {
    gModel->receiveGroups(sample(0));
    ProRootView root(*gModel);
    root.adjustSize();
    QImage image(root.size(), QImage::Format_ARGB32_Premultiplied);
    paint(root, image);
    int round = 0;
    for (auto _ : state) {
        gModel->receiveGroups(sample(++round));
        QCoreApplication::sendPostedEvents(); // the layout requests
        paint(root, image);
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(redrawAfterSample)->Unit(benchmark::kMillisecond);

// Resident memory of the live model alone, then with the panel built but
// closed, then shown and painted; reported as counters, in MiB.
void residentMemory(benchmark::State &state) {
    gModel->receiveGroups(sample(0));
    for (auto _ : state) {
        const double modelOnly = residentMiB();
        auto root = std::make_unique<ProRootView>(*gModel);
        root->adjustSize();
        const double closed = residentMiB();
        root->show();
        QImage image(root->size(), QImage::Format_ARGB32_Premultiplied);
        paint(*root, image);
        QCoreApplication::processEvents();
        const double open = residentMiB();
        state.counters["modelMiB"] = modelOnly;
        state.counters["closedMiB"] = closed;
        state.counters["openMiB"] = open;
    }
}
BENCHMARK(residentMemory)->Iterations(1);

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    quorvel::SymbolImage::loadFont();
    // The live model, its sampler slowed down so the benchmark's own samples
    // are the only ones the panel sees after the first.
    gModel = std::make_unique<ProModel>();
    gModel->setInterval(1e6);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 1000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gModel.reset();
    return 0;
}
