#include "uninstall/uninstall_engine.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "platform/message_box.h"
#include "platform/registry.h"
#include "uninstall/pending_deletions.h"
#include "uninstall/uninstall_strings.h"
#include "uninstall_fixture.h"

namespace qm::uninstall {
namespace {

using testing::RecordingServices;
using testing::UninstallSandbox;
namespace fs = std::filesystem;

constexpr auto kHKLM = RegistryRoot::LocalMachine;
constexpr const char* kSharedDlls = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

class QuietPage : public UninstallPage {
  public:
    bool ConfirmAbort() override { return true; }
    void StepStarted(int, const char* label) override { steps.push_back(label); }
    std::vector<std::string> steps;
};

// Runs the removal to its end; the engine is returned for its flags.
struct Removal {
    Removal(const CIniDocument& log, RecordingServices& services) : engine(log, services, page) {
        EXPECT_TRUE(engine.Start());
        engine.Wait();
    }
    QuietPage page;
    CUninstallEngine engine;
};

class UninstallEngineTest : public ::testing::Test, public UninstallSandbox {
  protected:
    RecordingServices services;
    ScriptedMessageBoxes messages;
};

TEST_F(UninstallEngineTest, RemovesFilesFromTheLastEntryDownThenShortcutsAndTheLog) {
    for (const char* name : {"one", "two", "three", "menu.desktop"}) {
        MakeFile(name);
    }
    const CIniDocument log =
        Log("[Files]\nCount=3\n001=@/one\n002=@/two\n003=@/three\n"
            "[Shortcuts]\nCount=1\n001=@/menu.desktop\n");
    Removal run(log, services);
    EXPECT_EQ(run.engine.Outcome(), UninstallOutcome::Succeeded);
    EXPECT_EQ(services.deleted,
              (std::vector<std::string>{"three", "two", "one", "menu.desktop", "uninstall.log"}));
    EXPECT_TRUE(run.engine.EverythingRemoved());
    EXPECT_FALSE(run.engine.RestartNeeded());
    EXPECT_EQ(run.page.steps.size(), 5u);
    EXPECT_TRUE(messages.Asked().empty());
}

TEST_F(UninstallEngineTest, SharedFileGoesOnlyWithItsLastReference) {
    struct Case {
        std::optional<std::uint32_t> count;
        bool fileStays;
        std::optional<std::uint32_t> countAfter;
    };
    const Case cases[] = {
        {3, true, 2}, {2, true, 1}, {1, false, std::nullopt}, {std::nullopt, false, std::nullopt}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count ? std::to_string(*c.count) : "none");
        MakeFile("shared.so");
        const std::string path = At("shared.so");
        RegistryCreateKey(kHKLM, kSharedDlls);
        if (c.count) {
            RegistrySetDword(kHKLM, kSharedDlls, path, *c.count);
        }
        RegistrySetDword(kHKLM, kSharedDlls, "/other/product.so", 1);
        const CIniDocument log = Log("[SharedFiles]\nCount=1\n001=@/shared.so\n");
        Removal run(log, services);
        EXPECT_EQ(Exists("shared.so"), c.fileStays);
        EXPECT_EQ(RegistryGetDword(kHKLM, kSharedDlls, path), c.countAfter);
        EXPECT_EQ(RegistryGetDword(kHKLM, kSharedDlls, "/other/product.so"), 1u);
        RegistryDeleteValue(kHKLM, kSharedDlls, "/other/product.so");
    }
}

TEST_F(UninstallEngineTest, LastSharedFileTakesTheCountKeyAway) {
    MakeFile("shared.so");
    RegistrySetDword(kHKLM, kSharedDlls, At("shared.so"), 1);
    const CIniDocument log = Log("[SharedFiles]\nCount=1\n001=@/shared.so\n");
    Removal run(log, services);
    EXPECT_FALSE(RegistryKeyExists(kHKLM, kSharedDlls));
}

TEST_F(UninstallEngineTest, FoldersGoWhenEmptyAndExcludedOnesStay) {
    fs::create_directories(At("empty"));
    fs::create_directories(At("kept"));
    fs::create_directories(At("full"));
    MakeFile("full/user-made.txt");
    CIniDocument log = Log("[Folders]\nCount=3\n001=@/empty/\n002=@/kept/\n003=@/full/\n");
    log.SetString("Folders", "002", nullptr);  // what "Del" on the Folders page does
    Removal run(log, services);
    EXPECT_FALSE(Exists("empty"));
    EXPECT_TRUE(Exists("kept"));
    EXPECT_TRUE(Exists("full/user-made.txt"));
    EXPECT_FALSE(run.engine.EverythingRemoved()) << "a folder that is not empty stays";
    EXPECT_FALSE(run.engine.RestartNeeded()) << "folders are never scheduled";
    EXPECT_FALSE(Exists("uninstall.log")) << "the log goes whatever was excluded";
}

TEST_F(UninstallEngineTest, RegistryKeysWithTheRootInUpperCaseOnlyAreDeleted) {
    for (const char* key : {"Software\\Quillmark\\Upper", "Software\\Quillmark\\Lower",
                            "Software\\Quillmark\\Parent\\Child"}) {
        RegistryCreateKey(kHKLM, key);
    }
    RegistrySetString(kHKLM, "Software\\Quillmark", "Value", "1");
    RegistrySetString(kHKLM, "Software\\Quillmark", "Other", "2");
    const CIniDocument log =
        Log("[RegKeys]\nCount=3\n001=HKLM\\Software\\Quillmark\\Upper\n"
            "002=hklm\\Software\\Quillmark\\Lower\n003=HKLM\\Software\\Quillmark\\Parent\n"
            "[RegVals]\nCount=2\nK001=HKLM\\Software\\Quillmark\nV001=Value\n"
            "K002=HKLM\\Software\\Quillmark\n");
    Removal run(log, services);
    EXPECT_FALSE(RegistryKeyExists(kHKLM, "Software\\Quillmark\\Upper"));
    EXPECT_TRUE(RegistryKeyExists(kHKLM, "Software\\Quillmark\\Lower"));
    EXPECT_TRUE(RegistryKeyExists(kHKLM, "Software\\Quillmark\\Parent"))
        << "a key with subkeys stays";
    EXPECT_FALSE(RegistryGetString(kHKLM, "Software\\Quillmark", "Value"));
    EXPECT_EQ(RegistryGetString(kHKLM, "Software\\Quillmark", "Other"), "2")
        << "an entry without a value name deletes nothing";
}

TEST_F(UninstallEngineTest, FileThatCannotBeDeletedIsScheduledAndGoesLater) {
    MakeFile("busy.so");
    MakeFile("free.so");
    services.undeletable.insert(At("busy.so"));
    const CIniDocument log = Log("[Files]\nCount=2\n001=@/busy.so\n002=@/free.so\n");
    Removal run(log, services);
    EXPECT_EQ(run.engine.Outcome(), UninstallOutcome::Succeeded);
    EXPECT_FALSE(run.engine.EverythingRemoved());
    EXPECT_TRUE(run.engine.RestartNeeded());
    EXPECT_EQ(services.Scheduled(), std::vector<std::string>{At("busy.so")});

    ASSERT_TRUE(services.SaveScheduled());
    EXPECT_EQ(PendingDeletions(), std::vector<std::string>{At("busy.so")});

    EXPECT_EQ(ProcessPendingDeletions(), 1);
    EXPECT_FALSE(Exists("busy.so"));
    EXPECT_FALSE(fs::exists(PendingDeletionsFile()));
    EXPECT_FALSE(fs::exists(CleanupAutostartFile()));
    EXPECT_FALSE(fs::exists(CleanupScriptFile()));
}

// The login entry works without Uninstall, which may have been among the files it removed.
TEST_F(UninstallEngineTest, LoginCleanupDeletesThePendingFilesAndThenItself) {
    MakeFile("it's \"odd\" $name.so");
    MakeFile("plain.so");
    ASSERT_TRUE(AddPendingDeletions({At("it's \"odd\" $name.so"), At("plain.so")}));
    std::ifstream autostart(CleanupAutostartFile());
    std::string entry((std::istreambuf_iterator<char>(autostart)), {});
    const std::string exec = "Exec=/bin/sh \"" + CleanupScriptFile() + "\"\n";
    ASSERT_NE(entry.find(exec), std::string::npos) << entry;
    ASSERT_EQ(std::system(("/bin/sh '" + CleanupScriptFile() + "'").c_str()), 0);
    EXPECT_FALSE(Exists("it's \"odd\" $name.so"));
    EXPECT_FALSE(Exists("plain.so"));
    EXPECT_FALSE(fs::exists(PendingDeletionsFile()));
    EXPECT_FALSE(fs::exists(CleanupAutostartFile()));
    EXPECT_FALSE(fs::exists(CleanupScriptFile()));
}

TEST_F(UninstallEngineTest, PendingFileThatStillCannotGoStaysOnTheList) {
    MakeFile("dir/inside");  // a folder that is not empty cannot go as a file
    ASSERT_TRUE(AddPendingDeletions({At("dir"), At("gone")}));
    EXPECT_EQ(ProcessPendingDeletions(), 0);
    EXPECT_EQ(PendingDeletions(), std::vector<std::string>{At("dir")});
    EXPECT_TRUE(fs::exists(CleanupAutostartFile()));
}

TEST_F(UninstallEngineTest, RefusedUnregistrationStopsBeforeAnythingIsDeleted) {
    MakeFile("server.so");
    MakeFile("program");
    MakeFile("file");
    services.serverResult = 0x80004005L;
    const CIniDocument log =
        Log("[RegisterServer]\nCount=1\n001=@/server.so\n[RegisterApp]\nCount=1\n001=@/program\n"
            "[Files]\nCount=1\n001=@/file\n");
    Removal run(log, services);
    EXPECT_EQ(run.engine.Outcome(), UninstallOutcome::Failed);
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].text, kPrepareFailed);
    EXPECT_TRUE(services.programs.empty());
    EXPECT_TRUE(Exists("file"));
}

TEST_F(UninstallEngineTest, ProgramsAreUnregisteredLastFirstAndMissingOnesSkipped) {
    MakeFile("server.so");
    MakeFile("texbench");
    MakeFile("patchbench");
    services.serverResult = std::nullopt;  // no entry point: nothing to unregister
    const CIniDocument log =
        Log("[RegisterServer]\nCount=1\n001=@/server.so\n"
            "[RegisterApp]\nCount=3\n001=@/texbench\n002=@/missing\n003=@/patchbench\n");
    Removal run(log, services);
    EXPECT_EQ(run.engine.Outcome(), UninstallOutcome::Succeeded);
    EXPECT_EQ(services.servers, std::vector<std::string>{"server.so"});
    EXPECT_EQ(services.programs,
              (std::vector<std::string>{"patchbench /UnRegServer", "texbench /UnRegServer"}));
}

// Holds the worker at one position until the test has asked to cancel.
class HoldingPage : public UninstallPage {
  public:
    explicit HoldingPage(int holdAt) : holdAt_(holdAt) {}
    void Advanced(int at) override {
        if (at != holdAt_) {
            return;
        }
        std::unique_lock lock(mutex_);
        reached_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return released_; });
    }
    bool ConfirmAbort() override {
        {
            std::lock_guard lock(mutex_);
            released_ = true;
        }
        changed_.notify_all();
        return answer;
    }
    void WaitUntilHeld() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return reached_; });
    }
    bool answer = true;

  private:
    int holdAt_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool reached_ = false;
    bool released_ = false;
};

TEST_F(UninstallEngineTest, CancelStopsAtTheNextEntryAndNoLeavesItRunning) {
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        for (const char* name : {"a", "b", "c"}) {
            MakeFile(name);
        }
        const CIniDocument log = Log("[Files]\nCount=3\n001=@/a\n002=@/b\n003=@/c\n");
        HoldingPage page(1);
        page.answer = yes;
        CUninstallEngine engine(log, services, page);
        ASSERT_TRUE(engine.Start());
        page.WaitUntilHeld();
        EXPECT_EQ(engine.RequestCancel(), yes);
        engine.Wait();
        EXPECT_EQ(engine.Outcome(),
                  yes ? UninstallOutcome::Cancelled : UninstallOutcome::Succeeded);
        EXPECT_FALSE(Exists("c"));
        EXPECT_EQ(Exists("a"), yes);
        EXPECT_EQ(Exists("uninstall.log"), yes);
    }
}

TEST_F(UninstallEngineTest, ThreadThatCannotStartShowsItsMessage) {
    CUninstallEngine::threadFailureForTesting = [] { return true; };
    const CIniDocument log = Log("");
    QuietPage page;
    CUninstallEngine engine(log, services, page);
    EXPECT_FALSE(engine.Start());
    CUninstallEngine::threadFailureForTesting = nullptr;
    EXPECT_EQ(engine.Outcome(), UninstallOutcome::Failed);
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].text, kThreadFailed);
}

}  // namespace
}  // namespace qm::uninstall
