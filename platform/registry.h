#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/export.h"

namespace qm {

// The registry roots the suite uses. Key paths below a root are backslash-separated and
// compared without regard to letter case, as on Windows.
enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

// Registry access. On Windows these map onto the real registry; elsewhere onto a file-backed
// store in the INI document format at $QUILLMARK_REGISTRY, else
// $XDG_CONFIG_HOME/quillmark/registry.ini (XDG_CONFIG_HOME defaulting to ~/.config).
// Every call reads the store afresh, so changes by other processes are seen; every change
// is saved atomically at once. An empty value name designates the key's default value.

// The string value, or nothing when the key or value does not exist.
QM_PLATFORM_API std::optional<std::string> RegistryGetString(RegistryRoot root,
                                                             std::string_view key,
                                                             std::string_view valueName);
// Creates the key (and its parents) when needed and stores the value.
QM_PLATFORM_API bool RegistrySetString(RegistryRoot root, std::string_view key,
                                       std::string_view valueName, std::string_view value);
// Creates the key and its parents; true when it exists afterwards.
QM_PLATFORM_API bool RegistryCreateKey(RegistryRoot root, std::string_view key);
QM_PLATFORM_API bool RegistryKeyExists(RegistryRoot root, std::string_view key);
// False when the value did not exist.
QM_PLATFORM_API bool RegistryDeleteValue(RegistryRoot root, std::string_view key,
                                         std::string_view valueName);
// Deletes a key with its values. Fails, changing nothing, while the key has subkeys or when
// it does not exist.
QM_PLATFORM_API bool RegistryDeleteKey(RegistryRoot root, std::string_view key);
// Names of the direct subkeys, in store order.
QM_PLATFORM_API std::vector<std::string> RegistryEnumSubkeys(RegistryRoot root,
                                                             std::string_view key);
// Names of the values of a key ("" for the default value), in store order.
QM_PLATFORM_API std::vector<std::string> RegistryEnumValues(RegistryRoot root,
                                                            std::string_view key);
// 32-bit values (REG_DWORD). The file-backed store keeps them as "dword:" and eight
// hexadecimal digits, as registry exports write them. Nothing when the key or value does not
// exist or the value is not a 32-bit number.
QM_PLATFORM_API std::optional<std::uint32_t> RegistryGetDword(RegistryRoot root,
                                                              std::string_view key,
                                                              std::string_view valueName);
QM_PLATFORM_API bool RegistrySetDword(RegistryRoot root, std::string_view key,
                                      std::string_view valueName, std::uint32_t value);
// The file that backs the store (empty on Windows).
QM_PLATFORM_API std::string RegistryStorePath();

}  // namespace qm
