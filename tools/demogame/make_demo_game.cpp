// make-demo-game: writes the small demo game that the suite's programs can be tried on.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "tools/demogame/demo_game.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr const char* kGameKey = "Software\\Fox Interactive\\Aliens versus Predator";

void PrintHelp() {
    std::printf(
        "Usage: make-demo-game [--no-sounds] [--register] DIRECTORY\n"
        "Writes a small demo game into DIRECTORY (created when missing; earlier demo files\n"
        "are replaced): a stand-in AvP.exe, fastfile/ffinfo.txt, graphics Fastfiles of\n"
        "procedural textures and the sound archive fastfile/COMMON.FFL.\n\n"
        "  --no-sounds  leave out COMMON.FFL and its database entry\n"
        "  --register   also store DIRECTORY as the game's location (the game's registry\n"
        "               entry \"Path\"), so that the tools find the demo game\n\n"
        "Exit status: 0 on success, 1 when the game could not be written, 2 for a wrong\n"
        "command line.\n");
}

int UsageError(const std::string& message) {
    std::fprintf(stderr, "make-demo-game: %s\n", message.c_str());
    std::fprintf(stderr, "Try 'make-demo-game --help'.\n");
    return kExitUsage;
}

int Failure(const std::string& message) {
    std::fprintf(stderr, "make-demo-game: %s\n", message.c_str());
    return kExitFailure;
}

void PrintContents(bool withSounds) {
    using namespace demogame;
    std::printf("AvP.exe (stand-in)\nfastfile\\ffinfo.txt:\n");
    for (const DemoFastfile& entry : DemoFastfiles()) {
        if (withSounds || entry.folder.rfind("sound", 0) != 0) {
            std::printf("  %s;%s\n", entry.folder.c_str(), entry.fileName.c_str());
        }
    }
    std::printf("Textures:\n");
    for (const DemoTexture& t : DemoTextures()) {
        std::printf("  %-42s %3d x %-3d %2d-bit%s%s\n", t.itemPath.c_str(), t.width, t.height,
                    t.bitsPerPixel, DemoTextureSlotDepths(t).size() > 1 ? ", slots 16/8/4" : "",
                    t.transparent ? ", transparent" : "");
    }
    if (withSounds) {
        std::printf("Sounds (fastfile\\%s):\n", kDemoSoundArchiveFile);
        for (const DemoSound& s : DemoSounds()) {
            std::printf("  %-42s %5d Hz %2d-bit %s %.2f s\n", s.itemPath.c_str(), s.rate, s.bits,
                        s.channels == 2 ? "stereo" : "mono  ", s.seconds);
        }
    }
    std::printf("Not in the database: fastfile\\%s\n", DemoUnlistedFastfile().fileName.c_str());
    for (const DemoTexture& t : DemoUnlistedTextures()) {
        std::printf("  %-42s %3d x %-3d %2d-bit\n", t.itemPath.c_str(), t.width, t.height,
                    t.bitsPerPixel);
    }
    std::printf("  %s\n", DemoUnlistedOtherItem().c_str());
}

}  // namespace

int main(int argc, char** argv) {
    demogame::DemoGameOptions options;
    bool registerGame = false;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintHelp();
            return kExitOk;
        }
        if (arg == "--no-sounds") {
            options.withSounds = false;
        } else if (arg == "--register") {
            registerGame = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option '" + arg + "'");
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 1) {
        return UsageError(positional.empty() ? "no directory given" : "too many arguments");
    }
    std::string error;
    if (!demogame::MakeDemoGame(positional[0], options, &error)) {
        return Failure(error);
    }
    std::error_code code;
    const std::string directory = std::filesystem::absolute(positional[0], code).string();
    std::printf("Demo game written to %s\n", directory.c_str());
    PrintContents(options.withSounds);
    if (registerGame) {
        if (!qm::RegistrySetString(qm::RegistryRoot::LocalMachine, kGameKey, "Path", directory)) {
            return Failure("cannot store the game's location");
        }
        std::printf("Game location stored (%s)\n", qm::RegistryStorePath().c_str());
    }
    return kExitOk;
}
