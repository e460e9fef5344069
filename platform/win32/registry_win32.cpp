// The registry on Windows: the system's own, through the registry API. String values are
// stored as REG_SZ; reading ignores the type, as the suite's libraries always have, and the
// text ends at the first zero byte.
#include <windows.h>

#include <vector>

#include "platform/registry.h"

namespace qm {
namespace {

HKEY RootKey(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::ClassesRoot:
            return HKEY_CLASSES_ROOT;
        case RegistryRoot::CurrentUser:
            return HKEY_CURRENT_USER;
        case RegistryRoot::LocalMachine:
            return HKEY_LOCAL_MACHINE;
        case RegistryRoot::Users:
            return HKEY_USERS;
        case RegistryRoot::CurrentConfig:
            return HKEY_CURRENT_CONFIG;
    }
    return HKEY_LOCAL_MACHINE;
}

// The API refuses a subkey that starts with a backslash; callers may write either form.
std::string SubkeyPath(std::string_view key) {
    while (!key.empty() && key.front() == '\\') {
        key.remove_prefix(1);
    }
    while (!key.empty() && key.back() == '\\') {
        key.remove_suffix(1);
    }
    return std::string(key);
}

// An open key, closed when it goes out of scope.
class OpenKey {
  public:
    OpenKey() = default;
    ~OpenKey() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    bool Open(RegistryRoot root, std::string_view key, REGSAM access) {
        return RegOpenKeyExA(RootKey(root), SubkeyPath(key).c_str(), 0, access, &key_) ==
               ERROR_SUCCESS;
    }
    bool Create(RegistryRoot root, std::string_view key, REGSAM access) {
        return RegCreateKeyExA(RootKey(root), SubkeyPath(key).c_str(), 0, nullptr,
                               REG_OPTION_NON_VOLATILE, access, nullptr, &key_,
                               nullptr) == ERROR_SUCCESS;
    }
    HKEY Handle() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

}  // namespace

std::optional<std::string> RegistryGetString(RegistryRoot root, std::string_view key,
                                             std::string_view valueName) {
    OpenKey open;
    if (!open.Open(root, key, KEY_READ)) {
        return std::nullopt;
    }
    const std::string name(valueName);
    DWORD size = 0;
    if (RegQueryValueExA(open.Handle(), name.c_str(), nullptr, nullptr, nullptr, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    // One more byte than asked for, so that a value stored without its terminator still ends.
    std::vector<char> buffer(size + 1, '\0');
    DWORD read = size;
    if (RegQueryValueExA(open.Handle(), name.c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(buffer.data()), &read) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::string(buffer.data());
}

bool RegistrySetString(RegistryRoot root, std::string_view key, std::string_view valueName,
                       std::string_view value) {
    OpenKey open;
    if (!open.Create(root, key, KEY_SET_VALUE)) {
        return false;
    }
    const std::string name(valueName);
    const std::string text(value);
    return RegSetValueExA(open.Handle(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool RegistryCreateKey(RegistryRoot root, std::string_view key) {
    OpenKey open;
    return open.Create(root, key, KEY_READ);
}

bool RegistryKeyExists(RegistryRoot root, std::string_view key) {
    OpenKey open;
    return open.Open(root, key, KEY_READ);
}

bool RegistryDeleteValue(RegistryRoot root, std::string_view key, std::string_view valueName) {
    OpenKey open;
    if (!open.Open(root, key, KEY_SET_VALUE)) {
        return false;
    }
    return RegDeleteValueA(open.Handle(), std::string(valueName).c_str()) == ERROR_SUCCESS;
}

bool RegistryDeleteKey(RegistryRoot root, std::string_view key) {
    const std::string path = SubkeyPath(key);
    if (path.empty()) {
        return false;  // a root is never deleted
    }
    {
        // Subkeys first: a key that still has some stays, whatever the system would allow.
        OpenKey open;
        DWORD subkeys = 0;
        if (!open.Open(root, path, KEY_READ) ||
            RegQueryInfoKeyA(open.Handle(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            subkeys != 0) {
            return false;
        }
    }
    return RegDeleteKeyA(RootKey(root), path.c_str()) == ERROR_SUCCESS;
}

std::vector<std::string> RegistryEnumSubkeys(RegistryRoot root, std::string_view key) {
    std::vector<std::string> names;
    OpenKey open;
    if (!open.Open(root, key, KEY_READ)) {
        return names;
    }
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(open.Handle(), index, name, &length, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    return names;
}

std::vector<std::string> RegistryEnumValues(RegistryRoot root, std::string_view key) {
    std::vector<std::string> names;
    OpenKey open;
    if (!open.Open(root, key, KEY_READ)) {
        return names;
    }
    char name[16384];  // the longest value name the registry allows
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof(name);
        if (RegEnumValueA(open.Handle(), index, name, &length, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    return names;
}

std::string RegistryStorePath() {
    return {};
}

}  // namespace qm
