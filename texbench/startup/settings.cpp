#include "texbench/startup/settings.h"

#include <climits>
#include <cstdlib>

#include "inidoc/ini_document.h"

namespace texbench {
namespace {

bool BeginsLikeANumber(const std::string& value) {
    return !value.empty() && ((value[0] >= '0' && value[0] <= '9') || value[0] == '-');
}

}  // namespace

int ReadInt(const CIniDocument& settings, const IntSetting& setting) {
    const std::string value = settings.GetString(setting.section, setting.key, "");
    if (!BeginsLikeANumber(value)) {
        return setting.defaultValue;
    }
    const long long number = std::strtoll(value.c_str(), nullptr, 10);
    if (number > INT_MAX) {
        return INT_MAX;
    }
    if (number < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(number);
}

std::string ReadText(const CIniDocument& settings, const TextSetting& setting) {
    return settings.GetString(setting.section, setting.key, "");
}

int SplashDuration(const CIniDocument& settings, bool noSplash) {
    if (noSplash) {
        return 0;
    }
    const int duration = ReadInt(settings, kSplashScreen);
    if (duration > 10000) {
        return 10000;
    }
    return duration < 500 ? 0 : duration;
}

std::uint32_t ImageBufferBytes(const CIniDocument& settings) {
    int kilobytes = ReadInt(settings, kImageBuffer);
    if (kilobytes < 4 || kilobytes > 65536) {
        kilobytes = kImageBuffer.defaultValue;
    }
    return static_cast<std::uint32_t>(kilobytes) * 1024u;
}

int IpcTimeout(const CIniDocument& settings) {
    const int timeout = ReadInt(settings, kIpcTimeout);
    return (timeout < 100 || timeout > 5000) ? kIpcTimeout.defaultValue : timeout;
}

std::uint32_t DatabaseBufferKb(const CIniDocument& settings) {
    return static_cast<std::uint32_t>(ReadInt(settings, kDatabaseBuffer));
}

std::uint32_t FastfileBufferKb(const CIniDocument& settings) {
    return static_cast<std::uint32_t>(ReadInt(settings, kFastfileBuffer));
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

std::string ProgramDirectoryOf(std::string_view programPath) {
    const std::size_t slash = programPath.find_last_of("\\/");
    return slash == std::string_view::npos ? std::string()
                                           : std::string(programPath.substr(0, slash + 1));
}

}  // namespace texbench
