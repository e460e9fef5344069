// The INI document: any text parses, the text it writes reads back to the same document, and
// writing that again gives the same text.
#include <string>
#include <string_view>

#include "inidoc/ini_document.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

bool SameEntries(const CIniDocument::Section& a, const CIniDocument::Section& b) {
    if (a.entries.size() != b.entries.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.entries.size(); ++i) {
        if (a.entries[i].key != b.entries[i].key || a.entries[i].value != b.entries[i].value) {
            return false;
        }
    }
    return true;
}

bool SameDocument(const CIniDocument& a, const CIniDocument& b) {
    const auto& left = a.Sections();
    const auto& right = b.Sections();
    if (left.size() != right.size()) {
        return false;
    }
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (left[i].name != right[i].name || !SameEntries(left[i], right[i])) {
            return false;
        }
    }
    return true;
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
    // Blank lines, a lone "=", lines before the first section and text after a section's "]"
    // go on the first save; nothing that the document holds may change.
    const std::string written = document.ToText();
    CIniDocument reread;
    reread.LoadFromText(written);
    if (!SameDocument(document, reread)) {
        QMFUZZ_FAIL();
    }
    if (reread.ToText() != written) {
        QMFUZZ_FAIL();
    }
    return 0;
}
