#include "setup/registry_key_name.h"

#include <array>

#include "platform/ascii.h"

namespace qm::setup {

namespace {

struct RootName {
    const char* text;
    RegistryRoot root;
};

constexpr std::array<RootName, 5> kRoots = {{{"HKLM", RegistryRoot::LocalMachine},
                                             {"HKCR", RegistryRoot::ClassesRoot},
                                             {"HKCU", RegistryRoot::CurrentUser},
                                             {"HKCC", RegistryRoot::CurrentConfig},
                                             {"HKUS", RegistryRoot::Users}}};

}  // namespace

std::string RegistryKeyName::Text() const {
    for (const auto& name : kRoots) {
        if (name.root == root) {
            return std::string(name.text) + "\\" + subkey;
        }
    }
    return subkey;
}

std::optional<RegistryKeyName> ParseRegistryKey(std::string_view text) {
    if (text.size() < 4 || (text.size() > 4 && text[4] != '\\')) {
        return std::nullopt;
    }
    for (const auto& name : kRoots) {
        if (EqualsNoCase(text.substr(0, 4), name.text)) {
            return RegistryKeyName{name.root, std::string(text.size() > 5 ? text.substr(5) : "")};
        }
    }
    return std::nullopt;
}

std::optional<RegistryKeyName> ResolveRegistryKey(std::string_view text, std::string_view baseKey) {
    if (text.empty()) {
        return std::nullopt;
    }
    if (auto full = ParseRegistryKey(text)) {
        return full;
    }
    if (baseKey.empty()) {
        return std::nullopt;
    }
    std::string joined(baseKey);
    if (joined.back() != '\\') {
        joined += '\\';
    }
    joined += text.front() == '\\' ? text.substr(1) : text;
    return ParseRegistryKey(joined);
}

}  // namespace qm::setup
