#include "platform/command_line_text.h"

namespace qm {

std::string CommandLineText(int argc, const char* const* argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            text += ' ';
        }
        text += argv[i];
    }
    return text;
}

}  // namespace qm
