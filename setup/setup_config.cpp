#include "setup/setup_config.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/debug_output.h"
#include "platform/file_search.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "setup/registry_key_name.h"
#include "setup/setup_paths.h"
#include "setup/setup_strings.h"
#include "suite/numbered_key.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace qm::setup {

namespace {

namespace fs = std::filesystem;

constexpr const char* kWindowsKey = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kWindowsNtKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::size_t kMaxUserText = 254;
constexpr std::size_t kMaxProductKey = 1023;

bool IsDirectory(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

std::string FoundBeside(const std::string& directory, const std::string& name) {
    if (name.empty()) {
        return {};
    }
    return SearchFile(directory, name, "").value_or("");
}

}  // namespace

const char* ConfigFailureMessage(ConfigFailure failure) {
    switch (failure) {
        case ConfigFailure::None:
            return "";
        case ConfigFailure::Directories:
            return kDirectoriesUnavailable;
        case ConfigFailure::NotFound:
            return kConfigNotFound;
        case ConfigFailure::Invalid:
            return kSignatureMismatch;
        case ConfigFailure::Environment:
            return kEnvironmentFailed;
    }
    return "";
}

std::string ExpandVariables(std::string_view text) {
    std::string result;
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t open = text.find('%', position);
        const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) {
            result += text.substr(position);
            break;
        }
        result += text.substr(position, open - position);
        const std::string name(text.substr(open + 1, close - open - 1));
        const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
        if (value != nullptr) {
            result += value;
            position = close + 1;
        } else {
            // The closing sign may open the next name ("%NOSUCH%USRDIR%").
            result += text.substr(open, close - open);
            position = close;
        }
    }
    if (result.size() > kMaxExpandedLength) {
        result.resize(kMaxExpandedLength);
    }
    return result;
}

ConfigFailure CSetupConfig::Load(const std::string& currentDirectory,
                                 const SystemFolders& folders) {
    const auto fail = [](ConfigFailure failure) {
        ShowMessageBox(ConfigFailureMessage(failure), kCaption, MessageBoxButtons::Ok,
                       MessageBoxIcon::Error);
        return failure;
    };
    folders_ = folders;
    currentDirectory_ = WithTrailingSeparator(currentDirectory);
    createdSystemFolders_.clear();
    // The per-user stand-ins for the system folders may not exist yet on a fresh account.
    if (!MakeDirectoryChain(folders_.windows, createdSystemFolders_) ||
        !MakeDirectoryChain(folders_.system, createdSystemFolders_) ||
        !IsDirectory(currentDirectory_)) {
        return fail(ConfigFailure::Directories);
    }
    const std::optional<std::string> path = SearchFile(currentDirectory_, "Setup.ini", "");
#if !defined(_WIN32)
    if (!path || access(path->c_str(), R_OK) != 0) {
        return fail(ConfigFailure::NotFound);
    }
#else
    if (!path) {
        return fail(ConfigFailure::NotFound);
    }
#endif
    if (!ini_.Load(*path) || ini_.FindSection("Version") == nullptr ||
        ini_.GetString("Version", "Signature", "") != kSignature) {
        return fail(ConfigFailure::Invalid);
    }

    userName_ = RegisteredText("RegisteredOwner");
    if (userName_.empty()) {
        userName_ = AccountFullName().substr(0, kMaxUserText);
    }
    company_ = RegisteredText("RegisteredOrganization");
    eula_ = FoundBeside(currentDirectory_, GetString("Version", "Eula"));
    readme_ = FoundBeside(currentDirectory_, GetString("Version", "Readme"));
    splash_ = FoundBeside(currentDirectory_, GetString("Version", "Splash"));
    infDirectory_ = ExistingFolderFromRegistry("DevicePath", folders_.windows);
    folders_.programFiles = ExistingFolderFromRegistry("ProgramFilesDir", folders_.programFiles);
    if (!SetSystemVariables()) {
        return ConfigFailure::Environment;
    }

    const std::string productKey = GetString("Destination", "DefReg");
    if (productKey.size() <= kMaxProductKey && ParseRegistryKey(productKey)) {
        productKey_ = productKey.back() == '\\' ? productKey : productKey + "\\";
    }
    const std::string defDir = GetExpanded("Destination", "DefDir");
    destination_ = WithTrailingSeparator(
        defDir.empty() ? folders_.programFiles : ResolvePath(folders_.programFiles, defDir));
    const std::string defGroup = GetExpanded("Destination", "DefGroup");
    group_ = WithTrailingSeparator(defGroup.empty() ? folders_.programs
                                                    : ResolvePath(folders_.programs, defGroup));
    const std::string defLog = GetExpanded("Destination", "DefLog");
    logDirectory_ =
        WithTrailingSeparator(defLog.empty() ? destination_ : ResolvePath(destination_, defLog));
    return SetUserVariables() ? ConfigFailure::None : ConfigFailure::Environment;
}

std::string CSetupConfig::RegisteredText(const char* valueName) const {
    for (const char* key : {kWindowsKey, kWindowsNtKey}) {
        if (auto text = RegistryGetString(RegistryRoot::LocalMachine, key, valueName);
            text && !text->empty()) {
            return text->substr(0, kMaxUserText);
        }
    }
    return {};
}

std::string CSetupConfig::ExistingFolderFromRegistry(const char* valueName,
                                                     const std::string& fallback) const {
    const auto folder = RegistryGetString(RegistryRoot::LocalMachine, kWindowsKey, valueName);
    if (folder && IsDirectory(*folder)) {
        return WithTrailingSeparator(NativePath(*folder));
    }
    return fallback;
}

bool CSetupConfig::SetVariable(const char* name, const std::string& value) {
#if defined(_WIN32)
    const bool set = _putenv_s(name, value.c_str()) == 0;
#else
    const bool set = setenv(name, value.c_str(), 1) == 0;
#endif
    if (!set) {
        DebugOutput(
            ("WARNING: SetEnvironmentVariable(KRM" + std::string(name) + ") failed\n").c_str());
        ShowMessageBox(kEnvironmentFailed, kCaption, MessageBoxButtons::Ok, MessageBoxIcon::Error);
    }
    return set;
}

bool CSetupConfig::SetSystemVariables() {
    const std::array<std::pair<const char*, const std::string*>, 10> variables = {{
        {"WINDIR", &folders_.windows},
        {"SYSDIR", &folders_.system},
        {"CURDIR", &currentDirectory_},
        {"INFDIR", &infDirectory_},
        {"PRGMAN", &folders_.programFiles},
        {"DSKTOP", &folders_.desktop},
        {"STRTMN", &folders_.startMenu},
        {"PRGGRP", &folders_.programs},
        {"SENDTO", &folders_.sendTo},
        {"STRTUP", &folders_.startup},
    }};
    for (const auto& [name, value] : variables) {
        if (!SetVariable(name, *value)) {
            return false;
        }
    }
    return true;
}

bool CSetupConfig::SetUserVariables() {
    return SetVariable("USNAME", userName_) && SetVariable("USCOMP", company_) &&
           SetVariable("USRDIR", destination_) && SetVariable("USRGRP", group_) &&
           SetVariable("LOGDIR", logDirectory_);
}

void CSetupConfig::SetDestination(std::string directory) {
    destination_ = WithTrailingSeparator(std::move(directory));
}
void CSetupConfig::SetGroup(std::string directory) {
    group_ = WithTrailingSeparator(std::move(directory));
}
void CSetupConfig::SetLogDirectory(std::string directory) {
    logDirectory_ = WithTrailingSeparator(std::move(directory));
}
void CSetupConfig::SetUser(std::string name, std::string company) {
    userName_ = std::move(name);
    company_ = std::move(company);
}

void CSetupConfig::MergeComponents() {
    static constexpr std::array<const char*, 12> kLists = {
        "Folders", "CopyFiles", "SharedFiles", "CopyNoLog", "LogNoCopy",      "Shortcuts",
        "RegKeys", "RegVals",   "NoLogKeys",   "LogKeys",   "RegisterServer", "RegisterApp"};
    static constexpr std::array<char, 9> kLetters = {'\0', 'S', 'D', 'L', 'T', 'P', 'C', 'K', 'V'};
    const int components = Count("Components");
    for (int i = 1; i <= components; ++i) {
        if (GetInt("Components", suite::NumberedKey(i, 'I'), 1) == 0) {
            continue;
        }
        for (const char* list : kLists) {
            const std::string part = std::string(list) + "." + suite::NumberedKey(i);
            const int partCount = Count(part);
            if (partCount == 0) {
                continue;
            }
            const int mainCount = Count(list);
            for (int j = 1; j <= partCount; ++j) {
                for (const char letter : kLetters) {
                    const std::string value = GetString(part, suite::NumberedKey(j, letter));
                    if (!value.empty()) {
                        ini_.SetString(list, suite::NumberedKey(mainCount + j, letter).c_str(),
                                       value.c_str());
                    }
                }
            }
            ini_.SetInt(list, "Count", mainCount + partCount);
        }
    }
}

}  // namespace qm::setup
