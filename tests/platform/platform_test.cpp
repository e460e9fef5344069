#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/command_line_text.h"
#include "platform/debug_output.h"
#include "platform/dynamic_library.h"
#include "platform/file_attributes.h"
#include "platform/file_identity.h"
#include "platform/file_search.h"
#include "platform/message_box.h"
#include "platform/program_path.h"
#include "platform/registry.h"

namespace fs = std::filesystem;

namespace {

class TempDir : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("qm-platform-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& content) {
        const fs::path path = dir_ / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    fs::path dir_;
};

// Runs `body` in a child process and returns its exit status (-1 when it did not exit). Under
// the super-user the child first becomes "nobody", so that file permissions bind it as they
// bind every user; `dir` is opened to everyone for that.
template <typename Body>
int InChildAsOrdinaryUser(const fs::path& dir, Body body) {
    if (geteuid() == 0) {
        chmod(dir.c_str(), 0777);
    }
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(120);
        }
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// ---- file search ----------------------------------------------------------------------

using FileSearch = TempDir;

TEST(CommandLineText, ArgumentsAreJoinedWithBlanksAfterTheProgramName) {
    const char* argv[] = {"texbench", "-nosplash", "/tmp/my game/a.ffl"};
    EXPECT_EQ(qm::CommandLineText(3, argv), "-nosplash /tmp/my game/a.ffl");
    EXPECT_EQ(qm::CommandLineText(1, argv), "");
}

TEST_F(FileSearch, FindsNamesInAnyLetterCaseAndAddsTheDefaultExtension) {
    Write("COMMON.FFL", "x");
    Write("Graphics.ffl", "x");
    Write("readme", "x");
    struct Case {
        const char* name;
        const char* found;  // null: not found
    } cases[] = {
        {"Common.ffl", "COMMON.FFL"}, {"common", "COMMON.FFL"},
        {"GRAPHICS", "Graphics.ffl"}, {"graphics.FFL", "Graphics.ffl"},
        {"missing", nullptr},         {"readme.txt", nullptr},
        {"README", nullptr},  // no extension: ".FFL" is appended
    };
    for (const auto& c : cases) {
        const auto result = qm::SearchFile(dir_.string(), c.name, ".FFL");
        if (c.found == nullptr) {
            EXPECT_FALSE(result.has_value()) << c.name;
        } else {
            ASSERT_TRUE(result.has_value()) << c.name;
            EXPECT_EQ(fs::path(*result).filename().string(), c.found) << c.name;
            EXPECT_TRUE(fs::exists(*result));
        }
    }
}

TEST_F(FileSearch, AbsoluteNamesAreTakenAsGiven) {
    const std::string file = Write("sub/Data.Bin", "x");
    EXPECT_EQ(qm::SearchFile("/nowhere", file, ".FFL"), file);
    EXPECT_TRUE(qm::SearchFile("/nowhere", (dir_ / "sub" / "DATA.BIN").string(), ".FFL"));
}

TEST_F(FileSearch, FindFilesMatchesWildcardsWithoutCase) {
    Write("a.ffl", "");
    Write("B.FFL", "");
    Write("c.ffl.bak", "");
    Write("ffinfo.txt", "");
    fs::create_directories(dir_ / "dir.ffl");
    EXPECT_EQ(qm::FindFiles(dir_.string(), "*.ffl"), (std::vector<std::string>{"B.FFL", "a.ffl"}));
    EXPECT_EQ(qm::FindFiles(dir_.string(), "?.FFL"), (std::vector<std::string>{"B.FFL", "a.ffl"}));
    EXPECT_EQ(qm::FindFiles(dir_.string(), "FFINFO.*"), (std::vector<std::string>{"ffinfo.txt"}));
    EXPECT_TRUE(qm::FindFiles((dir_ / "none").string(), "*").empty());
}

// ---- attributes -------------------------------------------------------------------------

using Attributes = TempDir;

TEST_F(Attributes, ReadOnlyIsTheOwnersMissingWritePermission) {
    const std::string file = Write("x.ffl", "data");
    EXPECT_EQ(qm::ReadFileAttributes(file) & qm::kFileAttributeReadOnly, 0u);
    ASSERT_TRUE(qm::WriteFileAttributes(file, qm::kFileAttributeReadOnly));
    EXPECT_NE(qm::ReadFileAttributes(file) & qm::kFileAttributeReadOnly, 0u);
    ASSERT_TRUE(qm::WriteFileAttributes(file, qm::kFileAttributeArchive));
    EXPECT_EQ(qm::ReadFileAttributes(file) & qm::kFileAttributeReadOnly, 0u);
    EXPECT_EQ(qm::ReadFileAttributes((dir_ / "missing").string()), qm::kInvalidFileAttributes);
    EXPECT_FALSE(qm::WriteFileAttributes((dir_ / "missing").string(), 0));
    EXPECT_NE(qm::ReadFileAttributes(dir_.string()) & qm::kFileAttributeDirectory, 0u);
}

// ---- atomic saves -----------------------------------------------------------------------

using AtomicSave = TempDir;

TEST_F(AtomicSave, CommitReplacesTheFileAndKeepsItsPermissions) {
    const std::string file = Write("game.ffl", "old");
    chmod(file.c_str(), 0640);
    qm::AtomicFile writer(file);
    ASSERT_TRUE(writer.Open());
    std::fputs("new content", writer.Stream());
    EXPECT_EQ(Read(file), "old");  // nothing visible before the commit
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(Read(file), "new content");
    struct stat status {};
    stat(file.c_str(), &status);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(AtomicSave, DiscardedWriterLeavesTheOldFileAndNoTemporary) {
    const std::string file = Write("game.ffl", "old");
    {
        qm::AtomicFile writer(file);
        ASSERT_TRUE(writer.Open());
        std::fputs("half", writer.Stream());
    }
    EXPECT_EQ(Read(file), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(AtomicSave, ALinkStaysALink) {
    const std::string real = Write("real.ffl", "old");
    const fs::path link = dir_ / "link.ffl";
    fs::create_symlink(real, link);
    qm::AtomicFile writer(link.string());
    ASSERT_TRUE(writer.Open());
    std::fputs("new", writer.Stream());
    ASSERT_TRUE(writer.Commit());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(real), "new");
}

TEST_F(AtomicSave, AWriteCutShortByAFileSizeLimitKeepsTheOldFile) {
    const std::string old(100, 'o');
    const std::string file = Write("game.ffl", old);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        qm::AtomicFile writer(file);
        if (!writer.Open()) {
            _exit(3);
        }
        const std::string big(1 << 20, 'n');
        std::fwrite(big.data(), 1, big.size(), writer.Stream());
        _exit(writer.Commit() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);  // the commit reported the failure
    EXPECT_EQ(Read(file), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(AtomicSave, ANewFileGetsTheUsualPermissions) {
    const mode_t mask = umask(027);
    const std::string file = (dir_ / "new.ffl").string();
    qm::AtomicFile writer(file);
    ASSERT_TRUE(writer.Open());
    ASSERT_TRUE(writer.Commit());
    umask(mask);
    struct stat status {};
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
}

TEST_F(AtomicSave, LinksAreFollowedToTheirDestinationEvenWhenItIsMissing) {
    // a chain: first -> second -> real.ffl; and a dangling link whose file is created
    const std::string real = Write("real.ffl", "old");
    fs::create_symlink("real.ffl", dir_ / "second");
    fs::create_symlink(dir_ / "second", dir_ / "first");
    fs::create_directories(dir_ / "sub");
    fs::create_symlink("../made.ffl", dir_ / "sub" / "dangling");
    for (const fs::path& link : {dir_ / "first", dir_ / "sub" / "dangling"}) {
        qm::AtomicFile writer(link.string());
        ASSERT_TRUE(writer.Open()) << link;
        std::fputs("new", writer.Stream());
        ASSERT_TRUE(writer.Commit()) << link;
        EXPECT_TRUE(fs::is_symlink(link)) << link;
    }
    EXPECT_TRUE(fs::is_symlink(dir_ / "second"));
    EXPECT_EQ(Read(real), "new");
    EXPECT_EQ(Read((dir_ / "made.ffl").string()), "new");
}

// A folder that takes no new file (no temporary can be made there) but a file the user may
// write: the file is saved in place, after its old bytes were kept in the backup folder; a
// failed in-place save puts them back. A file that may not be written is never replaced.
TEST_F(AtomicSave, AFolderWithoutWriteRightIsSavedInPlaceWithABackup) {
    const std::string file = Write("locked/game.ffl", "old bytes");
    const std::string readOnly = Write("locked/cd.ffl", "from the CD");
    const fs::path data = dir_ / "data";
    fs::create_directories(data);
    chmod(file.c_str(), 0666);
    chmod(readOnly.c_str(), 0444);
    chmod(data.c_str(), 0777);
    chmod((dir_ / "locked").c_str(), 0555);
    const int status = InChildAsOrdinaryUser(dir_, [&] {
        setenv("XDG_DATA_HOME", data.c_str(), 1);
        qm::AtomicFile writer(file);
        if (!writer.Open()) {
            return 1;
        }
        std::fputs("new", writer.Stream());
        if (!writer.Commit() || writer.BackupPath().rfind(data.string(), 0) != 0) {
            return 2;
        }
        qm::AtomicFile failing(file);  // discarded half-way: the old bytes come back
        if (!failing.Open()) {
            return 3;
        }
        std::fputs("half of something much longer", failing.Stream());
        std::fflush(failing.Stream());
        failing.Discard();
        qm::AtomicFile refused(readOnly);
        return refused.Open() || refused.Error() != EACCES ? 4 : 0;
    });
    chmod((dir_ / "locked").c_str(), 0755);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Read(file), "new");
    EXPECT_EQ(Read(readOnly), "from the CD");
    const fs::path backups = data / "quillmark" / "save-backups";
    ASSERT_TRUE(fs::is_directory(backups));
    ASSERT_EQ(std::distance(fs::directory_iterator(backups), fs::directory_iterator()), 1);
    // The copy holds what the file held before the last in-place save began.
    EXPECT_EQ(Read(fs::directory_iterator(backups)->path().string()), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "locked"), fs::directory_iterator()), 2);
}

TEST_F(AtomicSave, ASaveKeepsTheOwnerAndGroupOfSomeoneElsesFile) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only the super-user can save a file that stays someone else's";
    }
    const std::string file = Write("theirs.ffl", "old");
    ASSERT_EQ(chown(file.c_str(), 65534, 65534), 0);
    qm::AtomicFile writer(file);
    ASSERT_TRUE(writer.Open());
    std::fputs("new", writer.Stream());
    ASSERT_TRUE(writer.Commit());
    struct stat status {};
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, 65534u);
    EXPECT_EQ(status.st_gid, 65534u);
    EXPECT_EQ(Read(file), "new");
}

// A save killed before its commit leaves nothing beside the file, however much it wrote.
TEST_F(AtomicSave, AKilledSaveLeavesNoTemporaryFile) {
    const std::string file = Write("COMMON.FFL", "old");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        qm::AtomicFile writer(file);
        if (writer.Open()) {
            const std::string chunk(1 << 20, 'n');
            std::fwrite(chunk.data(), 1, chunk.size(), writer.Stream());
            std::fflush(writer.Stream());
        }
        raise(SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(Read(file), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

// The temporary name does not grow with the target's: a name at the file system's limit of
// 255 characters still saves.
TEST_F(AtomicSave, AFileNameAtTheFileSystemsLimitSaves) {
    for (const std::size_t length : {243u, 255u}) {
        const std::string file = Write(std::string(length, 'n'), "old");
        qm::AtomicFile writer(file);
        ASSERT_TRUE(writer.Open()) << length;
        std::fputs("new", writer.Stream());
        ASSERT_TRUE(writer.Commit()) << length;
        EXPECT_EQ(Read(file), "new");
    }
}

// Two saves of one file, each having read it first: the second finds it changed and fails,
// even when both commit at the same moment.
TEST_F(AtomicSave, ASaveOfAFileChangedSinceItWasReadFails) {
    const std::string file = Write("menus.ffl", "read by both");
    const auto read = qm::IdentityOf(file);
    ASSERT_TRUE(read);
    qm::AtomicFile first(file);
    qm::AtomicFile second(file);
    first.ExpectUnchanged(*read);
    second.ExpectUnchanged(*read);
    ASSERT_TRUE(first.Open());
    ASSERT_TRUE(second.Open());
    std::fputs("first", first.Stream());
    std::fputs("second", second.Stream());
    ASSERT_TRUE(first.Commit());
    EXPECT_FALSE(second.Commit());
    EXPECT_EQ(second.Error(), ESTALE);
    EXPECT_EQ(Read(file), "first");
    ASSERT_TRUE(first.Committed());
    EXPECT_EQ(first.Committed(), qm::IdentityOf(file));
    qm::AtomicFile late(file);  // starting from the old state fails at once
    late.ExpectUnchanged(*read);
    EXPECT_FALSE(late.Open());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(AtomicSave, TheBufferSizeAskedForIsTheOneUsed) {
    const std::string file = (dir_ / "buffered").string();
    qm::AtomicFile writer(file);
    ASSERT_TRUE(writer.Open());
    ASSERT_TRUE(writer.SetBufferSize(64 * 1024));
    const std::string part(60 * 1024, 'b');
    std::fwrite(part.data(), 1, part.size(), writer.Stream());
    // Still in the buffer: a 4 KiB stdio default would have written most of it already.
    EXPECT_EQ(fs::file_size(fs::path("/proc/self/fd") / std::to_string(fileno(writer.Stream()))),
              0u);
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(fs::file_size(file), part.size());
}

TEST_F(AtomicSave, OpenFailsInAMissingDirectory) {
    qm::AtomicFile writer((dir_ / "no" / "file").string());
    EXPECT_FALSE(writer.Open());
    EXPECT_FALSE(writer.Commit());
}

// ---- registry store ---------------------------------------------------------------------

class RegistryStore : public TempDir {
  protected:
    void SetUp() override {
        TempDir::SetUp();
        store_ = (dir_ / "conf" / "registry.ini").string();
        setenv("QUILLMARK_REGISTRY", store_.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("QUILLMARK_REGISTRY");
        TempDir::TearDown();
    }
    std::string store_;
};

constexpr auto kHKLM = qm::RegistryRoot::LocalMachine;
constexpr auto kHKCR = qm::RegistryRoot::ClassesRoot;
constexpr const char* kGameKey = "Software\\Fox Interactive\\Aliens versus Predator";

TEST_F(RegistryStore, ValuesSurviveInTheFileAndKeyNamesIgnoreCase) {
    EXPECT_EQ(qm::RegistryStorePath(), store_);
    EXPECT_FALSE(qm::RegistryGetString(kHKLM, kGameKey, "Path"));
    ASSERT_TRUE(qm::RegistrySetString(kHKLM, kGameKey, "Path", "/games/avp"));
    ASSERT_TRUE(qm::RegistrySetString(kHKCR, ".kdz", "", "Quillmark.FastFilePatch"));
    ASSERT_TRUE(qm::RegistrySetString(kHKLM, kGameKey, "Empty", ""));
    EXPECT_EQ(
        qm::RegistryGetString(kHKLM, "SOFTWARE\\fox interactive\\ALIENS VERSUS PREDATOR", "path"),
        "/games/avp");
    EXPECT_EQ(qm::RegistryGetString(kHKLM, std::string("\\") + kGameKey + "\\", "Path"),
              "/games/avp");
    EXPECT_EQ(qm::RegistryGetString(kHKCR, ".kdz", ""), "Quillmark.FastFilePatch");
    EXPECT_EQ(qm::RegistryGetString(kHKLM, kGameKey, "Empty"), "");
    EXPECT_FALSE(qm::RegistryGetString(kHKCR, kGameKey, "Path"));  // other root
    const std::string text = Read(store_);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Fox Interactive\\Aliens versus Predator]\n"
                        "Path=/games/avp\n"),
              std::string::npos);
    EXPECT_NE(text.find("[HKEY_CLASSES_ROOT\\.kdz]\n@=Quillmark.FastFilePatch\n"),
              std::string::npos);
}

TEST_F(RegistryStore, KeysHaveParentsAndDeleteRefusesWhileSubkeysExist) {
    ASSERT_TRUE(qm::RegistrySetString(kHKCR, "Quillmark.FastFilePatch\\shell\\install\\command", "",
                                      "patchapply %1"));
    EXPECT_TRUE(qm::RegistryKeyExists(kHKCR, "Quillmark.FastFilePatch\\shell"));
    EXPECT_EQ(qm::RegistryEnumSubkeys(kHKCR, "Quillmark.FastFilePatch"),
              std::vector<std::string>{"shell"});
    EXPECT_FALSE(qm::RegistryDeleteKey(kHKCR, "Quillmark.FastFilePatch\\shell"));
    EXPECT_TRUE(qm::RegistryDeleteKey(kHKCR, "Quillmark.FastFilePatch\\shell\\install\\command"));
    EXPECT_TRUE(qm::RegistryDeleteKey(kHKCR, "quillmark.fastfilepatch\\SHELL\\install"));
    EXPECT_TRUE(qm::RegistryDeleteKey(kHKCR, "Quillmark.FastFilePatch\\shell"));
    EXPECT_TRUE(qm::RegistryDeleteKey(kHKCR, "Quillmark.FastFilePatch"));
    EXPECT_FALSE(qm::RegistryDeleteKey(kHKCR, "Quillmark.FastFilePatch"));
    EXPECT_FALSE(qm::RegistryKeyExists(kHKCR, "Quillmark.FastFilePatch"));
}

TEST_F(RegistryStore, ValuesCanBeReplacedDeletedAndListed) {
    ASSERT_TRUE(qm::RegistrySetString(kHKLM, "Software\\Quillmark\\Skinwright", "", "/opt/tb"));
    ASSERT_TRUE(qm::RegistrySetString(kHKLM, "Software\\Quillmark\\Skinwright", "Version", "1"));
    ASSERT_TRUE(qm::RegistrySetString(kHKLM, "Software\\Quillmark\\Skinwright", "version", "2"));
    EXPECT_EQ(qm::RegistryGetString(kHKLM, "Software\\Quillmark\\Skinwright", "Version"), "2");
    EXPECT_EQ(qm::RegistryEnumValues(kHKLM, "Software\\Quillmark\\Skinwright"),
              (std::vector<std::string>{"", "Version"}));
    EXPECT_TRUE(qm::RegistryDeleteValue(kHKLM, "Software\\Quillmark\\Skinwright", "VERSION"));
    EXPECT_FALSE(qm::RegistryDeleteValue(kHKLM, "Software\\Quillmark\\Skinwright", "Version"));
}

TEST_F(RegistryStore, TextsThatWouldBreakTheStoreAreRefused) {
    EXPECT_FALSE(qm::RegistrySetString(kHKLM, "Key", "Name", "two\nlines"));
    EXPECT_FALSE(qm::RegistrySetString(kHKLM, "Key", "a=b", "v"));
    EXPECT_FALSE(qm::RegistrySetString(kHKLM, "Bad]Key", "Name", "v"));
    EXPECT_FALSE(qm::RegistryKeyExists(kHKLM, "Key"));
}

TEST_F(RegistryStore, AValueThatWouldBeReadBackDifferentlyIsRefused) {
    const std::string fits(16000, 'v');
    EXPECT_TRUE(qm::RegistrySetString(kHKLM, "Key", "Name", fits));
    EXPECT_EQ(qm::RegistryGetString(kHKLM, "Key", "Name"), fits);
    EXPECT_FALSE(qm::RegistrySetString(kHKLM, "Key", "Name", std::string(16400, 'v')));
    EXPECT_FALSE(qm::RegistrySetString(kHKLM, "Key", "[Name]", "v"));
    EXPECT_FALSE(qm::RegistrySetString(kHKLM, "Key", ";Name", "v"));
    EXPECT_FALSE(qm::RegistrySetString(kHKLM, std::string(16400, 'k'), "Name", "v"));
    EXPECT_EQ(qm::RegistryEnumValues(kHKLM, "Key"), std::vector<std::string>{"Name"});
    EXPECT_EQ(qm::RegistryGetString(kHKLM, "Key", "Name"), fits);
}

TEST_F(RegistryStore, AStoreThatCannotBeReadIsNotOverwritten) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind the super-user";
    }
    ASSERT_TRUE(qm::RegistrySetString(kHKLM, kGameKey, "Path", "/games/avp"));
    const std::string before = Read(store_);
    chmod(store_.c_str(), 0);
    EXPECT_FALSE(qm::RegistrySetString(kHKLM, "Key", "Name", "v"));
    EXPECT_FALSE(qm::RegistryCreateKey(kHKLM, "Key"));
    EXPECT_FALSE(qm::RegistryDeleteValue(kHKLM, kGameKey, "Path"));
    chmod(store_.c_str(), 0600);
    EXPECT_EQ(Read(store_), before);
}

TEST_F(RegistryStore, StoreLivesInTheUsersConfigDirectoryByDefault) {
    unsetenv("QUILLMARK_REGISTRY");
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    EXPECT_EQ(qm::RegistryStorePath(), (dir_ / "quillmark" / "registry.ini").string());
    ASSERT_TRUE(qm::RegistrySetString(kHKLM, kGameKey, "Path", "/g"));  // creates the folder
    EXPECT_TRUE(fs::exists(dir_ / "quillmark" / "registry.ini"));
    unsetenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        EXPECT_EQ(qm::RegistryStorePath(), std::string(home) + "/.config/quillmark/registry.ini");
    }
}

TEST_F(RegistryStore, ProgramsChangingTheStoreAtOnceKeepEachOthersChanges) {
    constexpr int kWriters = 4;
    constexpr int kValuesEach = 25;
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            bool ok = true;
            for (int i = 0; i < kValuesEach; ++i) {
                const std::string name = "W" + std::to_string(writer) + "V" + std::to_string(i);
                ok = qm::RegistrySetString(kHKLM, "Software\\Shared", name, name) && ok;
            }
            _exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(qm::RegistryEnumValues(kHKLM, "Software\\Shared").size(),
              static_cast<std::size_t>(kWriters * kValuesEach));
}

// Four processes each store 25 values, alternating between the given names of the store;
// true when every process reported success.
bool ChangeStoreAtOnce(const std::vector<std::string>& storeNames) {
    std::vector<pid_t> children;
    for (int writer = 0; writer < 4; ++writer) {
        const pid_t child = fork();
        if (child == 0) {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
                _exit(120);
            }
            bool ok = true;
            for (int i = 0; i < 25; ++i) {
                setenv("QUILLMARK_REGISTRY", storeNames[i % storeNames.size()].c_str(), 1);
                const std::string name = "W" + std::to_string(writer) + "V" + std::to_string(i);
                ok = qm::RegistrySetString(kHKLM, "Software\\Shared", name, name) && ok;
            }
            _exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    bool allOk = true;
    for (const pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        allOk = allOk && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return allOk;
}

TEST_F(RegistryStore, ALockFileThatCannotBeWrittenStillGuardsEveryChange) {
    const fs::path conf = dir_ / "conf";
    fs::create_directories(conf);
    std::ofstream(store_ + ".lock").put('\n');
    chmod((store_ + ".lock").c_str(), 0444);
    if (geteuid() == 0) {
        chmod(dir_.c_str(), 0777);
        chmod(conf.c_str(), 0777);
    }
    EXPECT_TRUE(ChangeStoreAtOnce({store_}));
    EXPECT_EQ(qm::RegistryEnumValues(kHKLM, "Software\\Shared").size(), 100u);
}

TEST_F(RegistryStore, TwoNamesOfOneStoreShareOneLock) {
    const fs::path conf = dir_ / "conf";
    fs::create_directories(conf);
    ASSERT_TRUE(qm::RegistrySetString(kHKLM, kGameKey, "Path", "/g"));
    const std::string link = (dir_ / "other-name.ini").string();
    fs::create_symlink(store_, link);
    if (geteuid() == 0) {
        chmod(dir_.c_str(), 0777);
        chmod(conf.c_str(), 0777);
        chmod(store_.c_str(), 0666);
    }
    EXPECT_TRUE(ChangeStoreAtOnce({store_, link}));
    EXPECT_EQ(qm::RegistryEnumValues(kHKLM, "Software\\Shared").size(), 100u);
    EXPECT_FALSE(fs::exists(link + ".lock"));
}

TEST_F(RegistryStore, AChangeFailsWhenTheLockCannotBeHad) {
    ASSERT_TRUE(qm::RegistrySetString(kHKLM, kGameKey, "Path", "/games/avp"));
    const std::string before = Read(store_);
    chmod((store_ + ".lock").c_str(), 0);
    chmod(store_.c_str(), 0666);
    chmod((dir_ / "conf").c_str(), 0777);
    const int status = InChildAsOrdinaryUser(dir_, [&] {
        const bool changed = qm::RegistrySetString(kHKLM, "Key", "Name", "v") ||
                             qm::RegistryCreateKey(kHKLM, "Key") ||
                             qm::RegistryDeleteValue(kHKLM, kGameKey, "Path") ||
                             qm::RegistryDeleteKey(kHKLM, kGameKey);
        return changed ? 1 : 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Read(store_), before);
}

TEST_F(RegistryStore, EveryCallSeesAnotherWritersChange) {
    ASSERT_TRUE(qm::RegistrySetString(kHKLM, kGameKey, "Path", "/first"));
    std::ofstream(store_) << "[HKEY_LOCAL_MACHINE\\" << kGameKey << "]\r\nPath=/second\r\n";
    EXPECT_EQ(qm::RegistryGetString(kHKLM, kGameKey, "Path"), "/second");
}

// ---- message boxes ----------------------------------------------------------------------

TEST(MessageBoxes, ScriptedAnswersAreGivenInOrderAndQuestionsRecorded) {
    qm::ScriptedMessageBoxes script({qm::MessageBoxResult::Yes});
    EXPECT_EQ(qm::ShowMessageBox("Replace?", "Title", qm::MessageBoxButtons::YesNoCancel,
                                 qm::MessageBoxIcon::Question),
              qm::MessageBoxResult::Yes);
    // Out of answers: the most careful one, and the miss is counted.
    EXPECT_EQ(qm::ShowMessageBox("Go on?", "Title", qm::MessageBoxButtons::OkCancel,
                                 qm::MessageBoxIcon::Error),
              qm::MessageBoxResult::Cancel);
    ASSERT_EQ(script.Asked().size(), 2u);
    EXPECT_EQ(script.Asked()[0].text, "Replace?");
    EXPECT_EQ(script.Asked()[1].icon, qm::MessageBoxIcon::Error);
    EXPECT_EQ(script.Unscripted(), 1);
}

// Engines ask from worker threads: every scripted answer is given exactly once and every
// question recorded, however the threads interleave.
TEST(MessageBoxes, ScriptedAnswersAreSharedSafelyBetweenThreads) {
    constexpr int kThreads = 6;
    constexpr int kEach = 200;
    constexpr int kScriptedYes = kThreads * kEach - 25;
    qm::ScriptedMessageBoxes script(
        std::deque<qm::MessageBoxResult>(kScriptedYes, qm::MessageBoxResult::Yes));
    std::atomic<int> yes{0};
    std::vector<std::thread> askers;
    for (int t = 0; t < kThreads; ++t) {
        askers.emplace_back([&] {
            for (int i = 0; i < kEach; ++i) {
                if (qm::ShowMessageBox("Replace?", "Setup", qm::MessageBoxButtons::YesNo,
                                       qm::MessageBoxIcon::Question) == qm::MessageBoxResult::Yes) {
                    ++yes;
                }
                if (i % 50 == 0) {
                    (void)script.Asked().size();  // looking while others ask
                }
            }
        });
    }
    for (std::thread& asker : askers) {
        asker.join();
    }
    EXPECT_EQ(yes.load(), kScriptedYes);
    EXPECT_EQ(script.Unscripted(), kThreads * kEach - kScriptedYes);
    EXPECT_EQ(script.Asked().size(), static_cast<std::size_t>(kThreads * kEach));
}

TEST(MessageBoxes, CarefulAnswers) {
    EXPECT_EQ(qm::CarefulAnswer(qm::MessageBoxButtons::Ok), qm::MessageBoxResult::Ok);
    EXPECT_EQ(qm::CarefulAnswer(qm::MessageBoxButtons::YesNo), qm::MessageBoxResult::No);
    EXPECT_EQ(qm::CarefulAnswer(qm::MessageBoxButtons::YesNoCancel), qm::MessageBoxResult::Cancel);
}

// ---- debug output -----------------------------------------------------------------------

TEST(DebugOutput, NestedCapturesSeeWhatWasWrittenDuringTheirLife) {
    qm::DebugCapture outer;
    qm::DebugOutput("WARNING: one\n");
    {
        qm::DebugCapture inner;
        qm::DebugOutput("ERROR: two\n");
        EXPECT_EQ(inner.Text(), "ERROR: two\n");
    }
    EXPECT_EQ(outer.Text(), "WARNING: one\nERROR: two\n");
}

// ---- libraries --------------------------------------------------------------------------

TEST(DynamicLibraries, WindowsNamesMapToPlatformNames) {
    EXPECT_EQ(qm::PlatformLibraryFileName("PackLib.dll"), "libPackLib.so");
    EXPECT_EQ(qm::PlatformLibraryFileName("PatchLib.DLL"), "libPatchLib.so");
    EXPECT_EQ(qm::PlatformLibraryFileName("libX.so"), "libX.so");
}

TEST(DynamicLibraries, LoadsBesideTheProgramAndBindsByName) {
    std::string error;
    auto library = qm::DynamicLibrary::Load("QmTestLib.dll", &error);
    ASSERT_NE(library, nullptr) << error;
    EXPECT_EQ(library->Path(), qm::ProgramDirectory() + "libQmTestLib.so");
    auto answer = reinterpret_cast<int (*)()>(library->Symbol("QmTestLibAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(qm::FindExportInOwnModule(reinterpret_cast<void*>(answer), "QmTestLibAnswer"),
              reinterpret_cast<void*>(answer));
    EXPECT_EQ(library->Symbol("NoSuchExport"), nullptr);
    EXPECT_EQ(qm::FindExportInOwnModule(reinterpret_cast<void*>(answer), "NoSuchExport"), nullptr);
    // The C library is the test library's dependency, not part of it.
    EXPECT_EQ(qm::FindExportInOwnModule(reinterpret_cast<void*>(answer), "malloc"), nullptr);
}

TEST(DynamicLibraries, AMissingLibrarySaysWhy) {
    std::string error;
    EXPECT_EQ(qm::DynamicLibrary::Load("NoSuchLibrary.dll", &error), nullptr);
    EXPECT_FALSE(error.empty());
}

}  // namespace

TEST_F(RegistryStore, DwordValuesKeepTheirTypeAndTextIsNoDword) {
    EXPECT_FALSE(qm::RegistryGetDword(kHKLM, "Software\\Counts", "a"));
    ASSERT_TRUE(qm::RegistrySetDword(kHKLM, "Software\\Counts", "a", 0xFFFFFFFFu));
    ASSERT_TRUE(qm::RegistrySetDword(kHKLM, "Software\\Counts", "/opt/x lib.so", 2));
    EXPECT_EQ(qm::RegistryGetDword(kHKLM, "software\\counts", "A"), 0xFFFFFFFFu);
    EXPECT_EQ(qm::RegistryGetDword(kHKLM, "Software\\Counts", "/opt/x lib.so"), 2u);
    // Text that merely looks like a number, or a cut-off dword, is not one.
    for (const char* text : {"2", "dword:1", "dword:0000000g", "dword:000000001"}) {
        ASSERT_TRUE(qm::RegistrySetString(kHKLM, "Software\\Counts", "t", text));
        EXPECT_FALSE(qm::RegistryGetDword(kHKLM, "Software\\Counts", "t")) << text;
    }
}
