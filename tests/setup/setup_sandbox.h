#pragma once

// A private account for Setup's tests: HOME, the XDG folders, the desktop and the registry
// store all live in one temporary folder, and Setup's own directory (with Setup.ini and the
// files to install) beside it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "platform/registry.h"
#include "setup/setup_config.h"
#include "setup/system_folders.h"

namespace qm::setup::testing {

namespace fs = std::filesystem;

inline std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteWhole(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

struct EntryState {
    unsigned mode;
    std::uint64_t hash;  // of the content; 0 for folders
    bool operator==(const EntryState&) const = default;
};
using Snapshot = std::map<std::string, EntryState>;

inline std::uint64_t Fnv1a(const std::string& bytes) {
    std::uint64_t hash = 1469598103934665603ull;
    for (const unsigned char c : bytes) {
        hash = (hash ^ c) * 1099511628211ull;
    }
    return hash;
}

class SetupSandbox : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("qm-setup-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        home_ = root_ / "home";
        source_ = root_ / "source";
        fs::create_directories(home_ / "Desktop");
        fs::create_directories(source_);
        setenv("HOME", home_.c_str(), 1);
        setenv("XDG_DATA_HOME", (home_ / ".local/share").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home_ / ".config").c_str(), 1);
        setenv("XDG_DESKTOP_DIR", (home_ / "Desktop").c_str(), 1);
        setenv("QUILLMARK_REGISTRY", (home_ / ".config/quillmark/registry.ini").c_str(), 1);
        // The suite's programs that other tests run on this machine must not hear our
        // broadcasts.
        fs::create_directories(root_ / "runtime");
        setenv("XDG_RUNTIME_DIR", (root_ / "runtime").c_str(), 1);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(root_, fs::perms::all, fs::perm_options::add, ec);
        for (auto it = fs::recursive_directory_iterator(root_, ec);
             it != fs::recursive_directory_iterator(); it.increment(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::remove_all(root_, ec);
    }

    std::string Home() const { return home_.string(); }
    std::string Destination(const std::string& product) const {
        return (home_ / ".local/opt" / product).string() + "/";
    }

    void SetupIni(const std::string& text) { WriteWhole(source_ / "Setup.ini", text); }
    void Source(const std::string& name, const std::string& content) {
        WriteWhole(source_ / name, content);
    }

    // Loads Setup.ini as Setup does at start; the test fails when it does not load.
    void Load(CSetupConfig& config) {
        ASSERT_EQ(config.Load(source_.string(), CurrentUserFolders()), ConfigFailure::None);
    }

    // Every path below the private home with its permissions and content (the registry
    // store included).
    Snapshot Take() const {
        Snapshot snapshot;
        for (const auto& entry : fs::recursive_directory_iterator(home_)) {
            const fs::file_status status = fs::symlink_status(entry.path());
            const bool regular = fs::is_regular_file(status);
            snapshot[fs::relative(entry.path(), home_).string()] = {
                static_cast<unsigned>(status.permissions()) | (regular ? 0 : 0x10000u),
                regular ? Fnv1a(ReadWhole(entry.path())) : 0};
        }
        return snapshot;
    }

    fs::path root_;
    fs::path home_;
    fs::path source_;
};

}  // namespace qm::setup::testing
