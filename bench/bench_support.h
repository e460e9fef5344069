// What the benchmarks share: timing one step, the median of the rounds, the bytes a process
// has read and the filler items of the generated Fastfiles.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "packlib/packlib_exports.h"

namespace bench {

// The seconds `step` took. A step that fails ends the benchmark: its figures would mean nothing.
inline double Seconds(const char* benchmark, const std::function<bool()>& step) {
    const auto start = std::chrono::steady_clock::now();
    if (!step()) {
        std::fprintf(stderr, "%s: a step failed\n", benchmark);
        std::exit(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The bytes read so far by the process whose io file this is ("/proc/<pid>/io"): its rchar.
inline std::uint64_t BytesRead(const std::string& ioFile) {
    std::ifstream io(ioFile);
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") {
            return value;
        }
    }
    return 0;
}

// Adds the items numbered first .. first + count - 1, blockBytes each (the first byte the number),
// as graphics\folder<n % 40>\texture<n>.rim: the bulk of a generated Fastfile.
inline void AddFillerItems(FFLARCHIVE* archive, int first, int count, std::size_t blockBytes) {
    std::vector<unsigned char> block(blockBytes);
    for (int i = first; i < first + count; ++i) {
        block[0] = static_cast<unsigned char>(i);
        const std::string name =
            "graphics\\folder" + std::to_string(i % 40) + "\\texture" + std::to_string(i) + ".rim";
        FFLAddItem(archive, name.c_str(), block.data(), static_cast<std::uint32_t>(block.size()));
    }
}

}  // namespace bench
