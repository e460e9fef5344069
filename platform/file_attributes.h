#pragma once

#include <cstdint>
#include <string_view>

#include "platform/export.h"

namespace qm {

// The Windows attribute bits the suite uses.
inline constexpr std::uint32_t kFileAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kFileAttributeHidden = 0x02;
inline constexpr std::uint32_t kFileAttributeSystem = 0x04;
inline constexpr std::uint32_t kFileAttributeDirectory = 0x10;
inline constexpr std::uint32_t kFileAttributeArchive = 0x20;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80;
inline constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFF;

// GetFileAttributesA. Elsewhere a file is read-only when its owner may not write it, and
// hidden when its name starts with a dot. kInvalidFileAttributes when the file is missing.
QM_PLATFORM_API std::uint32_t ReadFileAttributes(std::string_view path);

// SetFileAttributesA. Elsewhere only the read-only bit has an effect: set, it removes every
// write permission; clear, it gives the owner write permission back.
QM_PLATFORM_API bool WriteFileAttributes(std::string_view path, std::uint32_t attributes);

}  // namespace qm
