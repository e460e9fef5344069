// What the start-up tests share: a temporary directory with a private registry store, desktop
// data, endpoint directory and home, and small files made on the spot.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/registry.h"
#include "suite/game_location.h"
#include "tests/packlib/test_files.h"

namespace startup_test {

// Points every per-user store of the platform layer into a fresh directory.
class PrivateEnvironment {
  public:
    PrivateEnvironment() {
        Set("QUILLMARK_REGISTRY", dir_.File("registry.ini"));
        Set("XDG_DATA_HOME", dir_.File("data"));
        Set("XDG_RUNTIME_DIR", dir_.File("run"));
        Set("HOME", dir_.File("home"));
        std::filesystem::create_directories(dir_.File("run"));
        std::filesystem::create_directories(dir_.File("home"));
    }
    ~PrivateEnvironment() {
        for (const char* name : {"QUILLMARK_REGISTRY", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
            unsetenv(name);
        }
        if (!home_.empty()) {
            setenv("HOME", home_.c_str(), 1);
        }
    }
    std::string File(const std::string& name) const { return dir_.File(name); }

  private:
    void Set(const char* name, const std::string& value) {
        if (std::string(name) == "HOME" && std::getenv("HOME") != nullptr) {
            home_ = std::getenv("HOME");
        }
        setenv(name, value.c_str(), 1);
    }
    packlib_test::TempDir dir_;
    std::string home_;
};

inline void Touch(const std::string& path, const std::string& text = "MZ") {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string GamePathInRegistry() {
    return qm::RegistryGetString(qm::RegistryRoot::LocalMachine, suite::kGameRegistryKey, "Path")
        .value_or("<missing>");
}

inline void SetGamePathInRegistry(const std::string& path) {
    qm::RegistrySetString(qm::RegistryRoot::LocalMachine, suite::kGameRegistryKey, "Path", path);
}

}  // namespace startup_test
