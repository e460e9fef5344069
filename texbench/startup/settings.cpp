#include "texbench/startup/settings.h"

#include "inidoc/ini_document.h"

namespace texbench {

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

}  // namespace texbench
