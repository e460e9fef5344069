// Whole installations: PackLib bound by name in a game directory made by the test, a patch
// held in memory behind a stand-in PatchLib record, scripted answers and a recording front
// end. The results are checked in the Fastfiles' bytes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "packlib/packlib.h"
#include "patchapply/console_front_end.h"
#include "patchapply/install_engine.h"
#include "patchapply/uninstall_engine.h"
#include "platform/ipc.h"
#include "platform/library_binding.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "suite/install_record.h"
#include "suite/uninstall.h"
#include "tests/packlib/test_files.h"

using namespace packlib_test;
using patchapply::RunOutcome;
using qm::MessageBoxButtons;
using qm::MessageBoxIcon;
using qm::MessageBoxResult;

namespace {

constexpr const char* kCaption = "Fastfile Patch Installer";
constexpr const char* kSuccess = "The Fastfile Patch has been installed successfully.";
constexpr const char* kString5 =
    "WARNING: The data in this patch is corrupt! One item has either no target path or no data "
    "block associated with it.\nDo you want to continue anyway? (not recommended)";
constexpr const char* kString6 =
    "An item in this patch refers to a Fastfile that does not exist in your database. This item "
    "will not be installed.";
constexpr const char* kString7 = "ERROR: Failed to open Fastfile!";
constexpr const char* kString8 = "ERROR: Failed to save Fastfile!";
constexpr const char* kString9 = "ERROR: Failed to add Fastfile item!";

// A patch as PatchLib would hand it over, built from plain values.
class MemoryPatch {
  public:
    struct Item {
        std::string name;
        const char* paths;  // null: no target list
        std::string data;
    };

    explicit MemoryPatch(std::vector<Item> items) : items_(std::move(items)) {
        std::memset(&patch_, 0, sizeof(patch_));
        std::strcpy(patch_.szTitle, "Alien Hive");
        std::strcpy(patch_.szVersion, "1.2");
        std::strcpy(patch_.szAuthor, "Hive Works");
        std::strcpy(patch_.szCopyright, "(c) Hive Works");
        std::strcpy(patch_.szDescription, "New walls {and} a \\ sound");
        records_.resize(items_.size());
        for (std::size_t i = 0; i < items_.size(); ++i) {
            KDZITEM& record = records_[i];
            std::memset(&record, 0, sizeof(record));
            std::strncpy(record.szName, items_[i].name.c_str(), KDZ_MAX_NAME - 1);
            record.lpszPath = const_cast<char*>(items_[i].paths);
            record.lpData = items_[i].data.empty()
                                ? nullptr
                                : reinterpret_cast<unsigned char*>(items_[i].data.data());
            record.dwSize = static_cast<uint32_t>(items_[i].data.size());
            record.lpNext = i + 1 < items_.size() ? &records_[i + 1] : nullptr;
        }
        patch_.dwCount = static_cast<uint32_t>(items_.size());
        patch_.lpFirst = records_.empty() ? nullptr : records_.data();
    }
    KDZPATCH* Record() { return &patch_; }

  private:
    std::vector<Item> items_;
    std::vector<KDZITEM> records_;
    KDZPATCH patch_;
};

// The stand-in PatchLib opens one file name only, the one the test put its patch under.
// Every other patch (the install records) is PatchLib's own.
struct OpenablePatch {
    std::string fileName;
    KDZPATCH* patch = nullptr;
    int opened = 0;
    int closed = 0;
    const PATCHLIBEXPORT* real = nullptr;
};
OpenablePatch g_openable;

KDZPATCH* KDZAPI OpenPatch(const char* file) {
    if (g_openable.fileName != file) {
        const bool record = std::string_view(file).ends_with(suite::kRecordPatchFile);
        return record && g_openable.real != nullptr ? g_openable.real->KDZOpenPatch(file) : nullptr;
    }
    ++g_openable.opened;
    return g_openable.patch;
}
void KDZAPI ClosePatch(KDZPATCH* patch) {
    if (patch != g_openable.patch && g_openable.real != nullptr) {
        g_openable.real->KDZClosePatch(patch);
        return;
    }
    ++g_openable.closed;
}

class RecordingFrontEnd : public patchapply::InstallFrontEnd {
  public:
    bool ConfirmPatch(const patchapply::PatchTexts& texts) override {
        events.push_back("confirm");
        shown = texts;
        return confirm;
    }
    std::optional<std::string> ChooseFile(const std::string& initialName) override {
        events.push_back("choose " + initialName);
        return chosen;
    }
    void BeginProgress(std::size_t count) override {
        events.push_back("begin " + std::to_string(count));
    }
    void ShowItem(const std::string& itemName) override { events.push_back("item " + itemName); }
    void StepProgress() override { events.push_back("step"); }
    void EndProgress() override { events.push_back("end"); }
    void Broadcast() override { events.push_back("broadcast"); }

    bool confirm = true;
    std::optional<std::string> chosen;
    std::vector<std::string> events;
    patchapply::PatchTexts shown;
};

Bytes Data(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// A RIFF chunk as a sound item holds it.
std::string Riff(const std::string& body) {
    Bytes out;
    PutText(out, "RIFF");
    PutU32(out, static_cast<std::uint32_t>(body.size()));
    PutText(out, body);
    return std::string(out.begin(), out.end());
}

struct Question {
    std::string text;
    MessageBoxButtons buttons;
    MessageBoxIcon icon;
    bool operator==(const Question&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Question& q) {
    return out << "{" << q.text << ", " << static_cast<int>(q.buttons) << ", "
               << static_cast<int>(q.icon) << "}";
}

const Question kSuccessQuestion{kSuccess, MessageBoxButtons::Ok, MessageBoxIcon::Information};

class PatchApplyInstall : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("QUILLMARK_REGISTRY", dir_.File("registry.ini").c_str(), 1);
        setenv("XDG_DATA_HOME", dir_.File("data").c_str(), 1);
        fastfiles_ = dir_.File("game") + "/fastfile/";
        std::filesystem::create_directories(fastfiles_);
        ASSERT_TRUE(qm::RegistrySetString(qm::RegistryRoot::LocalMachine,
                                          "Software\\Fox Interactive\\Aliens versus Predator",
                                          "Path", dir_.File("game")));
        std::string error;
        ASSERT_TRUE(packLib_.Bind("PackLib.dll", "PackLibInit", &error)) << error;
        WriteFile(
            fastfiles_ + "ffinfo.txt",
            Data("graphics\\menus;menus.ffl\ngraphics\\hud;Hud.ffl\ngraphics\\gone;gone.ffl\n"));
        MakeArchive("menus.ffl",
                    {{"graphics\\menus\\a.rim", "old a"}, {"graphics\\menus\\b.rim", "old b"}});
        MakeArchive("Hud.ffl", {{"graphics\\hud\\c.rim", "old c"}});
        // The sound archive's name differs in case from the one the installer asks for.
        WriteFile(fastfiles_ + "common.ffl",
                  Concat({SoundRecord(7, "boom.wav", "WAVEold"),
                          SoundRecord(9, "hiss.wav", "WAVEhiss"), Bytes{0xFF, 0xFF}}));
        patchFile_ = dir_.File("hive.kdz");
        WriteFile(patchFile_, Data("stand-in"));
        ASSERT_TRUE(realPatchLib_.Bind("PatchLib.dll", "PatchLibInit", &error)) << error;
        patchLib_ = realPatchLib_.Record();
        g_openable.real = &realPatchLib_.Record();
        patchLib_.KDZOpenPatch = OpenPatch;
        patchLib_.KDZClosePatch = ClosePatch;
    }
    void TearDown() override {
        g_openable = {};
        realPatchLib_.Unbind();
        packLib_.Unbind();
        unsetenv("QUILLMARK_REGISTRY");
        unsetenv("XDG_DATA_HOME");
    }

    const PACKLIBEXPORT& Lib() const { return packLib_.Record(); }

    // Writes a Fastfile through PackLib itself, so that expected bytes come from the library.
    void MakeArchive(const std::string& name,
                     const std::vector<std::pair<std::string, std::string>>& items,
                     const std::string& directory = "") {
        const std::string path = (directory.empty() ? fastfiles_ : directory) + name;
        FFLARCHIVE* archive = Lib().FFLCreateArchive(path.c_str());
        ASSERT_NE(archive, nullptr);
        for (const auto& [itemPath, data] : items) {
            ASSERT_NE(Lib().FFLAddItem(archive, itemPath.c_str(), data.data(),
                                       static_cast<uint32_t>(data.size())),
                      nullptr);
        }
        ASSERT_TRUE(Lib().FFLSaveArchive(archive, nullptr));
        Lib().FFLCloseArchive(archive);
    }

    Bytes Expected(const std::vector<std::pair<std::string, std::string>>& items) {
        const std::string reference = dir_.File("reference/");
        std::filesystem::create_directories(reference);
        MakeArchive("expected.ffl", items, reference);
        return ReadFile(reference + "expected.ffl");
    }

    Bytes Fastfile(const std::string& name) const { return ReadFile(fastfiles_ + name); }

    RunOutcome Install(MemoryPatch& patch, const std::string& commandLine,
                       std::deque<MessageBoxResult> answers = {}) {
        g_openable.fileName = patchFile_;
        g_openable.patch = patch.Record();
        qm::ScriptedMessageBoxes boxes(std::move(answers));
        const auto outcome = patchapply::RunInstallation(
            Lib(), patchLib_, patchapply::ParseCommandLine(commandLine), frontEnd_,
            patchapply::InstallOptions{std::chrono::milliseconds(0)});
        asked_.clear();
        details_.clear();
        for (const auto& request : boxes.Asked()) {
            EXPECT_EQ(request.caption, kCaption);
            asked_.push_back({request.text, request.buttons, request.icon});
            details_.push_back(request.details);
        }
        unscripted_ = boxes.Unscripted();
        return outcome;
    }

    TempDir dir_;
    std::string fastfiles_;
    std::string patchFile_;
    qm::LibraryBinding<PACKLIBEXPORT> packLib_;
    qm::LibraryBinding<PATCHLIBEXPORT> realPatchLib_;
    PATCHLIBEXPORT patchLib_{};
    RecordingFrontEnd frontEnd_;
    std::vector<Question> asked_;
    std::vector<std::string> details_;  // the line under each question's fixed text
    int unscripted_ = 0;
};

TEST_F(PatchApplyInstall, TargetsInTwoFastfilesAndTheSoundArchive) {
    MemoryPatch patch({
        {"Wall", "graphics\\menus\\a.rim||graphics\\hud\\new.rim|", "new wall"},
        {"Boom", "boom.wav", Riff("WAVEloud")},
    });
    EXPECT_EQ(Install(patch, patchFile_, {MessageBoxResult::Ok}), RunOutcome::Installed);

    EXPECT_EQ(asked_, std::vector<Question>{kSuccessQuestion});
    EXPECT_EQ(frontEnd_.events,
              (std::vector<std::string>{"confirm", "begin 3", "item Wall", "step", "item Wall",
                                        "step", "item Boom", "step", "end", "broadcast"}));
    EXPECT_EQ(Fastfile("menus.ffl"), Expected({{"graphics\\menus\\a.rim", "new wall"},
                                               {"graphics\\menus\\b.rim", "old b"}}));
    EXPECT_EQ(Fastfile("Hud.ffl"), Expected({{"graphics\\hud\\c.rim", "old c"},
                                             {"graphics\\hud\\new.rim", "new wall"}}));
    // Tags and the other sound survive; the replaced data is the new chunk.
    Bytes sound = Concat({Bytes{7, 0}, Data("boom.wav"), Bytes{0}, Data(Riff("WAVEloud")),
                          SoundRecord(9, "hiss.wav", "WAVEhiss"), Bytes{0xFF, 0xFF}});
    EXPECT_EQ(Fastfile("common.ffl"), sound);
    EXPECT_EQ(g_openable.opened, 1);
    EXPECT_EQ(g_openable.closed, 1);
}

TEST_F(PatchApplyInstall, ShowsThePatchTextsCutToTheirFields) {
    MemoryPatch patch({{"Wall", "graphics\\menus\\a.rim", "x"}});
    std::memset(patch.Record()->szDescription, 'd', KDZ_MAX_TEXT);  // no terminator
    frontEnd_.confirm = false;
    const Bytes before = Fastfile("menus.ffl");
    EXPECT_EQ(Install(patch, "  " + patchFile_ + "  "), RunOutcome::Ended);
    EXPECT_EQ(frontEnd_.shown.product, "Alien Hive");
    EXPECT_EQ(frontEnd_.shown.version, "1.2");
    EXPECT_EQ(frontEnd_.shown.company, "Hive Works");
    EXPECT_EQ(frontEnd_.shown.copyright, "(c) Hive Works");
    EXPECT_EQ(frontEnd_.shown.description, std::string(256, 'd'));
    // Cancel in the information dialog: nothing asked, nothing written, no broadcast.
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(frontEnd_.events, std::vector<std::string>{"confirm"});
    EXPECT_EQ(Fastfile("menus.ffl"), before);
    EXPECT_EQ(g_openable.closed, 1);
}

TEST_F(PatchApplyInstall, QuietRunShowsOnlyTheProgress) {
    MemoryPatch patch({{"Wall", "graphics\\menus\\a.rim", "quiet"}});
    EXPECT_EQ(Install(patch, "-NOPROMPT " + patchFile_), RunOutcome::Installed);
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(frontEnd_.events, (std::vector<std::string>{"begin 1", "item Wall", "step", "end"}));
    EXPECT_EQ(Fastfile("menus.ffl"),
              Expected({{"graphics\\menus\\a.rim", "quiet"}, {"graphics\\menus\\b.rim", "old b"}}));
}

// The fixed texts say only that something failed; the line under them names the Fastfile (or
// the item or target) and the cause, which for a damaged file is the library's own word.
TEST_F(PatchApplyInstall, FailuresNameTheFileAndTheCause) {
    Bytes menus = Fastfile("menus.ffl");
    menus.resize(menus.size() - 3);
    WriteFile(fastfiles_ + "menus.ffl", menus);
    MemoryPatch patch({{"Wall", "graphics\\menus\\a.rim", "new"},
                       {"Lost", "graphics\\nowhere\\x.rim", "new"},
                       {"Roar", "roar.wav", Riff("WAVEroar")},
                       {"Empty", "graphics\\hud\\c.rim", ""}});
    EXPECT_EQ(Install(patch, "-noprompt " + patchFile_,
                      {MessageBoxResult::Ok, MessageBoxResult::Ok, MessageBoxResult::Ok,
                       MessageBoxResult::Ok, MessageBoxResult::Yes}),
              RunOutcome::Installed);
    ASSERT_EQ(asked_.size(), 5u);
    const std::vector<std::string> expectedTexts = {kString7, kString6, kString7, kString9,
                                                    kString5};
    for (std::size_t i = 0; i < asked_.size(); ++i) {
        EXPECT_EQ(asked_[i].text, expectedTexts[i]) << i;  // the fixed text stays as it was
    }
    EXPECT_EQ(details_[0],
              "Fastfile \"menus.ffl\": FFLOpenArchive() the file is cut off: its "
              "directory or data block ends past the end of the file");
    const std::string noEntry =
        "Target \"graphics\\nowhere\\x.rim\": the folder \"graphics\\nowhere\" has no entry in "
        "the Fastfile database";
    EXPECT_EQ(details_[1], noEntry);
    EXPECT_EQ(details_[2], noEntry);
    EXPECT_NE(details_[3].find(fastfiles_ + "common.ffl"), std::string::npos) << details_[3];
    EXPECT_NE(details_[3].find("\"roar.wav\""), std::string::npos) << details_[3];
    EXPECT_EQ(details_[4], "Item \"Empty\": no data");
}

// Each case: the patch's items, the answers given, the questions expected, the outcome, and
// whether the second menus item was written afterwards (the target that follows the failure).
TEST_F(PatchApplyInstall, FailuresAskAndTheAnswerDecides) {
    const Question q5{kString5, MessageBoxButtons::YesNo, MessageBoxIcon::Question};
    const Question q6{kString6, MessageBoxButtons::OkCancel, MessageBoxIcon::Information};
    const Question q7{kString7, MessageBoxButtons::OkCancel, MessageBoxIcon::Error};
    const Question q9{kString9, MessageBoxButtons::OkCancel, MessageBoxIcon::Error};
    struct Case {
        const char* name;
        std::vector<MemoryPatch::Item> items;
        std::deque<MessageBoxResult> answers;
        std::vector<Question> asked;
        RunOutcome outcome;
        bool laterTargetWritten;
    };
    const char* next = "graphics\\menus\\b.rim";
    std::vector<Case> cases = {
        {"folder not in the database, OK",
         {{"W", "graphics\\nowhere\\x.rim", "new"}, {"N", next, "next"}},
         {MessageBoxResult::Cancel, MessageBoxResult::Ok, MessageBoxResult::Ok},
         {q6, q7, kSuccessQuestion},
         RunOutcome::Installed,
         true},
        {"folder not in the database, Cancel",
         {{"W", "graphics\\nowhere\\x.rim", "new"}, {"N", next, "next"}},
         {MessageBoxResult::Ok, MessageBoxResult::Cancel},
         {q6, q7},
         RunOutcome::Stopped,
         false},
        {"Fastfile missing, OK",
         {{"W", "graphics\\gone\\x.rim|graphics\\menus\\b.rim", "next"}},
         {MessageBoxResult::Ok, MessageBoxResult::Ok},
         {q7, kSuccessQuestion},
         RunOutcome::Installed,
         true},
        {"no such sound, nothing added",
         {{"W", "\\quiet.wav", Riff("WAVE")}, {"N", next, "next"}},
         {MessageBoxResult::Ok, MessageBoxResult::Ok},
         {q9, kSuccessQuestion},
         RunOutcome::Installed,
         true},
        // Stored, it would leave the whole sound archive unreadable.
        {"a sound that is not one RIFF chunk, nothing replaced",
         {{"W", "\\boom.wav", Riff("WAVEloud") + "ID3TAG"}, {"N", next, "next"}},
         {MessageBoxResult::Ok, MessageBoxResult::Ok},
         {q9, kSuccessQuestion},
         RunOutcome::Installed,
         true},
        {"item without data, Yes",
         {{"W", "graphics\\menus\\a.rim", ""}, {"N", next, "next"}},
         {MessageBoxResult::Yes, MessageBoxResult::Ok},
         {q5, kSuccessQuestion},
         RunOutcome::Installed,
         true},
        {"item without targets, No",
         {{"W", nullptr, "data"}, {"N", next, "next"}},
         {MessageBoxResult::No},
         {q5},
         RunOutcome::Stopped,
         false},
        {"only bars, nothing to do",
         {{"W", "||", "data"}, {"N", next, "next"}},
         {MessageBoxResult::Ok},
         {kSuccessQuestion},
         RunOutcome::Installed,
         true},
    };
    const Bytes sound = Fastfile("common.ffl");
    const Bytes menus = Fastfile("menus.ffl");
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(fastfiles_ + "menus.ffl", menus);
        frontEnd_.events.clear();
        MemoryPatch patch(c.items);
        EXPECT_EQ(Install(patch, patchFile_, c.answers), c.outcome);
        EXPECT_EQ(asked_, c.asked);
        EXPECT_EQ(unscripted_, 0);
        EXPECT_EQ(frontEnd_.events.back(), "broadcast");  // whatever the status
        const Bytes written =
            Expected({{"graphics\\menus\\a.rim", "old a"}, {"graphics\\menus\\b.rim", "next"}});
        EXPECT_EQ(Fastfile("menus.ffl") == written, c.laterTargetWritten);
        if (!c.laterTargetWritten) {
            EXPECT_EQ(Fastfile("menus.ffl"), menus);
        }
        EXPECT_EQ(Fastfile("common.ffl"), sound);
    }
}

TEST_F(PatchApplyInstall, TwoTargetsInOneFastfileAreWrittenOneAfterTheOther) {
    MemoryPatch patch({{"Both", "graphics\\menus\\b.rim|graphics\\menus\\z.rim", "both"}});
    EXPECT_EQ(Install(patch, "-noprompt" + patchFile_), RunOutcome::Installed);
    EXPECT_EQ(Fastfile("menus.ffl"), Expected({{"graphics\\menus\\a.rim", "old a"},
                                               {"graphics\\menus\\b.rim", "both"},
                                               {"graphics\\menus\\z.rim", "both"}}));
}

TEST_F(PatchApplyInstall, AMissingPatchFileOpensTheOpenDialog) {
    MemoryPatch patch({{"Wall", "graphics\\menus\\a.rim", "chosen"}});
    const std::string missing = dir_.File("nowhere.kdz");
    EXPECT_EQ(Install(patch, "-noprompt " + missing), RunOutcome::Ended);
    EXPECT_EQ(frontEnd_.events, std::vector<std::string>{"choose " + missing});
    EXPECT_EQ(g_openable.opened, 0);

    frontEnd_.events.clear();
    frontEnd_.chosen = patchFile_;
    EXPECT_EQ(Install(patch, "-noprompt " + dir_.Path()), RunOutcome::Installed);  // a directory
    EXPECT_EQ(frontEnd_.events.front(), "choose " + dir_.Path());
    EXPECT_EQ(Fastfile("menus.ffl"), Expected({{"graphics\\menus\\a.rim", "chosen"},
                                               {"graphics\\menus\\b.rim", "old b"}}));
}

TEST_F(PatchApplyInstall, StartUpFailuresEndWithTheirMessage) {
    MemoryPatch patch({{"Wall", "graphics\\menus\\a.rim", "x"}});
    const Bytes menus = Fastfile("menus.ffl");
    const std::string other = dir_.File("other.kdz");
    WriteFile(other, Data("not ours"));
    EXPECT_EQ(Install(patch, other), RunOutcome::Ended);
    EXPECT_EQ(asked_, (std::vector<Question>{{"ERROR: Failed to open Fastfile patch.",
                                              MessageBoxButtons::Ok, MessageBoxIcon::Error}}));

    std::filesystem::remove(fastfiles_ + "ffinfo.txt");
    EXPECT_EQ(Install(patch, patchFile_), RunOutcome::Ended);
    EXPECT_EQ(asked_, (std::vector<Question>{{"ERROR: Failed to open Fastfile database!",
                                              MessageBoxButtons::Ok, MessageBoxIcon::Error}}));
    EXPECT_EQ(Fastfile("menus.ffl"), menus);
    EXPECT_EQ(g_openable.opened, 0);
}

// A save that fails half-way (the file size limit stops the write) leaves the Fastfile as it
// was: the installer reports string 8 and the old bytes are still there in full.
TEST_F(PatchApplyInstall, AFailedSaveLeavesTheOldFastfile) {
    const Bytes menus = Fastfile("menus.ffl");
    MemoryPatch patch({{"Big", "graphics\\menus\\a.rim", std::string(64 * 1024, 'B')}});
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{8 * 1024, 8 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        const auto outcome = Install(patch, "-noprompt " + patchFile_, {MessageBoxResult::Ok});
        const bool asked8 = asked_ == std::vector<Question>{{kString8, MessageBoxButtons::OkCancel,
                                                             MessageBoxIcon::Error}};
        _exit(outcome == RunOutcome::Installed && asked8 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Fastfile("menus.ffl"), menus);
}

// The terminal's installer tells running tools as the windowed one does: a TexBench started
// by hand on a display stays stale otherwise.
TEST(PatchApplyConsole, BroadcastsTheChangeToRunningTools) {
    TempDir dir;
    setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
    auto texbench = qm::IpcListener::Listen("Quillmark - Skinwright");
    ASSERT_NE(texbench, nullptr);
    std::thread broadcaster([] { patchapply::ConsoleFrontEnd().Broadcast(); });
    const auto message = texbench->Receive(std::chrono::seconds(5));
    broadcaster.join();
    unsetenv("XDG_RUNTIME_DIR");
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->kind, "WM_WININICHANGE");
    EXPECT_EQ(std::string(message->data.begin(), message->data.end()), "Quillmark");
}

}  // namespace

namespace {

// Taking installations back out: the record written before the first Fastfile changes, the
// uninstall from it, and what a second installation over the same items or a killed run does.
constexpr const char* kUninstallCaption = "Fastfile Patch Uninstaller";
constexpr const char* kUninstalled = "The Fastfile patch has been uninstalled.";

class PatchApplyUninstall : public PatchApplyInstall {
  protected:
    struct Game {
        Bytes menus, hud, common;
        bool operator==(const Game&) const = default;
    };
    Game Now() const {
        return {Fastfile("menus.ffl"), Fastfile("Hud.ffl"), Fastfile("common.ffl")};
    }

    // A wall replaced, a HUD texture added and a sound replaced in COMMON.FFL.
    MemoryPatch ThreeTargets(const std::string& title, const std::string& wall) {
        MemoryPatch patch({{"Wall", "graphics\\menus\\a.rim", wall},
                           {"Hud", "graphics\\hud\\new.rim", "added " + wall},
                           {"Boom", "boom.wav", Riff("WAVE" + wall)}});
        std::strcpy(patch.Record()->szTitle, title.c_str());
        return patch;
    }

    std::vector<suite::InstallRecord> Records() const { return suite::ListInstallRecords(); }

    bool Uninstall(const std::string& commandLine, std::deque<MessageBoxResult> answers = {}) {
        qm::ScriptedMessageBoxes boxes(std::move(answers));
        const bool done = patchapply::RunUninstall(
            Lib(), patchLib_, patchapply::ParseCommandLine(commandLine), frontEnd_);
        asked_.clear();
        details_.clear();
        for (const auto& request : boxes.Asked()) {
            EXPECT_EQ(request.caption, kUninstallCaption);
            asked_.push_back({request.text, request.buttons, request.icon});
            details_.push_back(request.details);
        }
        return done;
    }
};

TEST_F(PatchApplyUninstall, UninstallPutsEveryFastfileBackByteForByte) {
    const Game before = Now();
    MemoryPatch patch = ThreeTargets("Alien Hive", "hive");
    ASSERT_EQ(Install(patch, patchFile_, {MessageBoxResult::Ok}), RunOutcome::Installed);
    // Recording is silent: the installation asked nothing beyond its success message.
    EXPECT_EQ(asked_, std::vector<Question>{kSuccessQuestion});
    ASSERT_NE(Now(), before);

    const auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].title, "Alien Hive");
    EXPECT_EQ(std::filesystem::path(records[0].folder).filename().string().rfind("Alien_Hive-", 0),
              0u);
    ASSERT_EQ(records[0].targets.size(), 3u);
    EXPECT_FALSE(records[0].targets[0].added);
    EXPECT_TRUE(records[0].targets[1].added);
    EXPECT_EQ(records[0].targets[2].fastfile, "COMMON.FFL");

    EXPECT_TRUE(Uninstall("-uninstall " + records[0].folder, {MessageBoxResult::Ok}));
    EXPECT_EQ(asked_, (std::vector<Question>{
                          {kUninstalled, MessageBoxButtons::Ok, MessageBoxIcon::Information}}));
    EXPECT_EQ(Now(), before);
    EXPECT_FALSE(std::filesystem::exists(records[0].folder));
    EXPECT_TRUE(Records().empty());
}

TEST_F(PatchApplyUninstall, TwoInstallationsOverOneItemComeOutNewestFirst) {
    const Game before = Now();
    MemoryPatch first = ThreeTargets("First", "one");
    ASSERT_EQ(Install(first, "-noprompt " + patchFile_), RunOutcome::Installed);
    const Game afterFirst = Now();
    MemoryPatch second = ThreeTargets("Second", "two");
    ASSERT_EQ(Install(second, "-noprompt " + patchFile_), RunOutcome::Installed);
    const Game afterBoth = Now();

    auto records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].title, "Second");  // newest first
    const std::string firstFolder = records[1].folder;
    const std::string secondFolder = records[0].folder;

    // The older one first: refused after the question, naming the items and the later patch.
    EXPECT_FALSE(Uninstall("-uninstall " + firstFolder, {MessageBoxResult::No}));
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0].buttons, MessageBoxButtons::YesNo);
    EXPECT_NE(details_[0].find("\"graphics\\menus\\a.rim\" in menus.ffl"), std::string::npos);
    EXPECT_NE(details_[0].find("\"boom.wav\" in COMMON.FFL"), std::string::npos);
    EXPECT_NE(details_[0].find("later installation \"Second\""), std::string::npos);
    EXPECT_EQ(Now(), afterBoth);
    EXPECT_TRUE(std::filesystem::exists(firstFolder));

    // Newest first gives each step's bytes back.
    EXPECT_TRUE(Uninstall("-noprompt -uninstall " + secondFolder));
    EXPECT_EQ(Now(), afterFirst);
    EXPECT_TRUE(Uninstall("-uninstall " + firstFolder, {MessageBoxResult::Ok}));
    EXPECT_EQ(Now(), before);
}

TEST_F(PatchApplyUninstall, AnItemChangedSinceIsOnlyRestoredWhenToldToGoOn) {
    const Game before = Now();
    MemoryPatch patch = ThreeTargets("Hive", "hive");
    ASSERT_EQ(Install(patch, "-noprompt " + patchFile_), RunOutcome::Installed);
    MakeArchive("menus.ffl", {{"graphics\\menus\\a.rim", "edited by hand"},
                              {"graphics\\menus\\b.rim", "old b"}});
    const Game edited = Now();
    const std::string folder = Records().at(0).folder;

    struct Case {
        const char* name;
        std::string commandLine;
        std::deque<MessageBoxResult> answers;
        bool restored;
    };
    const std::vector<Case> cases = {
        {"declined", "-uninstall " + folder, {MessageBoxResult::No}, false},
        {"nobody answers", "-uninstall " + folder, {}, false},
        {"answered yes",
         "-uninstall " + folder,
         {MessageBoxResult::Yes, MessageBoxResult::Ok},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Uninstall(c.commandLine, c.answers), c.restored);
        ASSERT_FALSE(asked_.empty());
        EXPECT_EQ(asked_[0].buttons, MessageBoxButtons::YesNo);
        EXPECT_EQ(details_[0],
                  "\"graphics\\menus\\a.rim\" in menus.ffl: changed since the patch "
                  "was installed");
        EXPECT_EQ(Now(), c.restored ? before : edited);
    }
    EXPECT_TRUE(Records().empty());

    // -force restores without the question.
    MemoryPatch again = ThreeTargets("Hive", "hive");
    ASSERT_EQ(Install(again, "-noprompt " + patchFile_), RunOutcome::Installed);
    MakeArchive("Hud.ffl", {{"graphics\\hud\\c.rim", "old c"}});  // the added item gone by hand
    EXPECT_TRUE(Uninstall("-noprompt -uninstall -force " + Records().at(0).folder));
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(Now(), before);
}

TEST_F(PatchApplyUninstall, ARecordThatCannotBeWrittenStopsTheInstallation) {
    const Game before = Now();
    WriteFile(dir_.File("data"), Data("a file where the records' folder should go"));
    MemoryPatch patch = ThreeTargets("Hive", "hive");
    EXPECT_EQ(Install(patch, patchFile_, {MessageBoxResult::Ok}), RunOutcome::Ended);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0].text,
              "ERROR: Failed to keep a copy of what this patch replaces. Nothing was installed.");
    EXPECT_NE(details_[0].find(dir_.File("data")), std::string::npos);
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(frontEnd_.events, (std::vector<std::string>{"confirm"}));
}

TEST_F(PatchApplyUninstall, NoRecordToUninstallSaysSo) {
    EXPECT_FALSE(Uninstall("-uninstall nothing-here", {MessageBoxResult::Ok}));
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0].text, "ERROR: Failed to uninstall the Fastfile patch.");
    EXPECT_NE(details_[0].find("nothing-here\" holds no record"), std::string::npos);
}

// A run killed after the record is written, before or after its first Fastfile save, leaves a
// record from which the uninstall restores what the run had written.
TEST_F(PatchApplyUninstall, AKilledInstallationCanBeUninstalled) {
    for (const char* stopAfterSaves : {"0", "1", "2"}) {
        SCOPED_TRACE(std::string("stopped after saves: ") + stopAfterSaves);
        const Game before = Now();
        MemoryPatch patch = ThreeTargets("Hive", "hive");
        const pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            setenv("QUILLMARK_TEST_STOP_AFTER_SAVES", stopAfterSaves, 1);
            Install(patch, "-noprompt " + patchFile_);
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 137);
        const auto records = Records();
        ASSERT_EQ(records.size(), 1u);
        if (std::string(stopAfterSaves) != "0") {
            EXPECT_NE(Now(), before);
        }
        EXPECT_TRUE(Uninstall("-noprompt -uninstall " + records[0].folder));
        EXPECT_TRUE(asked_.empty());
        EXPECT_EQ(Now(), before);
        EXPECT_TRUE(Records().empty());
    }
}

}  // namespace
