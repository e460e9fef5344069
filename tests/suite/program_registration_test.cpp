// The registration walker on a table of its own: what it writes, in which order, and what it
// reports, apart from the tables of the programs (tested beside each program).
#include "suite/program_registration.h"

#include <gtest/gtest.h>

#include "tests/support/files.h"
#include "tests/support/private_environment.h"

namespace {

using qm::RegistryRoot;

constexpr suite::ProgramRegistration kTool{
    "Software\\Quillmark\\Test Tool",
    "Test Tool",
    "0.1",
    {".tst", "Quillmark.Test", "Test File", "edit", "&Edit", false, "quillmark-test-tool",
     "application/x-quillmark-test"},
};

TEST(ProgramRegistration, EntriesFollowTheTableWithoutADefaultVerbUnlessAsked) {
    std::vector<std::string> keys;
    for (const auto& entry : suite::RegistrationEntries(kTool, "/opt/q/tool")) {
        keys.push_back(entry.key + "|" + entry.valueName + "=" + entry.data);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{
                        ".tst|=Quillmark.Test",
                        "Quillmark.Test|=Test File",
                        "Quillmark.Test\\DefaultIcon|=/opt/q/tool,1",
                        "Quillmark.Test\\shell\\edit|=&Edit",
                        "Quillmark.Test\\shell\\edit\\command|=/opt/q/tool %1",
                        "Software\\Quillmark\\Test Tool|=/opt/q/tool",
                        "Software\\Quillmark\\Test Tool|DisplayName=Test Tool",
                        "Software\\Quillmark\\Test Tool|Version=0.1",
                        "Software\\Quillmark\\Test Tool|Path=/opt/q/",
                    }));
    suite::ProgramRegistration owner = kTool;
    owner.fileType.defaultVerb = true;
    const auto entries = suite::RegistrationEntries(owner, "/opt/q/tool");
    ASSERT_GT(entries.size(), 3u);
    EXPECT_EQ(entries[3].key, "Quillmark.Test\\shell");
    EXPECT_EQ(entries[3].data, "edit");
}

TEST(ProgramRegistration, ReportsWhatItCouldNotDoAndNothingLeftIsNoFailure) {
    qm_test::PrivateEnvironment env;
    EXPECT_TRUE(suite::UnregisterProgram(kTool)) << "nothing registered, nothing to fail";
    ASSERT_TRUE(suite::RegisterProgram(kTool, "/opt/q/tool"));
    EXPECT_TRUE(qm::RegistryKeyExists(RegistryRoot::ClassesRoot, "Quillmark.Test\\shell\\edit"));
    EXPECT_TRUE(suite::UnregisterProgram(kTool));
    EXPECT_FALSE(qm::RegistryKeyExists(RegistryRoot::ClassesRoot, ".tst"));
    EXPECT_FALSE(qm::RegistryKeyExists(RegistryRoot::LocalMachine, kTool.programKey));

    // A store that cannot be written: the walker still tries every entry and says so.
    qm_test::Touch(env.File("blocked"), "x");
    env.Set("QUILLMARK_REGISTRY", env.File("blocked/registry.ini"));
    EXPECT_FALSE(suite::RegisterProgram(kTool, "/opt/q/tool"));
}

}  // namespace
