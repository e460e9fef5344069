// The suite installs itself from its medium and Uninstall takes it away again: afterwards the
// private home and the registry store are as they were before.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/message_box.h"
#include "platform/registry.h"
#include "setup/setup_config.h"
#include "setup/system_folders.h"
#include "tests/support/private_game.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tree_snapshot.h"
#include "uninstall/uninstall_start.h"
#include "uninstall/uninstall_strings.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kHKLM = qm::RegistryRoot::LocalMachine;
constexpr auto kHKCR = qm::RegistryRoot::ClassesRoot;
constexpr const char* kUninstallEntry =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillmark Fastfile Tools";

// Runs a program as a child in the test's environment, its output into `output`. Its input is
// empty, so that a question can never wait for an answer from the terminal.
int RunProgram(std::vector<std::string> arguments, const std::string& output,
               const std::string& directory = {}) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (!directory.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    }
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t child = 0;
    const int started = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) {
        return -1;
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A desktop account as it stands before anything of the suite is there: the usual folders,
// and the registry keys that the system keeps on Windows.
void PrepareAccount(qm_test::PrivateEnvironment& env) {
    const std::string home = env.File("home");
    env.Set("XDG_CONFIG_HOME", home + "/.config");
    env.Set("XDG_DATA_HOME", home + "/.local/share");
    env.Set("XDG_DESKTOP_DIR", home + "/Desktop");
    for (const char* folder : {"/Desktop", "/.config", "/.local/share/applications"}) {
        fs::create_directories(home + folder);
    }
    qm::RegistryCreateKey(kHKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
}

qm_test::TreeSnapshot Snapshot(qm_test::PrivateEnvironment& env) {
    return qm_test::TakeTreeSnapshot({{"home", env.File("home")}}, env.RegistryStore());
}

TEST(InstallAndUninstall, LeaveNothingBehind) {
    qm_test::PrivateGame game;
    ASSERT_TRUE(game.Made()) << game.Error();
    qm_test::PrivateEnvironment& env = game.Environment();
    PrepareAccount(env);
    // The programs run as they would from a script: without a window, never restarting.
    env.Set("QT_QPA_PLATFORM", "offscreen");
    env.Set("QM_NO_RESTART", "1");
    qm::ScriptedMessageBoxes messages;
    const qm_test::TreeSnapshot before = Snapshot(env);

    // The medium, laid out from this build.
    qm_test::TempDir mediumDir("quillmark-medium");
    const std::string medium = mediumDir.File("medium");
    ASSERT_EQ(RunProgram({"/bin/sh", QM_SOURCE_DIR "/tools/make-medium.sh",
                          fs::path(QM_BIN_DIR).parent_path().string(), medium},
                         mediumDir.File("make-medium.txt")),
              0)
        << ReadText(mediumDir.File("make-medium.txt"));

    // The medium's Setup installs the suite, unattended, as a user would start it there.
    const std::string setupOutput = mediumDir.File("setup.txt");
    ASSERT_EQ(RunProgram({medium + "/setup", "--unattended"}, setupOutput, medium), 0)
        << ReadText(setupOutput);
    // Where it installed to and what it made, as Setup.ini names them.
    qm::setup::CSetupConfig config;
    ASSERT_EQ(config.Load(medium, qm::setup::CurrentUserFolders()), qm::setup::ConfigFailure::None);
    const std::string destination = config.Destination();
    for (const char* file : {"texbench", "patchbench", "patchapply", "fftool", "uninstall",
                             "libPackLib.so", "libPatchLib.so", "KdzTips.cfg"}) {
        EXPECT_TRUE(fs::exists(destination + file)) << file;
    }
    // The menu shows the two editors; a .kdz offers install and open; each tool has its key.
    EXPECT_TRUE(fs::exists(config.Group() + "TexBench.desktop"));
    EXPECT_TRUE(fs::exists(config.Group() + "PatchBench.desktop"));
    EXPECT_TRUE(qm::RegistryKeyExists(kHKCR, "Quillmark.FastFilePatch\\shell\\install"));
    EXPECT_TRUE(qm::RegistryKeyExists(kHKCR, "Quillmark.FastFilePatch\\shell\\open"));
    EXPECT_EQ(qm::RegistryGetString(kHKLM, "Software\\Quillmark\\Skinwright", ""),
              destination + "texbench");

    // The installed programs find their libraries beside themselves and the game.
    const std::string listing = mediumDir.File("fftool.txt");
    EXPECT_EQ(RunProgram({destination + "fftool", "db", "list"}, listing), 0) << ReadText(listing);
    EXPECT_NE(ReadText(listing).find(".ffl"), std::string::npos) << ReadText(listing);

    // The installed TexBench starts on the game and runs until it is told to end.
    {
        std::string program = destination + "texbench";
        std::string noSplash = "-nosplash";
        char* argv[] = {program.data(), noSplash.data(), nullptr};
        pid_t child = 0;
        ASSERT_EQ(posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ), 0);
        int status = 0;
        pid_t ended = 0;
        for (int i = 0; i < 30 && ended == 0; ++i) {
            std::this_thread::sleep_for(100ms);
            ended = waitpid(child, &status, WNOHANG);
        }
        EXPECT_EQ(ended, 0) << "TexBench ended at start with status " << status;
        if (ended == 0) {
            kill(child, SIGTERM);
            waitpid(child, &status, 0);
        }
    }

    // Uninstall, as the registered command names it, with the switch appended.
    const std::optional<std::string> command =
        qm::RegistryGetString(kHKLM, kUninstallEntry, "UninstallString");
    ASSERT_TRUE(command);
    const auto parts = qm::uninstall::SplitUninstallCommand(*command);
    ASSERT_TRUE(parts) << *command;
    EXPECT_EQ(parts->program, destination + "uninstall");
    const std::string uninstallOutput = mediumDir.File("uninstall.txt");
    EXPECT_EQ(RunProgram({parts->program, parts->log, "--unattended"}, uninstallOutput), 0)
        << ReadText(uninstallOutput);
    EXPECT_EQ(ReadText(uninstallOutput), std::string(qm::uninstall::kAllRemoved) + "\n")
        << "a question was asked or something stayed";
    EXPECT_TRUE(messages.Asked().empty()) << messages.Asked()[0].text;

    const std::vector<std::string> left = qm_test::SnapshotDifferences(before, Snapshot(env));
    EXPECT_TRUE(left.empty()) << "left behind or changed:\n" << qm_test::JoinLines(left);
}

}  // namespace
