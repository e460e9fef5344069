#include "patchbench/engine/profile_settings.h"

#include "inidoc/ini_document.h"

namespace patchbench {

int ProfileSettings::GetInt(const char* section, const char* key, int defaultValue) const {
    CIniDocument document;
    if (!document.Load(path_)) {
        return defaultValue;
    }
    return document.GetInt(section, key, defaultValue);
}

bool ProfileSettings::SetInt(const char* section, const char* key, int value) const {
    CIniDocument document;
    document.Load(path_);  // a missing file is made
    document.SetInt(section, key, value);
    return document.Save(path_);
}

std::string ProgramFilePath(const std::string& programPath, const std::string& extension) {
    const std::size_t nameStart = programPath.find_last_of("\\/");
    const std::size_t dot = programPath.find_last_of('.');
    const bool dotInName =
        dot != std::string::npos && (nameStart == std::string::npos || dot > nameStart);
    return (dotInName ? programPath.substr(0, dot + 1) : programPath + ".") + extension;
}

std::string ProgramDirectoryOf(const std::string& programPath) {
    const std::size_t separator = programPath.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : programPath.substr(0, separator + 1);
}

}  // namespace patchbench
