// The protocol between the running tools: hand-over of a second start, what a message asks
// for, the change broadcast, and finding or starting a sibling tool.
#include "suite/single_instance.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <fstream>
#include <future>
#include <thread>

#include "platform/registry.h"
#include "tests/support/private_environment.h"

namespace {

using namespace std::chrono_literals;
using Kind = suite::InstanceRequest::Kind;

constexpr char kEndpoint[] = "Quillmark - Test Tool";
constexpr char kToolKey[] = "Software\\Quillmark\\Test Tool";

std::vector<qm::IpcMessage> ReceiveAll(qm::IpcListener& listener, std::chrono::milliseconds quiet) {
    std::vector<qm::IpcMessage> messages;
    while (auto message = listener.Receive(quiet)) {
        messages.push_back(*message);
    }
    return messages;
}

TEST(InstanceMessages, KindsTheMainDialogActsOn) {
    const std::pair<qm::IpcMessage, Kind> cases[] = {
        {{"WM_SYSCOMMAND", {'S', 'C', '_', 'R', 'E', 'S', 'T', 'O', 'R', 'E'}}, Kind::Restore},
        {{"WM_SYSCOMMAND", {'S', 'C', '_', 'C', 'L', 'O', 'S', 'E'}}, Kind::Unknown},
        {{"WM_COPYDATA", {'a', 0}}, Kind::Open},
        {{"WM_COPYDATA 2", {'R', 'F', 'F', 'L'}}, Kind::Open},
        {{"WM_WININICHANGE", {'Q'}}, Kind::Reload},
        {{"WM_SETTINGCHANGE", {}}, Kind::Reload},
        {{"WM_CLOSE", {}}, Kind::Close},
        {{"WM_QUIT", {}}, Kind::Unknown},
    };
    for (const auto& [message, kind] : cases) {
        EXPECT_EQ(suite::InterpretInstanceMessage(message).kind, kind) << message.kind;
    }
}

class SingleInstance : public ::testing::Test {
  protected:
    ~SingleInstance() override {
        // The stand-ins started by the tests end on their own; collect them.
        while (waitpid(-1, nullptr, WNOHANG) > 0) {
        }
    }
    qm_test::PrivateEnvironment env_;
};

TEST_F(SingleInstance, HandOverRestoresThenHandsTheTextWithItsNul) {
    auto first = qm::IpcListener::Listen(kEndpoint);
    ASSERT_TRUE(first);
    auto received = std::async(std::launch::async, [&] { return ReceiveAll(*first, 1000ms); });
    EXPECT_TRUE(suite::HandOverToRunningInstance(kEndpoint, "/games/a b.ffl", 2s));
    const auto messages = received.get();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(suite::InterpretInstanceMessage(messages[0]).kind, Kind::Restore);
    const auto open = suite::InterpretInstanceMessage(messages[1]);
    EXPECT_EQ(open.kind, Kind::Open);
    EXPECT_EQ(open.data, std::string("/games/a b.ffl") + '\0');
}

TEST_F(SingleInstance, HandOverWithoutAnInstanceFails) {
    EXPECT_FALSE(suite::HandOverToRunningInstance(kEndpoint, "x.ffl", 200ms));
}

TEST_F(SingleInstance, ChangeBroadcastReachesEveryTool) {
    auto a = qm::IpcListener::Listen(suite::kTexBenchWindowClass);
    auto b = qm::IpcListener::Listen(suite::kPatchBenchWindowClass);
    ASSERT_TRUE(a && b);
    auto gotA = std::async(std::launch::async, [&] { return a->Receive(2s); });
    auto gotB = std::async(std::launch::async, [&] { return b->Receive(2s); });
    EXPECT_EQ(suite::BroadcastFastfilesChanged(1s), 2);
    for (auto* got : {&gotA, &gotB}) {
        const auto message = got->get();
        ASSERT_TRUE(message);
        EXPECT_EQ(suite::InterpretInstanceMessage(*message).kind, Kind::Reload);
        EXPECT_EQ(std::string(message->data.begin(), message->data.end()), "Quillmark");
    }
}

class SiblingTool : public SingleInstance {
  protected:
    void SetUp() override {
        setenv("QM_STUB_LOG", log_.c_str(), 1);
        setenv("QM_STUB_ENDPOINT", kEndpoint, 1);
    }
    void TearDown() override {
        // Ends a stand-in that is still listening.
        qm::IpcSend(kEndpoint, {suite::kCloseMessage, {}}, 500ms);
        unsetenv("QM_STUB_LOG");
        unsetenv("QM_STUB_ENDPOINT");
    }
    std::string Log() const {
        std::ifstream in(log_);
        std::string text;
        std::getline(in, text);
        return in || !text.empty() ? text : "<not started>";
    }
    const std::string stub_ = std::string(QM_BIN_DIR) + "/suite_tool_stub";
    const std::string log_ = env_.File("stub.log");
};

TEST_F(SiblingTool, ARunningToolIsFoundAndNothingIsStarted) {
    auto running = qm::IpcListener::Listen(kEndpoint);
    ASSERT_TRUE(running);
    qm::RegistrySetString(qm::RegistryRoot::LocalMachine, kToolKey, "", stub_);
    EXPECT_TRUE(suite::FindOrStartTool({kEndpoint, kToolKey, "suite_tool_stub"}, 2s));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(Log(), "<not started>");
}

TEST_F(SiblingTool, StartedFromItsRegistryKeyWithNoSplash) {
    qm::RegistrySetString(qm::RegistryRoot::LocalMachine, kToolKey, "", stub_);
    EXPECT_TRUE(suite::FindOrStartTool({kEndpoint, kToolKey, "no-such-tool"}, 5s));
    EXPECT_TRUE(qm::IpcIsListening(kEndpoint));
    EXPECT_EQ(Log(), "-nosplash");
}

TEST_F(SiblingTool, StartedByItsProgramNameWhenTheKeyNamesNothingThere) {
    qm::RegistrySetString(qm::RegistryRoot::LocalMachine, kToolKey, "", env_.File("gone/tool"));
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    setenv("PATH", (std::string(QM_BIN_DIR) + ":" + path).c_str(), 1);
    const bool found = suite::FindOrStartTool({kEndpoint, kToolKey, "suite_tool_stub"}, 5s);
    setenv("PATH", path.c_str(), 1);
    EXPECT_TRUE(found);
    EXPECT_EQ(Log(), "-nosplash");
}

TEST_F(SiblingTool, FailsWhenNothingCanBeStartedOrItNeverListens) {
    EXPECT_FALSE(suite::FindOrStartTool({kEndpoint, kToolKey, "no-such-tool"}, 300ms));
    // "true" starts and ends at once, never listening: the wait ends at the timeout.
    EXPECT_FALSE(suite::FindOrStartTool({kEndpoint, kToolKey, "true"}, 300ms));
}

}  // namespace
