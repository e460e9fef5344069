// fftool and the user's files: long paths, links below an extraction directory, concurrent
// edits of one Fastfile, sources that are no regular files, and saying why something failed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "packlib/packlib_exports.h"
#include "tests/fftool/run_fftool.h"
#include "tests/packlib/test_files.h"

namespace {

using namespace packlib_test;
using namespace fftool_test;
namespace fs = std::filesystem;

std::string Text(const std::string& path) {
    const Bytes bytes = ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::string& path, const std::string& text) {
    WriteFile(path, Bytes(text.begin(), text.end()));
}

// A Fastfile with the given items (path, data), made through PackLib.
void MakeFastfile(const std::string& path,
                  const std::vector<std::pair<std::string, std::string>>& items) {
    FFLARCHIVE* archive = FFLCreateArchive(path.c_str());
    for (const auto& [item, data] : items) {
        FFLAddItem(archive, item.c_str(), data.data(), static_cast<uint32_t>(data.size()));
    }
    FFLSaveArchive(archive, nullptr);
    FFLCloseArchive(archive);
}

std::set<std::string> Items(const std::string& path) {
    std::set<std::string> items;
    FFLARCHIVE* archive = FFLOpenArchive(path.c_str());
    for (FFLITEM* item = FFLGetFirstItem(archive); item != nullptr; item = FFLGetNextItem(item)) {
        items.insert(FFLGetItemPath(item));
    }
    FFLCloseArchive(archive);
    return items;
}

std::size_t FilesBelow(const std::string& dir) {
    std::size_t count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        count += !entry.is_symlink() && entry.is_regular_file() ? 1 : 0;
    }
    return count;
}

// ---- paths of 260 characters and more ----------------------------------------------------

// In a folder whose absolute path is longer than a path may be, relative names still work
// and are never cut.
TEST(FftoolPaths, RelativeNamesInADeepFolderStayRelative) {
    TempDir dir;
    std::string deep = dir.Path();
    while (deep.size() < 300) {
        deep += "/" + std::string(50, 'd');
    }
    fs::create_directories(deep);
    const std::string here = "cd " + Quote(deep) + " && ";
    WriteText(deep + "/src", "data");
    EXPECT_EQ(Fftool("new Menus.ffl", here).status, 0);
    const RunResult add = Fftool("add Menus.ffl a src", here);
    EXPECT_EQ(add.status, 0) << add.out;
    const RunResult list = Fftool("list Menus.ffl", here);
    EXPECT_NE(list.out.find("         4  a\n"), std::string::npos) << list.out;
    const RunResult patch = Fftool("patch new p.kdz --title T", here);
    EXPECT_EQ(patch.status, 0) << patch.out;
    EXPECT_TRUE(fs::exists(deep + "/p.kdz"));
    EXPECT_EQ(Fftool("patch add p.kdz src 'x\\y'", here).status, 0);
    // Every file there is one the commands were asked for; nothing was written under a cut name.
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(deep)) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"Menus.ffl", "p.kdz", "src"}));
    // An absolute name of that length is refused, saying why.
    const RunResult refused = Fftool("new " + Quote(deep + "/Other.ffl"));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("too long"), std::string::npos) << refused.out;
}

// ---- links below an extraction directory ---------------------------------------------------

TEST(FftoolExtract, NeverWritesThroughALinkBelowTheDirectory) {
    TempDir dir;
    const std::string ffl = dir.File("x.ffl");
    MakeFastfile(ffl, {{"a", "AAAA"}, {"sub\\b", "BBBB"}});
    fs::create_directories(dir.File("outside"));
    WriteText(dir.File("outside/a"), "user's file");
    struct Case {
        const char* what;
        void (*plant)(const fs::path& out, const fs::path& outside);
    } cases[] = {
        {"a link at an item's place",
         [](const fs::path& out, const fs::path& outside) {
             fs::create_symlink(outside / "a", out / "a");
         }},
        {"a linked folder",
         [](const fs::path& out, const fs::path& outside) {
             fs::create_directory_symlink(outside, out / "sub");
         }},
        {"a dangling link",
         [](const fs::path& out, const fs::path& outside) {
             fs::create_symlink(outside / "made-by-extract", out / "a");
         }},
    };
    for (const Case& c : cases) {
        const fs::path out = dir.File("out");
        fs::remove_all(out);
        fs::create_directories(out);
        c.plant(out, dir.File("outside"));
        const RunResult run = Fftool("extract " + Quote(ffl) + " " + Quote(out.string()));
        EXPECT_EQ(run.status, 1) << c.what << "\n" << run.out;
        EXPECT_NE(run.out.find("symbolic link"), std::string::npos) << c.what << "\n" << run.out;
        EXPECT_EQ(Text(dir.File("outside/a")), "user's file") << c.what;
        EXPECT_EQ(FilesBelow(dir.File("outside")), 1u) << c.what;
        EXPECT_EQ(FilesBelow(out.string()), 0u) << c.what << ": nothing written at all";
    }
    // The same for a patch.
    const std::string kdz = dir.File("p.kdz");
    WriteText(dir.File("item"), "patchdata");
    ASSERT_EQ(Fftool("patch new " + Quote(kdz) + " --title T").status, 0);
    ASSERT_EQ(Fftool("patch add " + Quote(kdz) + " " + Quote(dir.File("item")) + " 'g\\a' --name a")
                  .status,
              0);
    const fs::path out = dir.File("patch-out");
    fs::create_directories(out);
    fs::create_symlink(dir.File("outside/a"), out / "a");
    EXPECT_EQ(Fftool("patch extract " + Quote(kdz) + " " + Quote(out.string())).status, 1);
    EXPECT_EQ(Text(dir.File("outside/a")), "user's file");
}

// A write that fails part-way (here the file size limit) leaves the user's existing file
// whole and removes what the extract had created.
TEST(FftoolExtract, AFailedExtractRemovesWhatItCreatedAndKeepsOldFilesWhole) {
    TempDir dir;
    const std::string ffl = dir.File("x.ffl");
    const std::string big(64 * 1024, 'B');
    MakeFastfile(ffl, {{"new\\small", "s"}, {"kept", big}});
    const std::string out = dir.File("out");
    fs::create_directories(out);
    WriteText(out + "/kept", "the user's own bytes");
    const std::string limit = "trap '' XFSZ; ulimit -f 16; ";
    const RunResult run = Fftool("extract " + Quote(ffl) + " " + Quote(out), limit);
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find("removed"), std::string::npos) << run.out;
    EXPECT_EQ(Text(out + "/kept"), "the user's own bytes");
    EXPECT_FALSE(fs::exists(out + "/new")) << "the folder made for the first item is gone";
    EXPECT_EQ(FilesBelow(out), 1u);
    // The patch extract too, into a directory it creates itself.
    const std::string kdz = dir.File("p.kdz");
    WriteText(dir.File("small"), "s");
    WriteText(dir.File("big"), big);
    ASSERT_EQ(Fftool("patch new " + Quote(kdz) + " --title T").status, 0);
    ASSERT_EQ(Fftool("patch add " + Quote(kdz) + " " + Quote(dir.File("small")) + " 'a'").status,
              0);
    ASSERT_EQ(Fftool("patch add " + Quote(kdz) + " " + Quote(dir.File("big")) + " 'b'").status, 0);
    const RunResult patch =
        Fftool("patch extract " + Quote(kdz) + " " + Quote(dir.File("made")), limit);
    EXPECT_EQ(patch.status, 1) << patch.out;
    EXPECT_FALSE(fs::exists(dir.File("made")));
}

// ---- concurrent edits ----------------------------------------------------------------------

// Eight programs adding to one Fastfile at once: each add either succeeds, and its item is
// there afterwards, or fails saying so. No item reported added is ever lost.
TEST(FftoolConcurrency, NoReportedAddIsLost) {
    TempDir dir;
    const std::string ffl = dir.File("shared.ffl");
    ASSERT_EQ(Fftool("new " + Quote(ffl)).status, 0);
    WriteText(dir.File("src"), "data");
    std::ostringstream script;
    script << "for w in 1 2 3 4 5 6 7 8; do (for i in 1 2 3 4 5 6 7 8 9 10; do "
           << QM_BIN_DIR "/fftool add " << Quote(ffl) << " w${w}_$i " << Quote(dir.File("src"))
           << " >> " << Quote(dir.File("log")) << ".$w 2>&1; done) & done; wait; true";
    const RunResult run = Fftool("--help >/dev/null; " + script.str(), "");
    ASSERT_EQ(run.status, 0) << run.out;
    const std::set<std::string> present = Items(ffl);
    std::size_t added = 0;
    for (int w = 1; w <= 8; ++w) {
        std::istringstream log(Text(dir.File("log." + std::to_string(w))));
        for (std::string line; std::getline(log, line);) {
            if (line.rfind("added ", 0) == 0) {
                const std::string item = line.substr(6, line.find(' ', 6) - 6);
                EXPECT_EQ(present.count(item), 1u) << item << " was reported added";
                ++added;
            } else {
                EXPECT_NE(line.find("changed on disk"), std::string::npos) << line;
            }
        }
    }
    EXPECT_EQ(present.size(), added);
    EXPECT_GT(added, 0u);
}

// ---- sources, messages, item paths ---------------------------------------------------------

TEST(FftoolSources, OnlyRegularFilesAreSources) {
    TempDir dir;
    const std::string ffl = Quote(dir.File("x.ffl"));
    ASSERT_EQ(Fftool("new " + ffl).status, 0);
    mkfifo(dir.File("fifo").c_str(), 0600);
    fs::create_directories(dir.File("folder"));
    const struct {
        std::string source;
        const char* said;
    } cases[] = {
        {dir.File("folder"), "a directory"},
        {dir.File("fifo"), "a FIFO"},
        {"/dev/zero", "a device"},
        {dir.File("missing"), "No such file"},
    };
    for (const auto& c : cases) {
        for (const std::string& command :
             {"add " + ffl + " item ", "patch add " + Quote(dir.File("p.kdz")) + " "}) {
            const std::string tail = command.rfind("patch", 0) == 0 ? " 'a\\b'" : "";
            const RunResult run = Fftool(command + Quote(c.source) + tail);
            EXPECT_EQ(run.status, 1) << command << c.source << "\n" << run.out;
            EXPECT_NE(run.out.find(c.said), std::string::npos) << c.source << "\n" << run.out;
        }
    }
    EXPECT_TRUE(Items(dir.File("x.ffl")).empty());
}

TEST(FftoolMessages, MissingAndDamagedFilesAreToldApart) {
    TempDir dir;
    WriteText(dir.File("damaged.ffl"), "RFFL\0\0\0\0garbage that is no directory");
    WriteText(dir.File("damaged.kdz"), "QMRK....not a patch");
    const struct {
        std::string command;
        const char* said;
    } cases[] = {
        {"list " + Quote(dir.File("missing.ffl")), "no such file"},
        {"list " + Quote(dir.File("damaged.ffl")), "damaged"},
        {"list " + Quote(dir.Path()), "a directory"},
        {"patch info " + Quote(dir.File("missing.kdz")), "no such file"},
        {"patch info " + Quote(dir.File("damaged.kdz")), "damaged"},
    };
    for (const auto& c : cases) {
        const RunResult run = Fftool(c.command);
        EXPECT_EQ(run.status, 1) << c.command;
        EXPECT_NE(run.out.find(c.said), std::string::npos) << c.command << "\n" << run.out;
    }
}

// A save that fails says why, and nothing is reported done that it took back.
TEST(FftoolMessages, AFailedSaveSaysWhyAndReportsNothingDone) {
    TempDir dir;
    chmod(dir.Path().c_str(), 0777);
    const std::string ffl = dir.File("x.ffl");
    MakeFastfile(ffl, {{"a", "AAAA"}, {"b", "BBBB"}});
    chmod(ffl.c_str(), 0444);
    WriteText(dir.File("src"), "data");
    const std::string asUser =
        geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    for (const std::string& command :
         {"add " + Quote(ffl) + " c " + Quote(dir.File("src")), "delete " + Quote(ffl) + " a",
          "replace " + Quote(ffl) + " b " + Quote(dir.File("src"))}) {
        const RunResult run = Fftool(command, asUser);
        EXPECT_EQ(run.status, 1) << command << "\n" << run.out;
        EXPECT_NE(run.out.find("cannot write " + ffl + ": permission denied"), std::string::npos)
            << run.out;
        for (const char* done : {"added", "deleted", "replaced"}) {
            EXPECT_EQ(run.out.find(done), std::string::npos) << run.out;
        }
    }
    EXPECT_EQ(Items(ffl), (std::set<std::string>{"a", "b"}));
}

TEST(FftoolItemPaths, SlashesAreAcceptedForBackslashes) {
    TempDir dir;
    const std::string ffl = Quote(dir.File("x.ffl"));
    ASSERT_EQ(Fftool("new " + ffl).status, 0);
    WriteText(dir.File("src"), "data");
    ASSERT_EQ(Fftool("add " + ffl + " graphics/sky.rim " + Quote(dir.File("src"))).status, 0);
    EXPECT_EQ(Items(dir.File("x.ffl")), (std::set<std::string>{"graphics\\sky.rim"}));
    EXPECT_EQ(Fftool("replace " + ffl + " graphics/sky.rim " + Quote(dir.File("src"))).status, 0);
    const RunResult extract =
        Fftool("extract " + ffl + " " + Quote(dir.File("out")) + " graphics/sky.rim");
    EXPECT_EQ(extract.status, 0) << extract.out;
    EXPECT_EQ(Text(dir.File("out/graphics/sky.rim")), "data");
    EXPECT_EQ(Fftool("delete " + ffl + " graphics/sky.rim").status, 0);
    EXPECT_TRUE(Items(dir.File("x.ffl")).empty());
}

}  // namespace
