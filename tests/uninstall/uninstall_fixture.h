#pragma once

// A private account for Uninstall's tests (home, XDG folders, registry store), a log written
// from text, and services that record what the removal asked for and can refuse to delete.
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "inidoc/ini_document.h"
#include "tests/support/private_environment.h"
#include "uninstall/uninstall_services.h"

namespace qm::uninstall::testing {

namespace fs = std::filesystem;

class RecordingServices : public UninstallServices {
  public:
    bool DeleteFile(const std::string& path) override {
        deleted.push_back(fs::path(path).filename().string());
        return undeletable.count(path) == 0 && UninstallServices::DeleteFile(path);
    }
    std::optional<long> CallUnregisterServer(const std::string& library) override {
        servers.push_back(fs::path(library).filename().string());
        return serverResult;
    }
    bool StartProgram(const std::string& program, const std::string& parameter,
                      std::chrono::milliseconds) override {
        programs.push_back(fs::path(program).filename().string() + " " + parameter);
        return true;
    }
    void NotifyRemoved() override {}
    bool Restart() override {
        ++restarts;
        return true;
    }

    std::set<std::string> undeletable;
    std::optional<long> serverResult = 0;
    std::vector<std::string> deleted;
    std::vector<std::string> servers;
    std::vector<std::string> programs;
    int restarts = 0;
};

class UninstallSandbox {
  public:
    UninstallSandbox() {
        env_.Set("XDG_CONFIG_HOME", env_.File("home/.config"));
        fs::create_directories(Root());
    }
    // The folder the test's installation lives in.
    std::string Root() const { return env_.File("home/product"); }
    std::string At(const std::string& name) const { return Root() + "/" + name; }
    void MakeFile(const std::string& name, const std::string& content = "x") const {
        fs::create_directories(fs::path(At(name)).parent_path());
        std::ofstream(At(name)) << content;
    }
    bool Exists(const std::string& name) const { return fs::exists(At(name)); }
    // Writes the log beside the installation and loads it, as Uninstall does. "@" in the
    // text stands for the installation folder.
    CIniDocument Log(std::string text) const {
        for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at)) {
            text.replace(at, 1, Root());
        }
        const std::string path = At("uninstall.log");
        std::ofstream(path) << "[Version]\nSignature=KRM_Setup_1.0\n" << text;
        CIniDocument log;
        log.Load(path);
        return log;
    }

  private:
    qm_test::PrivateEnvironment env_;
};

}  // namespace qm::uninstall::testing
