#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "inidoc/export.h"

// An INI file held in memory with its order and comments, written back the same way.
// Section and key names compare without regard to ASCII letter case; the first match in
// file order wins. An empty key or value is stored as a missing one.
class QM_INIDOC_API CIniDocument {
  public:
    struct Entry {
        std::optional<std::string> key;
        std::optional<std::string> value;
    };
    struct Section {
        std::string name;  // a comment line before the first section keeps its ';'
        std::vector<Entry> entries;
    };

    // Clears the model and reads the file. The path is remembered even when the file cannot
    // be read, so a later Save() creates it. An empty path changes nothing and fails. Paths
    // are kept whole: cutting a long one short would write to some other file.
    bool Load(std::string_view path);
    // Replaces the model by the text of a whole file (LF or CR LF line ends).
    void LoadFromText(std::string_view text);
    // Writes the model to the given path (which becomes the remembered one) or to the
    // remembered path. The old file stays intact when the write fails.
    bool Save(std::string_view path = {});
    // The model as it would be written.
    std::string ToText() const;

    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const;
    // The value's leading decimal number; the default when the value does not begin with a
    // digit or "-". Numbers beyond the range of int are held at its ends.
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
    // "red,green,blue" in decimal as 0x00BBGGRR; parts that do not start with a digit keep
    // the default's byte.
    std::uint32_t GetColor(std::string_view section, std::string_view key,
                           std::uint32_t defaultValue) const;

    // Null or empty texts count as missing. No section: fails. Existing section: no key
    // deletes the section; an existing entry gets the value or, without one, is deleted; a
    // missing entry is appended when there is a value. Missing section: appended with the
    // entry when key and value are both given.
    bool SetString(const char* section, const char* key, const char* value);
    bool SetInt(const char* section, const char* key, int value);

    void Clear() { sections_.clear(); }
    const std::string& Path() const { return path_; }
    const std::vector<Section>& Sections() const { return sections_; }
    std::vector<Section>& Sections() { return sections_; }

    Section* FindSection(std::string_view name);
    const Section* FindSection(std::string_view name) const;
    static const Entry* FindEntry(const Section& section, std::string_view key);

    static bool EqualsNoCase(std::string_view a, std::string_view b);

    static constexpr std::size_t kStreamBufferSize = 65536;
    static constexpr std::size_t kLineBufferSize = 16384;

  private:
    void AddLine(std::string_view line);

    std::vector<Section> sections_;
    std::string path_;
};
