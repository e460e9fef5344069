#pragma once

#include <cstdio>
#include <string>

// Keys of the numbered list sections: an optional letter and the entry's number as at least
// three upper-case hexadecimal digits ("00A", "S01A").
namespace qm::setup {

inline std::string NumberedKey(int number, char letter = '\0') {
    char text[16];
    if (letter != '\0') {
        std::snprintf(text, sizeof text, "%c%.3X", letter, static_cast<unsigned>(number));
    } else {
        std::snprintf(text, sizeof text, "%.3X", static_cast<unsigned>(number));
    }
    return text;
}

}  // namespace qm::setup
