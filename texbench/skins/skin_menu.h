// The skin menu's entries: the system look and up to nine skins found beside the program.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace texbench {

// Menu 142, sub-menu 0.
inline constexpr int kSystemLookCommand = 32771;  // "Windows standard"
inline constexpr int kFirstSkinCommand = 32772;   // "Skin 1" .. "Skin 9": 32772 .. 32780
inline constexpr int kSkinHelpCommand = 57670;    // "Help..."
inline constexpr int kMostSkins = 9;
inline constexpr std::size_t kSkinMenuTextLength = 32;
inline constexpr char kSystemLookText[] = "Windows standard";
inline constexpr char kSkinHelpText[] = "Help...";

struct SkinMenuEntry {
    std::string text;  // the skin's name, at most 32 characters
    std::string file;  // the skin file's name as found, written to "Skin" when chosen
};

struct SkinMenu {
    std::vector<SkinMenuEntry> skins;  // "Skin 1" onwards
    int marked = -1;                   // index into skins; -1 marks "Windows standard"

    // The file a command stands for: empty for "Windows standard"; null for no such entry.
    const std::string* FileOf(int command) const;
};

// Every "*.skn" in the directory, in the order the file system returns them, that carries the
// signature and a name; the entry whose name is the one in use (letter case ignored) is
// marked, a later match replacing an earlier one. Stops after nine skins.
SkinMenu FindSkins(const std::filesystem::path& directory, std::string_view nameInUse);

}  // namespace texbench
