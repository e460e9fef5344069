// The patchapply program itself, started as users start it, with a patch written by PatchLib.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "packlib/packlib.h"
#include "patchlib/patchlib.h"
#include "platform/library_binding.h"
#include "platform/registry.h"
#include "tests/packlib/test_files.h"

using namespace packlib_test;

namespace {

class PatchApplyProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        registry_ = dir_.File("registry.ini");
        setenv("QUILLMARK_REGISTRY", registry_.c_str(), 1);
        fastfiles_ = dir_.File("game") + "/fastfile/";
        std::filesystem::create_directories(fastfiles_);
        ASSERT_TRUE(qm::RegistrySetString(qm::RegistryRoot::LocalMachine,
                                          "Software\\Fox Interactive\\Aliens versus Predator",
                                          "Path", dir_.File("game")));
        std::string error;
        ASSERT_TRUE(packLib_.Bind("PackLib.dll", "PackLibInit", &error)) << error;
        ASSERT_TRUE(patchLib_.Bind("PatchLib.dll", "PatchLibInit", &error)) << error;
        const std::string db = "graphics\\menus;menus.ffl\n";
        WriteFile(fastfiles_ + "ffinfo.txt", Bytes(db.begin(), db.end()));
        FFLARCHIVE* archive = packLib_->FFLCreateArchive((fastfiles_ + "menus.ffl").c_str());
        ASSERT_NE(packLib_->FFLAddItem(archive, "graphics\\menus\\a.rim", "old", 3), nullptr);
        ASSERT_TRUE(packLib_->FFLSaveArchive(archive, nullptr));
        packLib_->FFLCloseArchive(archive);
    }
    void TearDown() override { unsetenv("QUILLMARK_REGISTRY"); }

    std::string WritePatch(const char* targets, const std::string& data) {
        const std::string path = dir_.File("walls.kdz");
        KDZPATCH* patch = patchLib_->KDZCreatePatch(path.c_str());
        EXPECT_NE(patch, nullptr);
        EXPECT_NE(
            patchLib_->KDZAddItem(patch, targets, data.data(), static_cast<uint32_t>(data.size())),
            nullptr);
        EXPECT_TRUE(patchLib_->KDZSavePatch(patch, nullptr));
        patchLib_->KDZClosePatch(patch);
        return path;
    }

    // Runs the program without a display and with no terminal on standard input.
    int Run(const std::string& arguments) {
        const std::string command =
            "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_DATA_HOME=" +
            dir_.File("data") + " " + std::string(QM_BIN_DIR) + "/patchapply " + arguments +
            " </dev/null >/dev/null 2>" + dir_.File("stderr.txt");
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string ItemData(const char* path) {
        FFLARCHIVE* archive = packLib_->FFLOpenArchive("menus.ffl");
        EXPECT_NE(archive, nullptr);
        FFLITEM* item = packLib_->FFLFindItem(archive, path, false);
        std::string data;
        if (item != nullptr) {
            uint32_t size = 0;
            auto* bytes = static_cast<const char*>(packLib_->FFLGetItemData(item, &size));
            data.assign(bytes, size);
        }
        packLib_->FFLCloseArchive(archive);
        return data;
    }

    TempDir dir_;
    std::string registry_;
    std::string fastfiles_;
    qm::LibraryBinding<PACKLIBEXPORT> packLib_;
    qm::LibraryBinding<PATCHLIBEXPORT> patchLib_;
};

TEST_F(PatchApplyProgram, QuietInstallInTheTerminal) {
    const std::string patch =
        WritePatch("graphics\\menus\\a.rim|graphics\\menus\\b.rim|", "brand new");
    EXPECT_EQ(Run("-noprompt " + patch), 0);
    EXPECT_EQ(ItemData("graphics\\menus\\a.rim"), "brand new");
    EXPECT_EQ(ItemData("graphics\\menus\\b.rim"), "brand new");
}

// Without a display and without a terminal nobody can confirm: nothing is installed.
TEST_F(PatchApplyProgram, NobodyToAskInstallsNothing) {
    const std::string patch = WritePatch("graphics\\menus\\a.rim", "brand new");
    EXPECT_EQ(Run(patch), 1);
    EXPECT_EQ(ItemData("graphics\\menus\\a.rim"), "old");
    const Bytes err = ReadFile(dir_.File("stderr.txt"));
    EXPECT_NE(std::string(err.begin(), err.end()).find("-noprompt"), std::string::npos);
}

// A read-only Fastfile asks whether to make it writable; in a terminal without input nobody
// answers, and the run must say that nothing was installed instead of ending silently.
TEST_F(PatchApplyProgram, AnUnansweredReadOnlyQuestionSaysNothingWasInstalled) {
    const std::string patch = WritePatch("graphics\\menus\\a.rim", "brand new");
    std::filesystem::permissions(fastfiles_ + "menus.ffl", std::filesystem::perms::owner_read,
                                 std::filesystem::perm_options::replace);
    EXPECT_EQ(Run("-noprompt " + patch), 1);
    std::filesystem::permissions(fastfiles_ + "menus.ffl", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    EXPECT_EQ(ItemData("graphics\\menus\\a.rim"), "old");
    const Bytes err = ReadFile(dir_.File("stderr.txt"));
    EXPECT_NE(std::string(err.begin(), err.end()).find("nothing was installed"), std::string::npos)
        << std::string(err.begin(), err.end());
}

// A patch cut between its items is refused whole: no part of it is installed, and the
// terminal names the file and the cause under the fixed message.
TEST_F(PatchApplyProgram, APatchCutBetweenItemsInstallsNothing) {
    const std::string path = dir_.File("two.kdz");
    KDZPATCH* patch = patchLib_->KDZCreatePatch(path.c_str());
    ASSERT_NE(patchLib_->KDZAddItem(patch, "graphics\\menus\\a.rim", "first", 5), nullptr);
    ASSERT_NE(patchLib_->KDZAddItem(patch, "graphics\\menus\\b.rim", "second", 6), nullptr);
    ASSERT_TRUE(patchLib_->KDZSavePatch(patch, nullptr));
    patchLib_->KDZClosePatch(patch);
    Bytes bytes = ReadFile(path);
    const std::string text(bytes.begin(), bytes.end());
    const std::size_t second = text.rfind("FORM");
    ASSERT_NE(second, std::string::npos);
    bytes.resize(second);  // the first item form stays whole
    WriteFile(path, bytes);
    EXPECT_EQ(Run("-noprompt " + path), 1);
    EXPECT_EQ(ItemData("graphics\\menus\\a.rim"), "old");
    const Bytes err = ReadFile(dir_.File("stderr.txt"));
    const std::string said(err.begin(), err.end());
    EXPECT_NE(said.find("ERROR: Failed to open Fastfile patch.\nPatch \"" + path +
                        "\": KDZOpenPatch() the file is cut off"),
              std::string::npos)
        << said;
}

TEST_F(PatchApplyProgram, RegisterAndUnregister) {
    EXPECT_EQ(Run("-REGISTER"), 0);
    const auto command = qm::RegistryGetString(
        qm::RegistryRoot::ClassesRoot, "Quillmark.FastFilePatch\\shell\\install\\command", "");
    ASSERT_TRUE(command.has_value());
    EXPECT_NE(command->find("/patchapply %1"), std::string::npos);
    EXPECT_EQ(Run("/unregserver"), 0);
    EXPECT_FALSE(qm::RegistryKeyExists(qm::RegistryRoot::ClassesRoot, ".kdz"));
}

}  // namespace
