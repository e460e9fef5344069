#include "richtext/rtf_text.h"

#include <cctype>
#include <cstdio>

#include "platform/ascii.h"

namespace richtext {

std::string RtfEscape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            out += "\\line ";
        } else if (c == '\n') {
            out += "\\line ";
        } else if (c >= 0x80 || c < 0x20) {
            char hex[8];
            std::snprintf(hex, sizeof(hex), "\\'%02x", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string FillPlaceholders(std::string_view rtfTemplate,
                             const std::vector<std::pair<std::string, std::string>>& values) {
    std::string out;
    std::size_t i = 0;
    while (i < rtfTemplate.size()) {
        bool replaced = false;
        if (rtfTemplate[i] == '#') {
            for (const auto& [placeholder, text] : values) {
                if (qm::EqualsNoCase(rtfTemplate.substr(i, placeholder.size()), placeholder)) {
                    out += RtfEscape(text);
                    i += placeholder.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) {
            out += rtfTemplate[i++];
        }
    }
    return out;
}

}  // namespace richtext
