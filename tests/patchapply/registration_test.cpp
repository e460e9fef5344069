// Registering the installer for ".kdz" files and removing the registration again.
#include <gtest/gtest.h>

#include <filesystem>

#include "patchapply/registration.h"
#include "platform/registry.h"
#include "tests/support/private_environment.h"

namespace {

using qm::RegistryRoot;

class PatchApplyRegistration : public ::testing::Test {
  protected:
    qm_test::PrivateEnvironment env_;
    const std::filesystem::path dir_ = env_.Path();
};

std::string Get(RegistryRoot root, const char* key, const char* value) {
    return qm::RegistryGetString(root, key, value).value_or("<missing>");
}

TEST_F(PatchApplyRegistration, WritesTheNineEntriesAndRemovesThem) {
    patchapply::RegisterInstaller("/opt/quillmark/patchapply");
    EXPECT_EQ(Get(RegistryRoot::ClassesRoot, ".kdz", ""), "Quillmark.FastFilePatch");
    EXPECT_EQ(Get(RegistryRoot::ClassesRoot, "Quillmark.FastFilePatch", ""),
              "Quillmark Fastfile Patch");
    EXPECT_EQ(Get(RegistryRoot::ClassesRoot, "Quillmark.FastFilePatch\\DefaultIcon", ""),
              "/opt/quillmark/patchapply,1");
    EXPECT_EQ(Get(RegistryRoot::ClassesRoot, "Quillmark.FastFilePatch\\shell\\install", ""),
              "&Install");
    EXPECT_EQ(
        Get(RegistryRoot::ClassesRoot, "Quillmark.FastFilePatch\\shell\\install\\command", ""),
        "/opt/quillmark/patchapply %1");
    const char* key = "Software\\Quillmark\\FastFile Patch Installer";
    EXPECT_EQ(Get(RegistryRoot::LocalMachine, key, ""), "/opt/quillmark/patchapply");
    EXPECT_EQ(Get(RegistryRoot::LocalMachine, key, "DisplayName"), "Fastfile Patch Installer");
    EXPECT_EQ(Get(RegistryRoot::LocalMachine, key, "Version"), "1.0 (BETA)");
    EXPECT_EQ(Get(RegistryRoot::LocalMachine, key, "Path"), "/opt/quillmark/");

    // Something else under the suite's key survives the removal.
    ASSERT_TRUE(qm::RegistrySetString(RegistryRoot::LocalMachine, "Software\\Quillmark\\Skinwright",
                                      "", "tb"));
    const auto desktop = dir_ / "data" / "applications" / "quillmark-patchapply.desktop";
    const auto mime = dir_ / "data" / "mime" / "packages" / "quillmark-patchapply.xml";
    EXPECT_TRUE(std::filesystem::exists(desktop));
    EXPECT_TRUE(std::filesystem::exists(mime));
    patchapply::UnregisterInstaller();
    EXPECT_FALSE(std::filesystem::exists(desktop));
    EXPECT_FALSE(std::filesystem::exists(mime));
    for (const char* gone : {".kdz", "Quillmark.FastFilePatch", "Quillmark.FastFilePatch\\shell"}) {
        EXPECT_FALSE(qm::RegistryKeyExists(RegistryRoot::ClassesRoot, gone)) << gone;
    }
    EXPECT_FALSE(qm::RegistryKeyExists(RegistryRoot::LocalMachine, key));
    EXPECT_TRUE(
        qm::RegistryKeyExists(RegistryRoot::LocalMachine, "Software\\Quillmark\\Skinwright"));
}

TEST_F(PatchApplyRegistration, UnregisteringWhatIsNotThereChangesNothing) {
    patchapply::UnregisterInstaller();
    EXPECT_FALSE(qm::RegistryKeyExists(RegistryRoot::ClassesRoot, ".kdz"));
}

}  // namespace
