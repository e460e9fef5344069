#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

// Setup's registry key notation: a root of four letters ("HKLM", "HKCR", "HKCU", "HKCC",
// "HKUS", any case), a backslash and the subkey. Keys without a root are relative.
namespace qm::setup {

struct RegistryKeyName {
    RegistryRoot root = RegistryRoot::LocalMachine;
    std::string subkey;  // as written, trailing backslash kept

    // "HKLM\subkey", the root in upper case as the uninstaller expects it.
    std::string Text() const;
};

// Nothing when the text does not begin with one of the roots.
std::optional<RegistryKeyName> ParseRegistryKey(std::string_view text);

// A key with a root as it is; a relative one appended to the product's base key (which ends
// with a backslash). Nothing for a relative key without a base.
std::optional<RegistryKeyName> ResolveRegistryKey(std::string_view text, std::string_view baseKey);

}  // namespace qm::setup
