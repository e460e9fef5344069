// TexBench's side of the patch tools against real endpoints and programs in a private
// environment: the block Add to Patch sends (as a PatchBench made here receives it), the beep
// and STRING 41 when no PatchBench comes up, the wait that ends after the timeout, and the
// Patch menu's programs with their parameters and messages.
#include "texbench/browser/patch_tools.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "platform/ipc.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "suite/single_instance.h"
#include "tests/support/files.h"
#include "tests/support/private_environment.h"

namespace texbench {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using qm::RegistryRoot;

constexpr char kEditorKey[] = "Software\\Quillmark\\FastFile Patch Editor";
constexpr char kInstallerKey[] = "Software\\Quillmark\\FastFile Patch Installer";
// The smallest "IPC Timeout" the settings allow.
constexpr auto kTimeout = 100ms;

// Everything a message at the endpoint brought, in order, until the endpoint is closed.
class FakePatchBench {
  public:
    explicit FakePatchBench(int messages) {
        listener_ = qm::IpcListener::Listen(suite::kPatchBenchWindowClass);
        if (listener_ == nullptr) {
            return;
        }
        received_ = std::async(std::launch::async, [this, messages] {
            std::vector<qm::IpcMessage> got;
            while (static_cast<int>(got.size()) < messages) {
                auto message = listener_->Receive(500ms);
                if (!message) {
                    break;
                }
                got.push_back(std::move(*message));
            }
            return got;
        });
    }
    bool Listening() const { return listener_ != nullptr; }
    std::vector<qm::IpcMessage> Received() { return received_.get(); }

  private:
    std::unique_ptr<qm::IpcListener> listener_;
    std::future<std::vector<qm::IpcMessage>> received_;
};

class PatchToolsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Nothing is found on the search path but what a test puts into its own folder.
        std::filesystem::create_directories(Bin());
        environment_.Set("PATH", Bin());
    }
    std::string Bin() const { return environment_.File("bin"); }

    // A program that writes its arguments, one a line, to `record` and ends without ever
    // listening.
    std::string Program(const std::string& name, const std::string& record) const {
        const std::string path = Bin() + "/" + name;
        qm_test::WriteText(path,
                           "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" + record + "'\n");
        chmod(path.c_str(), 0755);
        return path;
    }
    std::string Record(const std::string& name) const { return environment_.File(name); }

    // Waits for the started program to write its record, at most `patience` tries of 10 ms.
    static std::string Arguments(const std::string& record, int patience = 200) {
        for (int i = 0; i < patience && !std::filesystem::exists(record); ++i) {
            std::this_thread::sleep_for(10ms);
        }
        std::this_thread::sleep_for(20ms);  // the shell's echo may still be writing
        return std::filesystem::exists(record) ? qm_test::ReadText(record) : "<not started>";
    }

    qm_test::PrivateEnvironment environment_;
    qm::ScriptedMessageBoxes boxes_;
};

const Bytes kBlock = [] {
    Bytes block = {'R', 'F', 'F', 'L', 1, 0, 0, 0};
    block.resize(8 + 260, 0);
    block[8] = 'x';
    block.insert(block.end(), {3, 0, 0, 0, 7, 8, 9});
    return block;
}();

TEST_F(PatchToolsTest, RunningPatchBenchIsRaisedAndGetsTheExactBlock) {
    FakePatchBench editor(2);
    ASSERT_TRUE(editor.Listening());
    EXPECT_EQ(AddToPatch(kBlock, 1000ms), PatchHandOver::Sent);
    const auto received = editor.Received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].kind, suite::kSysCommandMessage);
    EXPECT_EQ(std::string(received[0].data.begin(), received[0].data.end()),
              suite::kRestoreCommand);
    EXPECT_EQ(received[1].kind, "WM_COPYDATA 2");
    EXPECT_EQ(received[1].data, kBlock);
    EXPECT_TRUE(boxes_.Asked().empty());
}

// The Patch button with nothing selected brings PatchBench up and sends nothing.
TEST_F(PatchToolsTest, NoBlockOnlyRaisesPatchBench) {
    FakePatchBench editor(2);
    ASSERT_TRUE(editor.Listening());
    EXPECT_EQ(PatchButton({}, 300ms), PatchHandOver::NothingSent);
    const auto received = editor.Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].kind, suite::kSysCommandMessage);
    EXPECT_TRUE(boxes_.Asked().empty());
}

TEST_F(PatchToolsTest, WithoutPatchBenchAddToPatchBeepsAndThePatchButtonSaysSo) {
    EXPECT_EQ(AddToPatch(kBlock, kTimeout), PatchHandOver::EditorMissing);
    EXPECT_TRUE(boxes_.Asked().empty());  // the dialog beeps
    EXPECT_EQ(PatchButton(kBlock, kTimeout), PatchHandOver::EditorMissing);
    const auto asked = boxes_.Asked();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "ERROR: Failed to start the Fastfile Patch Editor!");
    EXPECT_EQ(asked[0].caption, "Skinwright");
}

// A started program that never listens: the wait for it ends after the timeout.
TEST_F(PatchToolsTest, StartedProgramThatNeverAnswersEndsTheWait) {
    const std::string record = Record("started");
    qm::RegistrySetString(RegistryRoot::LocalMachine, kEditorKey, "", Program("silent", record));
    EXPECT_EQ(AddToPatch(kBlock, kTimeout), PatchHandOver::EditorMissing);
    EXPECT_EQ(Arguments(record), "-nosplash\n");
}

// Without a registry entry, "PatchBench.exe" is looked for on the search path.
TEST_F(PatchToolsTest, PatchBenchOnTheSearchPathIsStarted) {
    const std::string record = Record("started");
    Program("patchbench", record);
    EXPECT_EQ(AddToPatch(kBlock, kTimeout), PatchHandOver::EditorMissing);
    EXPECT_EQ(Arguments(record), "-nosplash\n");
}

// PatchBench listens but never takes the block: the send gives up after the timeout.
TEST_F(PatchToolsTest, PatchBenchThatDoesNotTakeTheBlockIsLeft) {
    auto deaf = qm::IpcListener::Listen(suite::kPatchBenchWindowClass);
    ASSERT_NE(deaf, nullptr);
    EXPECT_EQ(AddToPatch(kBlock, kTimeout), PatchHandOver::NotAnswered);
    EXPECT_TRUE(boxes_.Asked().empty());
}

TEST_F(PatchToolsTest, PatchMenuStartsItsProgramWithThePatch) {
    struct Case {
        PatchTool tool;
        const char* key;
        const char* searchedName;  // on the search path when the key names no program
        bool registered;
        std::optional<std::string> chosen;
        std::string arguments;  // what the program got, or "<not started>"
    };
    const std::string patch = "/tmp/some dir/Shiny Alien.kdz";
    const Case cases[] = {
        {PatchTool::New, kEditorKey, "patchbench", true, std::nullopt, ""},
        {PatchTool::Open, kEditorKey, "patchbench", true, patch, patch + "\n"},
        {PatchTool::Open, kEditorKey, "patchbench", false, patch, patch + "\n"},
        {PatchTool::Install, kInstallerKey, "patchapply", true, patch, patch + "\n"},
        {PatchTool::Install, kInstallerKey, "patchapply", false, patch, patch + "\n"},
        // Cancel in the file dialog ends the command.
        {PatchTool::Install, kInstallerKey, "patchapply", true, std::nullopt, "<not started>"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        const std::string record = Record("record" + std::to_string(n++));
        const std::string program = Program(c.registered ? "registered" : c.searchedName, record);
        qm::RegistrySetString(RegistryRoot::LocalMachine, c.key, "", c.registered ? program : "");
        int asked = 0;
        const bool started = RunPatchTool(c.tool, [&] {
            ++asked;
            return c.chosen;
        });
        EXPECT_EQ(asked, c.tool == PatchTool::New ? 0 : 1);
        EXPECT_EQ(started, c.arguments != "<not started>");
        EXPECT_EQ(Arguments(record, started ? 200 : 10), c.arguments);
        std::filesystem::remove(program);
    }
    EXPECT_TRUE(boxes_.Asked().empty());
}

TEST_F(PatchToolsTest, PatchMenuSaysWhenItsProgramIsMissingOrWillNotStart) {
    const std::string notAProgram = environment_.File("readme.txt");
    qm_test::WriteText(notAProgram, "no program");
    const struct {
        PatchTool tool;
        const char* key;
        std::string registered;
        const char* message;
    } cases[] = {
        {PatchTool::New, kEditorKey, "", "ERROR: The Fastfile Patch Editor could not be found!"},
        {PatchTool::Install, kInstallerKey, "",
         "ERROR: The Fastfile Patch Installer could not be found!"},
        {PatchTool::New, kEditorKey, notAProgram,
         "ERROR: Failed to start the Fastfile Patch Editor!"},
        {PatchTool::Install, kInstallerKey, notAProgram,
         "ERROR: Failed to start the Fastfile Patch Installer!"},
    };
    for (const auto& c : cases) {
        qm::ScriptedMessageBoxes boxes;
        qm::RegistrySetString(RegistryRoot::LocalMachine, c.key, "", c.registered);
        EXPECT_FALSE(RunPatchTool(c.tool, [] { return std::optional<std::string>("a.kdz"); }));
        const auto asked = boxes.Asked();
        ASSERT_EQ(asked.size(), 1u) << c.message;
        EXPECT_EQ(asked[0].text, c.message);
        EXPECT_EQ(asked[0].icon, qm::MessageBoxIcon::Error);
    }
}

}  // namespace
}  // namespace texbench
