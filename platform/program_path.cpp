#include "platform/program_path.h"

#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace qm {

std::string RunningProgramPath(const char* argv0) {
#if defined(_WIN32)
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (length > 0 && length < sizeof(path)) {
        return std::string(path, length);
    }
#else
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        return self.string();
    }
#endif
    std::error_code ignored;
    const auto absolute = std::filesystem::absolute(argv0 != nullptr ? argv0 : "", ignored);
    return absolute.string();
}

std::string ProgramDirectory() {
    const std::string directory = ProgramDirectoryOf(RunningProgramPath(nullptr));
    return directory.empty() ? "./" : directory;
}

std::string ProgramDirectoryOf(std::string_view programPath) {
    const std::size_t slash = programPath.find_last_of("\\/");
    return slash == std::string_view::npos ? std::string()
                                           : std::string(programPath.substr(0, slash + 1));
}

std::string ProgramFilePath(std::string_view programPath, std::string_view extension) {
    // Only the file name counts: a dot in a directory ("~/.local/bin") is no extension.
    const std::size_t nameStart = programPath.find_last_of("\\/");
    const std::size_t dot = programPath.rfind('.');
    const bool dotInName =
        dot != std::string_view::npos && (nameStart == std::string_view::npos || dot > nameStart);
    std::string path =
        dotInName ? std::string(programPath.substr(0, dot + 1)) : std::string(programPath) + ".";
    return path + std::string(extension);
}

}  // namespace qm
