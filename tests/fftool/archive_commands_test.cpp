// fftool's Fastfile commands, run as the built program on temporary files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "packlib/packlib_exports.h"
#include "platform/registry.h"
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

class FftoolArchive : public ::testing::Test {
  protected:
    std::string Source(const std::string& name, const std::string& content) {
        const std::string path = dir_.File(name);
        WriteFile(path, Bytes(content.begin(), content.end()));
        return Quote(path);
    }
    TempDir dir_;
};

TEST_F(FftoolArchive, EditsAFastfileFromNewToDelete) {
    const std::string ffl = Quote(dir_.File("my.ffl"));
    ASSERT_EQ(Fftool("new " + ffl).status, 0);
    EXPECT_NE(Fftool("new " + ffl).status, 0) << "new must not overwrite";

    RunResult add = Fftool("add " + ffl + " 'gfx\\sub\\a.rim' " + Source("a", "AAAA") + " top " +
                           Source("t", "top!x"));
    ASSERT_EQ(add.status, 0) << add.out;
    RunResult list = Fftool("list " + ffl);
    ASSERT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("         4  gfx\\sub\\a.rim\n"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("         5  top\n"), std::string::npos) << list.out;

    EXPECT_EQ(Fftool("add " + ffl + " TOP " + Source("u", "u")).status, 1) << "exists";
    EXPECT_EQ(Fftool("replace " + ffl + " missing " + Source("u", "u")).status, 1);
    ASSERT_EQ(Fftool("replace " + ffl + " top " + Source("n", "new")).status, 0);

    const std::string out = dir_.File("out");
    RunResult extract = Fftool("extract " + ffl + " " + Quote(out));
    ASSERT_EQ(extract.status, 0) << extract.out;
    EXPECT_EQ(Text(out + "/gfx/sub/a.rim"), "AAAA");
    EXPECT_EQ(Text(out + "/top"), "new");

    ASSERT_EQ(Fftool("delete " + ffl + " 'GFX\\sub\\a.rim'").status, 0);
    EXPECT_EQ(Fftool("delete " + ffl + " nothing").status, 1);
    list = Fftool("list " + ffl);
    EXPECT_EQ(list.out.find("a.rim"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("1 item(s)"), std::string::npos) << list.out;
}

TEST_F(FftoolArchive, BadCommandLinesAndUnreadableFiles) {
    const std::string ffl = Quote(dir_.File("none.ffl"));
    const struct {
        std::string arguments;
        int status;
    } cases[] = {
        {"list", 2},
        {"extract " + ffl, 2},
        {"add " + ffl + " onlypath", 2},
        {"list " + ffl, 1},
        {"add " + ffl + " p " + Quote(dir_.File("no-source")), 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Fftool(c.arguments).status, c.status) << c.arguments;
    }
}

// Listing reads only the directory: a Fastfile whose data part was cut off (an interrupted
// copy) still lists every item with the size its directory gives, while the commands that
// need the data refuse it. A sound Fastfile lists its sizes the same way.
TEST_F(FftoolArchive, ListShowsSizesFromTheDirectoryEvenWhenTheDataIsCutOff) {
    const Bytes directory = Concat({Entry(0, 3, "gfx\\a.rim"), Entry(4, 600, "big")});
    const std::string cut = dir_.File("cut.ffl");
    WriteFile(cut, Concat({Header(2, static_cast<uint32_t>(directory.size()), 604), directory,
                           Bytes{'a', 'b'}}));
    const RunResult list = Fftool("list " + Quote(cut));
    EXPECT_EQ(list.status, 0) << list.out;
    EXPECT_EQ(list.out, "         3  gfx\\a.rim\n       600  big\n2 item(s)\n");
    EXPECT_EQ(Fftool("extract " + Quote(cut) + " " + Quote(dir_.File("out"))).status, 1);

    const std::string sound = dir_.File("sound.ffl");
    WriteFile(sound, Concat({SoundRecord(1, "s\\a.wav", "WAVEabcd"), Bytes{0xFF, 0xFF}}));
    const RunResult sounds = Fftool("list " + Quote(sound));
    EXPECT_EQ(sounds.status, 0) << sounds.out;
    EXPECT_EQ(sounds.out, "        16  s\\a.wav\n1 item(s)\n");
}

// Item paths are data from the file; extraction must keep every write inside the chosen
// directory.
TEST_F(FftoolArchive, ExtractRefusesPathsLeadingOutsideTheDirectory) {
    const std::string ffl = dir_.File("evil.ffl");
    FFLARCHIVE* archive = FFLCreateArchive(ffl.c_str());
    for (const char* path : {"..\\escaped", "\\rooted", "/rooted2", "C:\\drive", "a\\\\b",
                             "a\\..\\..\\up", "trailing\\", "safe\\ok"}) {
        FFLAddItem(archive, path, "x", 1);
    }
    ASSERT_TRUE(FFLSaveArchive(archive, nullptr));
    FFLCloseArchive(archive);

    const std::string out = dir_.File("box/inner");
    RunResult extract = Fftool("extract " + Quote(ffl) + " " + Quote(out));
    EXPECT_EQ(extract.status, 1) << extract.out;
    EXPECT_NE(extract.out.find("skipped item '..\\escaped'"), std::string::npos) << extract.out;
    EXPECT_EQ(Text(out + "/safe/ok"), "x");
    std::size_t written = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir_.Path())) {
        if (entry.is_regular_file()) {
            ++written;
        }
    }
    // The Fastfile itself and the one safe item: nothing else anywhere below the temp dir.
    EXPECT_EQ(written, 2u);
    EXPECT_FALSE(fs::exists("/rooted"));
    EXPECT_FALSE(fs::exists("/rooted2"));
}

// A name given on the command line means that file, even when the game's Fastfile directory
// holds a file of the same name.
TEST_F(FftoolArchive, FileNamesAreNotLookedUpInTheGameDirectory) {
    const std::string fastfiles = dir_.File("game/fastfile");
    fs::create_directories(fastfiles);
    fs::create_directories(dir_.File("work"));
    for (const auto& [path, item] : {std::pair{fastfiles + "/x.ffl", "game-item"},
                                     std::pair{dir_.File("work/x.ffl"), "local-item"}}) {
        FFLARCHIVE* archive = FFLCreateArchive(path.c_str());
        FFLAddItem(archive, item, "d", 1);
        ASSERT_TRUE(FFLSaveArchive(archive, nullptr));
        FFLCloseArchive(archive);
    }
    const std::string registry = dir_.File("registry.ini");
    setenv("QUILLMARK_REGISTRY", registry.c_str(), 1);
    ASSERT_TRUE(qm::RegistrySetString(qm::RegistryRoot::LocalMachine,
                                      "Software\\Fox Interactive\\Aliens versus Predator", "Path",
                                      dir_.File("game")));
    unsetenv("QUILLMARK_REGISTRY");
    const RunResult list =
        Fftool("list x.ffl", "cd " + Quote(dir_.File("work")) +
                                 " && QUILLMARK_REGISTRY=" + Quote(registry) + " ");
    EXPECT_EQ(list.status, 0) << list.out;
    EXPECT_NE(list.out.find("local-item"), std::string::npos) << list.out;
    EXPECT_EQ(list.out.find("game-item"), std::string::npos) << list.out;
}

}  // namespace
