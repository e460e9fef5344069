// Loading the skin named by the settings at start-up, and choosing the main dialog's template.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "texbench/skins/dialog_template.h"
#include "texbench/skins/skin_resources.h"

namespace texbench {

inline constexpr char kSkinResourcesFailed[] = "ERROR: Failed to load Skin resources.";

// The skin in use for the whole run.
struct SkinState {
    bool skinMode = false;
    // The skin module, or the program's own resources when skin mode uses no skin library.
    // Null outside skin mode.
    std::unique_ptr<SkinResources> module;
    std::uint32_t background = 0;     // 0x00BBGGRR
    std::uint32_t text = 0x00FFFFFF;  // 0x00BBGGRR
    std::string name;                 // the "Name" of the skin in use, for the skin menu

    // Where the template and pictures come from: the module, else the program.
    const SkinResources& Resources() const;
};

// Reads the skin file (relative names from the current directory) into the state and loads
// its module. True for skin mode, which the state keeps too. A file that cannot be read or lacks
// the signature gives skin mode with the program's own resources, black and white; an empty
// "Module" gives no skin mode; a module that does not load shows kSkinResourcesFailed (information
// icon) and gives no skin mode.
bool LoadSkin(const std::string& skinFile, SkinState& state);

// Template 102 of the skin in use (the program's own outside skin mode); null when it cannot
// be found or read.
std::optional<DialogTemplate> MainDialogTemplate(const SkinState& state);

}  // namespace texbench
