// Fastfile patches: opening (and saving) a 200 MiB patch of 2,000 items, against reading
// the same file's bytes in one go.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "patchlib/patchlib_exports.h"

namespace {

constexpr int kItems = 2000;
constexpr uint32_t kItemBytes = 200u * 1024 * 1024 / kItems;

std::string TempFile(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

// Made once, removed when the program ends.
struct PatchFile {
    std::string path = TempFile("qm-bench-patch.kdz");
    PatchFile() {
        KDZPATCH* patch = KDZCreatePatch(path.c_str());
        std::snprintf(patch->szTitle, sizeof(patch->szTitle), "Benchmark patch");
        std::vector<unsigned char> data(kItemBytes);
        for (int i = 0; i < kItems; ++i) {
            data[0] = static_cast<unsigned char>(i);
            const std::string target =
                "graphics\\level" + std::to_string(i / 100) + "\\item" + std::to_string(i) + ".rim";
            KDZITEM* item = KDZAddItem(patch, target.c_str(), data.data(), kItemBytes);
            KDZSetItemName(item, ("item" + std::to_string(i) + ".rim").c_str());
        }
        KDZSavePatch(patch, nullptr);
        KDZClosePatch(patch);
    }
    ~PatchFile() {
        std::remove(path.c_str());
        std::remove(TempFile("qm-bench-patch-saved.kdz").c_str());
    }
};

const std::string& BenchPatch() {
    static PatchFile file;
    return file.path;
}

void BM_OpenPatch(benchmark::State& state) {
    const std::string& file = BenchPatch();
    for (auto _ : state) {
        KDZPATCH* patch = KDZOpenPatch(file.c_str());
        if (patch == nullptr || KDZGetItemCount(patch) != kItems) {
            state.SkipWithError("the patch did not open");
        }
        KDZClosePatch(patch);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kItems) * kItemBytes);
}
BENCHMARK(BM_OpenPatch)->Unit(benchmark::kMillisecond);

// The floor: the file's bytes read into one block with the same stream buffer.
void BM_ReadFileBytes(benchmark::State& state) {
    const std::string& file = BenchPatch();
    const auto size = std::filesystem::file_size(file);
    std::vector<unsigned char> bytes(size);
    for (auto _ : state) {
        std::FILE* in = std::fopen(file.c_str(), "rb");
        std::setvbuf(in, nullptr, _IOFBF, 1024 * 1024);
        benchmark::DoNotOptimize(std::fread(bytes.data(), 1, size, in));
        std::fclose(in);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);

void BM_SavePatch(benchmark::State& state) {
    KDZPATCH* patch = KDZOpenPatch(BenchPatch().c_str());
    const std::string target = TempFile("qm-bench-patch-saved.kdz");
    for (auto _ : state) {
        if (!KDZSavePatch(patch, target.c_str())) {
            state.SkipWithError("the patch was not saved");
        }
    }
    KDZClosePatch(patch);
}
BENCHMARK(BM_SavePatch)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
