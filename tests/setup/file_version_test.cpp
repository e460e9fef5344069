#include <gtest/gtest.h>

#include <span>

#include "pe_builder.h"
#include "setup/file_version.h"

namespace qm::setup {
namespace {

using testing::PeFile;

std::optional<FileVersion> Parse(const std::string& bytes) {
    return ParseFileVersion(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

TEST(FileVersion, ReadsTheFixedVersionAndTheFirstTranslation) {
    const auto version = Parse(PeFile(2, 1, 0, 5, 0x407, 1200));
    ASSERT_TRUE(version);
    EXPECT_EQ(version->version, 0x0002000100000005ull);
    EXPECT_EQ(version->translation, 0x04B00407u);
}

TEST(FileVersion, FilesWithoutAVersionResourceHaveNone) {
    EXPECT_FALSE(Parse(""));
    EXPECT_FALSE(Parse("#!/bin/sh\necho hello\n"));
    EXPECT_FALSE(
        Parse("\x7f"
              "ELF\x02\x01\x01"));
    std::string noMagic = PeFile(1, 0, 0, 0);
    noMagic[0x40] = 'X';  // "PE\0\0" signature broken
    EXPECT_FALSE(Parse(noMagic));
}

// Every cut of a valid file and every damaged offset must end in "no version", never in a
// read outside the bytes (the sanitizer build watches that).
TEST(FileVersion, CutAndDamagedFilesAreReadSafely) {
    const std::string whole = PeFile(1, 2, 3, 4);
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const auto version = Parse(whole.substr(0, size));
        if (version) {
            EXPECT_EQ(version->version, 0x0001000200030004ull) << size;
        }
    }
    for (std::size_t at = 0; at < whole.size(); at += 2) {
        std::string damaged = whole;
        damaged[at] = static_cast<char>(0xFF);
        damaged[at + 1] = static_cast<char>(0xFF);
        (void)Parse(damaged);
    }
}

}  // namespace
}  // namespace qm::setup
