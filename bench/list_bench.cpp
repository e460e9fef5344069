// Listing a large Fastfile against reading just its header and directory: `fftool list` beside
// `head -c <header + directory bytes>` of the same file, alternating, so both see the same
// machine and cache. Prints each median, the time ratio (target: at most 2x) and the bytes each
// child read (its rchar; target: the directory plus 64 KiB at most).
// Usage: list_bench [fastfile MiB=256] [rounds=7] [fftool=<this program's directory>/fftool]
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "packlib/packlib_exports.h"

namespace {

constexpr int kItems = 4000;
constexpr std::uint64_t kHeaderBytes = 20;

struct ChildRun {
    double seconds;
    std::uint64_t bytesRead;
};

// The child's rchar, read while it is a zombie: after it ended, before it is reaped.
std::uint64_t BytesReadBy(pid_t pid) {
    return bench::BytesRead("/proc/" + std::to_string(pid) + "/io");
}

ChildRun Run(const std::vector<std::string>& command) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        std::vector<char*> argv;
        for (const std::string& word : command) {
            argv.push_back(const_cast<char*>(word.c_str()));
        }
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    siginfo_t info{};
    waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::uint64_t bytes = BytesReadBy(pid);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "list_bench: %s failed\n", command[0].c_str());
        std::exit(1);
    }
    return {seconds, bytes};
}

// The Fastfile and the bytes of its header and directory.
std::uint64_t MakeFastfile(const std::string& path, std::size_t totalBytes) {
    FFLARCHIVE* archive = FFLCreateArchive(path.c_str());
    std::vector<unsigned char> block(totalBytes / kItems);
    std::uint64_t directory = 0;
    for (int i = 0; i < kItems; ++i) {
        block[0] = static_cast<unsigned char>(i);
        const std::string name =
            "graphics\\folder" + std::to_string(i % 40) + "\\texture" + std::to_string(i) + ".rim";
        FFLAddItem(archive, name.c_str(), block.data(), static_cast<uint32_t>(block.size()));
        directory += 8 + ((name.size() + 1 + 3) & ~std::size_t{3});
    }
    const bool saved = FFLSaveArchive(archive, nullptr);
    FFLCloseArchive(archive);
    return saved ? kHeaderBytes + directory : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    const std::string fftool =
        argc > 3
            ? argv[3]
            : (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "fftool").string();
    std::string pattern = (std::filesystem::temp_directory_path() / "list-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return 1;
    }
    const std::string source = pattern + "/large.ffl";
    const std::uint64_t directoryEnd = MakeFastfile(source, megabytes << 20);
    if (directoryEnd == 0) {
        return 1;
    }
    const std::vector<std::string> list = {fftool, "list", source};
    const std::vector<std::string> head = {"head", "-c", std::to_string(directoryEnd), source};
    std::vector<double> listTimes, headTimes;
    std::uint64_t listBytes = 0, headBytes = 0;
    for (int round = 0; round < rounds; ++round) {
        const ChildRun peer = Run(head);
        const ChildRun ours = Run(list);
        headTimes.push_back(peer.seconds);
        listTimes.push_back(ours.seconds);
        headBytes = peer.bytesRead;
        listBytes = ours.bytesRead;
    }
    const double yardstick = bench::Median(headTimes);
    std::printf("%zu MiB, %d items, header + directory %llu bytes, %d rounds, medians\n", megabytes,
                kItems, static_cast<unsigned long long>(directoryEnd), rounds);
    std::printf("head -c %7.2f ms, read %llu bytes\n", yardstick * 1e3,
                static_cast<unsigned long long>(headBytes));
    std::printf("fftool list %7.2f ms = %.2fx, read %llu bytes = directory %+lld\n",
                bench::Median(listTimes) * 1e3, bench::Median(listTimes) / yardstick,
                static_cast<unsigned long long>(listBytes),
                static_cast<long long>(listBytes) - static_cast<long long>(directoryEnd));
    std::filesystem::remove_all(pattern);
    return 0;
}
