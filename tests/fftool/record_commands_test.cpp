// fftool's installed and uninstall commands against records written by hand, as PatchApply
// leaves them below $XDG_DATA_HOME/quillmark/installed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/fftool/run_fftool.h"
#include "tests/support/temp_dir.h"

using fftool_test::Fftool;
using fftool_test::Quote;

namespace {

class FftoolRecords : public ::testing::Test {
  protected:
    void WriteRecord(const std::string& folder, const std::string& list) {
        const auto path = std::filesystem::path(Records()) / folder;
        std::filesystem::create_directories(path);
        std::ofstream(path / "record.txt", std::ios::binary) << list;
    }
    std::string Records() const { return dir_.File("data/quillmark/installed"); }
    std::string Env() const { return "XDG_DATA_HOME=" + Quote(dir_.File("data")) + " "; }

    qm_test::TempDir dir_;
};

TEST_F(FftoolRecords, InstalledListsNewestFirstAndSkipsDamagedOrUnfinishedRecords) {
    WriteRecord("Old-20261201-100000",
                "quillmark install record 1\ntitle\tOld Walls\ntime\t"
                "2026-12-01 10:00:00 UTC\nstamp\t100\n"
                "added\tmenus.ffl\t3\tabc\tgraphics\\menus\\x.rim\n");
    WriteRecord("New-20261202-100000",
                "quillmark install record 1\ntitle\tNew Walls\ntime\t2026-12-02 10:00:00 "
                "UTC\nstamp\t200\n");
    WriteRecord(".Half-20261203-100000.partial-300",
                "quillmark install record 1\ntitle\tHalf\nstamp\t300\n");
    WriteRecord("Damaged", "quillmark install record 1\nreplaced\tmenus.ffl\tten\t1\tp\n");

    const auto run = Fftool("installed", Env());
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "New Walls\t2026-12-02 10:00:00 UTC\t" + Records() +
                           "/New-20261202-100000\n"
                           "Old Walls\t2026-12-01 10:00:00 UTC\t" +
                           Records() + "/Old-20261201-100000\n");
}

TEST_F(FftoolRecords, UninstallNeedsARecord) {
    struct Case {
        const char* arguments;
        int status;
        const char* says;
    } cases[] = {
        {"uninstall", 2, "uninstall needs a record"},
        {"uninstall a b", 2, "uninstall takes one record"},
        {"uninstall Missing-20261201-100000", 1, "Missing-20261201-100000' holds no record"},
    };
    for (const Case& c : cases) {
        const auto run = Fftool(c.arguments, Env());
        EXPECT_EQ(run.status, c.status) << c.arguments;
        EXPECT_NE(run.out.find(c.says), std::string::npos) << run.out;
    }
}

}  // namespace
