#include "uninstall/unattended_uninstall.h"

#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "uninstall/pending_deletions.h"
#include "uninstall/uninstall_engine.h"
#include "uninstall_fixture.h"

namespace qm::uninstall {
namespace {

using testing::RecordingServices;
using testing::UninstallSandbox;

TEST(TakeUnattendedSwitch, TakesTheSwitchOffEitherEndOnly) {
    const struct {
        const char* given;
        bool taken;
        const char* left;
    } cases[] = {
        {"/home/u/app/uninstall.log", false, "/home/u/app/uninstall.log"},
        {"/home/u/my app/uninstall.log --unattended", true, "/home/u/my app/uninstall.log"},
        {"--unattended /home/u/my app/uninstall.log", true, "/home/u/my app/uninstall.log"},
        {"/home/u/app/uninstall.log /S", true, "/home/u/app/uninstall.log"},
        {"/S /home/u/app/uninstall.log", true, "/home/u/app/uninstall.log"},
        {"--unattended", true, ""},
        // Part of a name is not the switch.
        {"/home/u/app /Stuff/uninstall.log", false, "/home/u/app /Stuff/uninstall.log"},
        {"/home/u/app--unattended", false, "/home/u/app--unattended"},
        {"/home/u/a --unattended b/uninstall.log", false, "/home/u/a --unattended b/uninstall.log"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        std::string line = c.given;
        EXPECT_EQ(TakeUnattendedSwitch(line), c.taken);
        EXPECT_EQ(line, c.left);
    }
}

class RunUnattendedTest : public ::testing::Test, public UninstallSandbox {
  protected:
    RecordingServices services;
    ScriptedMessageBoxes messages;
};

// Nothing is kept back as the list pages would allow: every entry of the log goes.
TEST_F(RunUnattendedTest, RemovesEverythingTheLogListsWithoutARestart) {
    for (const char* name : {"tool", "sub/data.cfg"}) {
        MakeFile(name);
    }
    const CIniDocument log =
        Log("[Files]\nCount=2\n001=@/tool\n002=@/sub/data.cfg\n[Folders]\nCount=1\n001=@/sub/\n");
    EXPECT_EQ(RunUnattended(log, services), 0);
    EXPECT_FALSE(Exists("tool"));
    EXPECT_FALSE(Exists("sub"));
    EXPECT_FALSE(Exists("uninstall.log"));
    EXPECT_EQ(services.restarts, 0);
    EXPECT_TRUE(messages.Asked().empty());
}

// Finish pressed on a page that offers the restart restarts, and the busy file is listed
// for the next login before that.
TEST_F(RunUnattendedTest, BusyFileIsScheduledAndTheRestartAskedFor) {
    MakeFile("busy.so");
    services.undeletable.insert(At("busy.so"));
    const CIniDocument log = Log("[Files]\nCount=1\n001=@/busy.so\n");
    EXPECT_EQ(RunUnattended(log, services), 0);
    EXPECT_EQ(services.restarts, 1);
    EXPECT_EQ(PendingDeletions(), std::vector<std::string>{At("busy.so")});
    ProcessPendingDeletions();
}

TEST_F(RunUnattendedTest, RemovalThatCannotStartEndsWithFailure) {
    CUninstallEngine::threadFailureForTesting = [] { return true; };
    MakeFile("tool");
    const CIniDocument log = Log("[Files]\nCount=1\n001=@/tool\n");
    EXPECT_EQ(RunUnattended(log, services), -1);
    CUninstallEngine::threadFailureForTesting = nullptr;
    EXPECT_TRUE(Exists("tool"));
    EXPECT_EQ(services.restarts, 0);
    EXPECT_EQ(messages.Asked().size(), 1u);
}

// The real service, told not to restart, does not reach the system at all: with an empty
// PATH a real request could not even start, and would report failure.
TEST(UninstallServicesRestart, NoRestartVariableMakesItANoOp) {
    qm_test::PrivateEnvironment env;
    env.Set("QM_NO_RESTART", "1");
    env.Set("PATH", env.File("nothing"));
    UninstallServices services;
    EXPECT_TRUE(services.Restart());
    env.Set("QM_NO_RESTART", "0");
    EXPECT_FALSE(services.Restart());
}

}  // namespace
}  // namespace qm::uninstall
