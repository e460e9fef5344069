// Find in the properties dialogs over a generated game of 50 Fastfiles of 400 items each,
// against reading the same Fastfiles' headers and directories with plain reads, alternating
// in one process so both see the same machine and cache. Find parses directories only, so it
// should read about what the plain reads do and nothing of the item data. Prints each median,
// the time ratio, the bytes each read (this process's rchar) and the target: Find under
// 150 ms.
// Usage: find_bench [rounds=9] [item bytes=4096]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "packlib/packlib_exports.h"
#include "patchbench/engine/fastfile_search.h"

namespace {

constexpr int kFastfiles = 50;
constexpr int kItems = 400;
constexpr double kTargetSeconds = 0.150;

std::uint64_t BytesReadSoFar() {
    return bench::BytesRead("/proc/self/io");
}

struct Game {
    std::vector<std::string> files;
    std::uint64_t totalBytes = 0;
    std::uint64_t headerAndDirectoryBytes = 0;
};

// Fastfile n holds graphics\FFn\<folder>\item<i>.rim; every one holds a "wall.rim" last.
Game MakeGame(const PACKLIBEXPORT& lib, const std::string& directory, std::size_t itemBytes) {
    Game game;
    std::vector<unsigned char> data(itemBytes, 0x5A);
    std::memcpy(data.data(), "LIST\0\0\0\0ILBM", 12);
    for (int n = 0; n < kFastfiles; ++n) {
        FFLARCHIVE* archive = lib.FFLCreateArchive(nullptr);
        const std::string folder = "graphics\\FF" + std::to_string(n);
        for (int i = 0; i < kItems; ++i) {
            const std::string path = folder + "\\set" + std::to_string(i % 7) + "\\" +
                                     (i == kItems - 1 ? "wall" : "item" + std::to_string(i)) +
                                     ".rim";
            lib.FFLAddItem(archive, path.c_str(), data.data(),
                           static_cast<std::uint32_t>(data.size()));
        }
        const std::string file = directory + "/FF" + std::to_string(n) + ".ffl";
        if (!lib.FFLSaveArchive(archive, file.c_str())) {
            std::exit(1);
        }
        lib.FFLCloseArchive(archive);
        game.files.push_back(file);
        game.totalBytes += std::filesystem::file_size(file);
    }
    return game;
}

// The peer: each file's 20-byte header, then its directory, with plain reads.
std::uint64_t ReadHeadersAndDirectories(const Game& game) {
    std::uint64_t bytes = 0;
    std::vector<unsigned char> directory;
    for (const std::string& name : game.files) {
        std::FILE* file = std::fopen(name.c_str(), "rb");
        unsigned char header[20];
        if (file == nullptr || std::fread(header, 1, sizeof header, file) != sizeof header) {
            std::exit(1);
        }
        const std::uint32_t size = header[12] | header[13] << 8 | header[14] << 16 |
                                   static_cast<std::uint32_t>(header[15]) << 24;
        directory.resize(size);
        if (std::fread(directory.data(), 1, size, file) != size) {
            std::exit(1);
        }
        std::fclose(file);
        bytes += sizeof header + size;
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const std::size_t itemBytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 4096;
    PACKLIBEXPORT lib{};
    lib.dwSize = sizeof lib;
    if (!PackLibInit(&lib)) {
        return 1;
    }
    std::string directory = (std::filesystem::temp_directory_path() / "find-bench-XXXXXX").string();
    if (mkdtemp(directory.data()) == nullptr) {
        return 1;
    }
    const Game game = MakeGame(lib, directory, itemBytes);
    FFLDB* database = lib.FFLCreateDatabase(nullptr);
    for (int n = 0; n < kFastfiles; ++n) {
        lib.FFLAddDbItem(database, ("graphics\\FF" + std::to_string(n)).c_str(),
                         game.files[n].c_str());
    }

    std::vector<double> findTimes, peerTimes;
    std::uint64_t findBytes = 0, peerBytes = 0, directoryBytes = 0;
    std::size_t found = 0;
    for (int round = 0; round < rounds; ++round) {
        std::uint64_t before = BytesReadSoFar();
        auto start = std::chrono::steady_clock::now();
        directoryBytes = ReadHeadersAndDirectories(game);
        peerTimes.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        peerBytes = BytesReadSoFar() - before;

        patchbench::SearchProgress quiet;
        before = BytesReadSoFar();
        start = std::chrono::steady_clock::now();
        found = patchbench::SearchFastfiles(lib, database, "WALL.RIM",
                                            patchbench::SearchCategory::Textures, quiet)
                    .size();
        findTimes.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        findBytes = BytesReadSoFar() - before;
    }
    lib.FFLCloseDatabase(database);
    std::filesystem::remove_all(directory);

    const double find = bench::Median(findTimes);
    const double peer = bench::Median(peerTimes);
    std::printf(
        "%d Fastfiles x %d items of %zu bytes: %llu bytes on disk, headers + directories "
        "%llu bytes; %d rounds, medians\n",
        kFastfiles, kItems, itemBytes, static_cast<unsigned long long>(game.totalBytes),
        static_cast<unsigned long long>(directoryBytes), rounds);
    std::printf("plain reads of headers + directories %8.2f ms, read %llu bytes\n", peer * 1e3,
                static_cast<unsigned long long>(peerBytes));
    std::printf(
        "Find (%zu found)                     %8.2f ms = %.2fx, read %llu bytes = %.3f of "
        "the Fastfiles\n",
        found, find * 1e3, find / peer, static_cast<unsigned long long>(findBytes),
        static_cast<double>(findBytes) / static_cast<double>(game.totalBytes));
    std::printf("target: Find under %.0f ms: %s\n", kTargetSeconds * 1e3,
                find < kTargetSeconds ? "met" : "MISSED");
    return found == static_cast<std::size_t>(kFastfiles) && find < kTargetSeconds ? 0 : 1;
}
