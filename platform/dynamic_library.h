#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/export.h"

namespace qm {

// A shared library loaded by its Windows name ("PackLib.dll"). Elsewhere the name maps to
// the platform's file name ("libPackLib.so"). The program's own directory is searched
// first, then the system's library search. Unloaded when destroyed.
class QM_PLATFORM_API DynamicLibrary {
  public:
    // Null when the library cannot be loaded; *error then says why.
    static std::unique_ptr<DynamicLibrary> Load(std::string_view name,
                                                std::string* error = nullptr);
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // The export of that name, or null.
    void* Symbol(const char* name) const;
    // The file that was loaded.
    const std::string& Path() const { return path_; }

  private:
    DynamicLibrary(void* handle, std::string path);
    void* handle_;
    std::string path_;
};

// "PackLib.dll" -> "libPackLib.so" on Linux; unchanged on Windows.
QM_PLATFORM_API std::string PlatformLibraryFileName(std::string_view windowsName);

// Looks up an export by name in the module that contains the given address (a library
// binding its own exports by name). Null when there is no such export.
QM_PLATFORM_API void* FindExportInOwnModule(const void* addressInModule, const char* name);

// Text of the last error of the dynamic loader or the system (FormatMessageA elsewhere).
QM_PLATFORM_API std::string LastSystemErrorText();

}  // namespace qm
