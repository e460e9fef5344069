// Setup's program flow without windows: the page table, what leaving each page checks, the
// modules, the extension library and the end of the run, driven through the unattended
// wizard in a private account.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "setup/flow/extension_library.h"
#include "setup/flow/flow_strings.h"
#include "setup/flow/page_table.h"
#include "setup/flow/setup_program.h"
#include "setup/flow/setup_session.h"
#include "setup/flow/setup_system.h"
#include "setup/flow/unattended_wizard.h"
#include "setup/setup_config.h"
#include "setup/setup_services.h"
#include "setup/setup_strings.h"
#include "setup_sandbox.h"

namespace qm::setup {
namespace {

using testing::ReadWhole;
using testing::SetupSandbox;
using testing::WriteWhole;
namespace fs = std::filesystem;

// Starts programs for real (the modules are scripts of the test) but never restarts the
// machine, and notes what the finish page opens.
class RecordingSystem : public SetupSystem {
  public:
    std::optional<int> StartProgram(const std::string& program, bool wait) override {
        started.push_back(program + (wait ? " (waited)" : ""));
        return SetupSystem::StartProgram(program, wait);
    }
    bool Open(const std::string& file, const std::string& arguments,
              const std::string& directory) override {
        opened.push_back(file + "|" + arguments + "|" + directory);
        return true;
    }
    bool RestartComputer() override {
        ++restarts;
        return true;
    }
    std::vector<std::string> started;
    std::vector<std::string> opened;
    int restarts = 0;
};

class SmallDriveServices : public SetupServices {
  public:
    std::optional<std::uint64_t> FreeSpace(const std::string&) override { return 1000; }
};

const char* kQuietIni = R"([Version]
Signature=KRM_Setup_1.0
%VERSION%
NoWelcome=1
NoAskDir=1
NoAskGroup=1
NoAskUninst=1
[Product]
AppName=Flow Demo
%PRODUCT%
Version=2.5
Provider=Quillmark
Copyright=(c) 2026 Quillmark
Website=http://example.invalid/

[Destination]
DefDir=Flow Demo
DefGroup=Flow Demo
DefLog=uninst

[Uninstall]
LogApp=uninstall
LogFile=uninst.log

[CopyFiles]
Count=1
S001=readme.txt
)";

// The quiet Setup.ini with more keys in its [Version] and [Product] sections (ahead of the
// quiet ones: the first of two equal keys counts).
std::string QuietIni(const std::string& version, const std::string& product = "") {
    std::string text = kQuietIni;
    text.replace(text.find("%VERSION%"), 9, version);
    text.replace(text.find("%PRODUCT%"), 9, product);
    return text;
}

class SetupFlow : public SetupSandbox {
  protected:
    void SetUp() override {
        SetupSandbox::SetUp();
        Source("readme.txt", "read me\n");
        Source("uninstall", "#!/bin/sh\n");
        marker_ = (root_ / "marker.txt").string();
        setenv("QM_EXTENSION_MARKER", marker_.c_str(), 1);
        for (const char* name : {"QM_EXTENSION_DIR", "QM_EXTENSION_GROUP", "QM_EXTENSION_UNINST",
                                 "QM_EXTENSION_NO_UNINST", "QM_EXTENSION_REFUSE",
                                 "QM_EXTENSION_USER", "QM_EXTENSION_COMPANY"}) {
            unsetenv(name);
        }
    }

    // A shell script in Setup's directory.
    void Script(const std::string& name, const std::string& body) {
        Source(name, "#!/bin/sh\n" + body + "\n");
        chmod((source_ / name).c_str(), 0755);
    }
    // The test's extension library where Setup.ini's "Library=Checks.dll" finds it.
    void InstallExtension() {
        fs::copy_file(fs::path(QM_BIN_DIR) / "libQmSetupExtension.so", source_ / "libChecks.so");
    }
    std::string Marker() const { return ReadWhole(marker_); }

    int Run(SetupServices& services) {
        UnattendedWizard wizard;
        return RunSetupProgram(source_.string(), CurrentUserFolders(), services, system_, wizard);
    }
    int Run() {
        SetupServices services;
        return Run(services);
    }

    RecordingSystem system_;
    std::string marker_;
};

// --- The page table -------------------------------------------------------------------

std::vector<PageKind> KindsOf(const std::vector<PageEntry>& pages) {
    std::vector<PageKind> kinds;
    for (const PageEntry& page : pages) {
        kinds.push_back(page.kind);
    }
    return kinds;
}

TEST_F(SetupFlow, PageTableFollowsTheKeysAndFiles) {
    using K = PageKind;
    struct Case {
        const char* what;
        std::string ini;
        std::vector<PageKind> expected;
    };
    const std::string head = "[Version]\nSignature=KRM_Setup_1.0\n";
    Source("splash.bmp", "BM");
    Source("licence.txt", "terms");
    Source("notes.rtf", "{\\rtf1\\ansi notes}");
    const Case cases[] = {
        {"every page",
         head + "Splash=splash.bmp\nEula=licence.txt\nReadme=notes.rtf\n"
                "[Components]\nCount=1\nN001=Extras\n",
         {K::Splash, K::Welcome, K::Licence, K::Readme, K::Components, K::Destination, K::Group,
          K::Uninstall, K::Summary, K::Installing, K::Finish}},
        {"no welcome, nothing asked",
         head + "NoWelcome=1\nNoAskDir=1\nNoAskGroup=1\nNoAskUninst=1\n",
         {K::Summary, K::Installing, K::Finish}},
        {"files named but missing",
         head + "Splash=none.bmp\nEula=none.txt\nReadme=none.txt\n",
         {K::Welcome, K::Destination, K::Group, K::Uninstall, K::Summary, K::Installing,
          K::Finish}},
        {"only the installation",
         head + "NoWelcome=1\nNoAskDir=1\nNoAskGroup=1\nNoAskUninst=1\n"
                "NoSummary=1\nNoFinish=1\n[Components]\nCount=0\n",
         {K::Installing}},
    };
    for (const Case& c : cases) {
        SetupIni(c.ini);
        CSetupConfig config;
        Load(config);
        EXPECT_EQ(KindsOf(BuildPageTable(config)), c.expected) << c.what;
    }
}

TEST_F(SetupFlow, QuietSetupHasOnlySummaryInstallingAndFinishInTheMask) {
    SetupIni(QuietIni(""));
    CSetupConfig config;
    Load(config);
    const auto pages = BuildPageTable(config);
    EXPECT_EQ(PageMask(pages), 0x200u | 0x400u | 0x800u);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_STREQ(pages[0].title, "Ready for Installation");
    EXPECT_STREQ(pages[1].title, "Installing...");
    EXPECT_STREQ(pages[2].title, "Installation finished");
}

// --- What the pages show and check --------------------------------------------------

TEST(SetupSizes, KilobytesHaveThousandsSeparatorsAndOneDecimal) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0.0 KB"},
        {999, "0.9 KB"},
        {1234567, "1,234.5 KB"},
        {1000000, "1,000.0 KB"},
        {123456, "123.4 KB"},
        {2147483647, "2,147,483.6 KB"},
        {1000000000000ull, "1,000,000,000.0 KB"}};
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(FormatKilobytes(bytes), text) << bytes;
    }
}

TEST_F(SetupFlow, TooLittleSpaceAsksAndNoKeepsTheDestinationPage) {
    SetupIni(QuietIni("", "ReqSpace=5000"));
    CSetupConfig config;
    Load(config);
    SmallDriveServices services;
    CSetupSession session(config, services, system_);
    const std::string wanted = (home_ / "apps/Flow").string();

    ScriptedMessageBoxes boxes({MessageBoxResult::No, MessageBoxResult::Yes});
    EXPECT_FALSE(session.LeaveDestination(wanted));
    EXPECT_FALSE(fs::exists(wanted)) << "a page that stays makes nothing";
    EXPECT_TRUE(session.LeaveDestination(wanted));
    ASSERT_EQ(boxes.Asked().size(), 2u);
    EXPECT_EQ(boxes.Asked()[0].text, kNotEnoughSpace);
    EXPECT_EQ(boxes.Asked()[0].buttons, MessageBoxButtons::YesNo);
    EXPECT_TRUE(fs::is_directory(wanted));
    EXPECT_EQ(config.Destination(), wanted + "/");
    EXPECT_TRUE(session.Engine().Choices().createdDestination);
}

TEST_F(SetupFlow, DestinationMustBeAbsoluteAndCreatable) {
    SetupIni(QuietIni(""));
    CSetupConfig config;
    Load(config);
    SetupServices services;
    CSetupSession session(config, services, system_);
    WriteWhole(home_ / "blocker", "a file where a folder should go");
    const std::pair<std::string, const char*> refused[] = {
        {"", kInvalidDestination},
        {"relative\\folder", kInvalidDestination},
        {(home_ / "blocker/inside").string(), kCannotCreateDestination}};
    for (const auto& [text, message] : refused) {
        ScriptedMessageBoxes boxes;
        EXPECT_FALSE(session.LeaveDestination(text)) << text;
        ASSERT_EQ(boxes.Asked().size(), 1u) << text;
        EXPECT_EQ(boxes.Asked()[0].text, message) << text;
    }
}

TEST_F(SetupFlow, AnotherDestinationTakesTheUninstallFolderAlongAndDropsTheFolderMadeBefore) {
    SetupIni(QuietIni(""));
    CSetupConfig config;
    Load(config);
    SetupServices services;
    CSetupSession session(config, services, system_);
    // The first choice needs two missing parents as well; they go with it.
    const std::string first = (home_ / "apps/new/first").string();
    const std::string second = (home_ / "second").string();
    ASSERT_TRUE(session.LeaveDestination(first));
    EXPECT_EQ(config.LogDirectory(), first + "/uninst/");
    EXPECT_EQ(session.Engine().Choices().madeDestination,
              (std::vector<std::string>{(home_ / "apps/").string(), (home_ / "apps/new/").string(),
                                        first + "/"}));
    ASSERT_TRUE(session.LeaveDestination(second));
    EXPECT_FALSE(fs::exists(home_ / "apps")) << "the empty folders of the first visit stay behind";
    EXPECT_EQ(config.LogDirectory(), second + "/uninst/");
    EXPECT_TRUE(session.Engine().Choices().createdDestination);
    EXPECT_EQ(session.Engine().Choices().madeDestination, std::vector<std::string>{second + "/"});
}

TEST_F(SetupFlow, GroupPageJoinsTheNewGroupAndTakesTheDesktopChoice) {
    SetupIni(QuietIni("") + "[Desktop]\nName=Flow\n");
    CSetupConfig config;
    Load(config);
    SetupServices services;
    CSetupSession session(config, services, system_);
    const GroupPageState state = session.GroupDefaults();
    EXPECT_EQ(state.startMenu, config.Folders().programs);
    EXPECT_TRUE(state.newGroup);
    EXPECT_EQ(state.groupName, "Flow Demo");
    EXPECT_TRUE(state.desktopShown);

    // A Start Menu field that names no folder falls back to the Programs folder.
    ASSERT_TRUE(session.LeaveGroup("/no/such/menu", true, "Tools", false));
    EXPECT_EQ(config.Group(), config.Folders().programs + "Tools/");
    EXPECT_TRUE(fs::is_directory(config.Group()));
    EXPECT_FALSE(session.Engine().Choices().desktopShortcut);
    // Without the new-group box the Start Menu folder itself is the group.
    ASSERT_TRUE(session.LeaveGroup(state.startMenu, false, "Tools", true));
    EXPECT_EQ(config.Group(), config.Folders().programs);
    EXPECT_FALSE(fs::exists(config.Folders().programs + "Tools/"));
}

TEST_F(SetupFlow, UninstallPageSwitchesSupportAndChecksItsField) {
    SetupIni(QuietIni(""));
    CSetupConfig config;
    Load(config);
    SetupServices services;
    CSetupSession session(config, services, system_);
    EXPECT_TRUE(session.UninstallAvailable());
    EXPECT_TRUE(session.LeaveUninstall(false, ""));
    EXPECT_FALSE(session.Engine().Choices().uninstall);
    {
        ScriptedMessageBoxes boxes;
        EXPECT_FALSE(session.LeaveUninstall(true, ""));
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].text, kInvalidDestination);
    }
    const std::string logs = (home_ / "logs").string();
    EXPECT_TRUE(session.LeaveUninstall(true, logs));
    EXPECT_TRUE(session.Engine().Choices().uninstall);
    EXPECT_EQ(config.LogDirectory(), logs + "/");
    EXPECT_TRUE(session.Engine().Choices().createdLogDirectory);
}

TEST_F(SetupFlow, ComponentsSkipEmptyNamesAndWriteTheirStateBack) {
    SetupIni(QuietIni("") +
             "[Components]\nCount=3\nN001=Core\nD001=Always\nN002=\nN003=Extras\nI003=0\n");
    CSetupConfig config;
    Load(config);
    SetupServices services;
    CSetupSession session(config, services, system_);
    auto components = session.Components();
    ASSERT_EQ(components.size(), 2u);
    EXPECT_EQ(components[0].name, "Core");
    EXPECT_EQ(components[0].description, "Always");
    EXPECT_TRUE(components[0].install) << "I defaults to 1";
    EXPECT_EQ(components[1].number, 3);
    EXPECT_FALSE(components[1].install);
    components[0].install = false;
    components[1].install = true;
    session.StoreComponents(components);
    EXPECT_EQ(config.GetString("Components", "I001"), "0");
    EXPECT_EQ(config.GetString("Components", "I003"), "1");
}

TEST_F(SetupFlow, WelcomeTextFillsThePlaceholdersUnlessOldStyle) {
    SetupIni(QuietIni(""));
    CSetupConfig config;
    Load(config);
    SetupServices services;
    CSetupSession session(config, services, system_);
    const std::string text = session.WelcomeRichText();
    for (const char* field :
         {"Flow Demo", "2.5", "Quillmark", "(c) 2026 Quillmark", "http://example.invalid/"}) {
        EXPECT_NE(text.find(field), std::string::npos) << field;
    }
    EXPECT_EQ(text.find('#'), std::string::npos);
    config.Ini().SetString("Version", "OldStyle", "1");
    EXPECT_EQ(session.WelcomeRichText(), "");
}

TEST_F(SetupFlow, DocumentsAreRichTextOnlyWithTheExactOpening) {
    const std::pair<const char*, bool> cases[] = {{"{\\rtf1\\ansi hello}", true},
                                                  {"{\\rtf hello}", false},
                                                  {" {\\rtf1\\ansi hello}", false},
                                                  {"plain terms", false},
                                                  {"", false}};
    for (const auto& [text, rich] : cases) {
        WriteWhole(source_ / "doc", text);
        const PageDocument document = CSetupSession::ReadDocument((source_ / "doc").string());
        EXPECT_EQ(document.richText, rich) << text;
        EXPECT_EQ(document.text, text);
    }
}

TEST_F(SetupFlow, OnlyThreeFinishOptionsOfFiveAndOnlyWithTextAndFile) {
    std::string finish = "[Finish]\nCount=5\n";
    for (int i = 1; i <= 5; ++i) {
        finish += "T00" + std::to_string(i) + "=Option " + std::to_string(i) + "\n";
        if (i != 2) {
            finish += "F00" + std::to_string(i) + "=%USRDIR%file" + std::to_string(i) + "\n";
        }
    }
    finish += "C003=--show %USNAME%\nP003=%USRDIR%\n";
    SetupIni(QuietIni("") + finish);
    CSetupConfig config;
    Load(config);
    SetupServices services;
    CSetupSession session(config, services, system_);
    const auto options = session.FinishOptions();
    ASSERT_EQ(options.size(), 2u) << "entries 4 and 5 are past the third";
    EXPECT_EQ(options[0].text, "Option 1");
    EXPECT_EQ(options[1].number, 3);
    session.OpenFinishOptions({3});
    ASSERT_EQ(system_.opened.size(), 1u);
    EXPECT_EQ(system_.opened[0], config.Destination() + "file3|--show " + config.UserName() + "|" +
                                     config.Destination());
}

// --- The program from start to end ---------------------------------------------------

TEST_F(SetupFlow, NoFinishEndsWithZeroAfterPostInstall) {
    Script("post.sh", "echo post >> \"" + marker_ + "\"");
    SetupIni(QuietIni("NoFinish=1") + "[Modules]\nPostInstall=post.sh\n");
    EXPECT_EQ(Run(), kSetupDone);
    ASSERT_EQ(system_.started.size(), 1u);
    EXPECT_EQ(system_.started[0], (source_ / "post.sh").string());
    EXPECT_TRUE(fs::exists(Destination("Flow Demo") + "readme.txt"));
    EXPECT_TRUE(fs::exists(Destination("Flow Demo") + "uninst/uninst.log"));
}

TEST_F(SetupFlow, PostInstallThatCannotStartEndsWithMinusOne) {
    SetupIni(QuietIni("") + "[Modules]\nPostInstall=missing.sh\n");
    ScriptedMessageBoxes boxes;
    EXPECT_EQ(Run(), kSetupFailed);
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text,
              "ERROR: The Module 'missing.sh' could not be executed!\nThe installation may not "
              "be completed successfully.");
}

TEST_F(SetupFlow, PreInstallModesSteerTheStart) {
    Script("fails.sh", "exit 3");
    Script("works.sh", "exit 0");
    struct Case {
        const char* module;
        int mode;
        std::deque<MessageBoxResult> answers;
        int expected;
        std::size_t questions;
    };
    const Case cases[] = {
        {"fails.sh", 2, {}, kSetupFailed, 0},
        {"fails.sh", 1, {}, kSetupDone, 0},
        {"fails.sh", 0, {}, kSetupDone, 0},
        {"works.sh", 2, {}, kSetupDone, 0},
        {"missing.exe", 1, {MessageBoxResult::No}, kSetupFailed, 1},
        {"missing.exe", 1, {MessageBoxResult::Yes}, kSetupDone, 1},
    };
    for (const Case& c : cases) {
        SetupIni(QuietIni("") + "[Modules]\nPreInstall=" + c.module +
                 "\nPreMode=" + std::to_string(c.mode) + "\n");
        fs::remove_all(Destination("Flow Demo"));
        ScriptedMessageBoxes boxes(c.answers);
        EXPECT_EQ(Run(), c.expected) << c.module << " " << c.mode;
        const auto asked = boxes.Asked();
        ASSERT_EQ(asked.size(), c.questions) << c.module;
        if (!asked.empty()) {
            EXPECT_EQ(asked[0].text.substr(0, 39), "ERROR: The Module 'missing.exe' could n");
            EXPECT_NE(asked[0].text.find("Do you want to continue anyway?"), std::string::npos);
        }
        EXPECT_EQ(fs::exists(Destination("Flow Demo") + "readme.txt"), c.expected == kSetupDone)
            << c.module << " " << c.mode;
    }
}

TEST_F(SetupFlow, PreInstallIsWaitedForBeforeTheExtensionStarts) {
    InstallExtension();
    Script("slow.sh", "sleep 0.3; echo pre >> \"" + marker_ + "\"");
    SetupIni(QuietIni("") + "[Modules]\nPreInstall=slow.sh\nPreMode=1\nLibrary=Checks.dll\n");
    ASSERT_EQ(Run(), kSetupDone);
    EXPECT_EQ(Marker().rfind("pre\nSetupInit\n", 0), 0u) << Marker();
}

TEST_F(SetupFlow, RebootAsksForTheRestartAndEndsWithOne) {
    Script("post.sh", "exit 0");
    SetupIni(QuietIni("") + "[Finish]\nReboot=1\n[Modules]\nPostInstall=post.sh\n");
    EXPECT_EQ(Run(), kSetupRestarts);
    EXPECT_EQ(system_.restarts, 1);
    EXPECT_TRUE(system_.started.empty()) << "no PostInstall before a restart";
}

TEST_F(SetupFlow, SetupExitRefusingTheRestartLetsPostInstallRun) {
    InstallExtension();
    Script("post.sh", "exit 0");
    setenv("QM_EXTENSION_REFUSE", "SetupExit", 1);
    SetupIni(QuietIni("") +
             "[Finish]\nReboot=1\n[Modules]\nPostInstall=post.sh\nLibrary=Checks.dll\n");
    EXPECT_EQ(Run(), kSetupDone);
    EXPECT_EQ(system_.restarts, 0);
    ASSERT_EQ(system_.started.size(), 1u);
    EXPECT_NE(Marker().find("SetupExit 1\n"), std::string::npos) << Marker();
}

TEST_F(SetupFlow, ExtensionInitChangesTheFoldersAndTheVariables) {
    InstallExtension();
    const std::string elsewhere = (home_ / "chosen by the library").string();
    setenv("QM_EXTENSION_DIR", elsewhere.c_str(), 1);
    setenv("QM_EXTENSION_USER", "Ripley", 1);
    setenv("QM_EXTENSION_COMPANY", "Weyland", 1);
    SetupIni(QuietIni("") + "[Modules]\nLibrary=Checks.dll\n");
    ASSERT_EQ(Run(), kSetupDone);
    EXPECT_TRUE(fs::exists(elsewhere + "/readme.txt"));
    EXPECT_EQ(std::string(std::getenv("USRDIR")), elsewhere + "/");
    EXPECT_EQ(std::string(std::getenv("USNAME")), "Ripley");
    EXPECT_EQ(std::string(std::getenv("USCOMP")), "Weyland");
    const std::string calls = Marker();
    const std::string expectedStart =
        "SetupInit\nSetupInitDir " + Destination("Flow Demo") + "\nSetupInitGroup ";
    EXPECT_EQ(calls.rfind(expectedStart, 0), 0u) << calls;
    EXPECT_NE(calls.find("SetupInitUninst 1 " + Destination("Flow Demo") + "uninst/"),
              std::string::npos)
        << calls;
    EXPECT_NE(calls.find("\nSetupExit 0\n"), std::string::npos) << calls;
}

TEST_F(SetupFlow, ExtensionClearingUninstallLeavesNoLog) {
    InstallExtension();
    setenv("QM_EXTENSION_NO_UNINST", "1", 1);
    SetupIni(QuietIni("") + "[Modules]\nLibrary=Checks.dll\n");
    ASSERT_EQ(Run(), kSetupDone);
    EXPECT_TRUE(fs::exists(Destination("Flow Demo") + "readme.txt"));
    EXPECT_FALSE(fs::exists(Destination("Flow Demo") + "uninst/uninst.log"));
}

TEST_F(SetupFlow, AnInitEntryPointRefusingEndsSetupBeforeTheWizard) {
    InstallExtension();
    SetupIni(QuietIni("") + "[Modules]\nLibrary=Checks.dll\n");
    for (const char* entry :
         {"SetupInit", "SetupInitDir", "SetupInitGroup", "SetupInitUninst", "SetupInitUser"}) {
        setenv("QM_EXTENSION_REFUSE", entry, 1);
        fs::remove(marker_);
        EXPECT_EQ(Run(), kSetupFailed) << entry;
        EXPECT_FALSE(fs::exists(Destination("Flow Demo"))) << entry;
        EXPECT_EQ(Marker().find("SetupExit"), std::string::npos) << entry;
    }
}

TEST_F(SetupFlow, AMissingExtensionLibraryEndsSetup) {
    SetupIni(QuietIni("") + "[Modules]\nLibrary=Nowhere.dll\n");
    ScriptedMessageBoxes boxes;
    EXPECT_EQ(Run(), kSetupFailed);
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text, kExtensionFailed);
}

TEST_F(SetupFlow, ValidateRefusingAPageCancelsTheUnattendedRunAndTellsSetupExit) {
    InstallExtension();
    setenv("QM_EXTENSION_REFUSE", "SetupValidateGroup", 1);
    SetupIni(QuietIni("NoAskGroup=0") + "[Modules]\nLibrary=Checks.dll\n");
    EXPECT_EQ(Run(), kSetupFailed);
    EXPECT_FALSE(fs::exists(Destination("Flow Demo") + "readme.txt"));
    EXPECT_NE(Marker().find("SetupValidateGroup "), std::string::npos);
    EXPECT_NE(Marker().find("SetupExit -1\n"), std::string::npos) << Marker();
}

TEST_F(SetupFlow, AMissingSetupIniEndsWithMinusOne) {
    ScriptedMessageBoxes boxes;
    EXPECT_EQ(Run(), kSetupFailed);
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text, kConfigNotFound);
}

// The program itself, as a script or the suite's own installation test runs it: unattended,
// and with the wizard pressed through off screen.
int RunProgram(const fs::path& directory, const std::string& environment,
               const std::string& options) {
    const std::string command = "cd '" + directory.string() + "' && env " + environment + " '" +
                                (fs::path(QM_BIN_DIR) / "setup").string() + "' " + options +
                                " </dev/null >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
}

TEST_F(SetupFlow, TheProgramInstallsFromItsCurrentDirectory) {
    const struct {
        const char* environment;
        const char* options;
    } runs[] = {{"-u DISPLAY -u WAYLAND_DISPLAY", "--unattended"},
                {"QT_QPA_PLATFORM=offscreen", ""},  // off screen nobody could press: unattended
                {"QT_QPA_PLATFORM=offscreen", "--press-through=0"}};
    SetupIni(QuietIni("NoAskDir=0\nNoAskGroup=0\nNoAskUninst=0\nNoWelcome=0"));
    for (const auto& run : runs) {
        EXPECT_EQ(RunProgram(source_, run.environment, run.options), 0) << run.options;
        EXPECT_TRUE(fs::exists(Destination("Flow Demo") + "readme.txt")) << run.options;
        EXPECT_TRUE(fs::exists(Destination("Flow Demo") + "uninst/uninst.log")) << run.options;
        fs::remove_all(Destination("Flow Demo"));
    }
    fs::remove(source_ / "Setup.ini");
    EXPECT_EQ(RunProgram(source_, "", "--unattended"), 255) << "-1 as the process's status";
}

}  // namespace
}  // namespace qm::setup
