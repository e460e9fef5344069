// Saving a large Fastfile against copying it: FFLSaveArchive (and open + save) beside
// `cp` + `sync` of the same file, alternating, so both see the same machine and cache.
// Prints each median and its ratio to cp + sync (target: save at most 1.5x), once for each
// archive buffer size, to show what the "Buffer Size" setting does.
// Usage: save_bench [fastfile MiB=256] [rounds=5]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "packlib/packlib_exports.h"

namespace {

constexpr int kItems = 4000;

bool MakeFastfile(const std::string& path, std::size_t totalBytes) {
    FFLARCHIVE* archive = FFLCreateArchive(path.c_str());
    bench::AddFillerItems(archive, 0, kItems, totalBytes / kItems);
    const bool saved = FFLSaveArchive(archive, nullptr);
    FFLCloseArchive(archive);
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    std::string pattern = (std::filesystem::temp_directory_path() / "save-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return 1;
    }
    const std::string source = pattern + "/large.ffl";
    const std::string saved = pattern + "/saved.ffl";
    const std::string copied = pattern + "/copied.ffl";
    if (!MakeFastfile(source, megabytes << 20)) {
        return 1;
    }
    const std::string copy = "cp '" + source + "' '" + copied + "' && sync '" + copied + "'";
    std::printf("%zu MiB, %d items, %d rounds, medians\n", megabytes, kItems, rounds);
    FFLARCHIVE* archive = FFLOpenArchive(source.c_str());
    for (const uint32_t kilobytes : {4u, 1024u, 16384u}) {
        FFLSetBufferSize(kilobytes);
        std::vector<double> save, openSave, peer;
        for (int round = 0; round < rounds; ++round) {
            peer.push_back(
                bench::Seconds("save_bench", [&] { return std::system(copy.c_str()) == 0; }));
            save.push_back(bench::Seconds("save_bench",
                                          [&] { return FFLSaveArchive(archive, saved.c_str()); }));
            openSave.push_back(bench::Seconds("save_bench", [&] {
                FFLARCHIVE* opened = FFLOpenArchive(source.c_str());
                const bool ok = opened != nullptr && FFLSaveArchive(opened, saved.c_str());
                FFLCloseArchive(opened);
                return ok;
            }));
        }
        const double yardstick = bench::Median(peer);
        std::printf(
            "buffer %5u KB: cp+sync %7.1f ms | save %7.1f ms = %.2fx | open+save %7.1f ms = "
            "%.2fx\n",
            kilobytes, yardstick * 1e3, bench::Median(save) * 1e3, bench::Median(save) / yardstick,
            bench::Median(openSave) * 1e3, bench::Median(openSave) / yardstick);
    }
    FFLCloseArchive(archive);
    std::filesystem::remove_all(pattern);
    return 0;
}
