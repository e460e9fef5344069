#include "setup/flow/setup_session.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/message_box.h"
#include "richtext/rtf_text.h"
#include "setup/flow/flow_strings.h"
#include "setup/flow/setup_system.h"
#include "setup/setup_config.h"
#include "setup/setup_paths.h"
#include "setup/setup_services.h"
#include "setup/setup_strings.h"
#include "suite/numbered_key.h"

namespace qm::setup {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxFinishOptions = 3;

bool IsDirectory(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

void ShowError(const char* text) {
    ShowMessageBox(text, kCaption, MessageBoxButtons::Ok, MessageBoxIcon::Error);
}

// Creates a missing directory with its parents; false when it cannot be made. `made` gets
// every folder this made, parents first, so that the log can list them all for Uninstall.
bool EnsureDirectory(const std::string& path, std::vector<std::string>& made) {
    if (IsDirectory(path)) {
        return true;
    }
    std::vector<std::string> chain;
    if (!MakeDirectoryChain(path, chain)) {
        return false;
    }
    made = std::move(chain);
    return true;
}

// The folders this run made on an earlier visit of the page go when the user picks another
// one, so that going back and forth leaves no empty folders behind.
void DropEarlierFolder(std::vector<std::string>& earlier, const std::string& now, bool& created) {
    if (!earlier.empty() && earlier.back() != now) {
        std::error_code ec;
        for (auto it = earlier.rbegin(); it != earlier.rend(); ++it) {
            fs::remove(*it, ec);  // a folder that holds something else stays
        }
        created = false;
        earlier.clear();
    }
}

}  // namespace

// Hands the engine's calls to the page the wizard shows, or answers them itself when none
// is shown (the unattended run): installed files are kept, as the question recommends.
class CSetupSession::PageRelay : public InstallPage {
  public:
    InstallPage* target = nullptr;

    void StepStarted(int step, const char* label) override {
        if (target != nullptr) {
            target->StepStarted(step, label);
        }
    }
    void Advanced(int position) override {
        if (target != nullptr) {
            target->Advanced(position);
        }
    }
    KeepFileAnswer AskKeepFile(const std::string& fileName, KeepFileReason reason) override {
        return target != nullptr ? target->AskKeepFile(fileName, reason) : KeepFileAnswer::Yes;
    }
    void Finished(InstallOutcome outcome) override {
        if (target != nullptr) {
            target->Finished(outcome);
        }
    }
    bool ConfirmAbort() override { return target != nullptr && target->ConfirmAbort(); }
};

CSetupSession::CSetupSession(CSetupConfig& config, SetupServices& services, SetupSystem& system)
    : config_(config),
      services_(services),
      system_(system),
      relay_(std::make_unique<PageRelay>()),
      engine_(std::make_unique<CInstallEngine>(config, services, *relay_)) {}

CSetupSession::~CSetupSession() {
    engine_->Wait();
}

void CSetupSession::SetInstallPage(InstallPage* page) {
    relay_->target = page;
}

void CSetupSession::SetExtension(std::unique_ptr<CExtensionLibrary> extension) {
    extension_ = std::move(extension);
}

void CSetupSession::BuildPages() {
    pages_ = BuildPageTable(config_);
    mask_ = PageMask(pages_);
}

bool CSetupSession::HasPage(PageKind kind) const {
    return (mask_ & PageOf(kind).bit) != 0;
}

std::string CSetupSession::WelcomeRichText() const {
    if (config_.GetInt("Version", "OldStyle") != 0) {
        return {};
    }
    return richtext::FillPlaceholders(kWelcomeTemplate,
                                      {{"#COMPANY#", config_.GetString("Product", "Provider")},
                                       {"#PRODUCT#", config_.GetString("Product", "AppName")},
                                       {"#VERSION#", config_.GetString("Product", "Version")},
                                       {"#COPYRIGHT#", config_.GetString("Product", "Copyright")},
                                       {"#WEBSITE#", config_.GetString("Product", "Website")}});
}

PageDocument CSetupSession::ReadDocument(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    PageDocument document;
    document.text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    document.richText = document.text.rfind("{\\rtf1\\", 0) == 0;
    return document;
}

std::vector<SetupComponent> CSetupSession::Components() const {
    std::vector<SetupComponent> components;
    const int count = config_.Count("Components");
    for (int i = 1; i <= count; ++i) {
        std::string name = config_.GetString("Components", suite::NumberedKey(i, 'N'));
        if (name.empty()) {
            continue;
        }
        if (name.size() > 255) {
            name.resize(255);
        }
        components.push_back({i, std::move(name),
                              config_.GetString("Components", suite::NumberedKey(i, 'D')),
                              config_.GetInt("Components", suite::NumberedKey(i, 'I'), 1) != 0});
    }
    return components;
}

void CSetupSession::StoreComponents(const std::vector<SetupComponent>& components) {
    for (const SetupComponent& component : components) {
        config_.Ini().SetString("Components", suite::NumberedKey(component.number, 'I').c_str(),
                                component.install ? "1" : "0");
    }
}

std::optional<std::uint64_t> CSetupSession::FreeSpaceOf(const std::string& directory) {
    // A folder still to be made has the space of the nearest one that exists.
    fs::path path = fs::path(NativePath(directory));
    while (!path.empty() && !IsDirectory(path.string())) {
        const fs::path parent = path.parent_path();
        if (parent == path) {
            break;
        }
        path = parent;
    }
    if (path.empty()) {
        return std::nullopt;
    }
    return services_.FreeSpace(path.string());
}

std::string CSetupSession::RequiredSpaceText() const {
    const int required = config_.GetInt("Product", "ReqSpace");
    return FormatKilobytes(required > 0 ? static_cast<std::uint64_t>(required) : 0);
}

bool CSetupSession::LeaveDestination(const std::string& text) {
    const PathClass kind = ClassifyPath(text);
    if (kind == PathClass::Empty || kind == PathClass::Relative) {
        ShowError(kInvalidDestination);
        return false;
    }
    const std::string previous = config_.Destination();
    const std::string directory = WithTrailingSeparator(NativePath(text));
    config_.SetDestination(directory);
    // An uninstall folder still below the old destination moves with it.
    const std::string logDirectory = config_.LogDirectory();
    if (!previous.empty() && previous != directory && logDirectory.rfind(previous, 0) == 0) {
        config_.SetLogDirectory(directory + logDirectory.substr(previous.size()));
    }

    const int required = config_.GetInt("Product", "ReqSpace");
    const auto free = FreeSpaceOf(directory);
    if (required > 0 && free && *free < static_cast<std::uint64_t>(required) &&
        ShowMessageBox(kNotEnoughSpace, kCaption, MessageBoxButtons::YesNo,
                       MessageBoxIcon::Warning) != MessageBoxResult::Yes) {
        return false;
    }
    InstallChoices& choices = engine_->Choices();
    DropEarlierFolder(choices.madeDestination, directory, choices.createdDestination);
    std::vector<std::string> made;
    if (!EnsureDirectory(directory, made)) {
        ShowError(kCannotCreateDestination);
        return false;
    }
    if (!made.empty()) {
        choices.createdDestination = true;
        choices.madeDestination = std::move(made);
    }
    return extension_ == nullptr || extension_->ValidateDirectory(directory);
}

GroupPageState CSetupSession::GroupDefaults() const {
    GroupPageState state;
    state.startMenu = config_.Folders().programs;
    state.groupName = config_.GetExpanded("Destination", "DefGroup");
    state.newGroup = !state.groupName.empty();
    state.desktopShown = config_.HasDesktopShortcut();
    return state;
}

bool CSetupSession::LeaveGroup(const std::string& startMenu, bool newGroup, const std::string& name,
                               bool desktop) {
    const std::string base =
        IsDirectory(NativePath(startMenu)) ? NativePath(startMenu) : config_.Folders().programs;
    const std::string group =
        WithTrailingSeparator(newGroup && !name.empty() ? ResolvePath(base, name) : base);
    config_.SetGroup(group);
    InstallChoices& choices = engine_->Choices();
    DropEarlierFolder(choices.madeGroup, group, choices.createdGroup);
    std::vector<std::string> made;
    if (!EnsureDirectory(group, made)) {
        ShowError(kCannotCreateGroup);
        return false;
    }
    if (!made.empty()) {
        choices.createdGroup = true;
        choices.madeGroup = std::move(made);
    }
    if (extension_ != nullptr && !extension_->ValidateGroup(group)) {
        return false;
    }
    choices.desktopShortcut = desktop;
    return true;
}

bool CSetupSession::UninstallAvailable() const {
    return engine_->Choices().uninstall;
}

bool CSetupSession::LeaveUninstall(bool save, const std::string& text) {
    InstallChoices& choices = engine_->Choices();
    if (!save) {
        choices.uninstall = false;
        return true;
    }
    choices.uninstall = true;
    if (text.empty()) {
        ShowError(kInvalidDestination);
        return false;
    }
    const std::string directory = WithTrailingSeparator(ResolvePath(config_.Destination(), text));
    config_.SetLogDirectory(directory);
    DropEarlierFolder(choices.madeLogDirectory, directory, choices.createdLogDirectory);
    std::vector<std::string> made;
    if (!EnsureDirectory(directory, made)) {
        ShowError(kCannotCreateUninstall);
        return false;
    }
    if (!made.empty()) {
        choices.createdLogDirectory = true;
        choices.madeLogDirectory = std::move(made);
    }
    return extension_ == nullptr || extension_->ValidateUninstall(true, directory);
}

bool CSetupSession::RebootRequested() const {
    return config_.GetInt("Finish", "Reboot") != 0;
}

std::vector<FinishOption> CSetupSession::FinishOptions() const {
    std::vector<FinishOption> options;
    const int count = std::min(config_.Count("Finish"), kMaxFinishOptions);
    for (int i = 1; i <= count; ++i) {
        std::string text = config_.GetString("Finish", suite::NumberedKey(i, 'T'));
        if (!text.empty() && !config_.GetString("Finish", suite::NumberedKey(i, 'F')).empty()) {
            options.push_back({i, std::move(text)});
        }
    }
    return options;
}

void CSetupSession::OpenFinishOptions(const std::vector<int>& tickedNumbers) {
    for (const int number : tickedNumbers) {
        const std::string file = config_.GetExpanded("Finish", suite::NumberedKey(number, 'F'));
        if (file.empty()) {
            continue;
        }
        system_.Open(NativePath(file),
                     config_.GetExpanded("Finish", suite::NumberedKey(number, 'C')),
                     NativePath(config_.GetExpanded("Finish", suite::NumberedKey(number, 'P'))));
    }
}

std::string FormatKilobytes(std::uint64_t bytes) {
    const std::string thousands = std::to_string(bytes / 1000);
    std::string grouped;
    for (std::size_t i = 0; i < thousands.size(); ++i) {
        if (i != 0 && (thousands.size() - i) % 3 == 0) {
            grouped += ',';
        }
        grouped += thousands[i];
    }
    return grouped + "." + std::to_string(bytes / 100 % 10) + " KB";
}

}  // namespace qm::setup
