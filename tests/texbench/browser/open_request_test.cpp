#include "texbench/browser/open_request.h"

#include <gtest/gtest.h>

namespace texbench {
namespace {

using Kind = OpenRequest::Kind;

TEST(OpenRequest, SwitchRemovalTrimmingAndDatabaseSuffix) {
    struct Case {
        const char* commandLine;
        Kind kind;
        const char* path;
    };
    const Case cases[] = {
        {"", Kind::None, ""},
        {"   ", Kind::None, ""},
        {"-nosplash", Kind::None, ""},
        {"/nosplash  ", Kind::None, ""},
        {"-nosplash /games/avp/fastfile/hud.ffl", Kind::Fastfile, "/games/avp/fastfile/hud.ffl"},
        {"  hud.ffl  ", Kind::Fastfile, "hud.ffl"},
        // Only the exact-case switch is removed: the rest is taken as one Fastfile name.
        {"-NOSPLASH hud.ffl", Kind::Fastfile, "-NOSPLASH hud.ffl"},
        // "-nosplash" wins over "/nosplash" wherever each stands.
        {"/nosplash x -nosplash", Kind::Fastfile, "/nosplash x"},
        {"C:\\AvP\\fastfile\\ffinfo.txt", Kind::Database, "C:\\AvP\\fastfile\\ffinfo.txt"},
        {"/games/avp/fastfile/FFINFO.TXT", Kind::Database, "/games/avp/fastfile/FFINFO.TXT"},
        {"ffinfo.txt", Kind::Database, "ffinfo.txt"},
        {"-nosplash other_ffinfo.txt", Kind::Database, "other_ffinfo.txt"},
        {"ffinfo.txt.bak", Kind::Fastfile, "ffinfo.txt.bak"},
        {"finfo.txt", Kind::Fastfile, "finfo.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        const OpenRequest request = ParseOpenRequest(c.commandLine);
        EXPECT_EQ(request.kind, c.kind);
        EXPECT_EQ(request.path, c.path);
    }
}

}  // namespace
}  // namespace texbench
