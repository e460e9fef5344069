// fftool: the suite's command-line tool for Fastfiles, the Fastfile database, patches and
// textures. It binds PackLib and PatchLib through their init exports only.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/fftool/fftool.h"

namespace fftool {

const PACKLIBEXPORT* Context::PackLib() {
    if (!packLib_.IsBound()) {
        std::string error;
        if (!packLib_.Bind("PackLib.dll", "PackLibInit", &error)) {
            Failure(error);
            return nullptr;
        }
    }
    return &packLib_.Record();
}

const PATCHLIBEXPORT* Context::PatchLib() {
    if (!patchLib_.IsBound()) {
        std::string error;
        if (!patchLib_.Bind("PatchLib.dll", "PatchLibInit", &error)) {
            Failure(error);
            return nullptr;
        }
    }
    return &patchLib_.Record();
}

int UsageError(const std::string& message) {
    std::fprintf(stderr, "fftool: %s\n", message.c_str());
    std::fprintf(stderr, "Try 'fftool --help'.\n");
    return kExitUsage;
}

int Failure(const std::string& message) {
    std::fprintf(stderr, "fftool: %s\n", message.c_str());
    return kExitFailure;
}

namespace {

std::vector<Command> AllCommands() {
    std::vector<Command> all;
    for (auto group : {ArchiveCommands(), DatabaseCommands(), PatchCommands(), TextureCommands(),
                       RecordCommands()}) {
        all.insert(all.end(), group.begin(), group.end());
    }
    return all;
}

void PrintHelp(const std::vector<Command>& commands) {
    std::printf(
        "Usage: fftool COMMAND [ARGUMENTS]\n"
        "Reads and writes the Fastfiles (.ffl), the Fastfile database (ffinfo.txt), the\n"
        "patches (.kdz) and the textures of Aliens versus Predator.\n\n"
        "Commands:\n");
    for (const Command& command : commands) {
        std::printf("  %s %s\n      %s\n", command.name, command.usage, command.summary);
    }
    std::printf(
        "\nExit status: 0 on success, 1 when the operation failed, 2 for a wrong command "
        "line.\n");
}

}  // namespace
}  // namespace fftool

int main(int argc, char** argv) {
    using namespace fftool;
    const std::vector<Command> commands = AllCommands();
    if (argc < 2) {
        return UsageError("no command given");
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintHelp(commands);
        return kExitOk;
    }
    for (const Command& command : commands) {
        if (name == command.name) {
            Context context(std::vector<std::string>(argv + 2, argv + argc));
            return command.run(context);
        }
    }
    return UsageError("unknown command '" + name + "'");
}
