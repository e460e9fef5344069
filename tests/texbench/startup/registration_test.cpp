// Registering TexBench for ".ffl" files and under the suite's key, and removing it again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/private_environment.h"
#include "texbench/startup/registration.h"

namespace {

using qm::RegistryRoot;

std::string Get(RegistryRoot root, const std::string& key, const char* value) {
    return qm::RegistryGetString(root, key, value).value_or("<missing>");
}

TEST(TexBenchRegistration, WritesTheTableInOrderAndRemovesIt) {
    qm_test::PrivateEnvironment env;
    texbench::RegisterProgram("/opt/quillmark/texbench");

    // The class keys in the order of the table, then the program's values.
    EXPECT_EQ(qm::RegistryEnumSubkeys(RegistryRoot::ClassesRoot, ""),
              (std::vector<std::string>{".ffl", "Quillmark.FastFile"}));
    EXPECT_EQ(qm::RegistryEnumSubkeys(RegistryRoot::ClassesRoot, "Quillmark.FastFile"),
              (std::vector<std::string>{"DefaultIcon", "shell"}));
    const struct {
        RegistryRoot root;
        const char* key;
        const char* value;
        const char* data;
    } table[] = {
        {RegistryRoot::ClassesRoot, ".ffl", "", "Quillmark.FastFile"},
        {RegistryRoot::ClassesRoot, "Quillmark.FastFile", "", "Rebellion Fastfile"},
        {RegistryRoot::ClassesRoot, "Quillmark.FastFile\\DefaultIcon", "",
         "/opt/quillmark/texbench,1"},
        {RegistryRoot::ClassesRoot, "Quillmark.FastFile\\shell", "", "open"},
        {RegistryRoot::ClassesRoot, "Quillmark.FastFile\\shell\\open", "", "&Open"},
        {RegistryRoot::ClassesRoot, "Quillmark.FastFile\\shell\\open\\command", "",
         "/opt/quillmark/texbench %1"},
        {RegistryRoot::LocalMachine, "Software\\Quillmark\\Skinwright", "",
         "/opt/quillmark/texbench"},
        {RegistryRoot::LocalMachine, "Software\\Quillmark\\Skinwright", "DisplayName",
         "Skinwright"},
        {RegistryRoot::LocalMachine, "Software\\Quillmark\\Skinwright", "Version", "2.0 (BETA 2)"},
        {RegistryRoot::LocalMachine, "Software\\Quillmark\\Skinwright", "Path", "/opt/quillmark/"},
    };
    for (const auto& row : table) {
        EXPECT_EQ(Get(row.root, row.key, row.value), row.data) << row.key << " " << row.value;
    }
    EXPECT_EQ(qm::RegistryEnumValues(RegistryRoot::LocalMachine, "Software\\Quillmark\\Skinwright"),
              (std::vector<std::string>{"", "DisplayName", "Version", "Path"}));

    const auto desktop = env.File("data/applications/quillmark-texbench.desktop");
    const auto mime = env.File("data/mime/packages/quillmark-texbench.xml");
    ASSERT_TRUE(std::filesystem::exists(desktop));
    ASSERT_TRUE(std::filesystem::exists(mime));
    std::stringstream entry;
    entry << std::ifstream(desktop).rdbuf();
    EXPECT_NE(entry.str().find("Exec=\"/opt/quillmark/texbench\" %f"), std::string::npos);
    EXPECT_NE(entry.str().find("MimeType=application/x-quillmark-fastfile;"), std::string::npos);

    // Another tool's key below the suite's key survives the removal.
    qm::RegistrySetString(RegistryRoot::LocalMachine, "Software\\Quillmark\\FastFile Patch Editor",
                          "", "/opt/quillmark/patchbench");
    texbench::UnregisterProgram();
    for (const char* gone : {".ffl", "Quillmark.FastFile", "Quillmark.FastFile\\shell",
                             "Quillmark.FastFile\\shell\\open\\command"}) {
        EXPECT_FALSE(qm::RegistryKeyExists(RegistryRoot::ClassesRoot, gone)) << gone;
    }
    EXPECT_FALSE(
        qm::RegistryKeyExists(RegistryRoot::LocalMachine, "Software\\Quillmark\\Skinwright"));
    EXPECT_TRUE(qm::RegistryKeyExists(RegistryRoot::LocalMachine,
                                      "Software\\Quillmark\\FastFile Patch Editor"));
    EXPECT_FALSE(std::filesystem::exists(desktop));
    EXPECT_FALSE(std::filesystem::exists(mime));
}

TEST(TexBenchRegistration, AStartRewritesTheEntriesAndFollowsAMovedProgram) {
    qm_test::PrivateEnvironment env;
    texbench::RegisterProgram("/opt/old/texbench");
    qm::RegistrySetString(RegistryRoot::ClassesRoot, "Quillmark.FastFile\\shell\\open", "", "x");
    texbench::RegisterProgram("/opt/new/texbench", false);
    EXPECT_EQ(Get(RegistryRoot::ClassesRoot, "Quillmark.FastFile\\shell\\open", ""), "&Open");
    EXPECT_EQ(Get(RegistryRoot::LocalMachine, "Software\\Quillmark\\Skinwright", "Path"),
              "/opt/new/");
    std::stringstream entry;
    entry << std::ifstream(env.File("data/applications/quillmark-texbench.desktop")).rdbuf();
    EXPECT_NE(entry.str().find("\"/opt/new/texbench\""), std::string::npos);
}

TEST(TexBenchRegistration, UnregisteringWhatIsNotThereChangesNothing) {
    qm_test::PrivateEnvironment env;
    texbench::UnregisterProgram();
    EXPECT_FALSE(qm::RegistryKeyExists(RegistryRoot::ClassesRoot, ".ffl"));
}

}  // namespace
