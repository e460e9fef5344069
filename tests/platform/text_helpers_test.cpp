// The shared text and byte helpers: ASCII-only letter case, blanks, program paths and
// fixed-width fields.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ascii.h"
#include "platform/byte_order.h"
#include "platform/program_path.h"

namespace {

TEST(Ascii, OnlyAToZFoldWhateverTheLocale) {
    EXPECT_TRUE(qm::EqualsNoCase("AvP.EXE", "avp.exe"));
    EXPECT_FALSE(qm::EqualsNoCase("avp.exe", "avp.ex"));
    // ANSI "Ä" and "ä" are different bytes; folding them would merge two file names.
    EXPECT_FALSE(qm::EqualsNoCase("\xC4", "\xE4"));
    EXPECT_EQ(qm::LowerAscii('\xC4'), '\xC4');
    EXPECT_EQ(qm::LowerAscii('['), '[');  // just after 'Z'
    EXPECT_EQ(qm::LowerAscii('@'), '@');  // just before 'A'
    EXPECT_TRUE(qm::StartsWithNoCase("-NoSplash x", "-nosplash"));
    EXPECT_FALSE(qm::StartsWithNoCase("-no", "-nosplash"));
}

TEST(Ascii, TrimRemovesBlanksAtBothEndsOnly) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},       {" \t\r\n\v\f", ""},        {"  a b  ", "a b"},
        {"\ta\n", "a"}, {"\xA0x\xA0", "\xA0x\xA0"},  // a no-break space of ANSI is no blank
    };
    for (const auto& [text, trimmed] : cases) {
        EXPECT_EQ(qm::Trim(text), trimmed) << text;
    }
    EXPECT_EQ(qm::TrimStart("  a  "), "a  ");
}

TEST(ByteOrder, FieldsRoundTripAndReadTheRightBytes) {
    std::uint8_t bytes[4] = {};
    qm::PutU32LE(bytes, 0x11223344u);
    EXPECT_EQ(bytes[0], 0x44);
    EXPECT_EQ(qm::GetU32LE(bytes), 0x11223344u);
    EXPECT_EQ(qm::GetU16LE(bytes), 0x3344u);
    EXPECT_EQ(qm::GetU32BE(bytes), 0x44332211u);
    qm::PutU16BE(bytes, 0xABCD);
    EXPECT_EQ(bytes[0], 0xAB);
    const std::uint8_t high[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(qm::GetU32LE(high), 0xFFFFFFFFu) << "no sign extension";
}

TEST(ProgramPath, TheRunningProgramAndFilesNamedLikeIt) {
    const std::string self = qm::RunningProgramPath("ignored");
    EXPECT_EQ(std::filesystem::path(self).filename(), "platform_test");
    EXPECT_EQ(qm::ProgramDirectory(), qm::ProgramDirectoryOf(self));
    EXPECT_EQ(qm::ProgramDirectoryOf("texbench"), "");
    EXPECT_EQ(qm::ProgramFilePath("C:\\Tools\\tex.bench.exe", "cfg"), "C:\\Tools\\tex.bench.cfg");
    EXPECT_EQ(qm::ProgramFilePath("/home/ann/.local/bin/texbench", "chm"),
              "/home/ann/.local/bin/texbench.chm");
}

}  // namespace
