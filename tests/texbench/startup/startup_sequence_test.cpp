// The start-up and exit sequence with PackLib bound by name, a game made on the spot and a
// shell that records what the windows would have done.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <thread>

#include "platform/file_attributes.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "tests/support/files.h"
#include "tests/support/private_environment.h"
#include "tests/support/private_game.h"
#include "texbench/skins/skin_loader.h"
#include "texbench/startup/settings.h"
#include "texbench/startup/startup_sequence.h"

namespace {

using namespace qm_test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

bool HasContent(const std::string& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return !error && size > 0;
}

class RecordingShell : public texbench::StartupShell {
  public:
    void ServeInstanceEndpoint(qm::IpcListener&) override { events.push_back("serve"); }
    void StopServingInstanceEndpoint() override { events.push_back("unserve"); }
    void ShowWaitCursor(bool on) override { events.push_back(on ? "wait" : "unwait"); }
    void ShowSplash(int durationMs) override {
        events.push_back("splash " + std::to_string(durationMs));
    }
    void RunMainDialog(texbench::ApplicationState& state) override {
        events.push_back("dialog");
        if (onDialog) {
            onDialog(state);
        }
    }
    std::optional<std::string> AskForGameProgram() override {
        events.push_back("ask");
        return std::nullopt;
    }

    std::vector<std::string> events;
    std::function<void(texbench::ApplicationState&)> onDialog;
};

class StartupSequence : public ::testing::Test {
  protected:
    void SetUp() override {
        cwd_ = fs::current_path();
        Touch(env_.File("game/AvP.exe"));
        Touch(env_.File("game/fastfile/ffinfo.txt"), "graphics\\menus;menus.ffl\n");
        Touch(env_.File("game/fastfile/menus.ffl"), "");
        SetGamePathInRegistry(env_.File("game"));
        fs::create_directories(env_.File("bin"));
        options_.programPath = env_.File("bin/texbench");
        options_.handOverTimeout = 1000ms;
    }
    void TearDown() override { fs::current_path(cwd_); }

    int Run(const std::string& commandLine) {
        options_.commandLine = commandLine;
        return texbench::RunTexBench(options_, shell_);
    }
    std::string SettingsFile() const { return env_.File("bin/texbench.cfg"); }
    void WriteSettings(const std::string& text) { Touch(SettingsFile(), text); }
    CIniDocument SavedSettings() const {
        CIniDocument document;
        document.Load(SettingsFile());
        return document;
    }

    PrivateEnvironment env_;
    fs::path cwd_;
    texbench::StartupOptions options_;
    RecordingShell shell_;
    qm::ScriptedMessageBoxes boxes_;
};

TEST_F(StartupSequence, FullStartHandsTheDialogABoundLibraryAndTheSettings) {
    WriteSettings(
        "[Settings]\nSplash Screen=750\nPos X=3\n[Settings.Engine]\nImage Buffer=8\n"
        "IPC Timeout=250\nFastfile Buffer=64\nDatabase Buffer=32\n");
    struct Seen {
        bool bound = false;
        std::uint32_t fastfileKb = 0, databaseKb = 0, imageBytes = 0;
        int ipcTimeout = 0;
        std::string cwd, gameDirectory, registered;
        bool endpoint = false;
    } seen;
    shell_.onDialog = [&](texbench::ApplicationState& state) {
        seen.bound = state.packLib.IsBound();
        seen.fastfileKb = state.packLib->FFLGetBufferSize();
        seen.databaseKb = state.packLib->FFLGetDbBufferSize();
        seen.imageBytes = state.imageBufferBytes;
        seen.ipcTimeout = state.ipcTimeout;
        seen.cwd = fs::current_path().string();
        seen.gameDirectory = state.gameDirectory;
        seen.registered = qm::RegistryGetString(qm::RegistryRoot::LocalMachine,
                                                "Software\\Quillmark\\Skinwright", "")
                              .value_or("");
        seen.endpoint = state.instanceEndpoint != nullptr;
        EXPECT_EQ(state.settingsFilePath, SettingsFile());
        EXPECT_EQ(state.helpFilePath, env_.File("bin/texbench.chm"));
        EXPECT_FALSE(state.skinMode);
        state.settings.SetInt("Settings", "Pos X", 120);
    };
    EXPECT_EQ(Run(""), 0);
    EXPECT_EQ(shell_.events, (std::vector<std::string>{"serve", "wait", "unwait", "splash 750",
                                                       "dialog", "unserve"}));
    EXPECT_TRUE(seen.bound);
    EXPECT_EQ(seen.fastfileKb, 64u);
    EXPECT_EQ(seen.databaseKb, 32u);
    EXPECT_EQ(seen.imageBytes, 8u * 1024);
    EXPECT_EQ(seen.ipcTimeout, 250);
    EXPECT_TRUE(fs::equivalent(seen.cwd, env_.File("bin")));
    EXPECT_EQ(seen.gameDirectory, env_.File("game") + "/");
    EXPECT_EQ(seen.registered, options_.programPath);
    EXPECT_TRUE(seen.endpoint);
    EXPECT_TRUE(boxes_.Asked().empty());
    // Saved at exit with what the dialog changed; the endpoint is free again.
    EXPECT_EQ(SavedSettings().GetInt("Settings", "Pos X", 0), 120);
    EXPECT_EQ(SavedSettings().GetInt("Settings", "Splash Screen", 0), 750);
    EXPECT_TRUE(qm::IpcListener::Listen(texbench::kInstanceName));
}

TEST_F(StartupSequence, NoSplashSwitchOrShortDurationShowsNoSplashAndAMissingFileIsCreated) {
    EXPECT_EQ(Run("-NOSPLASH"), 0);
    EXPECT_EQ(shell_.events,
              (std::vector<std::string>{"serve", "wait", "unwait", "dialog", "unserve"}));
    EXPECT_TRUE(fs::exists(SettingsFile()));

    shell_.events.clear();
    WriteSettings("[Settings]\nSplash Screen=499\n");
    EXPECT_EQ(Run(""), 0);
    EXPECT_EQ(shell_.events,
              (std::vector<std::string>{"serve", "wait", "unwait", "dialog", "unserve"}));

    // Without the key the splash shows for two seconds.
    WriteSettings("");
    shell_.events.clear();
    EXPECT_EQ(Run(""), 0);
    EXPECT_EQ(shell_.events, (std::vector<std::string>{"serve", "wait", "unwait", "splash 2000",
                                                       "dialog", "unserve"}));
}

TEST_F(StartupSequence, RegistrationEndsWithoutWindowsOrSettings) {
    EXPECT_EQ(Run("-registerABC"), 0);
    EXPECT_TRUE(shell_.events.empty());
    EXPECT_EQ(qm::RegistryGetString(qm::RegistryRoot::ClassesRoot, ".ffl", ""),
              "Quillmark.FastFile");
    EXPECT_FALSE(fs::exists(SettingsFile()));

    EXPECT_EQ(Run("/unregserver"), 0);
    EXPECT_TRUE(shell_.events.empty());
    EXPECT_FALSE(qm::RegistryKeyExists(qm::RegistryRoot::ClassesRoot, ".ffl"));
    EXPECT_FALSE(fs::exists(SettingsFile()));
}

// A registration that could not be written is a failed run, not a silent success: scripts and
// installers that run -register look at the exit code.
TEST_F(StartupSequence, AFailedRegistrationEndsWithExitCodeOne) {
    Touch(env_.File("not-a-directory"));
    const char* previous = std::getenv("XDG_DATA_HOME");
    const std::string kept = previous != nullptr ? previous : "";
    setenv("XDG_DATA_HOME", env_.File("not-a-directory/data").c_str(), 1);
    EXPECT_EQ(Run("-register"), 1);
    EXPECT_TRUE(shell_.events.empty());
    setenv("XDG_DATA_HOME", kept.c_str(), 1);
    if (previous == nullptr) {
        unsetenv("XDG_DATA_HOME");
    }
}

TEST_F(StartupSequence, MissingLibraryShowsTheStopMessageAndEnds) {
    options_.libraryName = "NoSuchLib.dll";
    EXPECT_EQ(Run(""), 1);
    ASSERT_EQ(boxes_.Asked().size(), 1u);
    EXPECT_EQ(boxes_.Asked()[0].text,
              "ERROR: Failed to load Library!\nMake sure that  you have the latest version of "
              "'PackLib.dll' installed.");
    EXPECT_EQ(boxes_.Asked()[0].caption, "Skinwright");
    EXPECT_EQ(boxes_.Asked()[0].icon, qm::MessageBoxIcon::Error);
    EXPECT_EQ(std::count(shell_.events.begin(), shell_.events.end(), "dialog"), 0);
    EXPECT_FALSE(qm::RegistryKeyExists(qm::RegistryRoot::ClassesRoot, ".ffl"))
        << "registration comes after binding";
}

TEST_F(StartupSequence, CancelledReadOnlyCheckEnds) {
    ASSERT_TRUE(
        qm::WriteFileAttributes(env_.File("game/fastfile/menus.ffl"), qm::kFileAttributeReadOnly));
    boxes_.Push(qm::MessageBoxResult::Cancel);
    EXPECT_EQ(Run("-nosplash"), 1);
    ASSERT_EQ(boxes_.Asked().size(), 1u);
    EXPECT_EQ(boxes_.Asked()[0].caption, "Skinwright");
    EXPECT_NE(boxes_.Asked()[0].text.find("Do you want Skinwright to do this"), std::string::npos);
    EXPECT_EQ(std::count(shell_.events.begin(), shell_.events.end(), "dialog"), 0);
}

TEST_F(StartupSequence, GameNotFoundAndCancelledEndsBeforeTheSettings) {
    SetGamePathInRegistry(env_.File("nowhere"));
    options_.searchPlaces = {};
    EXPECT_EQ(Run(""), 1);
    EXPECT_EQ(shell_.events,
              (std::vector<std::string>{"serve", "wait", "ask", "unwait", "unserve"}));
    ASSERT_EQ(boxes_.Asked().size(), 1u);
    EXPECT_EQ(boxes_.Asked()[0].icon, qm::MessageBoxIcon::Information);
    EXPECT_FALSE(fs::exists(SettingsFile())) << "nothing was loaded, so nothing is written";
}

TEST_F(StartupSequence, SecondStartHandsThePathAloneToTheFirst) {
    auto first = qm::IpcListener::Listen(texbench::kInstanceName);
    ASSERT_TRUE(first);
    auto received = std::async(std::launch::async, [&] {
        std::vector<qm::IpcMessage> messages;
        while (auto message = first->Receive(1500ms)) {
            messages.push_back(*message);
        }
        return messages;
    });
    EXPECT_EQ(Run("  -nosplash   /games/my game/menus.ffl "), 0);
    EXPECT_TRUE(shell_.events.empty());
    const auto messages = received.get();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(texbench::InterpretInstanceMessage(messages[0]).kind,
              texbench::InstanceRequest::Kind::Restore);
    const auto open = texbench::InterpretInstanceMessage(messages[1]);
    EXPECT_EQ(open.kind, texbench::InstanceRequest::Kind::Open);
    EXPECT_EQ(open.data, std::string("/games/my game/menus.ffl", 24) + '\0');
    EXPECT_FALSE(fs::exists(SettingsFile()));
}

TEST_F(StartupSequence, SecondStartWithOnlyTheSwitchOnlyRestores) {
    auto first = qm::IpcListener::Listen(texbench::kInstanceName);
    ASSERT_TRUE(first);
    auto received = std::async(std::launch::async, [&] {
        std::vector<qm::IpcMessage> messages;
        while (auto message = first->Receive(1000ms)) {
            messages.push_back(*message);
        }
        return messages;
    });
    EXPECT_EQ(Run("/NoSplash"), 0);
    const auto messages = received.get();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, "WM_SYSCOMMAND");
    EXPECT_TRUE(shell_.events.empty());
}

// When the endpoint cannot be made and nobody answers there, the start goes on alone.
TEST_F(StartupSequence, WithoutAnEndpointTheStartGoesOnAlone) {
    Touch(env_.File("not-a-directory"), "x");
    setenv("XDG_RUNTIME_DIR", env_.File("not-a-directory").c_str(), 1);
    EXPECT_EQ(Run("-nosplash"), 0);
    EXPECT_EQ(shell_.events, (std::vector<std::string>{"wait", "unwait", "dialog"}));
}

TEST_F(StartupSequence, RestartRequestStartsTheProgramAgainWithoutSplash) {
    const std::string marker = env_.File("restarted.txt");
    Touch(options_.programPath, "#!/bin/sh\necho \"$@\" > '" + marker + "'\n");
    fs::permissions(options_.programPath, fs::perms::owner_all);
    shell_.onDialog = [](texbench::ApplicationState& state) { state.restartRequest = true; };
    EXPECT_EQ(Run("-nosplash"), 0);
    for (int i = 0; i < 100 && !HasContent(marker); ++i) {
        std::this_thread::sleep_for(50ms);
    }
    std::ifstream in(marker);
    std::string arguments;
    std::getline(in, arguments);
    EXPECT_EQ(arguments, "-nosplash");
}

// What step 15 and the template of step 16 make of the skin named by "Skin". The skin file
// lies in the program's directory, which start-up makes the current one.
struct SkinCase {
    const char* what;
    const char* skinFile;  // written as "skin.skn" when not null
    bool skinMode;
    bool ownResources;           // skin mode with the program's own resources
    qm::MessageBoxIcon message;  // None: no message
    bool dialogShown;
};

class StartupSkins : public StartupSequence, public ::testing::WithParamInterface<SkinCase> {};

TEST_P(StartupSkins, TakesTheSkinOrFallsBack) {
    const SkinCase& c = GetParam();
    if (c.skinFile != nullptr) {
        Touch(env_.File("bin/skin.skn"), c.skinFile);
    }
    WriteSettings("[Settings]\nSkin=skin.skn\n");
    struct Seen {
        bool skinMode = false, module = false, own = false, templateLoads = false;
        std::uint32_t background = 1, text = 1;
        std::string name;
    } seen;
    shell_.onDialog = [&](texbench::ApplicationState& state) {
        seen.skinMode = state.skinMode;
        EXPECT_EQ(state.skinMode, state.skin.skinMode);
        seen.module = state.skin.module != nullptr;
        seen.own = seen.module && state.skin.module->IsProgram();
        seen.templateLoads = texbench::MainDialogTemplate(state.skin).has_value();
        seen.background = state.skin.background;
        seen.text = state.skin.text;
        seen.name = state.skin.name;
    };
    EXPECT_EQ(Run("-nosplash"), 0);
    EXPECT_EQ(std::count(shell_.events.begin(), shell_.events.end(), "dialog"),
              c.dialogShown ? 1 : 0);
    if (c.message == qm::MessageBoxIcon::None) {
        EXPECT_TRUE(boxes_.Asked().empty());
    } else {
        ASSERT_EQ(boxes_.Asked().size(), 1u);
        EXPECT_EQ(boxes_.Asked()[0].text, "ERROR: Failed to load Skin resources.");
        EXPECT_EQ(boxes_.Asked()[0].caption, "Skinwright");
        EXPECT_EQ(boxes_.Asked()[0].icon, c.message);
    }
    if (!c.dialogShown) {
        return;
    }
    EXPECT_EQ(seen.skinMode, c.skinMode);
    EXPECT_EQ(seen.module, c.skinMode) << "a module that was not taken is not kept";
    EXPECT_EQ(seen.own, c.ownResources);
    EXPECT_TRUE(seen.templateLoads);
    if (c.ownResources) {
        EXPECT_EQ(seen.background, 0u);
        EXPECT_EQ(seen.text, 0xFFFFFFu);
    }
    // Only a failed template clears the setting.
    EXPECT_EQ(SavedSettings().GetString("Settings", "Skin", ""), "skin.skn");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartupSkins,
    ::testing::Values(
        SkinCase{"our hive skin",
                 "[Skin.Layout]\nSignature=texbench\nName=Hive\nModule=SkinHive.dll\n", true, false,
                 qm::MessageBoxIcon::None, true},
        SkinCase{"no file: the program's own resources", nullptr, true, true,
                 qm::MessageBoxIcon::None, true},
        SkinCase{"another signature", "[Skin.Layout]\nSignature=Other\nModule=SkinHive.dll\n", true,
                 true, qm::MessageBoxIcon::None, true},
        SkinCase{"empty module: never applied", "[Skin.Layout]\nSignature=TexBench\nName=Bare\n",
                 false, false, qm::MessageBoxIcon::None, true},
        SkinCase{"module missing", "[Skin.Layout]\nSignature=TexBench\nModule=NoSuchSkin.dll\n",
                 false, false, qm::MessageBoxIcon::Information, true}),
    [](const ::testing::TestParamInfo<SkinCase>& info) {
        std::string name;
        for (const char* p = info.param.what; *p != 0; ++p) {
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        }
        return name;
    });

TEST_F(StartupSequence, SkinReadsItsColoursAndName) {
    Touch(env_.File("bin/hive.skn"),
          "[Skin.Layout]\nSignature=TexBench\nName=Hive\nModule=SkinHive.dll\n"
          "[Skin.Colors]\nBackground=10,20,30\nText=200,100,50\n");
    WriteSettings("[Settings]\nSkin=hive.skn\n");
    shell_.onDialog = [](texbench::ApplicationState& state) {
        EXPECT_EQ(state.skin.background, 0x1E140Au);
        EXPECT_EQ(state.skin.text, 0x3264C8u);
        EXPECT_EQ(state.skin.name, "Hive");
        EXPECT_NE(state.skin.module->InitSkin(), nullptr);
    };
    EXPECT_EQ(Run("-nosplash"), 0);
}

// A library that loads but holds no template 102 (PackLib is one): the stop message, "Skin"
// cleared, no dialog, and the program starts again in the system look.
TEST_F(StartupSequence, SkinWithoutTemplateClearsTheSettingAndRestarts) {
    const std::string marker = env_.File("restarted.txt");
    Touch(options_.programPath, "#!/bin/sh\necho \"$@\" > '" + marker + "'\n");
    fs::permissions(options_.programPath, fs::perms::owner_all);
    Touch(env_.File("bin/broken.skn"),
          "[Skin.Layout]\nSignature=TexBench\nName=Broken\nModule=PackLib.dll\n");
    WriteSettings("[Settings]\nSkin=broken.skn\n");
    EXPECT_EQ(Run("-nosplash"), 0);
    EXPECT_EQ(std::count(shell_.events.begin(), shell_.events.end(), "dialog"), 0);
    ASSERT_EQ(boxes_.Asked().size(), 1u);
    EXPECT_EQ(boxes_.Asked()[0].text, "ERROR: Failed to load Skin resources.");
    EXPECT_EQ(boxes_.Asked()[0].icon, qm::MessageBoxIcon::Error);
    EXPECT_EQ(SavedSettings().GetString("Settings", "Skin", "unchanged"), "unchanged")
        << "the entry is gone, so it reads as empty";
    for (int i = 0; i < 100 && !HasContent(marker); ++i) {
        std::this_thread::sleep_for(50ms);
    }
    std::ifstream in(marker);
    std::string arguments;
    std::getline(in, arguments);
    EXPECT_EQ(arguments, "-nosplash");
}

}  // namespace
