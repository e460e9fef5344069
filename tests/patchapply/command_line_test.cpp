// Reading the installer's command line and its target path lists.
#include <gtest/gtest.h>

#include "patchapply/command_line.h"
#include "patchapply/target_paths.h"

using patchapply::CommandKind;

TEST(PatchApplyCommandLine, OptionsAndFileNames) {
    struct Case {
        const char* text;
        CommandKind kind;
        bool quiet;
        const char* fileName;
    } cases[] = {
        {"-register", CommandKind::Register, false, ""},
        {"/REGISTER", CommandKind::Register, false, ""},
        {"-registerXYZ", CommandKind::Register, false, ""},  // only 9 characters compared
        {"  /RegServer  ", CommandKind::Register, false, ""},
        {"-unregister", CommandKind::Unregister, false, ""},
        {"/unregserver", CommandKind::Unregister, false, ""},
        {"-noprompt c:\\x.kdz ", CommandKind::Install, true, "c:\\x.kdz"},
        {"/NOPROMPT\"a b.kdz\"", CommandKind::Install, true, "\"a b.kdz\""},
        {"-noprompt", CommandKind::Install, true, ""},
        {"  \"my patch.kdz\"\t", CommandKind::Install, false, "\"my patch.kdz\""},
        {"-regist", CommandKind::Install, false, "-regist"},
        {"register", CommandKind::Install, false, "register"},
        {"", CommandKind::Install, false, ""},
    };
    for (const Case& c : cases) {
        const auto parsed = patchapply::ParseCommandLine(c.text);
        EXPECT_EQ(parsed.kind, c.kind) << c.text;
        EXPECT_EQ(parsed.quiet, c.quiet) << c.text;
        EXPECT_EQ(parsed.fileName, c.fileName) << c.text;
    }
}

TEST(PatchApplyCommandLine, UninstallTakesARecordAndForce) {
    struct Case {
        const char* text;
        bool quiet;
        bool force;
        const char* record;
    } cases[] = {
        {"-uninstall Hive-20261210-153000", false, false, "Hive-20261210-153000"},
        {"/UNINSTALL -force  /home/a/rec ", false, true, "/home/a/rec"},
        {"-noprompt -uninstall -force rec", true, true, "rec"},
        {"-uninstall", false, false, ""},
    };
    for (const Case& c : cases) {
        const auto parsed = patchapply::ParseCommandLine(c.text);
        EXPECT_EQ(parsed.kind, CommandKind::Uninstall) << c.text;
        EXPECT_EQ(parsed.quiet, c.quiet) << c.text;
        EXPECT_EQ(parsed.force, c.force) << c.text;
        EXPECT_EQ(parsed.fileName, c.record) << c.text;
    }
}

TEST(PatchApplyTargetPaths, EmptyPiecesAreSkipped) {
    using List = std::vector<std::string>;
    struct Case {
        const char* list;
        List paths;
    } cases[] = {
        {"a\\b", {"a\\b"}}, {"a|b", {"a", "b"}}, {"a||b|", {"a", "b"}},
        {"|a|||", {"a"}},   {"|||", {}},         {"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(patchapply::SplitTargetPaths(c.list), c.paths) << c.list;
        EXPECT_EQ(patchapply::CountTargetPaths(c.list), c.paths.size()) << c.list;
    }
    EXPECT_TRUE(patchapply::SplitTargetPaths(nullptr).empty());
}
