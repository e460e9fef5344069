#include <gtest/gtest.h>

#include "setup/desktop_entry.h"
#include "setup/program_group_menu.h"

namespace qm::setup {
namespace {

TEST(DesktopEntry, ShortcutNamesGetTheDesktopExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/g/Demo", "/g/Demo.desktop"},         {"/g/Demo.LNK", "/g/Demo.desktop"},
        {"/g/Read me.txt", "/g/Read me.txt"},   {"/g.d/Demo", "/g.d/Demo.desktop"},
        {"/g/Demo.desktop", "/g/Demo.desktop"},
    };
    for (const auto& [link, expected] : cases) {
        EXPECT_EQ(ShortcutFileName(link), expected) << link;
    }
}

TEST(DesktopEntry, ExecArgumentsAreQuotedAsTheDesktopRulesRequire) {
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/demo", "/opt/demo"},
        {"/opt/my demo", "\"/opt/my demo\""},
        {"100%", "100%%"},
        {"a\"b", "\"a\\\"b\""},
        {"$HOME", "\"\\$HOME\""},
        {"back\\slash", "\"back\\\\slash\""},
        {"", "\"\""},
    };
    for (const auto& [argument, expected] : cases) {
        EXPECT_EQ(ExecArgument(argument), expected) << argument;
    }
}

TEST(DesktopEntry, CommandLinesSplitAtBlanksOutsideQuotes) {
    EXPECT_EQ(SplitCommandLine(" -a  \"b c\" d\"e f\" \"\""),
              (std::vector<std::string>{"-a", "b c", "de f", ""}));
    EXPECT_TRUE(SplitCommandLine("   ").empty());
}

// The Exec value escapes its backslashes once more as a string value, so a backslash inside
// a quoted argument is written as four.
TEST(DesktopEntry, TheFileStartsTheTargetWithItsArguments) {
    EXPECT_EQ(DesktopEntryText("My Demo", "/opt/my demo/run", {"--log", "C:\\x"}, true),
              "[Desktop Entry]\nType=Application\nName=My Demo\n"
              "Exec=\"/opt/my demo/run\" --log \"C:\\\\\\\\x\"\n");
    EXPECT_EQ(DesktopEntryText("Readme", "/opt/readme.txt", {}, false),
              "[Desktop Entry]\nType=Application\nName=Readme\nExec=xdg-open /opt/readme.txt\n");
}

}  // namespace
}  // namespace qm::setup

namespace qm::setup {
namespace {

TEST(ProgramGroupMenu, AGroupFolderBecomesANestedSubmenuOfItsEntries) {
    const ProgramGroupMenu menu =
        MakeProgramGroupMenu("/d/applications/", "/d/applications/Quill & Co/Tools/",
                             {"Demo.desktop", "Uninstall.desktop"});
    EXPECT_EQ(menu.fileName, "quillmark-setup-Quill & Co-Tools.menu");
    EXPECT_EQ(menu.text,
              "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
              " \"http://www.freedesktop.org/standards/menu-spec/1.0/menu.dtd\">\n"
              "<Menu>\n"
              "  <Name>Applications</Name>\n"
              "  <Menu>\n"
              "    <Name>Quill &amp; Co</Name>\n"
              "    <Menu>\n"
              "      <Name>Tools</Name>\n"
              "      <Include>\n"
              "        <Filename>Quill &amp; Co-Tools-Demo.desktop</Filename>\n"
              "        <Filename>Quill &amp; Co-Tools-Uninstall.desktop</Filename>\n"
              "      </Include>\n"
              "    </Menu>\n"
              "  </Menu>\n"
              "</Menu>\n");
}

TEST(ProgramGroupMenu, NoMenuForTheApplicationsFolderItselfOrAFolderOutsideIt) {
    EXPECT_TRUE(MakeProgramGroupMenu("/d/apps/", "/d/apps/", {"a.desktop"}).fileName.empty());
    EXPECT_TRUE(MakeProgramGroupMenu("/d/apps/", "/d/appsX/", {"a.desktop"}).fileName.empty());
    EXPECT_TRUE(MakeProgramGroupMenu("/d/apps/", "/elsewhere/", {"a.desktop"}).fileName.empty());
    EXPECT_TRUE(MakeProgramGroupMenu("/d/apps/", "/d/apps/G/", {}).fileName.empty());
}

}  // namespace
}  // namespace qm::setup
