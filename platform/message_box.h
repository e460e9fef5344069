#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/export.h"

namespace qm {

enum class MessageBoxButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class MessageBoxIcon { None, Information, Question, Warning, Error };
// The values of the Windows dialog identifiers IDOK to IDNO.
enum class MessageBoxResult {
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7
};

struct MessageBoxRequest {
    std::string text;
    std::string caption;
    MessageBoxButtons buttons = MessageBoxButtons::Ok;
    MessageBoxIcon icon = MessageBoxIcon::None;
    // What the fixed text cannot say: which file, and why. Dialogs show it as details; the
    // console prints it on its own line after the text. Empty when there is nothing to add.
    std::string details;
};

// Who answers the suite's questions. GUI programs install one that shows real dialogs. The
// default is the system's MessageBoxA on Windows; elsewhere it asks on the console when
// standard input is a terminal. Either way, when nobody can be asked (no desktop, no
// terminal) it answers with the most careful choice (Cancel, else No, else OK).
// Engines ask from worker threads as well as from the UI thread, so Show must be safe to call
// from any thread; it returns only once the question has its answer.
class QM_PLATFORM_API MessageBoxService {
  public:
    virtual ~MessageBoxService();
    virtual MessageBoxResult Show(const MessageBoxRequest& request) = 0;
};

// Asks the process-wide service, from any thread.
QM_PLATFORM_API MessageBoxResult ShowMessageBox(const std::string& text, const std::string& caption,
                                                MessageBoxButtons buttons, MessageBoxIcon icon);
// The same with details that name the file and the cause behind the fixed text.
QM_PLATFORM_API MessageBoxResult ShowMessageBox(const std::string& text, const std::string& caption,
                                                MessageBoxButtons buttons, MessageBoxIcon icon,
                                                const std::string& details);

// Installs a service for the whole process and returns the previous one; null restores the
// console default. The caller keeps ownership, and must not destroy a service while a thread
// may still be asking it.
QM_PLATFORM_API MessageBoxService* SetMessageBoxService(MessageBoxService* service);

// The most careful answer the buttons allow: Cancel, else No, else OK (Abort for
// Abort/Retry/Ignore).
QM_PLATFORM_API MessageBoxResult CarefulAnswer(MessageBoxButtons buttons);

// A service for tests: answers from a script and records every question. Installs itself
// while it lives. When the script runs out it answers CarefulAnswer() and counts the miss.
// Any thread may ask, push or look; each answer is given once, in the order asked.
class QM_PLATFORM_API ScriptedMessageBoxes : public MessageBoxService {
  public:
    explicit ScriptedMessageBoxes(std::deque<MessageBoxResult> answers = {});
    ~ScriptedMessageBoxes() override;

    MessageBoxResult Show(const MessageBoxRequest& request) override;

    void Push(MessageBoxResult answer);
    // A copy, so that a question asked meanwhile cannot move the records under the reader.
    std::vector<MessageBoxRequest> Asked() const;
    int Unscripted() const;

  private:
    mutable std::mutex mutex_;
    std::deque<MessageBoxResult> answers_;
    std::vector<MessageBoxRequest> asked_;
    int unscripted_ = 0;
    MessageBoxService* previous_;
};

}  // namespace qm
