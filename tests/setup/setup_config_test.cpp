#include <gtest/gtest.h>

#include <string>

#include "platform/message_box.h"
#include "setup/registry_key_name.h"
#include "setup/setup_config.h"
#include "setup/setup_paths.h"
#include "setup/setup_strings.h"
#include "setup_sandbox.h"
#include "suite/numbered_key.h"

namespace qm::setup {
namespace {

using testing::SetupSandbox;

TEST(NumberedKeys, AreUpperCaseHexadecimalOfAtLeastThreeDigits) {
    EXPECT_EQ(suite::NumberedKey(1), "001");
    EXPECT_EQ(suite::NumberedKey(10), "00A");
    EXPECT_EQ(suite::NumberedKey(26, 'S'), "S01A");
    EXPECT_EQ(suite::NumberedKey(0x1234, 'K'), "K1234");
}

TEST(SetupPaths, ClassesDecideWhatIsJoined) {
    struct Case {
        const char* value;
        PathClass expected;
    };
    const Case cases[] = {
        {"", PathClass::Empty},
        {"C:", PathClass::DriveAbsolute},
        {"d:\\Apps", PathClass::DriveAbsolute},
        {"D:/Apps", PathClass::DriveAbsolute},
        {"D:Apps", PathClass::Relative},
        {"\\\\server\\share", PathClass::Network},
        {"//server/share", PathClass::Network},
        {"HTTP://example.invalid/", PathClass::Url},
        {"res:logo", PathClass::Url},
        {"mailto:x@example.invalid", PathClass::Url},
        {"httpd\\conf", PathClass::Relative},
        {"\\bin", PathClass::Relative},
        {"/opt/apps", PathClass::Rooted},
        {"Quillmark", PathClass::Relative},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyPath(c.value), c.expected) << c.value;
    }
}

TEST(SetupPaths, JoiningDropsOneLeadingSeparatorAndUsesNativeOnes) {
    EXPECT_EQ(JoinToBase("/base", "\\sub"), "/base/sub");
    EXPECT_EQ(JoinToBase("/base/", "\\\\sub"), "/base/\\sub");
    EXPECT_EQ(ResolvePath("/base/", "bin\\tool"), "/base/bin/tool");
    EXPECT_EQ(ResolvePath("/base/", "/opt/x"), "/opt/x");
    EXPECT_EQ(ResolvePath("/base/", ""), "");
    EXPECT_EQ(WithTrailingSeparator("/a"), "/a/");
    EXPECT_EQ(WithTrailingSeparator("/a\\"), "/a\\");
    EXPECT_EQ(WithTrailingSeparator(""), "");
}

TEST(RegistryKeyNames, RootsIgnoreCaseAndRelativeKeysNeedTheProductKey) {
    const auto key = ParseRegistryKey("hkcu\\Software\\Q");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->root, RegistryRoot::CurrentUser);
    EXPECT_EQ(key->subkey, "Software\\Q");
    EXPECT_EQ(key->Text(), "HKCU\\Software\\Q");
    EXPECT_FALSE(ParseRegistryKey("HKLMSoftware"));
    EXPECT_FALSE(ParseRegistryKey("HKEY_LOCAL_MACHINE\\Software"));
    EXPECT_EQ(ResolveRegistryKey("Settings", "HKLM\\Software\\Q\\")->Text(),
              "HKLM\\Software\\Q\\Settings");
    EXPECT_EQ(ResolveRegistryKey("\\Settings", "HKLM\\Software\\Q\\")->Text(),
              "HKLM\\Software\\Q\\Settings");
    EXPECT_EQ(ResolveRegistryKey("HKUS\\.DEFAULT", "HKLM\\Software\\Q\\")->root,
              RegistryRoot::Users);
    EXPECT_FALSE(ResolveRegistryKey("Settings", ""));
    EXPECT_FALSE(ResolveRegistryKey("", "HKLM\\Software\\Q\\"));
}

TEST(Expansion, ReplacesKnownNamesKeepsUnknownOnesAndStopsAt1023Characters) {
    setenv("QMTESTVAR", "value", 1);
    unsetenv("QMNOSUCH");
    EXPECT_EQ(ExpandVariables("a%QMTESTVAR%b"), "avalueb");
    EXPECT_EQ(ExpandVariables("%QMNOSUCH%%QMTESTVAR%"), "%QMNOSUCH%value");
    // The sign that closes an unknown name may open the next one.
    EXPECT_EQ(ExpandVariables("%QMNOSUCH%QMTESTVAR%"), "%QMNOSUCHvalue");
    EXPECT_EQ(ExpandVariables("100% sure"), "100% sure");
    EXPECT_EQ(ExpandVariables("%%"), "%%");
    setenv("QMTESTLONG", std::string(1000, 'x').c_str(), 1);
    EXPECT_EQ(ExpandVariables("%QMTESTLONG%%QMTESTLONG%").size(), kMaxExpandedLength);
}

using SetupConfigLoad = SetupSandbox;

constexpr const char* kMinimalIni = "[Version]\nSignature=KRM_Setup_1.0\n";

TEST_F(SetupConfigLoad, EachFailureShowsItsMessage) {
    struct Case {
        const char* name;
        const char* text;  // null: no Setup.ini at all
        ConfigFailure expected;
    };
    const Case cases[] = {
        {"missing", nullptr, ConfigFailure::NotFound},
        {"no version section", "[Product]\nAppName=x\n", ConfigFailure::Invalid},
        {"lower-case signature", "[Version]\nSignature=krm_setup_1.0\n", ConfigFailure::Invalid},
        {"signature with a blank", "[Version]\nSignature=KRM_Setup_1.0 \n", ConfigFailure::Invalid},
        {"no signature", "[Version]\nOldStyle=1\n", ConfigFailure::Invalid},
        {"section name in other case", "[VERSION]\nSignature=KRM_Setup_1.0\n", ConfigFailure::None},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(source_ / "Setup.ini");
        if (c.text != nullptr) {
            SetupIni(c.text);
        }
        ScriptedMessageBoxes boxes;
        CSetupConfig config;
        EXPECT_EQ(config.Load(source_.string(), CurrentUserFolders()), c.expected) << c.name;
        if (c.expected == ConfigFailure::None) {
            EXPECT_TRUE(boxes.Asked().empty()) << c.name;
        } else {
            ASSERT_EQ(boxes.Asked().size(), 1u) << c.name;
            EXPECT_EQ(boxes.Asked()[0].text, ConfigFailureMessage(c.expected)) << c.name;
            EXPECT_EQ(boxes.Asked()[0].caption, "Setup");
        }
    }
}

TEST_F(SetupConfigLoad, MissingCurrentDirectoryIsADirectoryFailure) {
    ScriptedMessageBoxes boxes;
    CSetupConfig config;
    EXPECT_EQ(config.Load((root_ / "gone").string(), CurrentUserFolders()),
              ConfigFailure::Directories);
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text, kDirectoriesUnavailable);
}

TEST_F(SetupConfigLoad, DefaultsAndTheVariablesOfAFreshAccount) {
    SetupIni(kMinimalIni);
    CSetupConfig config;
    Load(config);
    const std::string data = Home() + "/.local/share/";
    EXPECT_EQ(config.Destination(), Home() + "/.local/opt/");
    EXPECT_EQ(config.Group(), data + "applications/");
    EXPECT_EQ(config.LogDirectory(), config.Destination());
    EXPECT_EQ(config.ProductKey(), "");
    EXPECT_FALSE(config.HasDesktopShortcut());
    const std::pair<const char*, std::string> expected[] = {
        {"WINDIR", data + "quillmark/"},
        {"SYSDIR", data + "quillmark/system/"},
        {"CURDIR", source_.string() + "/"},
        {"INFDIR", data + "quillmark/"},
        {"PRGMAN", Home() + "/.local/opt/"},
        {"DSKTOP", Home() + "/Desktop/"},
        {"STRTMN", data + "applications/"},
        {"PRGGRP", data + "applications/"},
        {"STRTUP", Home() + "/.config/autostart/"},
        {"USRDIR", Home() + "/.local/opt/"},
        {"USRGRP", data + "applications/"},
        {"LOGDIR", Home() + "/.local/opt/"},
    };
    for (const auto& [name, value] : expected) {
        const char* set = std::getenv(name);
        ASSERT_NE(set, nullptr) << name;
        EXPECT_EQ(set, value) << name;
    }
    // The per-user stand-ins for the Windows folders are made when missing.
    EXPECT_TRUE(std::filesystem::is_directory(data + "quillmark/system"));
}

TEST_F(SetupConfigLoad, DestinationFoldersJoinTheirBasesAndTheRegistryCanNameThem) {
    const std::string programs = (root_ / "Programs").string();
    std::filesystem::create_directories(programs);
    ASSERT_TRUE(RegistrySetString(RegistryRoot::LocalMachine,
                                  "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                                  programs));
    ASSERT_TRUE(RegistrySetString(RegistryRoot::LocalMachine,
                                  "Software\\Microsoft\\Windows NT\\CurrentVersion",
                                  "RegisteredOwner", "Ellen Example"));
    struct Case {
        const char* defDir;
        std::string destination;
    };
    const Case cases[] = {
        {"Quillmark\\Tools", programs + "/Quillmark/Tools/"},
        {"\\Quillmark", programs + "/Quillmark/"},
        {"/srv/apps", "/srv/apps/"},
        {"%USNAME%", programs + "/Ellen Example/"},
    };
    for (const Case& c : cases) {
        SetupIni(std::string(kMinimalIni) + "[Destination]\nDefDir=" + c.defDir +
                 "\nDefGroup=Quillmark\nDefLog=log\nDefReg=hklm\\Software\\Quillmark\n");
        CSetupConfig config;
        Load(config);
        EXPECT_EQ(config.Destination(), c.destination) << c.defDir;
        EXPECT_EQ(config.LogDirectory(), c.destination + "log/") << c.defDir;
        EXPECT_EQ(config.Group(), Home() + "/.local/share/applications/Quillmark/");
        EXPECT_EQ(config.ProductKey(), "hklm\\Software\\Quillmark\\");
        EXPECT_EQ(config.UserName(), "Ellen Example");
    }
}

TEST_F(SetupConfigLoad, AProductKeyWithoutRootIsIgnored) {
    SetupIni(std::string(kMinimalIni) + "[Destination]\nDefReg=Software\\Quillmark\n");
    CSetupConfig config;
    Load(config);
    EXPECT_EQ(config.ProductKey(), "");
}

TEST_F(SetupConfigLoad, SelectedComponentsAreAppendedAfterTheMainEntries) {
    SetupIni(std::string(kMinimalIni) +
             "[Components]\nCount=2\nN001=Sounds\nN002=Extras\nI002=0\n"
             "[CopyFiles]\nCount=3\nS001=a\nS002=b\nS003=c\n"
             "[CopyFiles.001]\nCount=2\nS001=d\nD001=dd\nS002=e\n"
             "[CopyFiles.002]\nCount=1\nS001=never\n"
             "[RegVals.001]\nCount=1\nK001=Key\nV001=Name\nT001=1\nD001=7\n");
    CSetupConfig config;
    Load(config);
    config.MergeComponents();
    EXPECT_EQ(config.Count("CopyFiles"), 5);
    EXPECT_EQ(config.GetString("CopyFiles", "S004"), "d");
    EXPECT_EQ(config.GetString("CopyFiles", "D004"), "dd");
    EXPECT_EQ(config.GetString("CopyFiles", "S005"), "e");
    EXPECT_EQ(config.GetString("CopyFiles", "S006"), "");
    // A main list that did not exist is made by the merge.
    EXPECT_EQ(config.Count("RegVals"), 1);
    EXPECT_EQ(config.GetString("RegVals", "K001"), "Key");
    EXPECT_EQ(config.GetString("RegVals", "T001"), "1");
    EXPECT_EQ(config.GetString("RegVals", "D001"), "7");
}

}  // namespace
}  // namespace qm::setup
