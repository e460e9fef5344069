// TexBench ("Skinwright"): browses and edits the textures and sounds of the game's Fastfiles.
// One modal main dialog is the whole program; a second start hands its command line to the
// first and ends.
#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

#include "platform/command_line_text.h"
#include "platform/program_path.h"
#include "platform/qt/qt_message_boxes.h"
#include "platform/qt/qt_sound_output.h"
#include "texbench/app/qt_shell.h"
#include "texbench/startup/startup_sequence.h"
#include "texbench/widgets/program_icon.h"

namespace {

std::filesystem::path StartDirectory() {
    std::error_code error;
    auto directory = std::filesystem::current_path(error);
    return error ? std::filesystem::path() : directory;
}

// Registration and unregistration show nothing and need no display.
class WindowlessShell : public texbench::StartupShell {
  public:
    void ServeInstanceEndpoint(qm::IpcListener&) override {}
    void StopServingInstanceEndpoint() override {}
    void ShowWaitCursor(bool) override {}
    void ShowSplash(int) override {}
    void RunMainDialog(texbench::ApplicationState&) override {}
    std::optional<std::string> AskForGameProgram() override { return std::nullopt; }
};

bool AsksForHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h" || argument == "/?") {
            return true;
        }
    }
    return false;
}

void PrintHelp() {
    std::printf(
        "Usage: texbench [-nosplash] [FILE.ffl | PATH/ffinfo.txt]\n"
        "       texbench -register | -unregister\n"
        "Browses and edits the textures and sounds of the game's Fastfiles. Without a file it\n"
        "opens the game's Fastfile database; a second start hands its file to the running one.\n\n"
        "  -nosplash    start without the splash window\n"
        "  -register    write TexBench's registry entries and desktop registration, then end\n"
        "  -unregister  remove them, then end\n");
}

}  // namespace

int main(int argc, char** argv) {
    using namespace texbench;
    if (AsksForHelp(argc, argv)) {
        PrintHelp();
        return 0;
    }
    StartupOptions options;
    options.programPath = qm::RunningProgramPath(argv[0]);
    const std::vector<std::string> arguments = ArgumentsWithAbsoluteFiles(
        std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc - 1)),
        StartDirectory());
    std::vector<const char*> withProgram = {argv[0]};
    for (const std::string& argument : arguments) {
        withProgram.push_back(argument.c_str());
    }
    options.commandLine =
        qm::CommandLineText(static_cast<int>(withProgram.size()), withProgram.data());
    if (ParseCommandLine(options.commandLine).command != StartCommand::Run) {
        WindowlessShell shell;
        return RunTexBench(options, shell);
    }
    options.searchPlaces = suite::DefaultSearchPlaces();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kProductName));
    QApplication::setWindowIcon(ProgramIcon());
    qm::QtMessageBoxService boxes(ProgramIcon());
    qm::MessageBoxService* previous = qm::SetMessageBoxService(&boxes);
    qm::QtSoundOutput sound;
    qm::SoundOutput* previousSound = qm::SetSoundOutput(&sound);
    int exitCode = 0;
    {
        QtShell shell;
        exitCode = RunTexBench(options, shell);
    }
    qm::SetSoundOutput(previousSound);
    qm::SetMessageBoxService(previous);
    return exitCode;
}
