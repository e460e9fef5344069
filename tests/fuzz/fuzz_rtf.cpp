// Rich text: any bytes read as RTF, and a patch's five texts (split from the input at zero
// bytes) filled into the installer's template must each show literally, in their own format,
// whatever braces, backslashes or line breaks they hold.
#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "patchapply/patch_information.h"
#include "richtext/rtf_to_html.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// The HTML a reader shows for one text byte, written from the rules alone: the markup
// characters as entities, a no-break space as &nbsp;, the other bytes as code page 1252.
std::string ShownByte(unsigned char byte) {
    switch (byte) {
        case '&':
            return "&amp;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        case '"':
            return "&quot;";
        case 0xA0:
            return "&nbsp;";
        default:
            break;
    }
    static constexpr std::array<std::pair<unsigned char, unsigned>, 9> kCp1252 = {{{0x80, 0x20AC},
                                                                                   {0x85, 0x2026},
                                                                                   {0x91, 0x2018},
                                                                                   {0x92, 0x2019},
                                                                                   {0x93, 0x201C},
                                                                                   {0x94, 0x201D},
                                                                                   {0x96, 0x2013},
                                                                                   {0x97, 0x2014},
                                                                                   {0x99, 0x2122}}};
    unsigned cp = byte;
    for (const auto& [from, to] : kCp1252) {
        if (from == byte) {
            cp = to;
        }
    }
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

// A text as it must show: every line break (CR LF, CR or LF) as one HTML line break.
std::string Shown(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\r' || byte == '\n') {
            if (byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            out += "<br />";
        } else {
            out += ShownByte(byte);
        }
    }
    return out;
}

bool Contains(const std::string& html, const std::string& part) {
    return html.find(part) != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string html = richtext::RtfToHtml(input);
    qmfuzz::Checksum(html.data(), html.size());

    std::array<std::string, 5> parts;
    std::size_t at = 0;
    for (std::string& part : parts) {
        const std::size_t end = std::min(input.find('\0', at), input.size());
        if (at < input.size()) {
            part = std::string(input.substr(at, end - at));
        }
        at = end + 1;
    }
    const patchapply::PatchTexts texts{parts[0], parts[1], parts[2], parts[3], parts[4]};
    const std::string shown = patchapply::BuildPatchInformationHtml(texts);
    for (const std::string& part : parts) {
        if (!part.empty() && !Contains(shown, Shown(part))) {
            QMFUZZ_FAIL();
        }
    }
    // A text cannot change the format of what follows it: the title keeps its own bold dark
    // red run, the copyright (the last text) its own grey one.
    if (!texts.product.empty() &&
        !Contains(shown, "font-weight:bold; color:#800000\">" + Shown(texts.product) + "</span>")) {
        QMFUZZ_FAIL();
    }
    if (!texts.copyright.empty() &&
        !Contains(shown, "font-size:7pt; color:#808080\">" + Shown(texts.copyright) + "</span>")) {
        QMFUZZ_FAIL();
    }
    return 0;
}
