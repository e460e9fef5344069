// Adding many small items to one archive, each looked up first as fftool add and PatchApply
// do: the time for 8,000 and for 16,000 four-byte items and their ratio (about 2 when a run of
// adds grows linearly, about 4 when it is quadratic; target: 16,000 under 0.1 s).
// Usage: add_bench [items=16000] [rounds=5]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "packlib/packlib_exports.h"

namespace {

double AddItems(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        names.push_back("graphics\\folder" + std::to_string(i % 40) + "\\texture" +
                        std::to_string(i) + ".rim");
    }
    FFLARCHIVE* archive = FFLCreateArchive("bench.ffl");
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& name : names) {
        if (FFLFindItem(archive, name.c_str(), false) != nullptr ||
            FFLAddItem(archive, name.c_str(), "data", 4) == nullptr) {
            std::fprintf(stderr, "add_bench: adding %s failed\n", name.c_str());
            std::exit(1);
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    FFLCloseArchive(archive);
    return seconds;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int items = argc > 1 ? std::atoi(argv[1]) : 16000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    std::vector<double> half, full;
    for (int round = 0; round < rounds; ++round) {
        half.push_back(AddItems(items / 2));
        full.push_back(AddItems(items));
    }
    std::printf("%d rounds, medians: %d adds %.2f ms | %d adds %.2f ms | ratio %.2f\n", rounds,
                items / 2, Median(half) * 1e3, items, Median(full) * 1e3,
                Median(full) / Median(half));
    return 0;
}
