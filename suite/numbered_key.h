#pragma once

#include <cstdio>
#include <string>

// Keys of the numbered list sections of Setup.ini and the uninstall log, which Setup writes and
// Uninstall reads: an optional letter and the entry's number as at least three upper-case
// hexadecimal digits ("00A", "S01A").
namespace suite {

inline std::string NumberedKey(int number, char letter = '\0') {
    char text[16];
    if (letter != '\0') {
        std::snprintf(text, sizeof text, "%c%.3X", letter, static_cast<unsigned>(number));
    } else {
        std::snprintf(text, sizeof text, "%.3X", static_cast<unsigned>(number));
    }
    return text;
}

}  // namespace suite
