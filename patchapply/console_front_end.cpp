#include "patchapply/console_front_end.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>

#include "patchapply/installer_texts.h"
#include "suite/single_instance.h"

namespace patchapply {
namespace {

bool CanAsk() {
    return isatty(STDIN_FILENO) != 0;
}

std::string ReadLine() {
    std::string line;
    std::getline(std::cin, line);
    return line;
}

}  // namespace

bool ConsoleFrontEnd::ConfirmPatch(const PatchTexts& texts) {
    std::cout << kInfoHeading << "\n\n"
              << "  " << texts.product << "\n  " << texts.version << "\n  " << texts.company
              << "\n\n"
              << texts.description << "\n\n"
              << texts.copyright << "\n\n";
    if (!CanAsk()) {
        std::cerr << "patchapply: nobody to ask whether to install (no display, no terminal); "
                     "start it with -noprompt to install without asking.\n";
        return false;
    }
    std::cout << "Install? [y/N] " << std::flush;
    const std::string answer = ReadLine();
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

std::optional<std::string> ConsoleFrontEnd::ChooseFile(const std::string& initialName) {
    if (!CanAsk()) {
        std::cerr << "patchapply: cannot open the patch '" << initialName
                  << "' and there is no terminal to ask for another.\n";
        return std::nullopt;
    }
    std::cout << "Fastfile patch to install (*.kdz), empty to cancel [" << initialName
              << "]: " << std::flush;
    std::string name = ReadLine();
    if (name.empty()) {
        return std::nullopt;
    }
    return name;
}

void ConsoleFrontEnd::BeginProgress(std::size_t count) {
    count_ = count;
    done_ = 0;
}

void ConsoleFrontEnd::ShowItem(const std::string& itemName) {
    item_ = itemName;
    PrintLine();
}

void ConsoleFrontEnd::StepProgress() {
    ++done_;
    PrintLine();
}

void ConsoleFrontEnd::EndProgress() {
    std::cerr << "\n";
}

// Tools of the suite may run on another display, or be started by hand: they listen all the
// same, and stay stale unless told.
void ConsoleFrontEnd::Broadcast() {
    suite::BroadcastFastfilesChanged(std::chrono::milliseconds(500));
}

void ConsoleFrontEnd::NothingInstalled(const std::string& why) {
    std::cerr << "patchapply: nothing was installed: " << why << "\n";
}

void ConsoleFrontEnd::PrintLine() {
    std::cerr << "\rInstalling: " << item_ << "  [" << done_ << "/" << count_ << "]\x1b[K"
              << std::flush;
}

}  // namespace patchapply
