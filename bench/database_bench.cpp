// The Fastfile database: opening a 5,000-entry ffinfo.txt and looking 10,000 item paths up.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "packlib/packlib_exports.h"

namespace {

constexpr int kEntries = 5000;
constexpr int kLookups = 10000;

std::string Folder(int index) {
    return "graphics\\level" + std::to_string(index / 100) + "\\set" + std::to_string(index);
}

const std::string& DatabaseFile() {
    static const std::string path = [] {
        const std::string file =
            (std::filesystem::temp_directory_path() / "qm-bench-ffinfo.txt").string();
        std::FILE* out = std::fopen(file.c_str(), "wb");
        for (int i = 0; i < kEntries; ++i) {
            std::fprintf(out, "%s;level%d.ffl\r\n", Folder(i).c_str(), i / 100);
        }
        std::fclose(out);
        return file;
    }();
    return path;
}

void BM_OpenDatabase(benchmark::State& state) {
    for (auto _ : state) {
        FFLDB* db = FFLOpenDatabase(DatabaseFile().c_str());
        benchmark::DoNotOptimize(db);
        FFLCloseDatabase(db);
    }
}
BENCHMARK(BM_OpenDatabase)->Unit(benchmark::kMillisecond);

// Item paths spread over the whole list, in other letter case, so that a lookup walks on
// average half the entries, as a patch with targets all over the game does.
void BM_Find10000Paths(benchmark::State& state) {
    FFLDB* db = FFLOpenDatabase(DatabaseFile().c_str());
    std::vector<std::string> paths;
    for (int i = 0; i < kLookups; ++i) {
        paths.push_back("GRAPHICS\\Level" + std::to_string((i * 7919 % kEntries) / 100) + "\\SET" +
                        std::to_string(i * 7919 % kEntries) + "\\texture.rim");
    }
    for (auto _ : state) {
        int found = 0;
        for (const std::string& path : paths) {
            found += FFLFindDbItem(db, path.c_str(), nullptr) != nullptr;
        }
        benchmark::DoNotOptimize(found);
    }
    FFLCloseDatabase(db);
}
BENCHMARK(BM_Find10000Paths)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::remove(DatabaseFile().c_str());
    return 0;
}
