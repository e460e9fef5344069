// fftool's db command, run as the built program on temporary databases.
#include <gtest/gtest.h>

#include <string>

#include "tests/fftool/run_fftool.h"
#include "tests/packlib/test_files.h"

namespace {

using namespace packlib_test;
using namespace fftool_test;

std::string Text(const std::string& path) {
    const Bytes bytes = ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(FftoolDatabase, AddsFindsListsAndDeletes) {
    TempDir dir;
    const std::string db = Quote(dir.File("ffinfo.txt"));
    EXPECT_EQ(Fftool("db add " + db + " graphics\\\\menus menus.ffl").status, 0);
    EXPECT_EQ(Fftool("db add " + db + " sound Common.ffl").status, 0);
    EXPECT_EQ(Text(dir.File("ffinfo.txt")), "graphics\\menus;menus.ffl\nsound;Common.ffl\n");

    RunResult found = Fftool("db find " + db + " 'GRAPHICS\\menus\\title.rim'");
    EXPECT_EQ(found.status, 0);
    EXPECT_EQ(found.out, "menus.ffl\n");
    EXPECT_EQ(Fftool("db find " + db + " 'other\\x'").status, 1);

    RunResult listed = Fftool("db list " + db);
    EXPECT_EQ(listed.out, "graphics\\menus\tmenus.ffl\nsound\tCommon.ffl\n");

    EXPECT_EQ(Fftool("db add " + db + " sound Other.ffl").status, 1);  // prefix taken
    EXPECT_EQ(Fftool("db delete " + db + " sound").status, 0);
    EXPECT_EQ(Fftool("db delete " + db + " sound").status, 1);
    EXPECT_EQ(Text(dir.File("ffinfo.txt")), "graphics\\menus;menus.ffl\n");
}

TEST(FftoolDatabase, BadCommandLinesAreRefused) {
    TempDir dir;
    const std::string db = Quote(dir.File("ffinfo.txt"));
    struct Case {
        std::string arguments;
        int status;
    } cases[] = {
        {"db", 2},
        {"db frobnicate", 2},
        {"db find " + db, 2},
        {"db add " + db + " 'a;b' x.ffl", 2},
        {"db add " + db + " '' x.ffl", 2},
        {"db list " + Quote(dir.File("missing.txt")), 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Fftool(c.arguments).status, c.status) << c.arguments;
    }
}

}  // namespace
