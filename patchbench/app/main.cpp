// PatchBench ("Fastfile Patch Editor"): collects replacement items into a Fastfile patch. One
// modal main dialog is the whole program; a second start hands its patch to the first and
// ends.
#include <QApplication>
#include <filesystem>

#include "patchbench/app/qt_shell.h"
#include "patchbench/engine/command_line.h"
#include "patchbench/engine/editor_texts.h"
#include "patchbench/engine/startup_sequence.h"
#include "patchbench/qt/artwork.h"
#include "platform/command_line_text.h"
#include "platform/program_path.h"
#include "platform/qt/qt_message_boxes.h"
#include "platform/qt/qt_sound_output.h"

namespace {

// A patch named relative to where the program was started, made absolute before it is handed
// to a running editor that was started somewhere else.
std::string WithAbsolutePath(const std::string& commandLine) {
    const patchbench::CommandLine parsed = patchbench::ParseCommandLine(commandLine);
    if (parsed.command != patchbench::StartCommand::Run || parsed.path.empty() ||
        std::filesystem::path(parsed.path).is_absolute()) {
        return commandLine;
    }
    std::error_code error;
    const std::string absolute = std::filesystem::absolute(parsed.path, error).string();
    if (error) {
        return commandLine;
    }
    return (parsed.noSplash ? "-nosplash " : "") + absolute;
}

// Registration and unregistration show nothing and need no display.
class WindowlessShell : public patchbench::EditorShell {
  public:
    void ServeInstanceEndpoint(qm::IpcListener&) override {}
    void StopServingInstanceEndpoint() override {}
    void RunMainDialog(patchbench::EditorState&) override {}
};

}  // namespace

int main(int argc, char** argv) {
    using namespace patchbench;
    EditorStartOptions options;
    options.programPath = qm::RunningProgramPath(argv[0]);
    options.commandLine = WithAbsolutePath(qm::CommandLineText(argc, argv));
    if (ParseCommandLine(options.commandLine).command != StartCommand::Run) {
        WindowlessShell shell;
        RunPatchBench(options, shell);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kProgramTitle));
    QApplication::setWindowIcon(EditorProgramIcon());
    qm::QtMessageBoxService boxes(EditorProgramIcon());
    qm::MessageBoxService* previous = qm::SetMessageBoxService(&boxes);
    qm::QtSoundOutput sound;
    qm::SoundOutput* previousSound = qm::SetSoundOutput(&sound);
    StartOutcome outcome = StartOutcome::Ran;
    {
        QtShell shell;
        outcome = RunPatchBench(options, shell);
    }
    qm::SetSoundOutput(previousSound);
    qm::SetMessageBoxService(previous);
    const bool failed =
        outcome == StartOutcome::LibraryFailed || outcome == StartOutcome::DatabaseFailed;
    return failed ? 1 : 0;
}
