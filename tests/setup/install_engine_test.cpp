#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <thread>

#include "pe_builder.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "setup/install_changes.h"
#include "setup/install_engine.h"
#include "setup/setup_config.h"
#include "setup/setup_services.h"
#include "setup/setup_strings.h"
#include "setup_sandbox.h"

namespace qm::setup {
namespace {

using namespace std::chrono_literals;
using testing::PeFile;
using testing::ReadWhole;
using testing::SetupSandbox;
using testing::Snapshot;
using testing::WriteWhole;

constexpr auto kHKLM = RegistryRoot::LocalMachine;
constexpr auto kHKCU = RegistryRoot::CurrentUser;
constexpr const char* kSharedDlls = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// The "Installing..." page with scripted answers. It can hold the worker at one position
// until the test has pressed Cancel.
class ScriptedPage : public InstallPage {
  public:
    void StepStarted(int, const char* label) override { labels.push_back(label); }
    void Advanced(int at) override {
        position = at;
        if (at == cancelAt) {
            std::unique_lock lock(mutex_);
            reached_ = true;
            changed_.notify_all();
            changed_.wait(lock, [this] { return released_; });
        }
    }
    KeepFileAnswer AskKeepFile(const std::string& fileName, KeepFileReason reason) override {
        asked.emplace_back(fileName, reason);
        if (answers.empty()) {
            return KeepFileAnswer::Cancel;
        }
        const KeepFileAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Finished(InstallOutcome outcome) override {
        finished = outcome;
        ++finishedCalls;
    }
    // Lets the worker go on and looks whether it stays at its next check while the question
    // is open.
    bool ConfirmAbort() override {
        {
            std::lock_guard lock(mutex_);
            released_ = true;
        }
        changed_.notify_all();
        std::this_thread::sleep_for(100ms);
        positionWhileAsked = position;
        return abortAnswer;
    }
    bool WaitUntilHeld() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 20s, [this] { return reached_; });
    }

    std::deque<KeepFileAnswer> answers;
    std::vector<std::pair<std::string, KeepFileReason>> asked;
    std::vector<std::string> labels;
    int cancelAt = -1;
    bool abortAnswer = true;
    std::atomic<int> position{0};
    int positionWhileAsked = -1;
    InstallOutcome finished = InstallOutcome::NotStarted;
    int finishedCalls = 0;

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool reached_ = false;
    bool released_ = false;
};

// A drive that reports no free space.
class FullDriveServices : public SetupServices {
  public:
    std::optional<std::uint64_t> FreeSpace(const std::string&) override { return 0; }
};

struct RunResult {
    InstallOutcome outcome = InstallOutcome::NotStarted;
    std::string log;  // the log in memory
    std::string logPath;
    std::string uninstallerPath;
    int progressRange = 0;
};

const char* kProductIni = R"([Version]
Signature=KRM_Setup_1.0
OldStyle=1

[Product]
AppName=Quillmark Demo
Version=1.4
Provider=Quillmark
Website=http://example.invalid/
ReqSpace=1000

[Destination]
DefDir=Quillmark Demo
DefGroup=Quillmark Demo
DefLog=uninst
DefReg=HKCU\Software\Quillmark\Demo

[Uninstall]
LogApp=uninstall
LogFile=uninst.log
WinKey=QuillmarkDemo
WinName=Quillmark Demo
Shortcut=Uninstall Demo
NoCustom=1

[Desktop]
Name=Demo
Target=%USRDIR%bin\demo
Command=--fast "a b"

[Folders]
Count=2
001=bin
002=data\sounds

[CopyFiles]
Count=2
S001=demo
D001=bin\demo
S002=readme.txt

[CopyNoLog]
Count=1
S001=notes.txt

[LogNoCopy]
Count=1
001=data\cache.bin

[SharedFiles]
Count=1
S001=shared.dat
D001=%WINDIR%shared.dat

[Shortcuts]
Count=1
L001=Demo
T001=%USRDIR%bin\demo
C001=--window

[RegKeys]
Count=2
001=Settings
002=HKCU\Software\Quillmark\Other

[NoLogKeys]
Count=1
001=Cache

[LogKeys]
Count=1
001=Runtime

[RegVals]
Count=3
K001=Settings
V001=Path
D001=%USRDIR%
K002=Settings
V002=Runs
T002=1
D002=3
K003=Settings
D003=default text

[RegisterServer]
Count=1
001=@BIN@/libQmSetupServer.so

[RegisterApp]
Count=1
001=%CURDIR%register.sh
)";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

class InstallEngineTest : public SetupSandbox {
  protected:
    void SetUp() override {
        SetupSandbox::SetUp();
        marker_ = (root_ / "registrations").string();
        setenv("QM_SETUP_TEST_MARKER", marker_.c_str(), 1);
        // The account has used the suite before: the store and the suite's own folders exist,
        // as does the desktop's menu folder.
        for (const char* folder : {".local/share/quillmark/system", ".local/share/applications"}) {
            std::filesystem::create_directories(home_ / folder);
        }
        ASSERT_TRUE(RegistrySetString(kHKCU, "Software\\Quillmark\\Existing", "Kept", "yes"));
    }

    // The sources of the product above: a program, a read-me, notes, a shared file, the
    // uninstaller and a program that registers itself.
    void ProductSources() {
        SetupIni(Replaced(kProductIni, "@BIN@", QM_BIN_DIR));
        Source("demo", "#!/bin/sh\necho demo\n");
        std::filesystem::permissions(source_ / "demo", std::filesystem::perms(0755));
        Source("readme.txt", "read me\n");
        Source("notes.txt", "notes\n");
        Source("shared.dat", "shared\n");
        Source("uninstall", "#!/bin/sh\n");
        std::filesystem::permissions(source_ / "uninstall", std::filesystem::perms(0755));
        Source("register.sh", "#!/bin/sh\necho \"$1\" >> \"$QM_SETUP_TEST_MARKER\"\n");
        std::filesystem::permissions(source_ / "register.sh", std::filesystem::perms(0755));
    }

    RunResult Install(ScriptedPage& page, SetupServices& services,
                      const std::function<void(CInstallEngine&, CSetupConfig&)>& before = {}) {
        RunResult result;
        CSetupConfig config;
        if (config.Load(source_.string(), CurrentUserFolders()) != ConfigFailure::None) {
            ADD_FAILURE() << "Setup.ini did not load";
            return result;
        }
        CInstallEngine engine(config, services, page);
        if (before) {
            before(engine, config);
        }
        if (engine.Start()) {
            if (page.cancelAt >= 0) {
                EXPECT_TRUE(page.WaitUntilHeld());
                engine.RequestCancel();
            }
            engine.Wait();
        }
        result.outcome = engine.Outcome();
        result.log = engine.Log().ToText();
        result.logPath = engine.LogPath();
        result.uninstallerPath = engine.UninstallerPath();
        result.progressRange = engine.ProgressRange();
        return result;
    }
    RunResult Install(ScriptedPage& page) { return Install(page, services_); }

    std::string InDestination(const std::string& product, const std::string& name) const {
        return Destination(product) + name;
    }

    SetupServices services_;
    std::string marker_;
};

// ---- the whole product ------------------------------------------------------------------

TEST_F(InstallEngineTest, TheLogOfACompleteProductIsTheGoldenFile) {
    ProductSources();
    const Snapshot before = Take();
    ScriptedMessageBoxes boxes;
    ScriptedPage page;
    const RunResult run = Install(page);
    ASSERT_EQ(run.outcome, InstallOutcome::Succeeded);
    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_EQ(page.finishedCalls, 1);

    std::string golden = ReadWhole(std::string(QM_TEST_DATA_DIR) + "/uninstall_log.golden");
    golden = Replaced(golden, "@HOME@", Home());
    golden = Replaced(golden, "@SOURCE@", source_.string());
    golden = Replaced(golden, "@BIN@", QM_BIN_DIR);
    const std::string dest = Destination("Quillmark Demo");
    EXPECT_EQ(run.logPath, dest + "uninst/uninst.log");
    EXPECT_EQ(ReadWhole(run.logPath), golden);

    // The steps and the progress bar.
    EXPECT_EQ(page.labels,
              (std::vector<std::string>{"1. Preparing Installation", "2. Creating Folders",
                                        "3. Copying Files", "4. Creating Shortcuts",
                                        "5. Updating Registry"}));
    EXPECT_EQ(run.progressRange, 18);
    EXPECT_EQ(page.position, 18);

    // What the log does not show: the files, the entries and the registry values.
    const std::string uninstaller = Home() + "/.local/share/quillmark/uninstall";
    EXPECT_EQ(run.uninstallerPath, uninstaller);
    EXPECT_EQ(ReadWhole(dest + "bin/demo"), "#!/bin/sh\necho demo\n");
    EXPECT_EQ(ReadWhole(dest + "notes.txt"), "notes\n");
    EXPECT_EQ(ReadWhole(Home() + "/Desktop/Demo.desktop"),
              "[Desktop Entry]\nType=Application\nName=Demo\nExec=\"" + dest +
                  "bin/demo\" --fast \"a b\"\n");
    EXPECT_EQ(
        ReadWhole(Home() + "/.local/share/applications/Quillmark Demo/Uninstall Demo.desktop"),
        "[Desktop Entry]\nType=Application\nName=Uninstall Demo\nExec=" + uninstaller + " \"" +
            run.logPath + "\"\n");
    const std::string winKey =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuillmarkDemo";
    EXPECT_EQ(RegistryGetString(kHKLM, winKey, "DisplayName"), "Quillmark Demo");
    EXPECT_EQ(RegistryGetString(kHKLM, winKey, "UninstallString"), uninstaller + " " + run.logPath);
    const std::string settings = "Software\\Quillmark\\Demo\\Settings";
    EXPECT_EQ(RegistryGetString(kHKCU, settings, "Path"), dest);
    EXPECT_EQ(RegistryGetDword(kHKCU, settings, "Runs"), 3u);
    EXPECT_EQ(RegistryGetString(kHKCU, settings, ""), "default text");
    EXPECT_TRUE(RegistryKeyExists(kHKCU, "Software\\Quillmark\\Demo\\Cache"));
    EXPECT_FALSE(RegistryKeyExists(kHKCU, "Software\\Quillmark\\Demo\\Runtime"));
    EXPECT_EQ(RegistryGetDword(kHKLM, kSharedDlls, Home() + "/.local/share/quillmark/shared.dat"),
              1u);
    EXPECT_EQ(ReadWhole(marker_), "register\n/RegServer\n");

    // Everything new is listed in the log (or lies on the way to something listed), apart
    // from the log itself, the uninstaller, the registry store and CopyNoLog's file.
    std::set<std::string> listed = {run.logPath, uninstaller, dest + "notes.txt",
                                    Home() + "/.config/quillmark/registry.ini"};
    CIniDocument log;
    log.LoadFromText(run.log);
    for (const char* section : {"Folders", "Files", "SharedFiles", "Shortcuts"}) {
        for (const auto& entry : log.FindSection(section)->entries) {
            if (entry.key && *entry.key != "Count") {
                listed.insert(entry.value.value_or(""));
            }
        }
    }
    const Snapshot after = Take();
    for (const auto& [path, state] : after) {
        if (before.count(path) != 0) {
            continue;
        }
        const std::string full = Home() + "/" + path;
        const bool explained = std::any_of(listed.begin(), listed.end(), [&](const std::string& l) {
            return l == full || l == full + "/" || l.rfind(full + "/", 0) == 0;
        });
        EXPECT_TRUE(explained) << path << "\n" << run.log;
        EXPECT_EQ(path.find(".setup-saved"), std::string::npos) << path;
    }
}

// ---- the copy rule ----------------------------------------------------------------------

constexpr const char* kOneFileIni = R"([Version]
Signature=KRM_Setup_1.0
[Destination]
DefDir=Rule
[CopyFiles]
Count=1
S001=tool.dll
)";

TEST_F(InstallEngineTest, VersionLanguageAndTimeDecideWhetherAnInstalledFileIsReplaced) {
    enum class Side { Plain, Version };
    struct Case {
        const char* name;
        std::string source;
        std::string installed;
        int sourceAge;  // seconds before the installed file's time
        KeepFileAnswer answer;
        std::optional<KeepFileReason> asked;
        bool replaced;
    };
    const std::string v150 = PeFile(1, 5, 0, 0);
    const std::string v200 = PeFile(2, 0, 0, 0);
    const Case cases[] = {
        {"older version asks", v150, v200, -100, KeepFileAnswer::Yes, KeepFileReason::OlderFile,
         false},
        {"newer version replaces though older in time", PeFile(2, 1, 0, 0), PeFile(2, 0, 0, 5), 100,
         KeepFileAnswer::Cancel, std::nullopt, true},
        {"other language asks", PeFile(2, 0, 0, 0, 0x407), v200, -100, KeepFileAnswer::No,
         KeepFileReason::OtherLanguage, true},
        {"same version and language, newer in time", v200 + "x", v200, -100, KeepFileAnswer::Cancel,
         std::nullopt, true},
        {"same version and language, older in time", v200 + "x", v200, 100, KeepFileAnswer::No,
         KeepFileReason::OlderFile, true},
        {"plain files, same time", "new", "old", 0, KeepFileAnswer::Cancel, std::nullopt, true},
        {"plain files, older source", "new", "old", 100, KeepFileAnswer::YesToAll,
         KeepFileReason::OlderFile, false},
        {"only the source has a version", v200, "old", 100, KeepFileAnswer::Yes,
         KeepFileReason::OlderFile, false},
    };
    SetupIni(kOneFileIni);
    const std::string installed = InDestination("Rule", "tool.dll");
    for (const Case& c : cases) {
        Source("tool.dll", c.source);
        WriteWhole(installed, c.installed);
        const auto now = std::filesystem::file_time_type::clock::now();
        std::filesystem::last_write_time(installed, now);
        std::filesystem::last_write_time(source_ / "tool.dll",
                                         now - std::chrono::seconds(c.sourceAge));
        ScriptedPage page;
        page.answers = {c.answer};
        ScriptedMessageBoxes boxes;
        const RunResult run = Install(page);
        EXPECT_EQ(run.outcome, InstallOutcome::Succeeded) << c.name;
        if (c.asked) {
            ASSERT_EQ(page.asked.size(), 1u) << c.name;
            EXPECT_EQ(page.asked[0].first, "tool.dll");
            EXPECT_EQ(page.asked[0].second, *c.asked) << c.name;
        } else {
            EXPECT_TRUE(page.asked.empty()) << c.name;
        }
        EXPECT_EQ(ReadWhole(installed), c.replaced ? c.source : c.installed) << c.name;
        EXPECT_TRUE(boxes.Asked().empty()) << c.name;
    }
}

TEST_F(InstallEngineTest, YesToAllForOtherLanguagesStillAsksAboutOlderFiles) {
    SetupIni(R"([Version]
Signature=KRM_Setup_1.0
[Destination]
DefDir=Lang
[CopyFiles]
Count=4
S001=a.dll
S002=b.dll
S003=c.dll
S004=d.dll
)");
    const std::string german = PeFile(3, 0, 0, 0, 0x407);
    const std::string english = PeFile(3, 0, 0, 0, 0x409);
    for (const char* name : {"a.dll", "b.dll", "d.dll"}) {
        Source(name, german);
        WriteWhole(InDestination("Lang", name), english);
    }
    Source("c.dll", PeFile(2, 0, 0, 0, 0x407));
    WriteWhole(InDestination("Lang", "c.dll"), english);
    ScriptedPage page;
    page.answers = {KeepFileAnswer::YesToAll, KeepFileAnswer::No};
    ASSERT_EQ(Install(page).outcome, InstallOutcome::Succeeded);
    ASSERT_EQ(page.asked.size(), 2u);
    EXPECT_EQ(page.asked[0], std::make_pair(std::string("a.dll"), KeepFileReason::OtherLanguage));
    EXPECT_EQ(page.asked[1], std::make_pair(std::string("c.dll"), KeepFileReason::OlderFile));
    for (const char* name : {"a.dll", "b.dll", "d.dll"}) {
        EXPECT_EQ(ReadWhole(InDestination("Lang", name)), english) << name;
    }
    EXPECT_EQ(ReadWhole(InDestination("Lang", "c.dll")), PeFile(2, 0, 0, 0, 0x407));
}

TEST_F(InstallEngineTest, AMissingSourceAsksAndYesGoesOn) {
    SetupIni(R"([Version]
Signature=KRM_Setup_1.0
[Destination]
DefDir=Missing
[Uninstall]
LogApp=uninstall
LogFile=uninst.log
[CopyFiles]
Count=2
S001=gone.txt
S002=here.txt
)");
    Source("uninstall", "u");
    Source("here.txt", "here");
    ScriptedMessageBoxes boxes({MessageBoxResult::Yes});
    ScriptedPage page;
    const RunResult run = Install(page);
    ASSERT_EQ(run.outcome, InstallOutcome::Succeeded);
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text,
              "ERROR: The File 'gone.txt' could not be copied because it does not exist!\nDo "
              "you want to continue anyway?");
    EXPECT_EQ(boxes.Asked()[0].buttons, MessageBoxButtons::YesNo);
    EXPECT_EQ(ReadWhole(InDestination("Missing", "here.txt")), "here");
}

// ---- lists, counts and entries ----------------------------------------------------------

TEST_F(InstallEngineTest, ListsReadHexadecimalNumbersAndBlankIntegersAreDefaults) {
    std::string ini = R"([Version]
Signature=KRM_Setup_1.0
[Destination]
DefDir=Count
[Uninstall]
LogApp=uninstall
LogFile=uninst.log
NoCustom= 1
[Folders]
Count= 2
001=never
[CopyFiles]
Count=11
)";
    const char* keys[] = {"001", "002", "003", "004", "005", "006",
                          "007", "008", "009", "00A", "00B", "010"};
    for (const char* key : keys) {
        ini += std::string("S") + key + "=f" + key + "\n";
        Source(std::string("f") + key, key);
    }
    SetupIni(ini);
    Source("uninstall", "u");
    ScriptedPage page;
    const RunResult run = Install(page);
    ASSERT_EQ(run.outcome, InstallOutcome::Succeeded);
    for (const char* key : keys) {
        EXPECT_EQ(std::filesystem::exists(InDestination("Count", std::string("f") + key)),
                  std::string(key) != "010")
            << key;
    }
    EXPECT_FALSE(std::filesystem::exists(InDestination("Count", "never")));
    CIniDocument log;
    log.LoadFromText(run.log);
    EXPECT_EQ(log.GetString("Files", "Count", ""), "11");
    EXPECT_EQ(log.GetString("Files", "00B", ""), InDestination("Count", "f00B"));
    EXPECT_EQ(log.GetString("Version", "NoCustom", "absent"), "absent");
}

TEST_F(InstallEngineTest, SharedFilesCountEveryProductThatInstalledThem) {
    const std::string shared = Home() + "/.local/share/quillmark/system/common.dll";
    for (const char* product : {"First", "Second"}) {
        SetupIni(std::string("[Version]\nSignature=KRM_Setup_1.0\n[Destination]\nDefDir=") +
                 product + "\n[SharedFiles]\nCount=1\nS001=common.dll\nD001=%SYSDIR%common.dll\n");
        Source("common.dll", "common");
        ScriptedPage page;
        ASSERT_EQ(Install(page).outcome, InstallOutcome::Succeeded) << product;
    }
    EXPECT_EQ(RegistryGetDword(kHKLM, kSharedDlls, shared), 2u);
}

TEST_F(InstallEngineTest, FoldersShortcutsAndRegistryEntriesAreLoggedAsTheyAre) {
    std::filesystem::create_directories(Destination("Entries") + "exists");
    SetupIni(R"([Version]
Signature=KRM_Setup_1.0
[Destination]
DefDir=Entries
[Uninstall]
LogApp=uninstall
LogFile=uninst.log
WinKey=Example
WinName=An Example
[Desktop]
Name=Marker.txt
[Folders]
Count=1
001=exists
[RegKeys]
Count=2
001=Relative\Without\Product\Key
002=hkcu\Software\Lower
[RegVals]
Count=2
K001=HKCU\Software\Values
D001=unnamed
K002=HKCU\Software\Values
V002=Number
T002=1
D002=-1
)");
    Source("uninstall", "u");
    ScriptedPage page;
    const RunResult run = Install(page);
    ASSERT_EQ(run.outcome, InstallOutcome::Succeeded);
    CIniDocument log;
    log.LoadFromText(run.log);
    // An existing folder is logged, so that the uninstaller removes it when it is empty.
    EXPECT_EQ(log.GetString("Folders", "Count", ""), "1");
    EXPECT_EQ(log.GetString("Folders", "001", ""), Destination("Entries") + "exists/");
    // A desktop name without target is an empty file.
    EXPECT_EQ(log.GetString("Shortcuts", "001", ""), Home() + "/Desktop/Marker.txt");
    EXPECT_TRUE(std::filesystem::is_regular_file(Home() + "/Desktop/Marker.txt"));
    EXPECT_EQ(std::filesystem::file_size(Home() + "/Desktop/Marker.txt"), 0u);
    // The entry in the list of installed programs; a relative key without DefReg is skipped.
    const std::string example = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Example";
    EXPECT_EQ(RegistryGetString(kHKLM, example, "DisplayName"), "An Example");
    EXPECT_EQ(log.GetString("RegKeys", "001", ""), "HKLM\\" + example);
    EXPECT_EQ(log.GetString("RegKeys", "002", ""), "HKCU\\Software\\Lower");
    EXPECT_EQ(log.GetString("RegKeys", "Count", ""), "2");
    EXPECT_FALSE(RegistryKeyExists(kHKLM, "Relative"));
    // The default value is written but not logged; the named one is.
    EXPECT_EQ(RegistryGetString(kHKCU, "Software\\Values", ""), "unnamed");
    EXPECT_EQ(RegistryGetDword(kHKCU, "Software\\Values", "Number"), 0xFFFFFFFFu);
    EXPECT_EQ(log.GetString("RegVals", "Count", ""), "1");
    EXPECT_EQ(log.GetString("RegVals", "K001", ""), "HKCU\\Software\\Values");
    EXPECT_EQ(log.GetString("RegVals", "V001", ""), "Number");
}

TEST_F(InstallEngineTest, AnUninstallerThatCannotBeCopiedSwitchesUninstallSupportOff) {
    SetupIni(R"([Version]
Signature=KRM_Setup_1.0
[Destination]
DefDir=NoUninst
[Uninstall]
LogApp=uninstall
LogFile=uninst.log
LogAppTo=%WINDIR%no such folder\uninstall
WinKey=NoUninst
WinName=No Uninst
[CopyFiles]
Count=1
S001=a.txt
)");
    Source("a.txt", "a");
    Source("uninstall", "u");
    ScriptedMessageBoxes boxes;
    ScriptedPage page;
    const RunResult run = Install(page);
    ASSERT_EQ(run.outcome, InstallOutcome::Succeeded);
    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_TRUE(std::filesystem::exists(InDestination("NoUninst", "a.txt")));
    EXPECT_FALSE(std::filesystem::exists(InDestination("NoUninst", "uninst.log")));
    EXPECT_FALSE(RegistryKeyExists(
        kHKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NoUninst"));
}

// A program that registers itself is given half a second; one that takes longer runs on.
TEST_F(InstallEngineTest, RegisteringProgramsAreNotWaitedForLongerThanHalfASecond) {
    SetupIni(R"([Version]
Signature=KRM_Setup_1.0
[Destination]
DefDir=Slow
[Uninstall]
LogApp=uninstall
LogFile=uninst.log
[RegisterApp]
Count=2
001=%CURDIR%slow.sh
002=%CURDIR%missing.sh
)");
    Source("uninstall", "u");
    const std::string pidFile = (root_ / "slow.pid").string();
    Source("slow.sh", "#!/bin/sh\necho $$ > '" + pidFile + "'\nexec sleep 5\n");
    std::filesystem::permissions(source_ / "slow.sh", std::filesystem::perms(0755));
    ScriptedPage page;
    const auto start = std::chrono::steady_clock::now();
    const RunResult run = Install(page);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // The program we started is ours to end.
    for (int i = 0; i < 200 && ReadWhole(pidFile).empty(); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    if (const int pid = std::atoi(ReadWhole(pidFile).c_str()); pid > 0) {
        kill(pid, SIGTERM);
    }
    ASSERT_EQ(run.outcome, InstallOutcome::Succeeded);
    EXPECT_LT(elapsed, 4s);
    CIniDocument log;
    log.LoadFromText(run.log);
    EXPECT_EQ(log.GetString("RegisterApp", "Count", ""), "1");
    EXPECT_EQ(log.GetString("RegisterApp", "001", ""), source_.string() + "/slow.sh");
}

// Shortcuts cannot be made at all: the message, and the installation goes on without them.
class NoShortcutServices : public SetupServices {
  public:
    bool PrepareShortcuts() override { return false; }
};

TEST_F(InstallEngineTest, WithoutShortcutServicesTheRunGoesOnWithoutShortcuts) {
    ProductSources();
    NoShortcutServices services;
    ScriptedMessageBoxes boxes;
    ScriptedPage page;
    const RunResult run = Install(page, services);
    ASSERT_EQ(run.outcome, InstallOutcome::Succeeded);
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text, kShellObjectsUnavailable);
    EXPECT_FALSE(std::filesystem::exists(Home() + "/Desktop/Demo.desktop"));
    CIniDocument log;
    log.LoadFromText(run.log);
    EXPECT_EQ(log.GetString("Shortcuts", "Count", ""), "0");
    EXPECT_EQ(log.GetString("Files", "Count", ""), "3");
}

// What the wizard's pages decided: no desktop shortcut, no uninstall information, and
// folders the pages made themselves, which a failed run removes again.
TEST_F(InstallEngineTest, TheWizardsChoicesSteerTheRun) {
    ProductSources();
    const std::string dest = Destination("Quillmark Demo");
    const std::string group = Home() + "/.local/share/applications/Quillmark Demo/";
    const auto choose = [&](CInstallEngine& engine, CSetupConfig&) {
        std::filesystem::create_directories(dest);
        std::filesystem::create_directories(group);
        engine.Choices().createdDestination = true;
        // The destination page made the missing parent too.
        engine.Choices().madeDestination = {Home() + "/.local/opt/", dest};
        engine.Choices().createdGroup = true;
        engine.Choices().desktopShortcut = false;
        engine.Choices().uninstall = false;
    };
    {
        ScriptedPage page;
        const RunResult run = Install(page, services_, choose);
        ASSERT_EQ(run.outcome, InstallOutcome::Succeeded);
        EXPECT_EQ(run.progressRange, 15);  // neither LogNoCopy, LogKeys nor the desktop
        EXPECT_FALSE(std::filesystem::exists(Home() + "/Desktop/Demo.desktop"));
        EXPECT_FALSE(std::filesystem::exists(dest + "uninst/uninst.log"));
        EXPECT_FALSE(std::filesystem::exists(Home() + "/.local/share/quillmark/uninstall"));
        CIniDocument log;
        log.LoadFromText(run.log);
        EXPECT_EQ(log.GetString("Folders", "001", ""), Home() + "/.local/opt/");
        EXPECT_EQ(log.GetString("Folders", "002", ""), dest);
        EXPECT_EQ(log.GetString("Folders", "003", ""), group);
    }
    std::filesystem::remove_all(Home() + "/.local/opt");
    std::filesystem::remove_all(group);
    std::filesystem::remove(source_ / "readme.txt");
    const Snapshot before = Take();
    ScriptedMessageBoxes boxes({MessageBoxResult::No});
    ScriptedPage page;
    EXPECT_EQ(Install(page, services_, choose).outcome, InstallOutcome::Failed);
    EXPECT_EQ(Take(), before);
}

// ---- a stopped run leaves nothing behind ------------------------------------------------

TEST_F(InstallEngineTest, ARunFailingAtItsLastFileLeavesEverythingAsItWas) {
    ProductSources();
    std::filesystem::remove(source_ / "readme.txt");
    const Snapshot before = Take();
    ScriptedMessageBoxes boxes({MessageBoxResult::No});
    ScriptedPage page;
    EXPECT_EQ(Install(page).outcome, InstallOutcome::Failed);
    // The user's No ends the run without a further message.
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_NE(boxes.Asked()[0].text.find("readme.txt"), std::string::npos);
    EXPECT_EQ(page.finished, InstallOutcome::Failed);
    EXPECT_EQ(Take(), before);
}

TEST_F(InstallEngineTest, ReplacedFilesComeBackWhenTheRunFailsLater) {
    ProductSources();
    std::filesystem::remove(source_ / "readme.txt");
    // An installed program newer than the one on the medium, and a shared file counted once.
    const std::string dest = Destination("Quillmark Demo");
    WriteWhole(dest + "bin/demo", "newer installed program");
    std::filesystem::permissions(dest + "bin/demo", std::filesystem::perms(0700));
    const auto now = std::filesystem::file_time_type::clock::now();
    std::filesystem::last_write_time(source_ / "demo", now - 1h);
    ASSERT_TRUE(RegistrySetDword(kHKLM, kSharedDlls, "/elsewhere/lib.so", 4));
    const Snapshot before = Take();
    ScriptedMessageBoxes boxes({MessageBoxResult::No});
    ScriptedPage page;
    page.answers = {KeepFileAnswer::No};  // replace it
    EXPECT_EQ(Install(page).outcome, InstallOutcome::Failed);
    ASSERT_EQ(page.asked.size(), 1u);
    EXPECT_EQ(page.asked[0].second, KeepFileReason::OlderFile);
    EXPECT_EQ(Take(), before);
    EXPECT_EQ(ReadWhole(dest + "bin/demo"), "newer installed program");
}

TEST_F(InstallEngineTest, CancelHoldsTheWorkerWhileAskingAndUndoesTheRun) {
    ProductSources();
    const Snapshot before = Take();
    struct Case {
        const char* name;
        int at;
        bool unregisters;
    };
    const Case cases[] = {
        {"creating folders", 1, false},
        {"copying files", 4, false},
        {"writing values", 15, false},
        {"after a server registered", 17, true},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(marker_);
        ScriptedMessageBoxes boxes;
        ScriptedPage page;
        page.cancelAt = c.at;
        EXPECT_EQ(Install(page).outcome, InstallOutcome::Cancelled) << c.name;
        EXPECT_EQ(page.finished, InstallOutcome::Cancelled) << c.name;
        EXPECT_EQ(page.positionWhileAsked, c.at) << c.name;
        EXPECT_EQ(page.position, c.at) << c.name;
        EXPECT_TRUE(boxes.Asked().empty()) << c.name;
        EXPECT_EQ(Take(), before) << c.name;
        EXPECT_EQ(ReadWhole(marker_), c.unregisters ? "register\nunregister\n" : "") << c.name;
    }
}

TEST_F(InstallEngineTest, CancelAnsweredNoLetsTheRunFinish) {
    ProductSources();
    ScriptedPage page;
    page.cancelAt = 4;
    page.abortAnswer = false;
    const RunResult run = Install(page);
    EXPECT_EQ(run.outcome, InstallOutcome::Succeeded);
    EXPECT_TRUE(std::filesystem::exists(run.logPath));
}

// A Setup killed half-way leaves its journal; the next start undoes the run from it.
class KillingPage : public ScriptedPage {
  public:
    explicit KillingPage(int at) : at_(at) {}
    void Advanced(int position) override {
        if (position == at_) {
            kill(getpid(), SIGKILL);
        }
    }

  private:
    int at_;
};

// Runs the body in a child process (so that limits and a changed user stay there) and
// returns its exit code.
int InChild(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

enum ChildResult { kFailedWithCopyMessage = 10, kFailedAfterSpaceQuestion, kOtherResult };

TEST_F(InstallEngineTest, ACopyCutShortByAFileSizeLimitIsUndone) {
    ProductSources();
    Source("readme.txt", std::string(256 * 1024, 'r'));  // larger than the limit below
    const Snapshot before = Take();
    struct Case {
        const char* name;
        bool fullDrive;
        int expected;
    };
    const Case cases[] = {
        {"the copy is tried again and fails", false, kFailedWithCopyMessage},
        {"a full drive asks first", true, kFailedAfterSpaceQuestion},
    };
    for (const Case& c : cases) {
        const int code = InChild([&] {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{64 * 1024, 64 * 1024};
            setrlimit(RLIMIT_FSIZE, &limit);
            ScriptedMessageBoxes boxes({MessageBoxResult::No});
            ScriptedPage page;
            FullDriveServices fullDrive;
            const RunResult run = Install(page, c.fullDrive ? fullDrive : services_);
            if (run.outcome != InstallOutcome::Failed || boxes.Asked().size() != 1) {
                return kOtherResult;
            }
            if (boxes.Asked()[0].text == kFilesFailed) {
                return kFailedWithCopyMessage;
            }
            return boxes.Asked()[0].text == kNotEnoughSpace ? kFailedAfterSpaceQuestion
                                                            : kOtherResult;
        });
        EXPECT_EQ(code, c.expected) << c.name;
        EXPECT_EQ(Take(), before) << c.name;
    }
}

// The uninstaller's replacement failing is no reason to stop, but the one installed before
// must not be lost with it.
TEST_F(InstallEngineTest, AnUninstallerThatCouldNotBeReplacedIsPutBack) {
    ProductSources();
    Source("uninstall", std::string(256 * 1024, 'u'));
    const std::string installed = Home() + "/.local/share/quillmark/uninstall";
    WriteWhole(installed, "the uninstaller of an earlier installation");
    std::filesystem::last_write_time(installed,
                                     std::filesystem::file_time_type::clock::now() - 24h);
    const int code = InChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        ScriptedMessageBoxes boxes;
        ScriptedPage page;
        const RunResult run = Install(page);
        return run.outcome == InstallOutcome::Succeeded && boxes.Asked().empty() &&
                       !std::filesystem::exists(run.logPath)
                   ? 0
                   : kOtherResult;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadWhole(installed), "the uninstaller of an earlier installation");
    for (const auto& entry :
         std::filesystem::directory_iterator(Home() + "/.local/share/quillmark")) {
        EXPECT_EQ(entry.path().filename().string().find(".setup-saved"), std::string::npos);
    }
}

TEST_F(InstallEngineTest, ARunKilledHalfWayIsUndoneByTheNextStart) {
    ProductSources();
    const std::string dest = Destination("Quillmark Demo");
    WriteWhole(dest + "bin/demo", "installed before");
    std::filesystem::last_write_time(source_ / "demo",
                                     std::filesystem::file_time_type::clock::now() + 1h);
    const Snapshot before = Take();
    const pid_t child = fork();
    if (child == 0) {
        ScriptedMessageBoxes boxes;
        KillingPage page(18);  // after the server registered itself
        Install(page);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_NE(Take(), before);

    CSetupConfig config;
    Load(config);
    // A journal whose Setup still runs is left alone.
    CInstallChanges running;
    ASSERT_TRUE(running.OpenJournal(Home() + "/.local/share/quillmark/setup-rollback-1.journal"));
    EXPECT_EQ(CInstallEngine::RecoverInterruptedRuns(config, services_), 1);
    EXPECT_EQ(CInstallEngine::RecoverInterruptedRuns(config, services_), 0);
    running.Keep();
    EXPECT_EQ(Take(), before);
    EXPECT_EQ(ReadWhole(dest + "bin/demo"), "installed before");
    EXPECT_EQ(ReadWhole(marker_), "register\nunregister\n");
}

TEST_F(InstallEngineTest, AReadOnlyDestinationFailsTheCopyAndIsUndone) {
    ProductSources();
    const std::string dest = Destination("Quillmark Demo");
    std::filesystem::create_directories(dest + "bin");
    std::filesystem::permissions(dest + "bin", std::filesystem::perms(0555));
    // Root may write anywhere: the child runs as an ordinary account that owns the home.
    constexpr uid_t kNobody = 65534;
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root_)) {
            ASSERT_EQ(lchown(entry.path().c_str(), kNobody, kNobody), 0);
        }
        ASSERT_EQ(chown(root_.c_str(), kNobody, kNobody), 0);
    }
    const Snapshot before = Take();
    const int code = InChild([&] {
        if (asRoot &&
            (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            return kOtherResult;
        }
        ScriptedMessageBoxes boxes;
        ScriptedPage page;
        const RunResult run = Install(page);
        return run.outcome == InstallOutcome::Failed && boxes.Asked().size() == 1 &&
                       boxes.Asked()[0].text == kFilesFailed
                   ? kFailedWithCopyMessage
                   : kOtherResult;
    });
    EXPECT_EQ(code, kFailedWithCopyMessage);
    EXPECT_EQ(Take(), before);
}

}  // namespace
}  // namespace qm::setup
