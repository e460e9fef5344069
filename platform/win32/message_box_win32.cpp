// Message boxes on Windows: the system's own (MessageBoxA, no owner window).
#include <windows.h>

#include "platform/message_box.h"

namespace qm {
namespace {

UINT ButtonFlags(MessageBoxButtons buttons) {
    switch (buttons) {
        case MessageBoxButtons::Ok:
            return MB_OK;
        case MessageBoxButtons::OkCancel:
            return MB_OKCANCEL;
        case MessageBoxButtons::YesNo:
            return MB_YESNO;
        case MessageBoxButtons::YesNoCancel:
            return MB_YESNOCANCEL;
        case MessageBoxButtons::RetryCancel:
            return MB_RETRYCANCEL;
        case MessageBoxButtons::AbortRetryIgnore:
            return MB_ABORTRETRYIGNORE;
    }
    return MB_OK;
}

UINT IconFlags(MessageBoxIcon icon) {
    switch (icon) {
        case MessageBoxIcon::None:
            return 0;
        case MessageBoxIcon::Information:
            return MB_ICONINFORMATION;
        case MessageBoxIcon::Question:
            return MB_ICONQUESTION;
        case MessageBoxIcon::Warning:
            return MB_ICONWARNING;
        case MessageBoxIcon::Error:
            return MB_ICONERROR;
    }
    return 0;
}

class SystemMessageBoxService : public MessageBoxService {
  public:
    MessageBoxResult Show(const MessageBoxRequest& request) override {
        const int answer = MessageBoxA(nullptr, request.text.c_str(), request.caption.c_str(),
                                       ButtonFlags(request.buttons) | IconFlags(request.icon));
        // No box could be shown (no desktop to show it on): nobody agreed to anything.
        if (answer < static_cast<int>(MessageBoxResult::Ok) ||
            answer > static_cast<int>(MessageBoxResult::No)) {
            return CarefulAnswer(request.buttons);
        }
        return static_cast<MessageBoxResult>(answer);
    }
};

}  // namespace

MessageBoxService& SystemMessageBoxes() {
    static SystemMessageBoxService service;
    return service;
}

}  // namespace qm
