// Fastfile throughput: a full open and save of a large Fastfile against a plain file copy,
// and proof that listing (parse) does not read item data.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "packlib/packlib_exports.h"

namespace {

constexpr int kItems = 4000;
constexpr std::size_t kLargeData = 256u << 20;
constexpr std::size_t kSmallData = 1u << 20;

std::string g_dir;

std::string PathOf(const std::string& name) {
    return g_dir + "/" + name;
}

// A Fastfile of kItems items whose data adds up to `totalData` bytes.
void MakeFastfile(const std::string& path, std::size_t totalData) {
    FFLARCHIVE* archive = FFLCreateArchive(path.c_str());
    std::vector<unsigned char> block(totalData / kItems);
    for (int i = 0; i < kItems; ++i) {
        block[0] = static_cast<unsigned char>(i);
        const std::string name =
            "graphics\\folder" + std::to_string(i % 40) + "\\texture" + std::to_string(i) + ".rim";
        FFLAddItem(archive, name.c_str(), block.data(), static_cast<uint32_t>(block.size()));
    }
    if (!FFLSaveArchive(archive, nullptr)) {
        std::abort();
    }
    FFLCloseArchive(archive);
}

void BM_OpenAndSave256MiB(benchmark::State& state) {
    const std::string source = PathOf("large.ffl");
    const std::string target = PathOf("saved.ffl");
    for (auto _ : state) {
        FFLARCHIVE* archive = FFLOpenArchive(source.c_str());
        if (archive == nullptr || !FFLSaveArchive(archive, target.c_str())) {
            state.SkipWithError("open or save failed");
            break;
        }
        FFLCloseArchive(archive);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kLargeData);
}
BENCHMARK(BM_OpenAndSave256MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The two halves of the above, to see where the time goes.
void BM_Open256MiB(benchmark::State& state) {
    const std::string source = PathOf("large.ffl");
    for (auto _ : state) {
        FFLARCHIVE* archive = FFLOpenArchive(source.c_str());
        if (archive == nullptr) {
            state.SkipWithError("open failed");
            break;
        }
        FFLCloseArchive(archive);
    }
}
BENCHMARK(BM_Open256MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_Save256MiB(benchmark::State& state) {
    FFLARCHIVE* archive = FFLOpenArchive(PathOf("large.ffl").c_str());
    const std::string target = PathOf("saved.ffl");
    for (auto _ : state) {
        if (archive == nullptr || !FFLSaveArchive(archive, target.c_str())) {
            state.SkipWithError("save failed");
            break;
        }
    }
    FFLCloseArchive(archive);
}
BENCHMARK(BM_Save256MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The yardstick: the same file copied by cp in the same run.
void BM_Cp256MiB(benchmark::State& state) {
    const std::string command = "cp '" + PathOf("large.ffl") + "' '" + PathOf("copied.ffl") + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("cp failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kLargeData);
}
BENCHMARK(BM_Cp256MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// cp followed by a sync of the copy: the library's save also syncs before it renames.
void BM_CpAndSync256MiB(benchmark::State& state) {
    const std::string copy = PathOf("copied.ffl");
    const std::string command =
        "cp '" + PathOf("large.ffl") + "' '" + copy + "' && sync '" + copy + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("cp or sync failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kLargeData);
}
BENCHMARK(BM_CpAndSync256MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// Parsing lists names only: the time must not grow with the data block.
void BM_Parse(benchmark::State& state, const char* name) {
    const std::string path = PathOf(name);
    for (auto _ : state) {
        FFLARCHIVE* archive = FFLParseArchive(path.c_str());
        if (archive == nullptr || FFLGetItemCount(archive) != kItems) {
            state.SkipWithError("parse failed");
            break;
        }
        FFLCloseArchive(archive);
    }
}
BENCHMARK_CAPTURE(BM_Parse, data_256MiB, "large.ffl")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Parse, data_1MiB, "small.ffl")->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::string pattern =
        (std::filesystem::temp_directory_path() / "archive-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return 1;
    }
    g_dir = pattern;
    MakeFastfile(PathOf("large.ffl"), kLargeData);
    MakeFastfile(PathOf("small.ffl"), kSmallData);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(g_dir);
    return 0;
}
