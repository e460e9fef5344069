// Every program answers --help with its usage on the terminal and ends at once: it starts no
// window, installs nothing and writes no file, even where a display is available.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

struct Outcome {
    int status;
    std::string out;
};

// `timeout` ends a program that started a window instead of answering.
Outcome Start(const std::string& program, const std::string& argument) {
    const std::string command =
        "QT_QPA_PLATFORM=offscreen timeout 20 " QM_BIN_DIR "/" + program + " " + argument + " 2>&1";
    Outcome run{-1, ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    std::array<char, 4096> buffer;
    std::size_t got = 0;
    while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        run.out.append(buffer.data(), got);
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(Programs, HelpPrintsUsageAndEnds) {
    for (const char* program : {"fftool", "patchapply", "texbench", "make-demo-game"}) {
        if (!std::filesystem::exists(std::string(QM_BIN_DIR "/") + program)) {
            continue;  // texbench is built only with Qt
        }
        for (const char* argument : {"--help", "-h"}) {
            const Outcome run = Start(program, argument);
            EXPECT_EQ(run.status, 0) << program << " " << argument << "\n" << run.out;
            EXPECT_EQ(run.out.rfind("Usage: ", 0), 0u) << program << "\n" << run.out;
        }
    }
}

}  // namespace
