// fftool's patch command, run as the built program on temporary patches.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/fftool/run_fftool.h"
#include "tests/patchlib/patch_fixture.h"

namespace {

using namespace patch_test;
using namespace fftool_test;

void WriteText(const std::string& path, const std::string& text) {
    WriteFile(path, Bytes(text.begin(), text.end()));
}

std::string ReadText(const std::string& path) {
    const Bytes bytes = ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(FftoolPatch, CreatesAddsListsExtractsAndEditsTheHeader) {
    TempDir dir;
    const std::string kdz = Quote(dir.File("mod.kdz"));
    ASSERT_EQ(Fftool("patch new " + kdz + " --title 'Night Mod' --author Ann").status, 0);
    // "new" never overwrites a patch that is already there.
    EXPECT_EQ(Fftool("patch new " + kdz + " --title Again").status, 1);  // exists already

    WriteText(dir.File("sky.rim"), "SKYDATA");
    WriteText(dir.File("b.bin"), "xy");
    EXPECT_EQ(Fftool("patch add " + kdz + " " + Quote(dir.File("sky.rim")) +
                     " 'graphics\\sky.rim|graphics\\sky2.rim'")
                  .status,
              0);
    EXPECT_EQ(
        Fftool("patch add " + kdz + " " + Quote(dir.File("b.bin")) + " 'sound\\b.wav' --name Beep")
            .status,
        0);

    RunResult listed = Fftool("patch list " + kdz);
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out,
              "sky.rim\t7\tgraphics\\sky.rim|graphics\\sky2.rim\n"
              "Beep\t2\tsound\\b.wav\n");

    EXPECT_EQ(Fftool("patch set-info " + kdz + " --version 1.1 --title Dawn").status, 0);
    RunResult info = Fftool("patch info " + kdz);
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(info.out, "Title: Dawn\nVersion: 1.1\nAuthor: Ann\nCopyright: \nDescription: \n");

    const std::string out = dir.File("out");
    EXPECT_EQ(Fftool("patch extract " + kdz + " " + Quote(out)).status, 0);
    EXPECT_EQ(ReadText(out + "/sky.rim"), "SKYDATA");
    EXPECT_EQ(ReadText(out + "/Beep"), "xy");
}

// Item names come from whoever made the patch: none of them may write outside the directory.
TEST(FftoolPatch, ExtractKeepsHostileNamesInsideTheDirectory) {
    TempDir dir;
    const char* names[] = {"../escape", "..", "/tmp/abs", "a\\b", "sub/x", "", "same", "same"};
    std::vector<Bytes> forms;
    for (const char* name : names) {
        std::vector<Bytes> chunks;
        if (name[0] != '\0') {
            chunks.push_back(Text("NAME", name));
        }
        chunks.push_back(Text("PATH", "x\\y"));
        chunks.push_back(Chunk("DATA", std::string("d") + name));
        forms.push_back(Container("FORM", chunks));
    }
    WriteFile(dir.File("evil.kdz"), PatchFile(forms));

    const std::string out = dir.File("out");
    RunResult run = Fftool("patch extract " + Quote(dir.File("evil.kdz")) + " " + Quote(out));
    EXPECT_EQ(run.status, 0) << run.out;
    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.Path())) {
        written.push_back(std::filesystem::relative(entry.path(), dir.Path()).string());
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written,
              (std::vector<std::string>{"evil.kdz", "out", "out/item0.bin", "out/item1.bin",
                                        "out/item2.bin", "out/item3.bin", "out/item4.bin",
                                        "out/item5.bin", "out/item7.bin", "out/same"}));
    EXPECT_EQ(ReadText(out + "/item0.bin"), "d../escape");
    EXPECT_EQ(ReadText(out + "/same"), "dsame");
    EXPECT_FALSE(std::filesystem::exists("/tmp/abs"));
}

TEST(FftoolPatch, BadInputIsRefused) {
    TempDir dir;
    const std::string kdz = Quote(dir.File("mod.kdz"));
    ASSERT_EQ(Fftool("patch new " + kdz + " --title T").status, 0);
    const Bytes before = ReadFile(dir.File("mod.kdz"));
    WriteText(dir.File("data.bin"), "abc");
    WriteText(dir.File("empty.bin"), "");
    WriteFile(dir.File("junk.kdz"), Bytes{'n', 'o', 'p', 'e'});
    const std::string data = Quote(dir.File("data.bin"));
    struct Case {
        std::string arguments;
        int status;
    } cases[] = {
        {"patch", 2},
        {"patch frobnicate", 2},
        {"patch new " + Quote(dir.File("n.kdz")), 2},  // no title
        {"patch new " + Quote(dir.File("n.kdz")) + " --title ''", 2},
        {"patch new " + Quote(dir.File("n.kdz")) + " --title " + std::string(256, 't'), 2},
        {"patch new " + Quote(dir.File("n.kdz")) + " --colour red", 2},
        {"patch info", 2},
        {"patch info " + Quote(dir.File("missing.kdz")), 1},
        {"patch list " + Quote(dir.File("junk.kdz")), 1},
        {"patch add " + kdz + " " + data, 2},
        {"patch add " + kdz + " " + data + " 'a||b'", 2},
        {"patch add " + kdz + " " + data + " 'a|'", 2},
        {"patch add " + kdz + " " + data + " a --name " + std::string(128, 'n'), 2},
        {"patch add " + kdz + " " + data + " a --name", 2},
        {"patch add " + kdz + " " + Quote(dir.File("empty.bin")) + " a", 1},
        {"patch add " + kdz + " " + Quote(dir.File("missing.bin")) + " a", 1},
        {"patch add " + Quote(dir.File("missing.kdz")) + " " + data + " a", 1},
        {"patch set-info " + kdz, 2},
        {"patch extract " + kdz, 2},
    };
    for (const Case& c : cases) {
        RunResult run = Fftool(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.out;
        EXPECT_NE(run.out.find("fftool: "), std::string::npos) << c.arguments;
    }
    EXPECT_EQ(ReadFile(dir.File("mod.kdz")), before);
    EXPECT_FALSE(std::filesystem::exists(dir.File("n.kdz")));
}

}  // namespace
