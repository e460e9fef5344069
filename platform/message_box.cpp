#include "platform/message_box.h"

#include <atomic>
#include <cstdio>
#include <iostream>

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "platform/ascii.h"

namespace qm {

#if defined(_WIN32)
// MessageBoxA (win32/message_box_win32.cpp).
MessageBoxService& SystemMessageBoxes();
#endif

namespace {

struct Choice {
    char letter;
    const char* label;
    MessageBoxResult result;
};

std::vector<Choice> ChoicesFor(MessageBoxButtons buttons) {
    using R = MessageBoxResult;
    switch (buttons) {
        case MessageBoxButtons::Ok:
            return {{'o', "[O]K", R::Ok}};
        case MessageBoxButtons::OkCancel:
            return {{'o', "[O]K", R::Ok}, {'c', "[C]ancel", R::Cancel}};
        case MessageBoxButtons::YesNo:
            return {{'y', "[Y]es", R::Yes}, {'n', "[N]o", R::No}};
        case MessageBoxButtons::YesNoCancel:
            return {{'y', "[Y]es", R::Yes}, {'n', "[N]o", R::No}, {'c', "[C]ancel", R::Cancel}};
        case MessageBoxButtons::RetryCancel:
            return {{'r', "[R]etry", R::Retry}, {'c', "[C]ancel", R::Cancel}};
        case MessageBoxButtons::AbortRetryIgnore:
            return {{'a', "[A]bort", R::Abort},
                    {'r', "[R]etry", R::Retry},
                    {'i', "[I]gnore", R::Ignore}};
    }
    return {{'o', "[O]K", R::Ok}};
}

// Asks on the terminal; without one, says what it would have asked and answers carefully.
// One question at a time, so that two threads' prompts and answers never interleave.
class ConsoleMessageBoxes : public MessageBoxService {
  public:
    MessageBoxResult Show(const MessageBoxRequest& request) override {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
        if (!request.details.empty()) {
            std::fprintf(stderr, "%s\n", request.details.c_str());
        }
        const auto choices = ChoicesFor(request.buttons);
        if (!isatty(fileno(stdin))) {
            return CarefulAnswer(request.buttons);
        }
        for (;;) {
            for (const Choice& choice : choices) {
                std::fprintf(stderr, "%s ", choice.label);
            }
            std::fprintf(stderr, "? ");
            std::string line;
            if (!std::getline(std::cin, line)) {
                return CarefulAnswer(request.buttons);
            }
            const char first = line.empty() ? '\0' : LowerAscii(line[0]);
            for (const Choice& choice : choices) {
                if (first == choice.letter) {
                    return choice.result;
                }
            }
        }
    }

  private:
    std::mutex mutex_;
};

[[maybe_unused]] ConsoleMessageBoxes& ConsoleService() {
    static ConsoleMessageBoxes console;
    return console;
}

// Who answers when no program installed a service: the system's own message boxes where
// there are any, else the console.
MessageBoxService& DefaultService() {
#if defined(_WIN32)
    return SystemMessageBoxes();
#else
    return ConsoleService();
#endif
}

std::atomic<MessageBoxService*>& CurrentService() {
    static std::atomic<MessageBoxService*> service{nullptr};
    return service;
}

}  // namespace

MessageBoxService::~MessageBoxService() = default;

MessageBoxResult CarefulAnswer(MessageBoxButtons buttons) {
    switch (buttons) {
        case MessageBoxButtons::Ok:
            return MessageBoxResult::Ok;
        case MessageBoxButtons::YesNo:
            return MessageBoxResult::No;
        case MessageBoxButtons::AbortRetryIgnore:
            return MessageBoxResult::Abort;
        default:
            return MessageBoxResult::Cancel;
    }
}

MessageBoxResult ShowMessageBox(const std::string& text, const std::string& caption,
                                MessageBoxButtons buttons, MessageBoxIcon icon) {
    return ShowMessageBox(text, caption, buttons, icon, std::string());
}

MessageBoxResult ShowMessageBox(const std::string& text, const std::string& caption,
                                MessageBoxButtons buttons, MessageBoxIcon icon,
                                const std::string& details) {
    MessageBoxService* service = CurrentService().load();
    MessageBoxRequest request{text, caption, buttons, icon, details};
    return service != nullptr ? service->Show(request) : DefaultService().Show(request);
}

MessageBoxService* SetMessageBoxService(MessageBoxService* service) {
    return CurrentService().exchange(service);
}

ScriptedMessageBoxes::ScriptedMessageBoxes(std::deque<MessageBoxResult> answers)
    : answers_(std::move(answers)), previous_(SetMessageBoxService(this)) {}

ScriptedMessageBoxes::~ScriptedMessageBoxes() {
    SetMessageBoxService(previous_);
}

MessageBoxResult ScriptedMessageBoxes::Show(const MessageBoxRequest& request) {
    const std::lock_guard<std::mutex> lock(mutex_);
    asked_.push_back(request);
    if (answers_.empty()) {
        ++unscripted_;
        return CarefulAnswer(request.buttons);
    }
    const MessageBoxResult answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void ScriptedMessageBoxes::Push(MessageBoxResult answer) {
    const std::lock_guard<std::mutex> lock(mutex_);
    answers_.push_back(answer);
}

std::vector<MessageBoxRequest> ScriptedMessageBoxes::Asked() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return asked_;
}

int ScriptedMessageBoxes::Unscripted() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return unscripted_;
}

}  // namespace qm
