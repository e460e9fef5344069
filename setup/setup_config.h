#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "inidoc/ini_document.h"
#include "setup/system_folders.h"

namespace qm::setup {

// Why loading stopped; each has its message (caption "Setup") and ends Setup with -1.
enum class ConfigFailure { None, Directories, NotFound, Invalid, Environment };
const char* ConfigFailureMessage(ConfigFailure failure);

// Replaces every %NAME% of a variable that is set by its value; an unknown name and a lone
// percent sign stay as written. The result is cut to 1023 characters.
std::string ExpandVariables(std::string_view text);
inline constexpr std::size_t kMaxExpandedLength = 1023;

// Setup.ini and what Setup computes from it before the wizard: the folders, the product's
// registry key, and the variables in the process environment that values and the modules
// Setup starts refer to.
class CSetupConfig {
  public:
    // Reads "Setup.ini" from the directory Setup started in. On failure the message has been
    // shown through the message-box service.
    ConfigFailure Load(const std::string& currentDirectory, const SystemFolders& folders);

    CIniDocument& Ini() { return ini_; }
    const CIniDocument& Ini() const { return ini_; }
    std::string GetString(std::string_view section, std::string_view key) const {
        return ini_.GetString(section, key, "");
    }
    std::string GetExpanded(std::string_view section, std::string_view key) const {
        return ExpandVariables(GetString(section, key));
    }
    int GetInt(std::string_view section, std::string_view key, int defaultValue = 0) const {
        return ini_.GetInt(section, key, defaultValue);
    }
    int Count(std::string_view section) const { return GetInt(section, "Count"); }

    const SystemFolders& Folders() const { return folders_; }
    // The stand-ins for system folders (WINDIR, SYSDIR) that Load had to create, parents
    // first. The installation logs them, so that Uninstall removes them once they are empty.
    const std::vector<std::string>& CreatedSystemFolders() const { return createdSystemFolders_; }
    const std::string& CurrentDirectory() const { return currentDirectory_; }
    const std::string& Destination() const { return destination_; }
    const std::string& Group() const { return group_; }
    const std::string& LogDirectory() const { return logDirectory_; }
    const std::string& UserName() const { return userName_; }
    const std::string& Company() const { return company_; }
    // The product's registry key with its root and a trailing backslash, or empty.
    const std::string& ProductKey() const { return productKey_; }
    bool HasDesktopShortcut() const { return !GetString("Desktop", "Name").empty(); }
    // The licence, read-me and splash files found in Setup's directory (empty when not).
    const std::string& EulaFile() const { return eula_; }
    const std::string& ReadmeFile() const { return readme_; }
    const std::string& SplashFile() const { return splash_; }

    // The wizard's choices (and the extension library's); each gets a trailing separator.
    void SetDestination(std::string directory);
    void SetGroup(std::string directory);
    void SetLogDirectory(std::string directory);
    void SetUser(std::string name, std::string company);

    // USNAME, USCOMP, USRDIR, USRGRP and LOGDIR from the current choices. False, with the
    // message shown, when the environment cannot take them.
    bool SetUserVariables();

    // Appends the lists of every selected component ([CopyFiles.001] and so on) to the main
    // lists, renumbering their entries after the main Count.
    void MergeComponents();

  private:
    bool SetVariable(const char* name, const std::string& value);
    bool SetSystemVariables();
    std::string RegisteredText(const char* valueName) const;
    std::string ExistingFolderFromRegistry(const char* valueName,
                                           const std::string& fallback) const;

    CIniDocument ini_;
    SystemFolders folders_;
    std::vector<std::string> createdSystemFolders_;
    std::string currentDirectory_;
    std::string infDirectory_;
    std::string destination_;
    std::string group_;
    std::string logDirectory_;
    std::string userName_;
    std::string company_;
    std::string productKey_;
    std::string eula_;
    std::string readme_;
    std::string splash_;
};

}  // namespace qm::setup
