// Starting a program hidden and waiting a while for it, as Setup and Uninstall register and
// unregister programs.
#include "suite/program_start.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#if !defined(_WIN32)
#include <signal.h>
#include <sys/types.h>
#endif

#include "tests/support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

#if !defined(_WIN32)

std::string WriteScript(const qm_test::TempDir& dir, const std::string& name,
                        const std::string& body, fs::perms permissions) {
    const std::string path = dir.File(name);
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(path, permissions);
    return path;
}

// The process id a test program wrote to "<program>.pid", once it is there; 0 when it never is.
pid_t PidWrittenBy(const std::string& program) {
    pid_t pid = 0;
    for (int attempt = 0; attempt < 500 && pid == 0; ++attempt) {
        std::ifstream(program + ".pid") >> pid;
        if (pid == 0) {
            std::this_thread::sleep_for(10ms);
        }
    }
    return pid;
}

// True once the process is gone from the process table; a zombie is still in it.
bool ProcessGoes(pid_t pid) {
    for (int attempt = 0; attempt < 500; ++attempt) {
        if (!fs::exists("/proc/" + std::to_string(pid))) {
            return true;
        }
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

constexpr fs::perms kExecutable = fs::perms::owner_all;
constexpr fs::perms kNotExecutable = fs::perms::owner_read | fs::perms::owner_write;

struct HiddenStartCase {
    const char* name;
    const char* body;  // nullptr: no file at all
    fs::perms permissions;
    bool started;
};

class StartHiddenProgramTest : public ::testing::TestWithParam<HiddenStartCase> {};

TEST_P(StartHiddenProgramTest, TellsWhetherTheProgramRan) {
    const HiddenStartCase& c = GetParam();
    qm_test::TempDir dir("quillmark-program-start");
    const std::string program =
        c.body ? WriteScript(dir, "program", c.body, c.permissions) : dir.File("missing");
    EXPECT_EQ(suite::StartHiddenProgram(program, "/RegServer", 5s), c.started);
}

INSTANTIATE_TEST_SUITE_P(
    Programs, StartHiddenProgramTest,
    ::testing::Values(
        HiddenStartCase{"EndsAtOnce", "exit 0", kExecutable, true},
        // Only "could not be executed" is a failure; what the program itself reports is its own.
        HiddenStartCase{"EndsWithAnError", "exit 3", kExecutable, true},
        HiddenStartCase{"Missing", nullptr, kExecutable, false},
        HiddenStartCase{"NotExecutable", "exit 0", kNotExecutable, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StartHiddenProgram, HandsOverTheParameterAsOneArgument) {
    qm_test::TempDir dir("quillmark-program-start");
    const std::string program =
        WriteScript(dir, "program", "printf '%s|%s' \"$#\" \"$1\" > \"$0.out\"", kExecutable);
    ASSERT_TRUE(suite::StartHiddenProgram(program, "/Un Reg Server", 5s));
    std::ifstream out(program + ".out");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(out), {}), "1|/Un Reg Server");
}

TEST(StartHiddenProgram, LeavesAProgramRunningPastTheWait) {
    qm_test::TempDir dir("quillmark-program-start");
    // The test only returns at all when the wait ends before the program does.
    const std::string program = WriteScript(
        dir, "program", "echo $$ > \"$0.tmp\" && mv \"$0.tmp\" \"$0.pid\" && exec sleep 30",
        kExecutable);
    EXPECT_TRUE(suite::StartHiddenProgram(program, "/RegServer", 50ms));

    // It goes on by itself; end it here rather than leave it behind.
    const pid_t child = PidWrittenBy(program);
    ASSERT_GT(child, 0);
    EXPECT_EQ(kill(child, 0), 0) << "the program was ended with the wait";
    kill(child, SIGKILL);
    // Once it has ended it is collected: no zombie stays until this process ends.
    EXPECT_TRUE(ProcessGoes(child));
}

// A program started and left to run (PatchBench from TexBench, say) is collected when it
// ends, so a long session does not gather zombies.
TEST(StartProgram, AProgramThatEndsIsCollected) {
    qm_test::TempDir dir("quillmark-program-start");
    const std::string program = WriteScript(
        dir, "program", "echo $$ > \"$0.tmp\" && mv \"$0.tmp\" \"$0.pid\"", kExecutable);
    ASSERT_TRUE(suite::StartProgram(program, {}));
    const pid_t child = PidWrittenBy(program);
    ASSERT_GT(child, 0);
    EXPECT_TRUE(ProcessGoes(child));
}

#endif

}  // namespace
