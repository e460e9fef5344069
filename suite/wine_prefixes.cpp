#include "suite/wine_prefixes.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "platform/ascii.h"
#include "platform/file_search.h"
#include "suite/game.h"

namespace suite {
namespace {

namespace fs = std::filesystem;

bool IsDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = qm::LowerAscii(c);
    return (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
}

void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Reads a quoted string that starts at text[*pos] (the opening quote), undoing the escapes
// Wine writes: "\\", "\"", "\n" and friends, and "\xHHHH" for other characters. Moves *pos
// past the closing quote; nothing when the string is not closed.
std::optional<std::string> ReadQuoted(std::string_view text, std::size_t* pos) {
    if (*pos >= text.size() || text[*pos] != '"') {
        return std::nullopt;
    }
    std::string out;
    std::size_t i = *pos + 1;
    while (i < text.size()) {
        const char c = text[i++];
        if (c == '"') {
            *pos = i;
            return out;
        }
        if (c != '\\' || i >= text.size()) {
            out += c;
            continue;
        }
        const char escaped = text[i++];
        switch (escaped) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case '0':
                out += '\0';
                break;
            case 'x': {
                unsigned code = 0;
                int digits = 0;
                while (digits < 4 && i < text.size() && HexValue(text[i]) >= 0) {
                    code = code * 16 + static_cast<unsigned>(HexValue(text[i++]));
                    ++digits;
                }
                AppendUtf8(out, code);
                break;
            }
            default:
                out += escaped;  // "\\" and "\"" stand for themselves
        }
    }
    return std::nullopt;
}

// "[Software\\Fox Interactive\\...] 1700000000" -> "Software\Fox Interactive\..."; the key
// name ends at the last "]" before the optional time stamp.
std::optional<std::string> SectionKey(std::string_view line) {
    if (line.empty() || line[0] != '[') {
        return std::nullopt;
    }
    std::size_t close = line.size();
    while (close > 1 && line[close - 1] != ']') {
        --close;
    }
    if (close <= 1) {
        return std::nullopt;
    }
    const std::string_view escaped = line.substr(1, close - 2);
    std::string key;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == '\\' && i + 1 < escaped.size() && escaped[i + 1] == '\\') {
            ++i;
        }
        key += escaped[i];
    }
    return key;
}

// The string of a value line ("name"="text" or "name"=str(2):"text") when its name matches.
std::optional<std::string> ValueOf(std::string_view line, std::string_view valueName) {
    std::size_t pos = 0;
    const auto name = ReadQuoted(line, &pos);
    if (!name || !qm::EqualsNoCase(*name, valueName) || pos >= line.size() || line[pos] != '=') {
        return std::nullopt;
    }
    ++pos;
    if (line.substr(pos, 4) == "str(") {
        const std::size_t colon = line.find("):", pos);
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        pos = colon + 2;
    }
    return ReadQuoted(line, &pos);
}

void AddPrefix(std::vector<std::string>& prefixes, const fs::path& candidate) {
    if (!IsDirectory(candidate)) {
        return;
    }
    std::error_code error;
    const std::string canonical = fs::weakly_canonical(candidate, error).string();
    if (std::find(prefixes.begin(), prefixes.end(), canonical) == prefixes.end()) {
        prefixes.push_back(canonical);
    }
}

void AddProtonPrefixes(std::vector<std::string>& prefixes, const fs::path& library) {
    const fs::path compatdata = library / "steamapps" / "compatdata";
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(compatdata, error)) {
        found.push_back(entry.path() / "pfx");
    }
    std::sort(found.begin(), found.end());
    for (const fs::path& prefix : found) {
        AddPrefix(prefixes, prefix);
    }
}

}  // namespace

std::vector<std::string> ReadSteamLibraryFolders(const std::string& vdfPath) {
    std::vector<std::string> folders;
    std::ifstream in(vdfPath);
    std::string line;
    while (std::getline(in, line)) {
        std::size_t pos = line.find('"');
        if (pos == std::string::npos) {
            continue;
        }
        const auto first = ReadQuoted(line, &pos);
        const std::size_t next = line.find('"', pos);
        if (!first || next == std::string::npos) {
            continue;
        }
        pos = next;
        const auto second = ReadQuoted(line, &pos);
        if (!second || second->empty()) {
            continue;
        }
        // New layout: "path" "<dir>"; old layout: "1" "<dir>".
        const bool numbered =
            std::all_of(first->begin(), first->end(), [](char c) { return c >= '0' && c <= '9'; });
        if (qm::EqualsNoCase(*first, "path") ||
            (numbered && !first->empty() && (*second)[0] == '/')) {
            folders.push_back(*second);
        }
    }
    return folders;
}

std::vector<std::string> CandidateWinePrefixes(const std::string& home,
                                               const std::string& winePrefix) {
    std::vector<std::string> prefixes;
    if (!winePrefix.empty()) {
        AddPrefix(prefixes, winePrefix);
    }
    if (home.empty()) {
        return prefixes;
    }
    AddPrefix(prefixes, fs::path(home) / ".wine");
    std::vector<std::string> libraries;
    for (const fs::path& root :
         {fs::path(home) / ".steam" / "steam", fs::path(home) / ".local" / "share" / "Steam"}) {
        if (!IsDirectory(root)) {
            continue;
        }
        std::vector<std::string> found = {root.string()};
        const auto listed =
            ReadSteamLibraryFolders((root / "steamapps" / "libraryfolders.vdf").string());
        found.insert(found.end(), listed.begin(), listed.end());
        for (const std::string& library : found) {
            std::error_code error;
            const std::string canonical = fs::weakly_canonical(library, error).string();
            if (std::find(libraries.begin(), libraries.end(), canonical) == libraries.end()) {
                libraries.push_back(canonical);
            }
        }
    }
    for (const std::string& library : libraries) {
        AddProtonPrefixes(prefixes, library);
    }
    return prefixes;
}

std::optional<std::string> ReadWineRegistryString(const std::string& regFilePath,
                                                  std::string_view key,
                                                  std::string_view valueName) {
    std::ifstream in(regFilePath);
    std::string line;
    bool inKey = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (const auto section = SectionKey(line)) {
            inKey = qm::EqualsNoCase(*section, key);
            continue;
        }
        if (inKey) {
            if (auto value = ValueOf(line, valueName)) {
                return value;
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> PrefixPathOf(const std::string& prefix, std::string_view windowsPath) {
    if (windowsPath.size() < 2 || windowsPath[1] != ':' ||
        !std::isalpha(static_cast<unsigned char>(windowsPath[0]))) {
        return std::nullopt;
    }
    const char drive = qm::LowerAscii(windowsPath[0]);
    fs::path current = fs::path(prefix) / "drive_c";
    if (drive != 'c' || !IsDirectory(current)) {
        current = fs::path(prefix) / "dosdevices" / (std::string(1, drive) + ":");
    }
    if (!IsDirectory(current)) {
        return std::nullopt;
    }
    std::string_view rest = windowsPath.substr(2);
    while (!rest.empty()) {
        const std::size_t end = rest.find_first_of("\\/");
        const std::string_view part = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (part.empty() || part == ".") {
            continue;
        }
        if (IsDirectory(current / std::string(part))) {
            current /= std::string(part);
            continue;
        }
        std::error_code error;
        bool matched = false;
        for (const auto& entry : fs::directory_iterator(current, error)) {
            if (qm::EqualsNoCase(entry.path().filename().string(), part) &&
                IsDirectory(entry.path())) {
                current = entry.path();
                matched = true;
                break;
            }
        }
        if (!matched) {
            return std::nullopt;
        }
    }
    return current.string();
}

std::optional<std::string> FindGameInWinePrefixes(const std::vector<std::string>& prefixes) {
    for (const std::string& prefix : prefixes) {
        const std::string systemReg = (fs::path(prefix) / "system.reg").string();
        for (std::string_view key : {kGameRegistryKey, kGameRegistryKeyWow64}) {
            const auto windowsPath = ReadWineRegistryString(systemReg, key, "Path");
            if (!windowsPath || windowsPath->empty()) {
                continue;
            }
            const auto directory = PrefixPathOf(prefix, *windowsPath);
            if (!directory) {
                continue;
            }
            if (auto program = qm::SearchFile(*directory, kGameProgram, "")) {
                return program;
            }
        }
    }
    return std::nullopt;
}

}  // namespace suite
