// A skin file (".skn"): an INI document that names the skin, its module and two colours.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace texbench {

inline constexpr char kSkinSignature[] = "TexBench";

struct SkinFile {
    std::string signature;
    std::string name;
    std::string module;
    std::uint32_t background = 0;     // 0x00BBGGRR
    std::uint32_t text = 0x00FFFFFF;  // 0x00BBGGRR

    // The signature matches, letter case ignored.
    bool IsSkin() const;
    // A skin the menu lists: the signature matches and the name is not empty.
    bool IsListed() const { return IsSkin() && !name.empty(); }
};

// Null when the file cannot be read.
std::optional<SkinFile> ReadSkinFile(const std::string& path);

}  // namespace texbench
