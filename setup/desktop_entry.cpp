#include "setup/desktop_entry.h"

#include "platform/ascii.h"
#include "setup/setup_paths.h"

namespace qm::setup {

namespace {

// Backslashes and line breaks as a desktop entry's string values write them.
std::string StringValue(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\r':
                escaped += "\\r";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

}  // namespace

std::string ShortcutFileName(std::string link) {
    const std::string name = FileNamePart(link);
    if (name.find('.') == std::string::npos) {
        return link + ".desktop";
    }
    if (name.size() > 4 && EqualsNoCase(std::string_view(name).substr(name.size() - 4), ".lnk")) {
        link.resize(link.size() - 4);
        return link + ".desktop";
    }
    return link;
}

std::string ExecArgument(std::string_view argument) {
    static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string text;
    const bool quote =
        argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos;
    for (const char c : argument) {
        if (c == '%') {
            text += "%%";
            continue;
        }
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            text += '\\';
        }
        text += c;
    }
    return quote ? "\"" + text + "\"" : text;
}

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> arguments;
    std::string current;
    bool inQuotes = false;
    bool started = false;
    for (const char c : commandLine) {
        if (c == '"') {
            inQuotes = !inQuotes;
            started = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (started) {
                arguments.push_back(current);
                current.clear();
                started = false;
            }
        } else {
            current += c;
            started = true;
        }
    }
    if (started) {
        arguments.push_back(current);
    }
    return arguments;
}

std::string DesktopEntryText(std::string_view name, std::string_view target,
                             const std::vector<std::string>& arguments, bool runTarget) {
    std::string exec = runTarget ? ExecArgument(target) : "xdg-open " + ExecArgument(target);
    for (const std::string& argument : arguments) {
        exec += ' ';
        exec += ExecArgument(argument);
    }
    return "[Desktop Entry]\nType=Application\nName=" + StringValue(name) +
           "\nExec=" + StringValue(exec) + "\n";
}

}  // namespace qm::setup
