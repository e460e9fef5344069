// The game location step: registry entry, search path, Wine and Proton prefixes, the user.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <optional>

#include "platform/message_box.h"
#include "suite/game_location.h"
#include "suite/wine_prefixes.h"
#include "tests/support/files.h"
#include "tests/support/private_environment.h"
#include "tests/support/private_game.h"

namespace {

using namespace qm_test;
namespace fs = std::filesystem;

class ScriptedFrontEnd : public suite::GameLocationFrontEnd {
  public:
    std::optional<std::string> AskForGameProgram() override {
        ++asked;
        if (answers.empty()) {
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Beep() override { ++beeps; }

    std::deque<std::optional<std::string>> answers;
    int asked = 0;
    int beeps = 0;
};

// A Wine registry file naming the game's directory, as Wine writes it.
std::string SystemReg(const std::string& key, const std::string& escapedPath) {
    return "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
           "[Software\\\\Classes\\\\.txt] 1700000000\n@=\"txtfile\"\n\n"
           "[" +
           key + "] 1700000001\n#time=1da0c5e2b1f4a3c\n\"Path\"=\"" + escapedPath +
           "\"\n\"Version\"=\"1.0\"\n\n";
}

constexpr const char* kGameKeyInReg = "Software\\\\Fox Interactive\\\\Aliens versus Predator";
constexpr const char* kGameKey64InReg =
    "Software\\\\Wow6432Node\\\\Fox Interactive\\\\Aliens versus Predator";

class GameLocation : public ::testing::Test {
  protected:
    std::optional<suite::GameLocation> Locate() {
        return suite::LocateGame(frontEnd_, places_, "Skinwright");
    }

    PrivateEnvironment env_;
    ScriptedFrontEnd frontEnd_;
    qm::ScriptedMessageBoxes boxes_;
    suite::GameSearchPlaces places_;
};

TEST_F(GameLocation, RegistryEntryFindsTheGameInAnyLetterCase) {
    Touch(env_.File("game/AVP.EXE"));
    SetGamePathInRegistry(env_.File("game"));
    const auto location = Locate();
    ASSERT_TRUE(location);
    EXPECT_EQ(location->program, env_.File("game/AVP.EXE"));
    EXPECT_EQ(location->directory, env_.File("game") + "/");
    EXPECT_EQ(GamePathInRegistry(), env_.File("game")) << "an entry that worked stays as it was";
    EXPECT_TRUE(boxes_.Asked().empty());
    EXPECT_EQ(frontEnd_.asked, 0);
}

TEST_F(GameLocation, EntryWithTrailingSeparatorKeepsIt) {
    Touch(env_.File("game/AvP.exe"));
    SetGamePathInRegistry(env_.File("game") + "/");
    const auto location = Locate();
    ASSERT_TRUE(location);
    EXPECT_EQ(location->directory, env_.File("game") + "/");
}

TEST_F(GameLocation, WrongEntryIsCorrectedSilentlyFromTheSearchPath) {
    fs::create_directories(env_.File("old"));
    fs::create_directories(env_.File("old/AvP.exe/"));  // a directory of that name is no game
    Touch(env_.File("bin/avp.exe"));
    SetGamePathInRegistry(env_.File("old"));
    places_.searchPath = env_.File("nowhere") + "::" + env_.File("bin");
    const auto location = Locate();
    ASSERT_TRUE(location);
    EXPECT_EQ(location->program, env_.File("bin/avp.exe"));
    EXPECT_EQ(location->directory, env_.File("bin") + "/");
    EXPECT_EQ(GamePathInRegistry(), env_.File("bin"));
    EXPECT_TRUE(boxes_.Asked().empty());
}

TEST_F(GameLocation, WinePrefixWithDriveLetterPath) {
    const std::string prefix = env_.File("home/.wine");
    Touch(prefix + "/drive_c/games/aliens vs predator/AvP.exe");
    Touch(prefix + "/system.reg", SystemReg(kGameKeyInReg, "C:\\\\Games\\\\Aliens vs Predator"));
    places_.winePrefixes = {env_.File("no-prefix"), prefix};
    const auto location = Locate();
    ASSERT_TRUE(location);
    const std::string directory = prefix + "/drive_c/games/aliens vs predator";
    EXPECT_EQ(location->program, directory + "/AvP.exe");
    EXPECT_EQ(location->directory, directory + "/");
    EXPECT_EQ(GamePathInRegistry(), directory);
    EXPECT_TRUE(boxes_.Asked().empty());
}

TEST_F(GameLocation, ProtonPrefixUnderWow6432NodeAndAnotherDrive) {
    const std::string home = env_.File("home");
    const std::string steam = home + "/.local/share/Steam";
    const std::string library = env_.File("disk/SteamLibrary");
    fs::create_directories(steam + "/steamapps/compatdata/220/pfx");
    const std::string prefix = library + "/steamapps/compatdata/3730/pfx";
    Touch(library + "/steamapps/common/AvP/AvP.exe");
    fs::create_directories(prefix + "/dosdevices");
    fs::create_symlink(library, prefix + "/dosdevices/d:");
    Touch(prefix + "/system.reg",
          SystemReg(kGameKey64InReg, "D:\\\\steamapps\\\\common\\\\AvP\\\\"));
    Touch(steam + "/steamapps/libraryfolders.vdf",
          "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + steam +
              "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + library +
              "\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"3730\"\t\t\"123\"\n\t\t}\n\t}\n}\n");
    fs::create_directories(home + "/.steam");
    fs::create_directory_symlink(steam, home + "/.steam/steam");

    places_.winePrefixes = suite::CandidateWinePrefixes(home, "");
    ASSERT_EQ(places_.winePrefixes.size(), 2u) << "one per compatdata entry, each once";
    const auto location = Locate();
    ASSERT_TRUE(location);
    EXPECT_TRUE(fs::equivalent(location->program, library + "/steamapps/common/AvP/AvP.exe"));
    EXPECT_EQ(location->directory.back(), '/');
    EXPECT_EQ(GamePathInRegistry() + "/", location->directory);
}

TEST_F(GameLocation, NothingFoundAsksAfterTheMessageAndRefusesOtherNames) {
    Touch(env_.File("chosen/Setup.exe"));
    Touch(env_.File("chosen/aVp.ExE"));
    frontEnd_.answers = {env_.File("chosen/Setup.exe"), env_.File("chosen/missing/AvP.exe"),
                         env_.File("chosen/aVp.ExE")};
    const auto location = Locate();
    ASSERT_TRUE(location);
    ASSERT_EQ(boxes_.Asked().size(), 1u);
    EXPECT_EQ(boxes_.Asked()[0].text,
              "ERROR: Cannot find Aliens versus Predator!\nPlease specify the Path to AVP.EXE in "
              "the following Dialog.");
    EXPECT_EQ(boxes_.Asked()[0].caption, "Skinwright");
    EXPECT_EQ(boxes_.Asked()[0].icon, qm::MessageBoxIcon::Information);
    EXPECT_EQ(frontEnd_.asked, 3);
    EXPECT_EQ(frontEnd_.beeps, 2);
    EXPECT_EQ(location->program, env_.File("chosen/aVp.ExE"));
    EXPECT_EQ(GamePathInRegistry(), env_.File("chosen"));
}

TEST_F(GameLocation, CancelFailsAndWritesNothing) {
    SetGamePathInRegistry(env_.File("gone"));
    EXPECT_FALSE(Locate());
    EXPECT_EQ(boxes_.Asked().size(), 1u);
    EXPECT_EQ(frontEnd_.asked, 1);
    EXPECT_EQ(GamePathInRegistry(), env_.File("gone"));
}

TEST(GameProgramName, OnlyAvpExeInAnyCase) {
    EXPECT_TRUE(suite::IsGameProgramName("/games/AvP.exe"));
    EXPECT_TRUE(suite::IsGameProgramName("AVP.EXE"));
    EXPECT_FALSE(suite::IsGameProgramName("/games/AvP.exe.bak"));
    EXPECT_FALSE(suite::IsGameProgramName("/games/xAvP.exe"));
    EXPECT_FALSE(suite::IsGameProgramName("/games/AvP.exe/"));
}

TEST(WineRegistry, ValuesAreUnescapedAndMatchedWithoutCase) {
    PrivateEnvironment env;
    const std::string reg = env.File("system.reg");
    Touch(reg,
          "WINE REGISTRY Version 2\n\n"
          "[Software\\\\Fox Interactive\\\\Aliens versus Predator\\\\Sub] 1\n"
          "\"Path\"=\"wrong\"\n\n"
          "[software\\\\fox interactive\\\\aliens VERSUS predator] 2\r\n"
          "\"Other\"=\"x\"\r\n"
          "\"PATH\"=str(2):\"C:\\\\Spiele\\\\\\\"AvP\\\" \\x00e4\\\\\"\r\n");
    EXPECT_EQ(suite::ReadWineRegistryString(
                  reg, "Software\\Fox Interactive\\Aliens versus Predator", "Path"),
              "C:\\Spiele\\\"AvP\" \xC3\xA4\\");
    EXPECT_FALSE(suite::ReadWineRegistryString(reg, "Software\\Fox Interactive", "Path"));
    EXPECT_FALSE(suite::ReadWineRegistryString(env.File("missing.reg"), "x", "Path"));
}

TEST(WineRegistry, DriveLettersMapIntoThePrefix) {
    PrivateEnvironment env;
    const std::string prefix = env.File("pfx");
    fs::create_directories(prefix + "/drive_c/Program Files/AvP");
    fs::create_directories(prefix + "/dosdevices");
    fs::create_directories(env.File("elsewhere/Games"));
    fs::create_symlink(env.File("elsewhere"), prefix + "/dosdevices/e:");
    EXPECT_EQ(suite::PrefixPathOf(prefix, "c:\\PROGRAM FILES\\avp"),
              prefix + "/drive_c/Program Files/AvP");
    EXPECT_EQ(suite::PrefixPathOf(prefix, "E:\\Games\\"), prefix + "/dosdevices/e:/Games");
    EXPECT_FALSE(suite::PrefixPathOf(prefix, "F:\\Games"));
    EXPECT_FALSE(suite::PrefixPathOf(prefix, "C:\\Program Files\\Missing"));
    EXPECT_FALSE(suite::PrefixPathOf(prefix, "\\\\server\\share"));
    EXPECT_FALSE(suite::PrefixPathOf(prefix, "Games"));
}

TEST(WineRegistry, SteamLibraryFoldersOldAndNewLayout) {
    PrivateEnvironment env;
    Touch(env.File("new.vdf"),
          "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/home/ann/.local/share/Steam\"\n"
          "\t\t\"label\"\t\t\"\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"/mnt/games\"\n\t}\n}\n");
    Touch(env.File("old.vdf"),
          "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1700000000\"\n"
          "\t\"ContentStatsID\"\t\t\"-123\"\n\t\"1\"\t\t\"/mnt/old games\"\n}\n");
    EXPECT_EQ(suite::ReadSteamLibraryFolders(env.File("new.vdf")),
              (std::vector<std::string>{"/home/ann/.local/share/Steam", "/mnt/games"}));
    EXPECT_EQ(suite::ReadSteamLibraryFolders(env.File("old.vdf")),
              (std::vector<std::string>{"/mnt/old games"}));
}

TEST(WineRegistry, CandidatePrefixesInOrderOnlyExistingOnes) {
    PrivateEnvironment env;
    const std::string home = env.File("home");
    fs::create_directories(env.File("custom"));
    fs::create_directories(home + "/.wine");
    fs::create_directories(home + "/.steam/steam/steamapps/compatdata/20/pfx");
    fs::create_directories(home + "/.steam/steam/steamapps/compatdata/10/pfx");
    fs::create_directories(home + "/.steam/steam/steamapps/compatdata/30");  // no pfx yet
    EXPECT_EQ(suite::CandidateWinePrefixes(home, env.File("custom")),
              (std::vector<std::string>{env.File("custom"), home + "/.wine",
                                        home + "/.steam/steam/steamapps/compatdata/10/pfx",
                                        home + "/.steam/steam/steamapps/compatdata/20/pfx"}));
    EXPECT_EQ(suite::CandidateWinePrefixes(home, env.File("missing")).size(), 3u);
}

}  // namespace
