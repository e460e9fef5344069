// The switches of the command line and the text a second start hands to the first.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "texbench/startup/command_line.h"

namespace {

using texbench::StartCommand;

TEST(TexBenchCommandLine, FilesNamedRelativeToTheStartDirectoryBecomeAbsolute) {
    namespace fs = std::filesystem;
    const fs::path start = fs::temp_directory_path() / "texbench-arguments-test";
    fs::create_directories(start / "mods");
    std::ofstream(start / "mods" / "my skin.ffl") << "RFFL";
    const char* arguments[] = {"-nosplash", "mods/my skin.ffl", "./mods/../mods", "missing.ffl",
                               "/abs/olute.ffl"};
    const std::vector<std::string> expected = {"-nosplash", (start / "mods/my skin.ffl").string(),
                                               (start / "mods").string(), "missing.ffl",
                                               "/abs/olute.ffl"};
    EXPECT_EQ(texbench::ArgumentsWithAbsoluteFiles(arguments, start), expected);
    fs::remove_all(start);
}

struct SwitchCase {
    const char* text;
    StartCommand command;
    bool noSplash;
};

TEST(TexBenchCommandLine, SwitchesMatchAsPrefixesInAnyCaseRegisterGroupFirst) {
    const SwitchCase cases[] = {
        {"", StartCommand::Run, false},
        {"C:\\Games\\AvP\\fastfile\\menus.ffl", StartCommand::Run, false},
        {"-register", StartCommand::Register, false},
        {"-registerABC", StartCommand::Register, false},
        {"/REGSERVER", StartCommand::Register, false},
        {"/register -nosplash", StartCommand::Register, false},
        {"-regserverx", StartCommand::Register, false},
        {"-unregister", StartCommand::Unregister, false},
        {"/UnRegServer", StartCommand::Unregister, false},
        {"-unregister -register", StartCommand::Unregister, false},
        {"-nosplash", StartCommand::Run, true},
        {"/NOSPLASH menus.ffl", StartCommand::Run, true},
        {"-nosplashy", StartCommand::Run, true},
        {"  -nosplash", StartCommand::Run, true},
        // Only the beginning counts.
        {"menus.ffl -register", StartCommand::Run, false},
        {"menus.ffl -nosplash", StartCommand::Run, false},
        // Neither a switch nor the other leading character.
        {"+register", StartCommand::Run, false},
        {"-regist", StartCommand::Run, false},
        {"-nosplas", StartCommand::Run, false},
    };
    for (const SwitchCase& c : cases) {
        const auto parsed = texbench::ParseCommandLine(c.text);
        EXPECT_EQ(parsed.command, c.command) << c.text;
        EXPECT_EQ(parsed.noSplash, c.noSplash) << c.text;
        EXPECT_EQ(parsed.text, c.text) << "the dialog gets the whole text";
    }
}

TEST(TexBenchCommandLine, HandOverTextLosesTheSplashSwitchAndTheBlanks) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"   ", ""},
        {"-nosplash", ""},
        {"  /NoSplash  ", ""},
        {"-nosplash /tmp/game/menus.ffl", "/tmp/game/menus.ffl"},
        {"  -NOSPLASH    /tmp/my game/menus.ffl  ", "/tmp/my game/menus.ffl"},
        {"/tmp/game/menus.ffl", "/tmp/game/menus.ffl"},
        // Nine characters are cut, whatever follows them.
        {"-nosplashmenus.ffl", "menus.ffl"},
        // A switch later in the text is part of the file name.
        {"menus.ffl -nosplash", "menus.ffl -nosplash"},
        {"-nosplash -nosplash x", "-nosplash x"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(texbench::HandOverText(text), expected) << text;
    }
}

}  // namespace
