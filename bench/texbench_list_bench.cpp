// How fast TexBench's item list takes a long Fastfile, off screen: the browser model's refill
// (PackLib's item walk and the sort by name) plus the list widget's fill, until the first
// rows are shown ("shown") and until every row has its place ("laid out"), for 4,000 and
// 20,000 items; and the refill after an import, which also selects the imported row and
// scrolls it into view. Beside each, the same strings filled into a bare QListWidget in the
// same process and laid out at once, the peer: the counters give our time over the peer's
// (ratio) and the longest stretch the event loop waited while our list was laid out
// (longest_step_ms; the window answers between two steps).
// Targets: fill under 30 ms for 4,000 items, refill after an import under 50 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "inidoc/ini_document.h"
#include "packlib/packlib_exports.h"
#include "texbench/browser/browser_model.h"
#include "texbench/dialogs/item_list.h"

namespace {

constexpr char kFolder[] = "graphics\\many";

QApplication& App() {
    static int argc = 1;
    static char name[] = "texbench_list_bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

const PACKLIBEXPORT& PackLib() {
    static PACKLIBEXPORT record = [] {
        PACKLIBEXPORT r{};
        r.dwSize = sizeof(PACKLIBEXPORT);
        PackLibInit(&r);
        return r;
    }();
    return record;
}

// A Fastfile of `count` small textures in one folder, added in a shuffled order so that the
// list's sort has work to do.
std::string MakeFastfile(int count) {
    const std::string path =
        (std::filesystem::temp_directory_path() /
         ("texbench-list-bench-" + std::to_string(count) + "-" + std::to_string(getpid()) + ".ffl"))
            .string();
    std::vector<int> order(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        order[static_cast<std::size_t>(i)] = i;
    }
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    const unsigned char texture[12] = {'L', 'I', 'S', 'T', 0, 0, 0, 4, 'I', 'L', 'B', 'M'};
    FFLARCHIVE* archive = FFLCreateArchive(path.c_str());
    for (int i : order) {
        const std::string item =
            std::string(kFolder) + "\\Texture_" + std::to_string(100000 + i) + "_wall.rim";
        FFLAddItem(archive, item.c_str(), texture, sizeof(texture));
    }
    FFLSaveArchive(archive, nullptr);
    FFLCloseArchive(archive);
    return path;
}

// The model with its Fastfile open and the folder chosen, made once per size.
struct Fixture {
    explicit Fixture(int count) : path(MakeFastfile(count)), model(PackLib(), settings) {
        model.OpenFastfile(path);
        model.SelectNode(model.Tree().Find(kFolder));
    }
    ~Fixture() { std::filesystem::remove(path); }
    std::string path;
    CIniDocument settings;
    texbench::BrowserModel model;
};

Fixture& FixtureOf(int count) {
    static std::map<int, std::unique_ptr<Fixture>> fixtures;
    auto& fixture = fixtures[count];
    if (fixture == nullptr) {
        fixture = std::make_unique<Fixture>(count);
    }
    return *fixture;
}

bool LaidOut(QListWidget& list) {
    return list.count() == 0 || !list.visualItemRect(list.item(list.count() - 1)).isEmpty();
}

// Runs the event loop until the list has placed every row; the longest single step in ms.
double LayOut(QListWidget& list) {
    double longest = 0;
    QElapsedTimer step;
    while (!LaidOut(list)) {
        step.start();
        QApplication::processEvents();
        longest = std::max(longest, step.nsecsElapsed() / 1e6);
    }
    return longest;
}

// The peer: the same strings into a bare QListWidget, laid out in one pass. Median of 5, ms.
double PeerMs(int count) {
    static std::map<int, double> peers;
    if (peers.count(count) != 0) {
        return peers[count];
    }
    QStringList names;
    for (const texbench::ListRow& row : FixtureOf(count).model.Rows()) {
        names << QString::fromLocal8Bit(row.name.c_str());
    }
    QListWidget list;
    list.resize(240, 160);
    list.setFlow(QListView::LeftToRight);
    list.setWrapping(true);
    list.show();
    QApplication::processEvents();
    std::vector<double> times;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer timer;
        timer.start();
        list.clear();
        for (const QString& name : names) {
            new QListWidgetItem(name, &list);
        }
        LayOut(list);
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return peers[count] = times[times.size() / 2];
}

struct OurList {
    OurList() {
        list.resize(240, 160);
        list.show();
        QApplication::processEvents();
    }
    texbench::ItemListWidget list;
};

enum class Until { Shown, LaidOut, ImportedRowInView };

void Fill(benchmark::State& state, Until until) {
    App();
    const int count = static_cast<int>(state.range(0));
    Fixture& fixture = FixtureOf(count);
    const double peer = PeerMs(count);
    OurList ours;
    const std::string imported = "Texture_" + std::to_string(100000 + count * 3 / 4) + "_wall.rim";
    double total = 0, longestStep = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        fixture.model.FillList();
        ours.list.ShowRows(fixture.model.Rows());
        if (until == Until::ImportedRowInView) {
            // As after an import: the row of the last name handled is selected and shown.
            QListWidgetItem* row = ours.list.item(fixture.model.FindRow(imported));
            ours.list.setCurrentItem(row);
            ours.list.ScrollToWhenLaidOut(row);
            while (!ours.list.viewport()->rect().contains(ours.list.visualItemRect(row))) {
                QApplication::processEvents();
            }
        } else {
            QApplication::processEvents();  // the first rows are placed and painted
        }
        const double shown = timer.nsecsElapsed() / 1e6;
        double step = 0;
        if (until == Until::LaidOut) {
            step = LayOut(ours.list);
        }
        const double ms = timer.nsecsElapsed() / 1e6;
        state.SetIterationTime(ms / 1e3);
        total += ms;
        longestStep = std::max({longestStep, step, until == Until::Shown ? shown : 0.0});
        // The rest of a batched layout is not part of the next round.
        LayOut(ours.list);
    }
    const double mean = total / static_cast<double>(state.iterations());
    state.counters["peer_ms"] = peer;
    state.counters["ratio"] = mean / peer;
    if (until == Until::LaidOut) {
        state.counters["longest_step_ms"] = longestStep;
    }
}

void BM_FillShown(benchmark::State& state) {
    Fill(state, Until::Shown);
}
void BM_FillLaidOut(benchmark::State& state) {
    Fill(state, Until::LaidOut);
}
void BM_RefillAfterImport(benchmark::State& state) {
    Fill(state, Until::ImportedRowInView);
}

// The parts of a fill: the model's refill alone, and the list's fill from rows already made.
void BM_ModelRefillOnly(benchmark::State& state) {
    App();
    Fixture& fixture = FixtureOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        fixture.model.FillList();
        benchmark::DoNotOptimize(fixture.model.Rows().data());
    }
}
void BM_ListFillOnly(benchmark::State& state) {
    App();
    Fixture& fixture = FixtureOf(static_cast<int>(state.range(0)));
    OurList ours;
    for (auto _ : state) {
        ours.list.ShowRows(fixture.model.Rows());
        state.PauseTiming();
        LayOut(ours.list);
        state.ResumeTiming();
    }
}

void BM_PeerBareListWidget(benchmark::State& state) {
    App();
    const int count = static_cast<int>(state.range(0));
    FixtureOf(count);
    for (auto _ : state) {
        state.SetIterationTime(PeerMs(count) / 1e3);
    }
}

}  // namespace

BENCHMARK(BM_FillShown)->Arg(4000)->Arg(20000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillLaidOut)->Arg(4000)->Arg(20000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefillAfterImport)
    ->Arg(4000)
    ->Arg(20000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModelRefillOnly)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListFillOnly)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerBareListWidget)
    ->Arg(4000)
    ->Arg(20000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
