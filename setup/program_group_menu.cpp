#include "setup/program_group_menu.h"

#include <sstream>

#include "setup/setup_paths.h"

namespace qm::setup {

namespace {

std::string XmlEscaped(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::vector<std::string> Components(const std::string& relative) {
    std::vector<std::string> parts;
    std::stringstream stream(relative);
    for (std::string part; std::getline(stream, part, '/');) {
        if (!part.empty()) {
            parts.push_back(part);
        }
    }
    return parts;
}

}  // namespace

ProgramGroupMenu MakeProgramGroupMenu(const std::string& programsFolder,
                                      const std::string& groupFolder,
                                      const std::vector<std::string>& entryNames) {
    const std::string base = WithTrailingSeparator(programsFolder);
    const std::string group = WithTrailingSeparator(groupFolder);
    if (entryNames.empty() || group.size() <= base.size() ||
        group.compare(0, base.size(), base) != 0) {
        return {};
    }
    const std::vector<std::string> parts = Components(group.substr(base.size()));
    if (parts.empty()) {
        return {};
    }
    // A desktop file's ID is its path below the applications folder with "-" for "/".
    std::string idPrefix;
    for (const std::string& part : parts) {
        idPrefix += part + "-";
    }
    std::string text =
        "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/menu-spec/1.0/menu.dtd\">\n"
        "<Menu>\n  <Name>Applications</Name>\n";
    std::string indent = "  ";
    for (const std::string& part : parts) {
        text += indent + "<Menu>\n" + indent + "  <Name>" + XmlEscaped(part) + "</Name>\n";
        indent += "  ";
    }
    text += indent + "<Include>\n";
    for (const std::string& name : entryNames) {
        text += indent + "  <Filename>" + XmlEscaped(idPrefix + name) + "</Filename>\n";
    }
    text += indent + "</Include>\n";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        indent.resize(indent.size() - 2);
        text += indent + "</Menu>\n";
    }
    text += "</Menu>\n";
    std::string fileName = "quillmark-setup-" + idPrefix;
    fileName.back() = '.';
    return {fileName + "menu", text};
}

}  // namespace qm::setup
