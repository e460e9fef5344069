// The registry, kept in a file in the INI document format on platforms without one.
//
//   [HKEY_LOCAL_MACHINE\Software\Fox Interactive\Aliens versus Predator]
//   Path=/home/me/games/avp
//   @=the key's default value
//
// One section per key (parents included), named by the root and the key path; one entry per
// value, the default value under "@". Every call reads the file afresh and every change is
// written back atomically, so several programs of the suite can share it.
#include "platform/registry.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "inidoc/ini_document.h"
#include "platform/ascii.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace qm {

namespace {

const char* RootName(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::ClassesRoot:
            return "HKEY_CLASSES_ROOT";
        case RegistryRoot::CurrentUser:
            return "HKEY_CURRENT_USER";
        case RegistryRoot::LocalMachine:
            return "HKEY_LOCAL_MACHINE";
        case RegistryRoot::Users:
            return "HKEY_USERS";
        case RegistryRoot::CurrentConfig:
            return "HKEY_CURRENT_CONFIG";
    }
    return "HKEY_LOCAL_MACHINE";
}

constexpr const char* kDefaultValueName = "@";

std::string_view TrimBackslashes(std::string_view key) {
    while (!key.empty() && key.front() == '\\') {
        key.remove_prefix(1);
    }
    while (!key.empty() && key.back() == '\\') {
        key.remove_suffix(1);
    }
    return key;
}

// A key path that the store can hold: no characters that would end a section header or a
// line, and no empty components.
bool IsStorableKey(std::string_view key) {
    if (key.find_first_of("]\r\n") != std::string_view::npos) {
        return false;
    }
    // The header must fit one line buffer, root name and brackets included.
    constexpr std::size_t kLongestRootHeader = sizeof("[HKEY_CURRENT_CONFIG\\]") - 1;
    return key.find("\\\\") == std::string_view::npos &&
           key.size() + kLongestRootHeader < CIniDocument::kLineBufferSize;
}

// A value line that reads back as written: a name that neither opens a section or a
// comment nor holds "=", no line breaks, and not so long that reading would split it.
bool IsStorableValue(std::string_view valueName, std::string_view value) {
    if (valueName.find_first_of("=\r\n") != std::string_view::npos ||
        (!valueName.empty() && (valueName[0] == ';' || valueName[0] == '[')) ||
        value.find_first_of("\r\n") != std::string_view::npos) {
        return false;
    }
    const std::size_t lineLength = std::max<std::size_t>(valueName.size(), 1) + 1 + value.size();
    return lineLength < CIniDocument::kLineBufferSize;
}

std::string SectionName(RegistryRoot root, std::string_view key) {
    const std::string_view trimmed = TrimBackslashes(key);
    std::string name = RootName(root);
    if (!trimmed.empty()) {
        name += "\\";
        name += trimmed;
    }
    return name;
}

std::string EntryName(std::string_view valueName) {
    return valueName.empty() ? kDefaultValueName : std::string(valueName);
}

CIniDocument LoadStore() {
    CIniDocument store;
    store.Load(RegistryStorePath());
    return store;
}

// Held from reading the store to saving it, so that two programs changing it at the same
// time do not lose one another's change. Readers need no lock: saves replace the file whole.
// The lock file belongs to the store's real file, so two names of one store (a link) share
// it; when the lock cannot be had the change is refused rather than made unguarded.
class StoreLock {
  public:
    StoreLock() {
#if !defined(_WIN32)
        const std::filesystem::path path = RealStorePath();
        std::error_code ec;
        if (path.has_parent_path()) {
            std::filesystem::create_directories(path.parent_path(), ec);
        }
        const std::string lockPath = path.string() + ".lock";
        fd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            // A lock file someone else made, which this user may only read, still locks.
            fd_ = open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
        }
        if (fd_ < 0) {
            return;
        }
        int result = 0;
        while ((result = flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
        }
        held_ = result == 0;
#else
        held_ = true;
#endif
    }
    ~StoreLock() {
#if !defined(_WIN32)
        if (fd_ >= 0) {
            close(fd_);
        }
#endif
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    bool Held() const {
        return held_;
    }

  private:
    // The store's file with every link resolved; a store that does not exist yet resolves
    // through the folders that do.
    static std::filesystem::path RealStorePath() {
        const std::filesystem::path path(RegistryStorePath());
        std::error_code ec;
        const std::filesystem::path real = std::filesystem::weakly_canonical(path, ec);
        return ec ? path : real;
    }

    int fd_ = -1;
    bool held_ = false;
};

// For a change: the store as it is now, or nothing when a store exists but cannot be read,
// since writing back what little was read would wipe every other program's settings.
std::optional<CIniDocument> LoadStoreForChange() {
    CIniDocument store;
    const std::string path = RegistryStorePath();
    if (!store.Load(path)) {
        std::error_code ec;
        if (std::filesystem::exists(path, ec) || ec) {
            return std::nullopt;
        }
    }
    return store;
}

bool SaveStore(CIniDocument& store) {
    const std::filesystem::path path(RegistryStorePath());
    std::error_code ec;
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path(), ec);
    }
    return store.Save(path.string());
}

CIniDocument::Section& EnsureSection(CIniDocument& store, const std::string& name) {
    if (CIniDocument::Section* found = store.FindSection(name)) {
        return *found;
    }
    store.Sections().push_back({name, {}});
    return store.Sections().back();
}

// Creates the key's section and those of all its parents.
CIniDocument::Section& EnsureKey(CIniDocument& store, RegistryRoot root, std::string_view key) {
    const std::string_view trimmed = TrimBackslashes(key);
    for (std::size_t slash = trimmed.find('\\'); slash != std::string_view::npos;
         slash = trimmed.find('\\', slash + 1)) {
        EnsureSection(store, SectionName(root, trimmed.substr(0, slash)));
    }
    return EnsureSection(store, SectionName(root, trimmed));
}

}  // namespace

std::string RegistryStorePath() {
    if (const char* explicitPath = std::getenv("QUILLMARK_REGISTRY");
        explicitPath && *explicitPath) {
        return explicitPath;
    }
    std::string configHome;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        configHome = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        configHome = std::string(home) + "/.config";
    } else {
        configHome = ".config";
    }
    return configHome + "/quillmark/registry.ini";
}

std::optional<std::string> RegistryGetString(RegistryRoot root, std::string_view key,
                                             std::string_view valueName) {
    const CIniDocument store = LoadStore();
    const CIniDocument::Section* section = store.FindSection(SectionName(root, key));
    if (section == nullptr) {
        return std::nullopt;
    }
    const CIniDocument::Entry* entry = CIniDocument::FindEntry(*section, EntryName(valueName));
    if (entry == nullptr) {
        return std::nullopt;
    }
    return entry->value.value_or("");
}

bool RegistrySetString(RegistryRoot root, std::string_view key, std::string_view valueName,
                       std::string_view value) {
    if (!IsStorableKey(key) || !IsStorableValue(valueName, value)) {
        return false;
    }
    const StoreLock lock;
    if (!lock.Held()) {
        return false;
    }
    auto loaded = LoadStoreForChange();
    if (!loaded) {
        return false;
    }
    CIniDocument& store = *loaded;
    CIniDocument::Section& section = EnsureKey(store, root, key);
    const std::string name = EntryName(valueName);
    std::optional<std::string> stored;
    if (!value.empty()) {
        stored = std::string(value);
    }
    bool replaced = false;
    for (auto& entry : section.entries) {
        if (entry.key && CIniDocument::EqualsNoCase(*entry.key, name)) {
            entry.value = stored;
            replaced = true;
            break;
        }
    }
    if (!replaced) {
        section.entries.push_back({name, stored});
    }
    return SaveStore(store);
}

bool RegistryCreateKey(RegistryRoot root, std::string_view key) {
    if (!IsStorableKey(key)) {
        return false;
    }
    const StoreLock lock;
    if (!lock.Held()) {
        return false;
    }
    auto loaded = LoadStoreForChange();
    if (!loaded) {
        return false;
    }
    CIniDocument& store = *loaded;
    if (store.FindSection(SectionName(root, key)) != nullptr) {
        return true;
    }
    EnsureKey(store, root, key);
    return SaveStore(store);
}

bool RegistryKeyExists(RegistryRoot root, std::string_view key) {
    return LoadStore().FindSection(SectionName(root, key)) != nullptr;
}

bool RegistryDeleteValue(RegistryRoot root, std::string_view key, std::string_view valueName) {
    const StoreLock lock;
    if (!lock.Held()) {
        return false;
    }
    auto loaded = LoadStoreForChange();
    if (!loaded) {
        return false;
    }
    CIniDocument& store = *loaded;
    CIniDocument::Section* section = store.FindSection(SectionName(root, key));
    if (section == nullptr) {
        return false;
    }
    const std::string name = EntryName(valueName);
    auto& entries = section->entries;
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->key && CIniDocument::EqualsNoCase(*it->key, name)) {
            entries.erase(it);
            return SaveStore(store);
        }
    }
    return false;
}

bool RegistryDeleteKey(RegistryRoot root, std::string_view key) {
    if (TrimBackslashes(key).empty()) {
        return false;  // a root is never deleted
    }
    const StoreLock lock;
    if (!lock.Held()) {
        return false;
    }
    auto loaded = LoadStoreForChange();
    if (!loaded) {
        return false;
    }
    CIniDocument& store = *loaded;
    const std::string name = SectionName(root, key);
    auto& sections = store.Sections();
    auto found = sections.end();
    for (auto it = sections.begin(); it != sections.end(); ++it) {
        if (qm::StartsWithNoCase(it->name, name + "\\")) {
            return false;  // subkeys first, as on Windows
        }
        if (found == sections.end() && CIniDocument::EqualsNoCase(it->name, name)) {
            found = it;
        }
    }
    if (found == sections.end()) {
        return false;
    }
    sections.erase(found);
    return SaveStore(store);
}

std::vector<std::string> RegistryEnumSubkeys(RegistryRoot root, std::string_view key) {
    const std::string prefix = SectionName(root, key) + "\\";
    std::vector<std::string> names;
    const CIniDocument store = LoadStore();
    for (const auto& section : store.Sections()) {
        if (qm::StartsWithNoCase(section.name, prefix)) {
            const std::string rest = section.name.substr(prefix.size());
            if (!rest.empty() && rest.find('\\') == std::string::npos) {
                names.push_back(rest);
            }
        }
    }
    return names;
}

std::vector<std::string> RegistryEnumValues(RegistryRoot root, std::string_view key) {
    std::vector<std::string> names;
    const CIniDocument store = LoadStore();
    if (const auto* section = store.FindSection(SectionName(root, key))) {
        for (const auto& entry : section->entries) {
            if (entry.key) {
                names.push_back(*entry.key == kDefaultValueName ? "" : *entry.key);
            }
        }
    }
    return names;
}

constexpr std::string_view kDwordPrefix = "dword:";

std::optional<std::uint32_t> RegistryGetDword(RegistryRoot root, std::string_view key,
                                              std::string_view valueName) {
    const std::optional<std::string> text = RegistryGetString(root, key, valueName);
    if (!text || text->size() != kDwordPrefix.size() + 8 ||
        !StartsWithNoCase(*text, kDwordPrefix)) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const char c : std::string_view(*text).substr(kDwordPrefix.size())) {
        const int digit = (c >= '0' && c <= '9')   ? c - '0'
                          : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                          : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                   : -1;
        if (digit < 0) {
            return std::nullopt;
        }
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

bool RegistrySetDword(RegistryRoot root, std::string_view key, std::string_view valueName,
                      std::uint32_t value) {
    char text[sizeof("dword:00000000")];
    std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(value));
    return RegistrySetString(root, key, valueName, text);
}

}  // namespace qm
