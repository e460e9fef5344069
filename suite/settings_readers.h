// Typed readers of a program's settings document: each key is declared once with its section
// and default, and every read goes through these, so that a missing or unreadable value means
// the same thing wherever it is read.
#pragma once

#include <string>

class CIniDocument;

namespace suite {

// A numeric setting: where it lives and what a missing or unreadable value means.
struct IntSetting {
    const char* section;
    const char* key;
    int defaultValue;
};

// A text setting (default: empty).
struct TextSetting {
    const char* section;
    const char* key;
};

// The value as a decimal integer; the default when the key is missing or its value does not
// begin with a digit or "-". Values beyond the range of int are held at its ends, so that a
// huge number stays huge instead of wrapping into some small or negative one.
int ReadInt(const CIniDocument& settings, const IntSetting& setting);
std::string ReadText(const CIniDocument& settings, const TextSetting& setting);

}  // namespace suite
