// The pieces around the document: the command line, the command table, the tip of the day
// with its settings, and the registration entries.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "patchbench/engine/command_line.h"
#include "patchbench/engine/command_table.h"
#include "patchbench/engine/profile_settings.h"
#include "patchbench/engine/registration.h"
#include "patchbench/engine/tip_of_the_day.h"
#include "platform/registry.h"
#include "tests/patchbench/editor_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace patchbench;

TEST(PatchBenchCommandLine, SwitchesArePrefixesWithoutRegardToCase) {
    const struct {
        const char* text;
        StartCommand command;
        bool noSplash;
        const char* path;
    } cases[] = {
        {"", StartCommand::Run, false, ""},
        {"-register", StartCommand::Register, false, ""},
        {"/REGSERVER", StartCommand::Register, false, ""},
        {"-registerXYZ", StartCommand::Register, false, ""},
        {"/unregister", StartCommand::Unregister, false, ""},
        {"-UnRegServer", StartCommand::Unregister, false, ""},
        {"-nosplash", StartCommand::Run, true, ""},
        {"/NOSPLASH   /home/ann/My Patch.kdz  ", StartCommand::Run, true, "/home/ann/My Patch.kdz"},
        {"-nosplashed.kdz", StartCommand::Run, true, "ed.kdz"},  // a prefix, like the others
        {"\"/home/ann/sky patch.kdz\"", StartCommand::Run, false, "/home/ann/sky patch.kdz"},
        {"C:\\patches\\sky.kdz", StartCommand::Run, false, "C:\\patches\\sky.kdz"},
    };
    for (const auto& c : cases) {
        const CommandLine line = ParseCommandLine(c.text);
        EXPECT_EQ(line.command, c.command) << c.text;
        EXPECT_EQ(line.noSplash, c.noSplash) << c.text;
        EXPECT_EQ(line.path, c.path) << c.text;
    }
    EXPECT_EQ(WithoutNoSplash("-nosplash"), "");
    EXPECT_EQ(WithoutNoSplash(" /nosplash  a.kdz "), "a.kdz");
    EXPECT_EQ(WithoutNoSplash("b.kdz"), "b.kdz");
}

TEST(PatchBenchCommandTable, EveryEntryWithItsTextAndKey) {
    const struct {
        int id;
        const char* text;
        const char* key;
    } expected[] = {
        {57600, "&New\tCtrl+N", "Ctrl+N"},
        {57601, "&Open...\tCtrl+O", "Ctrl+O"},
        {57603, "&Save\tCtrl+S", "Ctrl+S"},
        {57604, "Save &As...\tF12", "F12"},
        {32781, "&Convert *.OLP...\tCtrl+C", "Ctrl+C"},
        {32776, "&Install...", ""},
        {57665, "E&xit\tEsc", "Esc"},
        {32771, "Add &Sound...\tF3", "F3"},
        {32772, "Add &Texture...\tF4", "F4"},
        {32778, "&Rename Item\tF2", "F2"},
        {32773, "&Delete Item\tDel", "Del"},
        {32777, "&Properties...\tF7", "F7"},
        {32774, "Patch &Info...\tCtrl+I", "Ctrl+I"},
        {32779, "&Refresh\tF5", "F5"},
        {57670, "&Help...", ""},
        {32780, "&Tip of the day...", ""},
        {32782, "&Quillmark on the Web...", ""},
        {32783, "Quillmark &Development...", ""},
        {57664, "&About...", ""},
    };
    const auto commands = MenuCommands();
    ASSERT_EQ(commands.size(), std::size(expected));
    std::set<std::string> keys;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        EXPECT_EQ(commands[i].id, expected[i].id);
        EXPECT_STREQ(commands[i].text, expected[i].text);
        EXPECT_STREQ(commands[i].key, expected[i].key);
        // The hint after the tab is the key itself.
        const std::string text = commands[i].text;
        const std::size_t tab = text.find('\t');
        EXPECT_EQ(tab == std::string::npos ? "" : text.substr(tab + 1), commands[i].key);
        if (commands[i].key[0] != '\0') {
            EXPECT_TRUE(keys.insert(commands[i].key).second)
                << "key used twice: " << commands[i].key;
        }
        EXPECT_EQ(FindMenuCommand(commands[i].id), &commands[i]);
    }
    EXPECT_EQ(FindMenuCommand(kCmdDelete)->scope, KeyScope::List);  // Del belongs to the list
    EXPECT_EQ(FindMenuCommand(1), nullptr);
}

class PatchBenchTips : public ::testing::Test {
  protected:
    std::string Write(const std::string& name, const std::string& text) {
        std::ofstream(dir_.File(name), std::ios::binary) << text;
        return dir_.File(name);
    }
    qm_test::TempDir dir_;
    ProfileSettings settings_{dir_.File("patchbench.cfg")};
};

TEST_F(PatchBenchTips, CommentsBlankAndIndentedLinesAreNoTips) {
    const auto tips =
        ReadTipsFile(Write("KdzTips.cfg", "; comment\nFirst tip\r\n\n\tindented\nSecond tip\n" +
                                              std::string(1500, 'x') + "\nlast without end"));
    ASSERT_TRUE(tips.has_value());
    ASSERT_EQ(tips->size(), 4u);
    EXPECT_EQ((*tips)[0], "First tip");
    EXPECT_EQ((*tips)[1], "Second tip");
    EXPECT_EQ((*tips)[2], std::string(1023, 'x'));
    EXPECT_EQ((*tips)[3], "last without end");
    EXPECT_FALSE(ReadTipsFile(dir_.File("missing.cfg")).has_value());
}

TEST_F(PatchBenchTips, ShownInTurnFromTheStoredIndexAndWrittenBack) {
    const std::string file = Write("KdzTips.cfg", "one\ntwo\nthree\n");
    settings_.Write(kNextTip, 2);
    {
        TipOfTheDay tip(file, settings_);
        EXPECT_TRUE(tip.ShowAtStartup());
        EXPECT_TRUE(tip.CanShowNext());
        EXPECT_EQ(tip.TakeTip(), "three");
        EXPECT_EQ(tip.TakeTip(), "one");  // past the last: from the start
        tip.SetShowAtStartup(false);
        tip.Save();
    }
    EXPECT_EQ(settings_.Read({kSettingsSection, "Next Tip", -1}), 1);
    EXPECT_EQ(settings_.Read({kSettingsSection, "Show Tip", -1}), 0);
    settings_.Write(kNextTip, -5);  // edited by hand
    TipOfTheDay again(file, settings_);
    EXPECT_FALSE(again.ShowAtStartup());
    EXPECT_EQ(again.TakeTip(), "one");
}

TEST_F(PatchBenchTips, WithoutTipsTheMissingFileText) {
    TipOfTheDay commentsOnly(Write("KdzTips.cfg", "; only\n;comments\n\n"), settings_);
    EXPECT_EQ(commentsOnly.TakeTip(), "Tips file does not exist in the prescribed directory");
    EXPECT_TRUE(commentsOnly.CanShowNext());
    TipOfTheDay missing(dir_.File("nothing-here.cfg"), settings_);
    EXPECT_EQ(missing.TakeTip(), "Tips file does not exist in the prescribed directory");
    EXPECT_FALSE(missing.CanShowNext());
}

TEST(PatchBenchTipsFile, TheInstalledFileHoldsTips) {
    const auto tips = ReadTipsFile(std::string(QM_BIN_DIR) + "/KdzTips.cfg");
    ASSERT_TRUE(tips.has_value());
    EXPECT_GE(tips->size(), 5u);
}

TEST(PatchBenchRegistration, EntriesInTableOrderAndRemovedAgain) {
    qm_test::PrivateEnvironment environment;
    const std::string program = "/opt/quillmark/bin/patchbench";
    RegisterEditor(program);
    using qm::RegistryRoot;
    const auto get = [](RegistryRoot root, const char* key, const char* value) {
        return qm::RegistryGetString(root, key, value).value_or("<missing>");
    };
    const char* cls = "Quillmark.FastFilePatch";
    EXPECT_EQ(get(RegistryRoot::ClassesRoot, ".kdz", ""), cls);
    EXPECT_EQ(get(RegistryRoot::ClassesRoot, cls, ""), "Quillmark Fastfile Patch");
    EXPECT_EQ(get(RegistryRoot::ClassesRoot, "Quillmark.FastFilePatch\\DefaultIcon", ""),
              program + ",1");
    EXPECT_EQ(get(RegistryRoot::ClassesRoot, "Quillmark.FastFilePatch\\shell", ""), "open");
    EXPECT_EQ(get(RegistryRoot::ClassesRoot, "Quillmark.FastFilePatch\\shell\\open", ""), "&Open");
    EXPECT_EQ(get(RegistryRoot::ClassesRoot, "Quillmark.FastFilePatch\\shell\\open\\command", ""),
              program + " %1");
    const char* key = "Software\\Quillmark\\FastFile Patch Editor";
    EXPECT_EQ(get(RegistryRoot::LocalMachine, key, ""), program);
    EXPECT_EQ(get(RegistryRoot::LocalMachine, key, "DisplayName"), "Fastfile Patch Editor");
    EXPECT_EQ(get(RegistryRoot::LocalMachine, key, "Version"), "1.0 (BETA)");
    EXPECT_EQ(get(RegistryRoot::LocalMachine, key, "Path"), "/opt/quillmark/bin/");
    EXPECT_EQ(qm::RegistryEnumValues(RegistryRoot::LocalMachine, key),
              (std::vector<std::string>{"", "DisplayName", "Version", "Path"}));
    // The desktop learns that the editor opens the installer's patch type.
    std::ifstream entry(environment.File("data/applications/quillmark-patchbench.desktop"));
    std::stringstream text;
    text << entry.rdbuf();
    EXPECT_NE(text.str().find("application/x-quillmark-fastfile-patch"), std::string::npos);
    EXPECT_NE(text.str().find(program), std::string::npos);

    UnregisterEditor();
    EXPECT_FALSE(qm::RegistryKeyExists(RegistryRoot::LocalMachine, key));
    EXPECT_FALSE(qm::RegistryKeyExists(RegistryRoot::ClassesRoot, cls));
    EXPECT_FALSE(qm::RegistryKeyExists(RegistryRoot::ClassesRoot, ".kdz"));
    EXPECT_FALSE(std::filesystem::exists(
        environment.File("data/applications/quillmark-patchbench.desktop")));
}

TEST(PatchBenchRegistration, UnregisteringKeepsTheInstallersVerb) {
    qm_test::PrivateEnvironment environment;
    RegisterEditor("/opt/qm/patchbench");
    qm::RegistrySetString(qm::RegistryRoot::ClassesRoot,
                          "Quillmark.FastFilePatch\\shell\\install\\command", "",
                          "/opt/qm/patchapply %1");
    UnregisterEditor();
    EXPECT_EQ(qm::RegistryGetString(qm::RegistryRoot::ClassesRoot,
                                    "Quillmark.FastFilePatch\\shell\\install\\command", ""),
              "/opt/qm/patchapply %1");
    EXPECT_FALSE(qm::RegistryKeyExists(qm::RegistryRoot::ClassesRoot,
                                       "Quillmark.FastFilePatch\\shell\\open"));
}

}  // namespace
