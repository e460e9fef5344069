#include "platform/desktop_registration.h"

#include <cstdlib>
#include <filesystem>

#include "platform/atomic_file.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

fs::path MimeFile(const DesktopFileType& type) {
    return fs::path(DesktopDataHome()) / "mime" / "packages" / (type.id + ".xml");
}

fs::path DesktopFile(const DesktopFileType& type) {
    return fs::path(DesktopDataHome()) / "applications" / (type.id + ".desktop");
}

std::string XmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
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
                out += c;
        }
    }
    return out;
}

// Desktop entries quote arguments with double quotes and escape these characters in them.
std::string ExecQuoted(const std::string& path) {
    std::string out = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            out += "\\\\";
        if (c == '%')
            out += '%';
        out += c;
    }
    return out + "\"";
}

bool WriteText(const fs::path& path, const std::string& text) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    AtomicFile file(path.string());
    if (!file.Open())
        return false;
    std::fwrite(text.data(), 1, text.size(), file.Stream());
    return file.Commit();
}

// Refreshing the desktop's caches is a courtesy; the tools may be missing.
void RunIfInstalled(const std::string& tool, const fs::path& argument) {
    const std::string command = "command -v " + tool + " >/dev/null 2>&1 && " + tool + " '" +
                                argument.string() + "' >/dev/null 2>&1";
    [[maybe_unused]] const int ignored = std::system(command.c_str());
}

// The desktop's tools build the user's MIME database and the applications' MIME cache from
// the files beside them; once the last of those is gone the caches say nothing, and an
// uninstallation should not leave them behind.
void RemoveEmptyCaches(const fs::path& mimeHome, const fs::path& applications) {
    std::error_code error;
    const fs::path packages = mimeHome / "packages";
    if (fs::is_directory(packages, error) && fs::is_empty(packages, error)) {
        fs::remove_all(mimeHome, error);
    }
    bool anyEntry = false;
    for (auto it = fs::directory_iterator(applications, error); it != fs::directory_iterator();
         it.increment(error)) {
        anyEntry = anyEntry || it->path().extension() == ".desktop";
    }
    if (!anyEntry) {
        fs::remove(applications / "mimeinfo.cache", error);
    }
}

}  // namespace

std::string DesktopDataHome() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
        return data;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.local/share";
}

bool RegisterDesktopFileType(const DesktopFileType& type) {
    const std::string mime =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"" +
        XmlEscaped(type.mimeType) +
        "\">\n"
        "    <comment>" +
        XmlEscaped(type.description) +
        "</comment>\n"
        "    <glob pattern=\"*." +
        XmlEscaped(type.extension) +
        "\" case-sensitive=\"false\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n";
    const std::string desktop =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=" +
        type.programName +
        "\n"
        "Exec=" +
        ExecQuoted(type.programPath) +
        " %f\n"
        "MimeType=" +
        type.mimeType +
        ";\n"
        "NoDisplay=true\n"
        "Terminal=false\n";
    const bool written = WriteText(MimeFile(type), mime) && WriteText(DesktopFile(type), desktop);
    if (written) {
        RunIfInstalled("update-mime-database", MimeFile(type).parent_path().parent_path());
        RunIfInstalled("update-desktop-database", DesktopFile(type).parent_path());
    }
    return written;
}

bool UnregisterDesktopFileType(const DesktopFileType& type) {
    std::error_code error;
    fs::remove(MimeFile(type), error);
    fs::remove(DesktopFile(type), error);
    const fs::path mimeHome = MimeFile(type).parent_path().parent_path();
    RunIfInstalled("update-mime-database", mimeHome);
    RunIfInstalled("update-desktop-database", DesktopFile(type).parent_path());
    RemoveEmptyCaches(mimeHome, DesktopFile(type).parent_path());
    return !fs::exists(MimeFile(type), error) && !fs::exists(DesktopFile(type), error);
}

}  // namespace qm
