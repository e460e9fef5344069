// Runs the built fftool for the command tests.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace fftool_test {

struct RunResult {
    int status;
    std::string out;
};

// Runs fftool with the arguments (shell-quoted by the caller) and collects stdout and stderr.
inline RunResult Fftool(const std::string& arguments, const std::string& prefix = "") {
    const std::string command = prefix + QM_BIN_DIR "/fftool " + arguments + " 2>&1";
    RunResult run{-1, ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    std::array<char, 4096> buffer;
    std::size_t got;
    while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        run.out.append(buffer.data(), got);
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

inline std::string Quote(const std::string& text) {
    return "'" + text + "'";
}

}  // namespace fftool_test
