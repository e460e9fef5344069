#include "uninstall/uninstall_start.h"

#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "uninstall/uninstall_strings.h"
#include "uninstall_fixture.h"

namespace qm::uninstall {
namespace {

using testing::UninstallSandbox;

class UninstallStartTest : public ::testing::Test, public UninstallSandbox {};

TEST_F(UninstallStartTest, CommandLineNamesTheLogOrEndsWithItsMessage) {
    MakeFile("with blanks/uninstall.log", "[Version]\nSignature=KRM_Setup_1.0\n");
    MakeFile("lower.log", "[Version]\nSignature=krm_setup_1.0\n");
    MakeFile("nosection.log", "Signature=KRM_Setup_1.0\n");
    struct Case {
        std::string commandLine;
        std::optional<int> result;
        std::string message;  // empty: none
    };
    const std::string missing = At("missing.log");
    std::string notFound = kLogNotFound;
    notFound.replace(notFound.find("%s"), 2, missing);
    const Case cases[] = {
        {"", 0, kMissingCommandLine},
        {"   ", 0, kMissingCommandLine},
        {At("with blanks/uninstall.log"), std::nullopt, ""},
        {"\"" + At("with blanks/uninstall.log") + "\" ", std::nullopt, ""},
        {missing, -1, notFound},
        {Root(), -1, ""},  // a folder is no log
        {At("lower.log"), -1, kInvalidLog},
        {At("nosection.log"), -1, kInvalidLog},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        ScriptedMessageBoxes messages;
        CIniDocument log;
        EXPECT_EQ(LoadLog(c.commandLine, log), c.result);
        const auto asked = messages.Asked();
        ASSERT_EQ(asked.size(), c.result ? 1u : 0u);
        if (!c.message.empty()) {
            EXPECT_EQ(asked[0].text, c.message);
            EXPECT_EQ(asked[0].caption, kCaption);
        }
    }
}

TEST_F(UninstallStartTest, RegisteredCommandSplitsAfterTheProgramEvenWithBlanks) {
    MakeFile("My Tools/uninstall");
    const std::string program = At("My Tools/uninstall");
    const auto parts = SplitUninstallCommand(program + " " + At("My Tools/un install.log"));
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->program, program);
    EXPECT_EQ(parts->log, At("My Tools/un install.log"));
    EXPECT_FALSE(SplitUninstallCommand(At("Missing Tools/uninstall") + " x.log"));
    EXPECT_FALSE(SplitUninstallCommand(program));
}

TEST_F(UninstallStartTest, PagesFollowTheLogAndTheChoice) {
    using P = WizardPage;
    struct Case {
        const char* name;
        std::string log;
        bool customized;
        std::vector<P> pages;
    };
    const std::string lists =
        "[Folders]\nCount=1\n001=/a/\n[RegKeys]\nCount=1\n001=HKLM\\Software\\X\n"
        "[SharedFiles]\nCount=1\n001=/a/s\n";
    const Case cases[] = {
        {"NoCustom goes straight to the removal",
         "NoCustom=1\n" + lists,
         true,
         {P::Welcome, P::Uninstalling, P::Finish}},
        {"standard", lists, false, {P::Welcome, P::Options, P::Uninstalling, P::Finish}},
        {"customized shows the pages with entries",
         lists,
         true,
         {P::Welcome, P::Options, P::Folders, P::Registry, P::Uninstalling, P::Finish}},
        {"shared files alone bring no Files page",
         "[SharedFiles]\nCount=1\n001=/a/s\n",
         true,
         {P::Welcome, P::Uninstalling, P::Finish}},
        {"every page",
         lists + "[RegisterApp]\nCount=1\n001=/a/p\n[Shortcuts]\nCount=1\n001=/a/l\n",
         true,
         {P::Welcome, P::Options, P::Servers, P::Folders, P::Files, P::Registry, P::Uninstalling,
          P::Finish}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CIniDocument log;
        log.LoadFromText("[Version]\nSignature=KRM_Setup_1.0\n" + c.log);
        EXPECT_EQ(PageOrder(log, c.customized), c.pages);
    }
}

TEST_F(UninstallStartTest, WelcomeTextCarriesTheProductUnlessOldStyle) {
    CIniDocument log;
    log.LoadFromText(
        "[Version]\nSignature=KRM_Setup_1.0\n[Product]\nAppName=Fastfile Tools\nVersion=1.4\n"
        "Provider=Quillmark\nCopyright=(c) {us}\n");
    const std::string html = WelcomeHtml(log);
    for (const char* part : {"Fastfile Tools", "This program removes Fastfile Tools 1.4",
                             "close every program of Quillmark", "(c) {us}"}) {
        EXPECT_NE(html.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(html.find('#'), std::string::npos);
    log.SetString("Version", "OldStyle", "1");
    EXPECT_EQ(WelcomeHtml(log), "");
}

}  // namespace
}  // namespace qm::uninstall
