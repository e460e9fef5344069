// The settings' defaults and ranges, and the files named like the program.
#include <gtest/gtest.h>

#include "inidoc/ini_document.h"
#include "texbench/startup/settings.h"

namespace {

CIniDocument Settings(const std::string& text) {
    CIniDocument document;
    document.LoadFromText(text);
    return document;
}

// value == nullptr: the key is missing.
struct ClampCase {
    const char* value;
    int expected;
};

std::string Text(const char* section, const char* key, const char* value) {
    return value == nullptr ? std::string()
                            : "[" + std::string(section) + "]\n" + key + "=" + value + "\n";
}

TEST(TexBenchSettings, SplashDurationClamps) {
    const ClampCase cases[] = {
        {nullptr, 2000},     {"", 2000},       {"abc", 2000},  {"+700", 2000},
        {"499", 0},          {"500", 500},     {"0", 0},       {"-1", 0},
        {"10000", 10000},    {"10001", 10000}, {"750ms", 750}, {"99999999999", 10000},
        {"-99999999999", 0},
    };
    for (const ClampCase& c : cases) {
        const auto settings = Settings(Text("Settings", "Splash Screen", c.value));
        EXPECT_EQ(texbench::SplashDuration(settings, false), c.expected)
            << (c.value ? c.value : "<missing>");
        EXPECT_EQ(texbench::SplashDuration(settings, true), 0) << "-nosplash skips the value";
    }
}

TEST(TexBenchSettings, ImageBufferClamps) {
    const ClampCase cases[] = {
        {nullptr, 1024}, {"3", 1024},  {"4", 4},     {"65536", 65536},      {"65537", 1024},
        {"70000", 1024}, {"-8", 1024}, {"x8", 1024}, {"99999999999", 1024},
    };
    for (const ClampCase& c : cases) {
        const auto settings = Settings(Text("Settings.Engine", "Image Buffer", c.value));
        EXPECT_EQ(texbench::ImageBufferBytes(settings),
                  static_cast<std::uint32_t>(c.expected) * 1024)
            << (c.value ? c.value : "<missing>");
    }
}

TEST(TexBenchSettings, IpcTimeoutClamps) {
    const ClampCase cases[] = {
        {nullptr, 500}, {"50", 500},   {"99", 500},   {"100", 100},
        {"5000", 5000}, {"5001", 500}, {"6000", 500}, {"-300", 500},
    };
    for (const ClampCase& c : cases) {
        const auto settings = Settings(Text("Settings.Engine", "IPC Timeout", c.value));
        EXPECT_EQ(texbench::IpcTimeout(settings), c.expected) << (c.value ? c.value : "<missing>");
    }
}

TEST(TexBenchSettings, DefaultsOfAnEmptyFileAndCaseInsensitiveNames) {
    const CIniDocument empty;
    EXPECT_EQ(texbench::ReadInt(empty, texbench::kPosX), -1);
    EXPECT_EQ(texbench::ReadInt(empty, texbench::kNoSound), 1);
    EXPECT_EQ(texbench::ReadInt(empty, texbench::kShowPreview), 0);
    EXPECT_EQ(texbench::DatabaseBufferKb(empty), 4u);
    EXPECT_EQ(texbench::FastfileBufferKb(empty), 1024u);
    EXPECT_EQ(texbench::ReadText(empty, texbench::kSkin), "");

    const auto settings =
        Settings("[settings.engine]\nfastfile buffer=64\n[SETTINGS]\nskin=a.skn\n");
    EXPECT_EQ(texbench::FastfileBufferKb(settings), 64u);
    EXPECT_EQ(texbench::ReadText(settings, texbench::kSkin), "a.skn");
}

TEST(TexBenchSettings, FilesNamedLikeTheProgram) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Tools\\TexBench.exe", "C:\\Tools\\TexBench.cfg"},
        {"C:\\Tools\\tex.bench.exe", "C:\\Tools\\tex.bench.cfg"},
        {"/opt/quillmark/texbench", "/opt/quillmark/texbench.cfg"},
        // A dot in a directory is no extension of the program.
        {"/home/ann/.local/bin/texbench", "/home/ann/.local/bin/texbench.cfg"},
        {"texbench", "texbench.cfg"},
        {"/opt/texbench.", "/opt/texbench.cfg"},
    };
    for (const auto& [program, expected] : cases) {
        EXPECT_EQ(texbench::SettingsFilePath(program), expected) << program;
    }
    EXPECT_EQ(texbench::HelpFilePath("/opt/quillmark/texbench"), "/opt/quillmark/texbench.chm");
    EXPECT_EQ(qm::ProgramDirectoryOf("/opt/quillmark/texbench"), "/opt/quillmark/");
    EXPECT_EQ(qm::ProgramDirectoryOf("C:\\Tools\\TexBench.exe"), "C:\\Tools\\");
}

}  // namespace
