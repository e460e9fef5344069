// The editor's start and exit without windows: registration switches, the second start handing
// over to the first, the libraries and the database, and launching the other tools.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <fstream>
#include <future>

#include "patchbench/engine/editor_texts.h"
#include "patchbench/engine/instance_protocol.h"
#include "patchbench/engine/startup_sequence.h"
#include "patchbench/engine/tool_launcher.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "tests/patchbench/editor_fixture.h"
#include "tools/demogame/demo_game.h"

namespace {

using namespace patchbench;
using namespace std::chrono_literals;

// Records what start-up asked of its windows.
class RecordingShell : public EditorShell {
  public:
    void ServeInstanceEndpoint(qm::IpcListener&) override { served = true; }
    void StopServingInstanceEndpoint() override { stopped = true; }
    void RunMainDialog(EditorState& state) override {
        ran = true;
        databaseOpen = state.database != nullptr;
        bothBound = state.packLib.IsBound() && state.patchLib.IsBound();
        settingsFile = state.settingsFilePath;
        helpFile = state.helpFilePath;
        tipsFile = state.tipsFilePath;
        commandLine = state.commandLine;
        tipAtStart = ShowsTipAtStart(state);
    }
    bool served = false, stopped = false, ran = false, databaseOpen = false, bothBound = false;
    bool tipAtStart = false;
    std::string settingsFile, helpFile, tipsFile;
    CommandLine commandLine;
};

class PatchBenchStartup : public ::testing::Test {
  protected:
    void MakeGame() {
        std::string error;
        ASSERT_TRUE(demogame::MakeDemoGame(env_.File("game"), {false}, &error)) << error;
        qm::RegistrySetString(qm::RegistryRoot::LocalMachine,
                              "Software\\Fox Interactive\\Aliens versus Predator", "Path",
                              env_.File("game"));
    }
    EditorStartOptions Options(const std::string& commandLine) {
        EditorStartOptions options;
        options.programPath = "/opt/qm/bin/patchbench";
        options.commandLine = commandLine;
        options.handOverTimeout = 2s;
        return options;
    }
    qm_test::PrivateEnvironment env_;
    RecordingShell shell_;
};

TEST_F(PatchBenchStartup, RegistrationSwitchesEndWithoutAWindow) {
    EXPECT_EQ(RunPatchBench(Options("-regserver"), shell_), StartOutcome::Registered);
    EXPECT_EQ(qm::RegistryGetString(qm::RegistryRoot::LocalMachine,
                                    "Software\\Quillmark\\FastFile Patch Editor", ""),
              "/opt/qm/bin/patchbench");
    EXPECT_EQ(RunPatchBench(Options("/unregister"), shell_), StartOutcome::Unregistered);
    EXPECT_FALSE(qm::RegistryKeyExists(qm::RegistryRoot::LocalMachine,
                                       "Software\\Quillmark\\FastFile Patch Editor"));
    EXPECT_FALSE(shell_.served || shell_.ran);
}

TEST_F(PatchBenchStartup, RunsTheDialogWithBothLibrariesAndTheDatabase) {
    MakeGame();
    qm::ScriptedMessageBoxes boxes;
    EXPECT_EQ(RunPatchBench(Options("/nosplash  /tmp/a b.kdz"), shell_), StartOutcome::Ran);
    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_TRUE(shell_.served && shell_.ran && shell_.stopped);
    EXPECT_TRUE(shell_.databaseOpen && shell_.bothBound);
    EXPECT_EQ(shell_.settingsFile, "/opt/qm/bin/patchbench.cfg");
    EXPECT_EQ(shell_.helpFile, "/opt/qm/bin/patchbench.chm");
    EXPECT_EQ(shell_.tipsFile, "/opt/qm/bin/KdzTips.cfg");
    EXPECT_EQ(shell_.commandLine.path, "/tmp/a b.kdz");
    EXPECT_FALSE(shell_.tipAtStart);
    // Every start registers the program again.
    EXPECT_EQ(qm::RegistryGetString(qm::RegistryRoot::ClassesRoot,
                                    "Quillmark.FastFilePatch\\shell\\open\\command", ""),
              "/opt/qm/bin/patchbench %1");
    EXPECT_TRUE(
        std::filesystem::exists(env_.File("data/applications/quillmark-patchbench.desktop")));
}

TEST_F(PatchBenchStartup, TheTipFollowsTheSetting) {
    MakeGame();
    EditorStartOptions options = Options("");
    options.programPath = env_.File("patchbench");
    RunPatchBench(options, shell_);
    EXPECT_TRUE(shell_.tipAtStart);  // no settings file: shown
    std::ofstream(env_.File("patchbench.cfg")) << "[Settings]\nShow Tip=0\n";
    RunPatchBench(options, shell_);
    EXPECT_FALSE(shell_.tipAtStart);
}

TEST_F(PatchBenchStartup, FailuresEndWithTheirMessage) {
    {
        qm::ScriptedMessageBoxes boxes;
        EditorStartOptions options = Options("");
        options.patchLibName = "NoSuchPatchLib.dll";
        EXPECT_EQ(RunPatchBench(options, shell_), StartOutcome::LibraryFailed);
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].text, kLibraryFailedText);
        EXPECT_EQ(boxes.Asked()[0].caption, "Fastfile Patch Editor");
        EXPECT_EQ(boxes.Asked()[0].icon, qm::MessageBoxIcon::Error);
    }
    {
        // A library without the init export fails the same way: PackLib is no PatchLib.
        qm::ScriptedMessageBoxes boxes;
        EditorStartOptions options = Options("");
        options.patchLibName = "PackLib.dll";
        EXPECT_EQ(RunPatchBench(options, shell_), StartOutcome::LibraryFailed);
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].text, kLibraryFailedText);
    }
    {
        qm::ScriptedMessageBoxes boxes;  // no game, so no database
        EXPECT_EQ(RunPatchBench(Options(""), shell_), StartOutcome::DatabaseFailed);
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].text, "ERROR: Failed to open Fastfile Database!");
        EXPECT_EQ(boxes.Asked()[0].icon, qm::MessageBoxIcon::Error);
    }
    EXPECT_FALSE(shell_.ran);
    EXPECT_TRUE(shell_.stopped);  // the endpoint is given up on the way out
}

// A running editor, as a second start sees it: an endpoint that records what arrives.
std::future<std::vector<qm::IpcMessage>> RunningEditor(qm::IpcListener& endpoint, int messages) {
    return std::async(std::launch::async, [&endpoint, messages] {
        std::vector<qm::IpcMessage> received;
        for (int i = 0; i < messages; ++i) {
            if (auto message = endpoint.Receive(3s)) {
                received.push_back(*message);
            }
        }
        return received;
    });
}

TEST_F(PatchBenchStartup, ASecondStartHandsItsPatchToTheFirstAndEnds) {
    auto endpoint = qm::IpcListener::Listen(kInstanceName);
    ASSERT_TRUE(endpoint);
    auto received = RunningEditor(*endpoint, 2);
    EXPECT_EQ(RunPatchBench(Options("-nosplash /home/ann/sky.kdz"), shell_),
              StartOutcome::HandedOver);
    const auto messages = received.get();
    ASSERT_EQ(messages.size(), 2u);
    const EditorRequest restore = InterpretEditorMessage(messages[0]);
    EXPECT_EQ(restore.kind, EditorRequest::Kind::Restore);
    const EditorRequest open = InterpretEditorMessage(messages[1]);
    EXPECT_EQ(open.kind, EditorRequest::Kind::OpenPatch);
    EXPECT_EQ(open.path, "/home/ann/sky.kdz");
    EXPECT_EQ(messages[1].data.back(), 0);  // sent with its terminator
    EXPECT_FALSE(shell_.ran);
}

TEST_F(PatchBenchStartup, NoSplashAloneOnlyRestoresTheFirst) {
    auto endpoint = qm::IpcListener::Listen(kInstanceName);
    ASSERT_TRUE(endpoint);
    auto received = RunningEditor(*endpoint, 1);
    EXPECT_EQ(RunPatchBench(Options("-nosplash"), shell_), StartOutcome::HandedOver);
    ASSERT_EQ(received.get().size(), 1u);
    EXPECT_FALSE(endpoint->Receive(300ms).has_value());  // nothing more came
}

TEST(PatchBenchMessages, SizesAreCheckedBeforeAnythingIsDone) {
    using Kind = EditorRequest::Kind;
    const auto text = []<std::size_t N>(const char(&s)[N]) {
        return std::vector<unsigned char>(s, s + N - 1);
    };
    std::vector<unsigned char> longest(260, 'p');
    longest.back() = 0;
    const struct {
        qm::IpcMessage message;
        Kind kind;
    } cases[] = {
        {{"WM_SYSCOMMAND", text("SC_RESTORE")}, Kind::Restore},
        {{"WM_SYSCOMMAND", text("SC_CLOSE")}, Kind::Unknown},
        {{"WM_COPYDATA 1", text("a.kdz\0")}, Kind::OpenPatch},
        {{"WM_COPYDATA 1", longest}, Kind::OpenPatch},
        {{"WM_COPYDATA", text("b.kdz\0")}, Kind::OpenPatch},  // a second start of any tool
        {{"WM_COPYDATA 1", std::vector<unsigned char>(261, 'p')}, Kind::Unknown},
        {{"WM_COPYDATA 1", {}}, Kind::Unknown},
        {{"WM_COPYDATA 2", text("RFFL\1\0\0\0x")}, Kind::ReceiveItems},
        {{"WM_COPYDATA 2", text("RFFL\0\0\0\0")}, Kind::Unknown},  // 8 bytes are not enough
        {{"WM_COPYDATA 3", text("RFFL\1\0\0\0x")}, Kind::Unknown},
        {{"WM_CLOSE", {}}, Kind::Close},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InterpretEditorMessage(c.message).kind, c.kind)
            << c.message.kind << " of " << c.message.data.size();
    }
    EXPECT_EQ(InterpretEditorMessage(cases[3].message).path, std::string(259, 'p'));
}

class PatchBenchLauncher : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(env_.File("path"));
        env_.Set("PATH", env_.File("path"));
    }
    // A stand-in program that writes its arguments to a file.
    std::string FakeProgram(const std::string& name) {
        return FakeProgramAt(env_.File("path/" + name));
    }
    std::string FakeProgramAt(const std::string& path) {
        std::ofstream(path) << "#!/bin/sh\necho \"$@\" > \"" << path << ".args\"\n";
        chmod(path.c_str(), 0755);
        return path;
    }
    std::string WaitForArguments(const std::string& program) {
        for (int i = 0; i < 250; ++i) {
            std::ifstream in(program + ".args");
            std::string line;
            if (in && std::getline(in, line)) {
                return line;
            }
            std::this_thread::sleep_for(20ms);
        }
        return "<not started>";
    }
    qm_test::PrivateEnvironment env_;
    editor_test::ScriptedFrontEnd frontEnd_;
};

TEST_F(PatchBenchLauncher, InstallStartsTheInstallerWithThePatch) {
    const std::string patch = env_.File("sky.kdz");
    const struct {
        bool registered;
        bool onPath;
        InstallOutcome outcome;
        const char* message;
    } cases[] = {
        {true, false, InstallOutcome::Started, nullptr},
        {false, true, InstallOutcome::Started, nullptr},
        {false, false, InstallOutcome::NotFound, "Fastfile Patch Installer could not be found!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.registered) + std::to_string(c.onPath));
        std::filesystem::remove_all(env_.File("path"));
        std::filesystem::create_directories(env_.File("path"));
        qm::RegistryDeleteKey(qm::RegistryRoot::LocalMachine, kInstallerKey);
        std::string installer;
        if (c.onPath) {
            installer = FakeProgram("patchapply");
        }
        if (c.registered) {
            installer = FakeProgramAt(env_.File("installer"));
            qm::RegistrySetString(qm::RegistryRoot::LocalMachine, kInstallerKey, "", installer);
        }
        qm::ScriptedMessageBoxes boxes;
        PatchEditor editor(editor_test::PatchLib(), frontEnd_);
        editor.Start("");
        editor.ReceiveItems(editor_test::Block({{"graphics\\a.rim", editor_test::Texture()}}));
        frontEnd_.saveAsAnswers = {patch};
        boxes.Push(qm::MessageBoxResult::Yes);  // save first
        EXPECT_EQ(InstallPatch(editor), c.outcome);
        ASSERT_GE(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].buttons, qm::MessageBoxButtons::YesNoCancel);
        if (c.message != nullptr) {
            ASSERT_EQ(boxes.Asked().size(), 2u);
            EXPECT_EQ(boxes.Asked()[1].text, c.message);
            EXPECT_EQ(boxes.Asked()[1].icon, qm::MessageBoxIcon::Information);
        } else {
            EXPECT_EQ(WaitForArguments(installer), patch);
        }
    }
}

TEST_F(PatchBenchLauncher, InstallThatCannotStartOrIsCancelled) {
    qm::RegistrySetString(qm::RegistryRoot::LocalMachine, kInstallerKey, "",
                          env_.File("gone/patchapply"));
    PatchEditor editor(editor_test::PatchLib(), frontEnd_);
    editor.Start("");
    editor.ReceiveItems(editor_test::Block({{"graphics\\a.rim", editor_test::Texture()}}));
    {
        qm::ScriptedMessageBoxes boxes({qm::MessageBoxResult::Cancel});
        EXPECT_EQ(InstallPatch(editor), InstallOutcome::Declined);
        EXPECT_EQ(boxes.Asked().size(), 1u);
    }
    frontEnd_.saveAsAnswers = {env_.File("sky.kdz")};
    qm::ScriptedMessageBoxes boxes({qm::MessageBoxResult::Yes});
    EXPECT_EQ(InstallPatch(editor), InstallOutcome::Failed);
    ASSERT_EQ(boxes.Asked().size(), 2u);
    EXPECT_EQ(boxes.Asked()[1].text, "ERROR: Failed to start Fastfile Patch Installer!");
    EXPECT_EQ(boxes.Asked()[1].icon, qm::MessageBoxIcon::Error);
}

TEST_F(PatchBenchLauncher, SiblingToolsRunningStartedOrMissing) {
    {
        // Running: restored, nothing started.
        auto endpoint = qm::IpcListener::Listen(kTexBench.tool.windowClass);
        ASSERT_TRUE(endpoint);
        auto received = RunningEditor(*endpoint, 1);
        qm::ScriptedMessageBoxes boxes;
        EXPECT_TRUE(BringUpSibling(kTexBench));
        EXPECT_TRUE(boxes.Asked().empty());
        const auto messages = received.get();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(InterpretEditorMessage(messages[0]).kind, EditorRequest::Kind::Restore);
    }
    for (const SiblingTool* tool : {&kTexBench, &kEchowright}) {
        // On the search path but never answering: started with "-nosplash", then given up.
        const std::string program = FakeProgram(tool->tool.programName);
        qm::ScriptedMessageBoxes boxes;
        EXPECT_FALSE(BringUpSibling(*tool, 300ms));
        EXPECT_EQ(WaitForArguments(program), "-nosplash");
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].text, tool->missingText);
        EXPECT_EQ(boxes.Asked()[0].icon, qm::MessageBoxIcon::Information);
    }
    EXPECT_STREQ(kTexBench.missingText, "Skinwright could not be found!");
    EXPECT_STREQ(kEchowright.missingText, "Echowright could not be found!");
}

}  // namespace
