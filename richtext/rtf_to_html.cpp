#include "richtext/rtf_to_html.h"

#include <cctype>
#include <cstdio>
#include <map>
#include <vector>

namespace richtext {
namespace {

struct CharFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 24;  // RTF's default size, 12 pt
    int colour = 0;       // index into the colour table; 0 is the automatic colour
    int font = 0;
};

enum class Destination { Text, FontTable, ColourTable, Skip };

struct GroupState {
    CharFormat format;
    Destination destination = Destination::Text;
};

struct Run {
    CharFormat format;
    std::string text;  // HTML-escaped UTF-8
};

// Windows code page 1252 for the bytes where it differs from Latin-1; the texts are
// single-byte ANSI.
unsigned CodePoint(unsigned char byte) {
    static const std::map<unsigned char, unsigned> kDiffering = {
        {0x80, 0x20AC}, {0x85, 0x2026}, {0x91, 0x2018}, {0x92, 0x2019}, {0x93, 0x201C},
        {0x94, 0x201D}, {0x96, 0x2013}, {0x97, 0x2014}, {0x99, 0x2122}};
    const auto found = kDiffering.find(byte);
    return found != kDiffering.end() ? found->second : byte;
}

void AppendUtf8(std::string& out, unsigned cp) {
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
}

void AppendHtmlChar(std::string& out, unsigned char byte) {
    switch (byte) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            AppendUtf8(out, CodePoint(byte));
            break;
    }
}

class Converter {
  public:
    explicit Converter(std::string_view rtf) : rtf_(rtf) {}

    std::string Convert() {
        while (pos_ < rtf_.size()) {
            const char c = rtf_[pos_++];
            if (c == '{') {
                stack_.push_back(state_);
            } else if (c == '}') {
                EndGroup();
            } else if (c == '\\') {
                ControlSequence();
            } else if (c != '\r' && c != '\n') {
                Character(static_cast<unsigned char>(c));
            }
        }
        if (!runs_.empty()) {
            EndParagraph();
        }
        return html_;
    }

  private:
    void EndGroup() {
        if (state_.destination == Destination::FontTable && !fontName_.empty()) {
            StoreFont();
        }
        if (!stack_.empty()) {
            state_ = stack_.back();
            stack_.pop_back();
        }
    }

    void ControlSequence() {
        if (pos_ >= rtf_.size()) {
            return;
        }
        const char c = rtf_[pos_];
        if (std::isalpha(static_cast<unsigned char>(c))) {
            ControlWord();
            return;
        }
        ++pos_;
        if (c == '\\' || c == '{' || c == '}') {
            Character(static_cast<unsigned char>(c));
        } else if (c == '\'') {
            HexCharacter();
        } else if (c == '~') {
            Character(0xA0);
        } else if (c == '*') {
            state_.destination = Destination::Skip;
        }
    }

    void HexCharacter() {
        unsigned value = 0;
        if (pos_ + 2 <= rtf_.size() &&
            std::sscanf(std::string(rtf_.substr(pos_, 2)).c_str(), "%2x", &value) == 1) {
            pos_ += 2;
            Character(static_cast<unsigned char>(value));
        }
    }

    void ControlWord() {
        const std::size_t start = pos_;
        while (pos_ < rtf_.size() && std::isalpha(static_cast<unsigned char>(rtf_[pos_]))) {
            ++pos_;
        }
        const std::string word(rtf_.substr(start, pos_ - start));
        bool hasValue = false;
        int value = 0;
        const std::size_t numberStart = pos_;
        if (pos_ < rtf_.size() && rtf_[pos_] == '-') {
            ++pos_;
        }
        while (pos_ < rtf_.size() && std::isdigit(static_cast<unsigned char>(rtf_[pos_]))) {
            ++pos_;
            hasValue = true;
        }
        if (hasValue) {
            value = std::atoi(std::string(rtf_.substr(numberStart, pos_ - numberStart)).c_str());
        } else {
            pos_ = numberStart;
        }
        if (pos_ < rtf_.size() && rtf_[pos_] == ' ') {
            ++pos_;  // the delimiter belongs to the control word
        }
        Apply(word, hasValue, value);
    }

    void Apply(const std::string& word, bool hasValue, int value) {
        CharFormat& f = state_.format;
        const bool on = !hasValue || value != 0;
        if (state_.destination == Destination::ColourTable) {
            if (word == "red")
                red_ = value;
            if (word == "green")
                green_ = value;
            if (word == "blue")
                blue_ = value;
            colourGiven_ = true;
            return;
        }
        if (word == "fonttbl") {
            state_.destination = Destination::FontTable;
        } else if (word == "colortbl") {
            state_.destination = Destination::ColourTable;
        } else if (word == "stylesheet" || word == "info" || word == "pict" || word == "header" ||
                   word == "footer") {
            state_.destination = Destination::Skip;
        } else if (word == "f") {
            if (state_.destination == Destination::FontTable) {
                fontIndex_ = value;
            } else {
                f.font = value;
            }
        } else if (word == "b") {
            f.bold = on;
        } else if (word == "i") {
            f.italic = on;
        } else if (word == "ul") {
            f.underline = on;
        } else if (word == "ulnone") {
            f.underline = false;
        } else if (word == "fs") {
            f.halfPoints = hasValue && value > 0 ? value : 24;
        } else if (word == "cf") {
            f.colour = value;
        } else if (word == "plain") {
            f = CharFormat{};
        } else if (word == "pard") {
            align_ = "left";
        } else if (word == "qc") {
            align_ = "center";
        } else if (word == "ql") {
            align_ = "left";
        } else if (word == "qr") {
            align_ = "right";
        } else if (word == "qj") {
            align_ = "justify";
        } else if (word == "par") {
            if (state_.destination == Destination::Text)
                EndParagraph();
        } else if (word == "line" && state_.destination == Destination::Text) {
            AppendRaw("<br />");
        } else if (word == "tab" && state_.destination == Destination::Text) {
            AppendRaw("&#9;");
        }
    }

    void Character(unsigned char c) {
        switch (state_.destination) {
            case Destination::Text: {
                std::string text;
                if (c == 0xA0) {
                    text = "&nbsp;";
                } else {
                    AppendHtmlChar(text, c);
                }
                AppendRaw(text);
                break;
            }
            case Destination::FontTable:
                if (c == ';') {
                    StoreFont();
                } else {
                    fontName_ += static_cast<char>(c);
                }
                break;
            case Destination::ColourTable:
                if (c == ';') {
                    StoreColour();
                }
                break;
            case Destination::Skip:
                break;
        }
    }

    void AppendRaw(const std::string& html) {
        if (runs_.empty() || !SameFormat(runs_.back().format, state_.format)) {
            runs_.push_back({state_.format, {}});
        }
        runs_.back().text += html;
    }

    static bool SameFormat(const CharFormat& a, const CharFormat& b) {
        return a.bold == b.bold && a.italic == b.italic && a.underline == b.underline &&
               a.halfPoints == b.halfPoints && a.colour == b.colour && a.font == b.font;
    }

    void StoreFont() {
        std::size_t first = fontName_.find_first_not_of(' ');
        fonts_[fontIndex_] = first == std::string::npos ? "" : fontName_.substr(first);
        fontName_.clear();
    }

    void StoreColour() {
        char text[8];
        std::snprintf(text, sizeof(text), "#%02x%02x%02x", red_ & 0xFF, green_ & 0xFF,
                      blue_ & 0xFF);
        colours_.push_back(colourGiven_ ? text : "");
        red_ = green_ = blue_ = 0;
        colourGiven_ = false;
    }

    std::string Style(const CharFormat& f) const {
        std::string style;
        const auto font = fonts_.find(f.font);
        if (font != fonts_.end() && !font->second.empty()) {
            style += "font-family:'" + font->second + "'; ";
        }
        char size[32];
        std::snprintf(size, sizeof(size), "font-size:%gpt; ", f.halfPoints / 2.0);
        style += size;
        if (f.bold)
            style += "font-weight:bold; ";
        if (f.italic)
            style += "font-style:italic; ";
        if (f.underline)
            style += "text-decoration:underline; ";
        if (f.colour >= 0 && static_cast<std::size_t>(f.colour) < colours_.size() &&
            !colours_[f.colour].empty()) {
            style += "color:" + colours_[f.colour] + "; ";
        }
        if (!style.empty()) {
            style.resize(style.size() - 2);  // the last "; "
        }
        return style;
    }

    // An empty paragraph keeps the height of its font, as in a rich-edit control.
    void EndParagraph() {
        if (runs_.empty()) {
            runs_.push_back({state_.format, "&nbsp;"});
        }
        html_ += "<p style=\"margin-top:0; margin-bottom:0; text-align:" + align_ + "\">";
        for (const Run& run : runs_) {
            html_ += "<span style=\"" + Style(run.format) + "\">" + run.text + "</span>";
        }
        html_ += "</p>\n";
        runs_.clear();
    }

    std::string_view rtf_;
    std::size_t pos_ = 0;
    GroupState state_;
    std::vector<GroupState> stack_;
    std::string align_ = "left";
    std::vector<Run> runs_;
    std::string html_;
    std::map<int, std::string> fonts_;
    int fontIndex_ = 0;
    std::string fontName_;
    std::vector<std::string> colours_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colourGiven_ = false;
};

}  // namespace

std::string RtfToHtml(std::string_view rtf) {
    return Converter(rtf).Convert();
}

}  // namespace richtext
