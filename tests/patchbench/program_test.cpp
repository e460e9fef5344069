// The patchbench program started as users start it: registration without a display, a first
// instance that a second start hands its patch to, and closing from another program.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "patchbench/engine/instance_protocol.h"
#include "platform/ipc.h"
#include "platform/registry.h"
#include "tests/patchbench/editor_fixture.h"
#include "tools/demogame/demo_game.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class PatchBenchProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        env_.Set("QT_QPA_PLATFORM", "offscreen");
        std::string error;
        ASSERT_TRUE(demogame::MakeDemoGame(env_.File("game"), {false}, &error)) << error;
        qm::RegistrySetString(qm::RegistryRoot::LocalMachine,
                              "Software\\Fox Interactive\\Aliens versus Predator", "Path",
                              env_.File("game"));
    }
    void TearDown() override {
        for (pid_t pid : running_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    static std::string Program() { return std::string(QM_BIN_DIR) + "/patchbench"; }

    pid_t Start(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), Program());
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        pid_t pid = 0;
        EXPECT_EQ(posix_spawn(&pid, Program().c_str(), nullptr, nullptr, argv.data(), environ), 0);
        running_.push_back(pid);
        return pid;
    }
    // The exit code, or -1 when the program has not ended in time.
    int WaitFor(pid_t pid, std::chrono::milliseconds timeout) {
        const auto deadline = Clock::now() + timeout;
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (Clock::now() > deadline) {
                return -1;
            }
            std::this_thread::sleep_for(20ms);
        }
        std::erase(running_, pid);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    }
    // Waits until the first instance answers at its endpoint.
    bool WaitUntilRunning() {
        const auto deadline = Clock::now() + 20s;
        while (Clock::now() < deadline) {
            const std::string restore = "SC_RESTORE";
            if (qm::IpcSend(patchbench::kInstanceName,
                            {"WM_SYSCOMMAND", {restore.begin(), restore.end()}}, 500ms)) {
                return true;
            }
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

    qm_test::PrivateEnvironment env_;
    std::vector<pid_t> running_;
};

TEST_F(PatchBenchProgram, RegistersWithoutADisplay) {
    unsetenv("QT_QPA_PLATFORM");
    unsetenv("DISPLAY");
    EXPECT_EQ(WaitFor(Start({"-register"}), 20s), 0);
    EXPECT_EQ(qm::RegistryGetString(qm::RegistryRoot::LocalMachine,
                                    "Software\\Quillmark\\FastFile Patch Editor", ""),
              Program());
    EXPECT_EQ(WaitFor(Start({"/unregserver"}), 20s), 0);
    EXPECT_FALSE(qm::RegistryKeyExists(qm::RegistryRoot::ClassesRoot, ".kdz"));
}

TEST_F(PatchBenchProgram, ASecondStartHandsOverAndEndsTheFirstClosesWhenAsked) {
    const pid_t first = Start({"-nosplash"});
    ASSERT_TRUE(WaitUntilRunning());
    // A second start with a patch, and one with nothing but the switch, both end at once.
    const PATCHLIBEXPORT& lib = editor_test::PatchLib();
    KDZPATCH* patch = lib.KDZCreatePatch(nullptr);
    std::snprintf(patch->szTitle, sizeof patch->szTitle, "Handed over");
    const std::string path = env_.File("handed over.kdz");
    ASSERT_TRUE(lib.KDZSavePatch(patch, path.c_str()));
    lib.KDZClosePatch(patch);
    EXPECT_EQ(WaitFor(Start({path}), 10s), 0);
    EXPECT_EQ(WaitFor(Start({"-nosplash"}), 10s), 0);
    EXPECT_EQ(WaitFor(first, 300ms), -1);  // the first runs on
    const auto deadline = Clock::now() + 20s;
    int code = -1;
    while (code == -1 && Clock::now() < deadline) {
        qm::IpcSend(patchbench::kInstanceName, {"WM_CLOSE", {}}, 500ms);
        code = WaitFor(first, 200ms);
    }
    EXPECT_EQ(code, 0);
    // The endpoint is free for the next start.
    EXPECT_TRUE(qm::IpcListener::Listen(patchbench::kInstanceName));
}

}  // namespace
