// The texbench program started as users start it: registration without a display, a first
// instance closed by another program, and a second start that hands over and ends.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/ipc.h"
#include "platform/registry.h"
#include "tests/support/private_environment.h"
#include "tests/support/private_game.h"
#include "tools/demogame/demo_game.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr char kInstanceName[] = "Quillmark - Skinwright";

class TexBenchProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        // A copy of the program in a directory of its own, so that its settings file and
        // registration point there; the libraries beside it are those of the build.
        fs::create_directories(env_.File("bin"));
        fs::copy_file(std::string(QM_BIN_DIR) + "/texbench", Program());
        for (const char* library : {"libPackLib.so", "libquillmark_platform.so",
                                    "libquillmark_inidoc.so", "libquillmark_files.so"}) {
            fs::create_symlink(std::string(QM_BIN_DIR) + "/" + library,
                               env_.File("bin/") + library);
        }
        env_.Set("QT_QPA_PLATFORM", "offscreen");
    }
    void TearDown() override {
        for (pid_t pid : running_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    std::string Program() const { return env_.File("bin/texbench"); }

    void MakeGame() {
        std::string error;
        ASSERT_TRUE(demogame::MakeDemoGame(env_.File("game"), {}, &error)) << error;
        qm_test::SetGamePathInRegistry(env_.File("game"));
    }

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

    int Run(std::vector<std::string> arguments) {
        return WaitFor(Start(std::move(arguments)), 20s);
    }

    // Asks the running program to close until it has ended; until its main dialog runs it
    // takes the message without acting on it.
    int CloseAndWait(pid_t pid) {
        const auto deadline = Clock::now() + 20s;
        while (Clock::now() < deadline) {
            qm::IpcSend(kInstanceName, {"WM_CLOSE", {}}, 500ms);
            const int code = WaitFor(pid, 200ms);
            if (code != -1) {
                return code;
            }
        }
        return -1;
    }

    bool Registered() const {
        return qm::RegistryKeyExists(qm::RegistryRoot::LocalMachine,
                                     "Software\\Quillmark\\Skinwright");
    }

    qm_test::PrivateEnvironment env_;
    std::vector<pid_t> running_;
};

TEST_F(TexBenchProgram, RegistersAndUnregistersWithoutADisplay) {
    env_.Set("QT_QPA_PLATFORM", std::nullopt);
    env_.Set("DISPLAY", std::nullopt);
    env_.Set("WAYLAND_DISPLAY", std::nullopt);
    EXPECT_EQ(Run({"-REGISTERxyz"}), 0);
    EXPECT_EQ(qm::RegistryGetString(qm::RegistryRoot::ClassesRoot,
                                    "Quillmark.FastFile\\shell\\open\\command", ""),
              Program() + " %1");
    EXPECT_TRUE(fs::exists(env_.File("data/applications/quillmark-texbench.desktop")));
    EXPECT_EQ(Run({"/unregserver"}), 0);
    EXPECT_FALSE(Registered());
    EXPECT_FALSE(qm::RegistryKeyExists(qm::RegistryRoot::ClassesRoot, ".ffl"));
    EXPECT_FALSE(fs::exists(env_.File("bin/texbench.cfg"))) << "no settings were loaded";
}

TEST_F(TexBenchProgram, SecondStartHandsOverAndEndsWhileTheFirstRuns) {
    MakeGame();
    const pid_t first = Start({"-nosplash"});
    const auto deadline = Clock::now() + 20s;
    while (!Registered() && Clock::now() < deadline) {  // written right before the dialog
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(Registered());

    EXPECT_EQ(Run({"-nosplash", env_.File("game/fastfile/Menus.ffl")}), 0);
    EXPECT_EQ(Run({"-nosplash"}), 0);
    EXPECT_EQ(WaitFor(first, 300ms), -1) << "the first instance still runs";

    EXPECT_EQ(CloseAndWait(first), 0);
    EXPECT_TRUE(fs::exists(env_.File("bin/texbench.cfg"))) << "settings are saved at exit";
    EXPECT_TRUE(qm::IpcListener::Listen(kInstanceName)) << "the endpoint is free again";
}

}  // namespace
