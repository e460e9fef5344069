// Finding the game through the registry and the start-up read-only check. The Fastfile
// directory is fixed when PackLib is loaded, so every test loads it afresh after writing the
// registry store it should see.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "packlib/packlib.h"
#include "platform/debug_output.h"
#include "platform/library_binding.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "tests/packlib/test_files.h"

namespace {

using namespace packlib_test;
using qm::MessageBoxResult;

constexpr const char* kGameKey = "Software\\Fox Interactive\\Aliens versus Predator";

class GameLocation : public ::testing::Test {
  protected:
    void SetUp() override { setenv("QUILLMARK_REGISTRY", dir_.File("registry.ini").c_str(), 1); }
    void TearDown() override {
        binding_.Unbind();
        unsetenv("QUILLMARK_REGISTRY");
    }

    void SetGamePath(const std::string& path) {
        ASSERT_TRUE(qm::RegistrySetString(qm::RegistryRoot::LocalMachine, kGameKey, "Path", path));
    }

    // A game directory with its fastfile folder, registered and seen by a fresh load.
    std::string InstallGame() {
        const std::string game = dir_.File("game");
        std::filesystem::create_directories(game + "/fastfile");
        SetGamePath(game);
        return game + "/fastfile/";
    }

    const PACKLIBEXPORT& Load() {
        binding_.Unbind();
        std::string error;
        EXPECT_TRUE(binding_.Bind("PackLib.dll", "PackLibInit", &error)) << error;
        return binding_.Record();
    }

    TempDir dir_;
    qm::LibraryBinding<PACKLIBEXPORT> binding_;
};

TEST_F(GameLocation, FastfilePathFromTheRegistry) {
    const PACKLIBEXPORT& lib = Load();
    const std::string at248 = "/" + std::string(247, 'g');
    struct Case {
        std::string value;
        bool found;
        std::string expected;
    } cases[] = {
        {"/games/avp", true, "/games/avp/fastfile/"},
        {"/games/avp/", true, "/games/avp/fastfile/"},
        {"C:\\Games\\AvP\\", true, "C:\\Games\\AvP\\fastfile/"},
        {at248, true, at248 + "/fastfile/"},
        {at248 + "g", false, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        SetGamePath(c.value);
        char buffer[FFL_MAX_PATH];
        std::memset(buffer, 'x', sizeof(buffer));
        EXPECT_EQ(lib.GetFastfilePath(buffer), c.found) << c.value;
        EXPECT_EQ(std::string(buffer), c.expected) << c.value;
    }
}

TEST_F(GameLocation, MissingGameWarnsAtLoadAndSkipsTheReadOnlyCheck) {
    qm::DebugCapture capture;
    const PACKLIBEXPORT& lib = Load();
    EXPECT_EQ(capture.Text(), "WARNING: PackLib.dll failed to initialize 'FastFile' Path!\n");
    capture.Clear();
    qm::ScriptedMessageBoxes boxes;
    EXPECT_TRUE(lib.DoReadOnlyCheck("App"));
    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_EQ(capture.Text(),
              "WARNING: DoReadOnlyCheck() failed because the Fastfile path is not initialized\n");
    capture.Clear();
    EXPECT_FALSE(lib.GetFastfilePath(nullptr));
    EXPECT_EQ(capture.Text(),
              "ERROR: GetFastfilePath() called with invalid parameter!\n"
              " 'lpszPath' must be a pointer to a string of MAX_PATH length.\n");
}

// A bare Fastfile name is found in the game's directory whatever the letter case on disk.
TEST_F(GameLocation, BareNamesResolveInTheFastfileDirectory) {
    const std::string fastfiles = InstallGame();
    FFLARCHIVE* made = nullptr;
    {
        const PACKLIBEXPORT& lib = Load();
        made = lib.FFLCreateArchive(nullptr);
        lib.FFLAddItem(made, "item", "data", 4);
        ASSERT_TRUE(lib.FFLSaveArchive(made, (fastfiles + "Bare.FFL").c_str()));
        lib.FFLCloseArchive(made);
    }
    const PACKLIBEXPORT& lib = Load();
    FFLARCHIVE* archive = lib.FFLOpenArchive("bare");
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(std::string(lib.FFLGetPath(archive)), fastfiles + "Bare.FFL");
    EXPECT_EQ(lib.FFLGetItemCount(archive), 1u);
    lib.FFLCloseArchive(archive);
}

bool IsReadOnly(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IWUSR) == 0;
}

void MakeFile(const std::string& path, bool readOnly) {
    WriteFile(path, Bytes{'x'});
    chmod(path.c_str(), readOnly ? 0444 : 0644);
}

TEST_F(GameLocation, ReadOnlyCheckAsksAndClearsOnlyWithConsent) {
    const std::string fastfiles = InstallGame();
    const std::string question =
        "One or more of your Fastfiles have the read-only attribute set. This can happen if you "
        "copy files manually from CD-Rom. Because read-only files cannot be modified it is "
        "recommended that you change the file(s) attributes. Do you want %s to do this for you "
        "now?";
    struct Case {
        const char* name;
        bool fastfileReadOnly;
        bool databaseReadOnly;
        const char* appName;
        int answers;  // 0: no box expected
        MessageBoxResult answer;
        bool result;
        bool cleared;
        std::string title;
    } cases[] = {
        {"nothing read-only", false, false, "App", 0, MessageBoxResult::Yes, true, false, ""},
        {"database only, yes", false, true, "App", 1, MessageBoxResult::Yes, true, true, "App"},
        {"fastfile, yes", true, false, "App", 1, MessageBoxResult::Yes, true, true, "App"},
        {"no keeps files", true, true, nullptr, 1, MessageBoxResult::No, true, false,
         "AvP Fastfile API"},
        {"cancel ends", true, false, "", 1, MessageBoxResult::Cancel, false, false,
         "AvP Fastfile API"},
        {"long name cut", true, false, nullptr, 1, MessageBoxResult::No, true, false, ""},
    };
    const std::string longName(200, 'n');
    cases[5].appName = longName.c_str();
    cases[5].title = std::string(127, 'n');
    const PACKLIBEXPORT& lib = Load();
    for (const Case& c : cases) {
        MakeFile(fastfiles + "A.FFL", c.fastfileReadOnly);
        MakeFile(fastfiles + "b.ffl", false);
        MakeFile(fastfiles + "ffinfo.txt", c.databaseReadOnly);
        qm::ScriptedMessageBoxes boxes({c.answer});
        EXPECT_EQ(lib.DoReadOnlyCheck(c.appName), c.result) << c.name;
        ASSERT_EQ(boxes.Asked().size(), static_cast<std::size_t>(c.answers)) << c.name;
        if (c.answers != 0) {
            const qm::MessageBoxRequest asked = boxes.Asked()[0];
            char text[512];
            std::snprintf(text, sizeof(text), question.c_str(), c.title.c_str());
            EXPECT_EQ(asked.caption, c.title) << c.name;
            EXPECT_EQ(asked.text, text) << c.name;
            EXPECT_EQ(asked.buttons, qm::MessageBoxButtons::YesNoCancel) << c.name;
            EXPECT_EQ(asked.icon, qm::MessageBoxIcon::Question) << c.name;
        }
        const bool expectFastfileReadOnly = c.fastfileReadOnly && !c.cleared;
        const bool expectDatabaseReadOnly = c.databaseReadOnly && !c.cleared;
        EXPECT_EQ(IsReadOnly(fastfiles + "A.FFL"), expectFastfileReadOnly) << c.name;
        EXPECT_EQ(IsReadOnly(fastfiles + "ffinfo.txt"), expectDatabaseReadOnly) << c.name;
        EXPECT_FALSE(IsReadOnly(fastfiles + "b.ffl")) << c.name;
    }
}

}  // namespace
