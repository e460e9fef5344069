// Installing a patch of many targets into one large Fastfile with "patchapply -noprompt":
// how much of the time is the pause between targets, how much is rewriting the Fastfile.
// Usage: patchapply_bench [targets=500] [fastfile MiB=64]
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "packlib/packlib.h"
#include "patchlib/patchlib.h"
#include "platform/library_binding.h"
#include "platform/registry.h"

namespace {

constexpr int kItems = 64;

std::string ItemPath(int i) {
    return "graphics\\bench\\item" + std::to_string(i) + ".rim";
}

bool MakeGame(const std::string& game, const PACKLIBEXPORT& lib, std::size_t megabytes) {
    const std::string fastfiles = game + "/fastfile/";
    std::filesystem::create_directories(fastfiles);
    std::FILE* db = std::fopen((fastfiles + "ffinfo.txt").c_str(), "w");
    if (db == nullptr)
        return false;
    std::fputs("graphics\\bench;bench.ffl\n", db);
    std::fclose(db);
    FFLARCHIVE* archive = lib.FFLCreateArchive((fastfiles + "bench.ffl").c_str());
    std::vector<unsigned char> block((megabytes << 20) / kItems, 0x5A);
    for (int i = 0; i < kItems; ++i) {
        lib.FFLAddItem(archive, ItemPath(i).c_str(), block.data(),
                       static_cast<uint32_t>(block.size()));
    }
    const bool saved = lib.FFLSaveArchive(archive, nullptr);
    lib.FFLCloseArchive(archive);
    return saved;
}

// Each patch item replaces one existing item with a 64 KiB texture.
bool MakePatch(const std::string& path, const PATCHLIBEXPORT& lib, int targets) {
    KDZPATCH* patch = lib.KDZCreatePatch(path.c_str());
    std::vector<unsigned char> data(64 << 10, 0xA5);
    for (int i = 0; i < targets; ++i) {
        lib.KDZAddItem(patch, ItemPath(i % kItems).c_str(), data.data(),
                       static_cast<uint32_t>(data.size()));
    }
    const bool saved = lib.KDZSavePatch(patch, nullptr);
    lib.KDZClosePatch(patch);
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    const int targets = argc > 1 ? std::atoi(argv[1]) : 500;
    const std::size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 64;
    char pattern[] = "/tmp/patchapply-bench-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    setenv("QUILLMARK_REGISTRY", (dir + "/registry.ini").c_str(), 1);
    qm::RegistrySetString(qm::RegistryRoot::LocalMachine,
                          "Software\\Fox Interactive\\Aliens versus Predator", "Path",
                          dir + "/game");
    qm::LibraryBinding<PACKLIBEXPORT> packLib;
    qm::LibraryBinding<PATCHLIBEXPORT> patchLib;
    if (!packLib.Bind("PackLib.dll", "PackLibInit") ||
        !patchLib.Bind("PatchLib.dll", "PatchLibInit") ||
        !MakeGame(dir + "/game", packLib.Record(), megabytes) ||
        !MakePatch(dir + "/bench.kdz", patchLib.Record(), targets)) {
        std::fprintf(stderr, "setting up the game directory failed\n");
        return 1;
    }
    const std::string program =
        std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/patchapply";
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" + program +
                                "' -noprompt " + dir + "/bench.kdz </dev/null 2>/dev/null";
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const double total =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::filesystem::remove_all(dir);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "patchapply failed (status %d)\n", status);
        return 1;
    }
    const double pause = targets * 0.2;
    std::printf("targets %d, Fastfile %zu MiB\n", targets, megabytes);
    std::printf("total          %8.2f s\n", total);
    std::printf("pauses         %8.2f s (%d x 0.2 s)\n", pause, targets);
    std::printf("rewriting etc. %8.2f s (%.3f s per target)\n", total - pause,
                (total - pause) / targets);
    return 0;
}
