#include "tests/support/private_environment.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>

namespace qm_test {

PrivateEnvironment::PrivateEnvironment() {
    std::filesystem::create_directories(File("run"));
    std::filesystem::permissions(File("run"), std::filesystem::perms::owner_all);
    std::filesystem::create_directories(File("home"));
    Set("QUILLMARK_REGISTRY", RegistryStore());
    Set("XDG_DATA_HOME", File("data"));
    Set("XDG_RUNTIME_DIR", File("run"));
    Set("HOME", File("home"));
    Set("WINEPREFIX", std::nullopt);
}

PrivateEnvironment::~PrivateEnvironment() {
    // Last set, first restored: a variable set twice gets its value from before the first.
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second) {
            setenv(it->first.c_str(), it->second->c_str(), 1);
        } else {
            unsetenv(it->first.c_str());
        }
    }
}

void PrivateEnvironment::Set(const std::string& name, const std::optional<std::string>& value) {
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
    if (value) {
        setenv(name.c_str(), value->c_str(), 1);
    } else {
        unsetenv(name.c_str());
    }
}

}  // namespace qm_test
