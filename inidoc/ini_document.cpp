#include "inidoc/ini_document.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/ascii.h"
#include "platform/atomic_file.h"

namespace {

std::optional<std::string> TextOrMissing(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    return std::string(text);
}

std::optional<std::string> TextOrMissing(const char* text) {
    return text == nullptr ? std::nullopt : TextOrMissing(std::string_view(text));
}

bool StartsWithDigit(std::string_view text) {
    return !text.empty() && text[0] >= '0' && text[0] <= '9';
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool CIniDocument::EqualsNoCase(std::string_view a, std::string_view b) {
    return qm::EqualsNoCase(a, b);
}

bool CIniDocument::Load(std::string_view path) {
    if (path.empty()) {
        return false;
    }
    sections_.clear();
    path_ = std::string(path);
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path_.c_str(), "rb"));
    if (!file) {
        return false;
    }
    std::setvbuf(file.get(), nullptr, _IOFBF, kStreamBufferSize);
    std::string text;
    char chunk[8192];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        text.append(chunk, got);
    }
    if (std::ferror(file.get())) {
        sections_.clear();
        return false;
    }
    LoadFromText(text);
    return true;
}

void CIniDocument::LoadFromText(std::string_view text) {
    sections_.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool hasLineFeed = end != std::string_view::npos;
        if (!hasLineFeed) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        // Files written on Windows end their lines with CR LF.
        if (hasLineFeed && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        // The line buffer holds 16383 characters; a longer line is read as several.
        const std::size_t limit = kLineBufferSize - 1;
        do {
            AddLine(line.substr(0, limit));
            line.remove_prefix(std::min(limit, line.size()));
        } while (!line.empty());
        start = end + 1;
    }
}

void CIniDocument::AddLine(std::string_view line) {
    if (line.empty()) {
        return;
    }
    if (line[0] == ';') {
        if (sections_.empty()) {
            sections_.push_back({std::string(line), {}});
        } else {
            sections_.back().entries.push_back({std::nullopt, std::string(line)});
        }
        return;
    }
    if (line[0] == '[') {
        const std::size_t close = line.find(']');
        if (close != std::string_view::npos) {
            sections_.push_back({std::string(line.substr(1, close - 1)), {}});
        }
        return;
    }
    if (sections_.empty()) {
        return;
    }
    const std::size_t equals = line.find('=');
    Entry entry;
    if (equals == std::string_view::npos) {
        entry.key = std::string(line);
    } else {
        entry.key = TextOrMissing(line.substr(0, equals));
        entry.value = TextOrMissing(line.substr(equals + 1));
        if (!entry.key && !entry.value) {
            return;
        }
    }
    sections_.back().entries.push_back(std::move(entry));
}

namespace {

// Ends one written line. The reader takes one carriage return before the line feed as part of
// the line end, so a text that itself ends in a carriage return gets a second one: read back,
// it keeps its own.
void EndLine(std::string& text) {
    if (!text.empty() && text.back() == '\r') {
        text += '\r';
    }
    text += '\n';
}

bool IsCommentName(const std::string& name) {
    return !name.empty() && name[0] == ';';
}

}  // namespace

std::string CIniDocument::ToText() const {
    std::string text;
    for (const Section& section : sections_) {
        // Only a comment at the very top is read as a section of its own; a section named
        // ";..." further down keeps its brackets, or it would come back as a comment entry
        // of the section before.
        if (IsCommentName(section.name) && &section == &sections_.front()) {
            text += section.name;
        } else {
            text += "[" + section.name + "]";
        }
        EndLine(text);
        for (const Entry& entry : section.entries) {
            if (entry.key) {
                text += *entry.key + "=";
            } else if (entry.value && (*entry.value)[0] != ';') {
                text += "=";  // a value without a key ("=value"), not a comment
            }
            if (entry.value) {
                text += *entry.value;
            }
            EndLine(text);
        }
        text += "\n";
    }
    return text;
}

bool CIniDocument::Save(std::string_view path) {
    if (!path.empty()) {
        path_ = std::string(path);
    }
    if (path_.empty()) {
        return false;
    }
    qm::AtomicFile file(path_);
    if (!file.Open()) {
        return false;
    }
    std::setvbuf(file.Stream(), nullptr, _IOFBF, kStreamBufferSize);
    const std::string text = ToText();
    if (std::fwrite(text.data(), 1, text.size(), file.Stream()) != text.size()) {
        return false;
    }
    return file.Commit();
}

CIniDocument::Section* CIniDocument::FindSection(std::string_view name) {
    for (Section& section : sections_) {
        if (qm::EqualsNoCase(section.name, name)) {
            return &section;
        }
    }
    return nullptr;
}

const CIniDocument::Section* CIniDocument::FindSection(std::string_view name) const {
    return const_cast<CIniDocument*>(this)->FindSection(name);
}

const CIniDocument::Entry* CIniDocument::FindEntry(const Section& section, std::string_view key) {
    for (const Entry& entry : section.entries) {
        if (entry.key && qm::EqualsNoCase(*entry.key, key)) {
            return &entry;
        }
    }
    return nullptr;
}

std::string CIniDocument::GetString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    const Section* found = FindSection(section);
    const Entry* entry = found ? FindEntry(*found, key) : nullptr;
    if (entry == nullptr || !entry->value) {
        return std::string(defaultValue);
    }
    return *entry->value;
}

int CIniDocument::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
    const std::string value = GetString(section, key, "");
    if (value.empty() || !(StartsWithDigit(value) || value[0] == '-')) {
        return defaultValue;
    }
    // Held at the ends of int rather than cast: a huge number that wrapped could come out as
    // a small or negative one, and pass whatever range check the caller makes.
    const long long number = std::strtoll(value.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long long>(number, INT_MIN, INT_MAX));
}

std::uint32_t CIniDocument::GetColor(std::string_view section, std::string_view key,
                                     std::uint32_t defaultValue) const {
    const std::string value = GetString(section, key, "");
    if (value.empty()) {
        return defaultValue;
    }
    std::uint32_t color = 0;
    std::string_view rest = value;
    for (int part = 0; part < 3; ++part) {
        const std::size_t comma = rest.find(',');
        const std::string piece(rest.substr(0, comma));
        std::uint32_t byte = (defaultValue >> (8 * part)) & 0xFF;
        if (StartsWithDigit(piece)) {
            byte = static_cast<std::uint32_t>(std::strtoul(piece.c_str(), nullptr, 10)) & 0xFF;
        }
        color |= byte << (8 * part);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return color;
}

bool CIniDocument::SetString(const char* section, const char* key, const char* value) {
    const auto sectionName = TextOrMissing(section);
    if (!sectionName) {
        return false;
    }
    const auto keyText = TextOrMissing(key);
    const auto valueText = TextOrMissing(value);
    Section* found = FindSection(*sectionName);
    if (found == nullptr) {
        if (keyText && valueText) {
            sections_.push_back({*sectionName, {{keyText, valueText}}});
        }
        return true;
    }
    if (!keyText) {
        sections_.erase(sections_.begin() + (found - sections_.data()));
        return true;
    }
    auto& entries = found->entries;
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->key && qm::EqualsNoCase(*it->key, *keyText)) {
            if (valueText) {
                it->value = valueText;
            } else {
                entries.erase(it);
            }
            return true;
        }
    }
    if (valueText) {
        entries.push_back({keyText, valueText});
    }
    return true;
}

bool CIniDocument::SetInt(const char* section, const char* key, int value) {
    return SetString(section, key, std::to_string(value).c_str());
}
