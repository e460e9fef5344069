// Local messages between the suite's programs: one listener per tool, sends and broadcasts.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <future>
#include <thread>

#include "platform/ipc.h"
#include "tests/support/private_environment.h"

namespace {

using namespace std::chrono_literals;

class Ipc : public ::testing::Test {
  protected:
    qm_test::PrivateEnvironment env_;
};

TEST_F(Ipc, BroadcastReachesEveryListener) {
    auto skinwright = qm::IpcListener::Listen("Quillmark - Skinwright");
    auto editor = qm::IpcListener::Listen("Quillmark - FastFile Patch Editor");
    ASSERT_TRUE(skinwright && editor);
    auto first = std::async(std::launch::async, [&] { return skinwright->Receive(2s); });
    auto second = std::async(std::launch::async, [&] { return editor->Receive(2s); });
    const qm::IpcMessage message{"WM_WININICHANGE", {'Q', 'u', 'i', 'l', 'l', 'm', 'a', 'r', 'k'}};
    EXPECT_EQ(qm::IpcBroadcast(message, 500ms), 2);
    for (auto* received : {&first, &second}) {
        const auto got = received->get();
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(got->kind, "WM_WININICHANGE");
        EXPECT_EQ(got->data, message.data);
    }
}

TEST_F(Ipc, OneListenerPerNameAndBlocksTravelWhole) {
    std::string error;
    auto first = qm::IpcListener::Listen("Quillmark - FastFile Patch Editor", &error);
    ASSERT_TRUE(first) << error;
    EXPECT_FALSE(qm::IpcListener::Listen("Quillmark - FastFile Patch Editor", &error));
    EXPECT_FALSE(error.empty());

    std::vector<unsigned char> block(3u << 20);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<unsigned char>(i * 7);
    auto received = std::async(std::launch::async, [&] { return first->Receive(5s); });
    EXPECT_TRUE(qm::IpcSend("Quillmark - FastFile Patch Editor", {"WM_COPYDATA 2", block}, 5s));
    const auto got = received.get();
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->kind, "WM_COPYDATA 2");
    EXPECT_TRUE(got->data == block);
}

TEST_F(Ipc, NobodyListeningOrNotAnswering) {
    EXPECT_FALSE(qm::IpcSend("Quillmark - Skinwright", {"x", {}}, 100ms));
    EXPECT_EQ(qm::IpcBroadcast({"x", {}}, 100ms), 0);
    {
        // A tool that ended leaves no endpoint that blocks the next start.
        auto gone = qm::IpcListener::Listen("Quillmark - Skinwright");
        ASSERT_TRUE(gone);
    }
    EXPECT_TRUE(qm::IpcListener::Listen("Quillmark - Skinwright"));
    // A listener that never reads: the sender gives up after its timeout.
    auto deaf = qm::IpcListener::Listen("Quillmark - Skinwright");
    ASSERT_TRUE(deaf);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(qm::IpcBroadcast({"WM_WININICHANGE", {}}, 200ms), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST_F(Ipc, ListeningIsToldWithoutAMessage) {
    EXPECT_FALSE(qm::IpcIsListening("Quillmark - Skinwright"));
    {
        auto listener = qm::IpcListener::Listen("Quillmark - Skinwright");
        ASSERT_TRUE(listener);
        EXPECT_TRUE(qm::IpcIsListening("Quillmark - Skinwright"));
        EXPECT_FALSE(qm::IpcIsListening("Quillmark - FastFile Patch Editor"));
        // The question is no message: the listener has nothing to take.
        EXPECT_FALSE(listener->Receive(100ms));
    }
    EXPECT_FALSE(qm::IpcIsListening("Quillmark - Skinwright"));
}

}  // namespace
