#include "setup/install_engine.h"

#include <filesystem>
#include <system_error>

#include "platform/message_box.h"
#include "platform/registry.h"
#include "setup/desktop_entry.h"
#include "setup/file_copy.h"
#include "setup/program_group_menu.h"
#include "setup/registry_key_name.h"
#include "setup/setup_config.h"
#include "setup/setup_paths.h"
#include "setup/setup_services.h"
#include "setup/setup_strings.h"
#include "setup/uninstall_log.h"
#include "suite/numbered_key.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#else
#include <process.h>
#endif

namespace qm::setup {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUninstallListKey =
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* kSharedDllsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr auto kRegisterAppWait = std::chrono::milliseconds(500);
constexpr unsigned kShortcutMode = 0755;  // desktops start only entries marked executable
constexpr unsigned kPlainFileMode = 0644;

std::string WithFileName(const char* text, const std::string& path) {
    std::string message = text;
    const std::size_t at = message.find("%s");
    if (at != std::string::npos) {
        message.replace(at, 2, FileNamePart(path));
    }
    return message;
}

bool IsDirectory(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

// A document or folder is opened with the desktop's program for it, a program is run.
bool IsRunnable(const std::string& target) {
#if !defined(_WIN32)
    struct stat info {};
    if (stat(target.c_str(), &info) != 0) {
        return true;  // a command found on the search path
    }
    return S_ISREG(info.st_mode) && (info.st_mode & 0111) != 0;
#else
    (void)target;
    return true;
#endif
}

long ProcessId() {
#if !defined(_WIN32)
    return static_cast<long>(getpid());
#else
    return static_cast<long>(_getpid());
#endif
}

std::string StemOf(const std::string& path) {
    return fs::path(FileNamePart(path)).stem().string();
}

}  // namespace

InstallPage::~InstallPage() = default;
void InstallPage::StepStarted(int, const char*) {}
void InstallPage::Advanced(int) {}
void InstallPage::Finished(InstallOutcome) {}

CInstallEngine::CInstallEngine(CSetupConfig& config, SetupServices& services, InstallPage& page)
    : config_(config), services_(services), page_(page), log_(CreateUninstallLog(config.Ini())) {
    choices_.uninstall = !config_.GetString("Uninstall", "LogApp").empty() &&
                         !config_.GetString("Uninstall", "LogFile").empty();
}

int CInstallEngine::RecoverInterruptedRuns(const CSetupConfig& config, SetupServices& services) {
    return CInstallChanges::RecoverInterrupted(config.Folders().windows, services);
}

CInstallEngine::~CInstallEngine() {
    Wait();
}

const char* CInstallEngine::StepLabel(int step) {
    static constexpr const char* kLabels[] = {"1. Preparing Installation", "2. Creating Folders",
                                              "3. Copying Files", "4. Creating Shortcuts",
                                              "5. Updating Registry"};
    return step >= 1 && step <= 5 ? kLabels[step - 1] : "";
}

int CInstallEngine::CountOf(const char* section) const {
    const int count = config_.Count(section);
    return count > 0 ? count : 0;
}

int CInstallEngine::ComputeProgressRange() const {
    int range = 0;
    for (const char* list : {"Folders", "CopyFiles", "SharedFiles", "CopyNoLog", "Shortcuts",
                             "RegKeys", "RegVals", "NoLogKeys", "RegisterServer", "RegisterApp"}) {
        range += CountOf(list);
    }
    if (choices_.uninstall) {
        range += CountOf("LogNoCopy") + CountOf("LogKeys");
    }
    if (config_.HasDesktopShortcut() && choices_.desktopShortcut) {
        ++range;
    }
    return range;
}

bool CInstallEngine::Start() {
    if (Outcome() != InstallOutcome::NotStarted) {
        return false;  // one engine installs once
    }
    config_.MergeComponents();
    uninstall_ = choices_.uninstall && !config_.GetString("Uninstall", "LogApp").empty() &&
                 !config_.GetString("Uninstall", "LogFile").empty();
    uninstallerPath_ = config_.GetString("Uninstall", "LogApp");
    progressRange_ = ComputeProgressRange();
    position_ = 0;
    changes_.OpenJournal(config_.Folders().windows + CInstallChanges::kJournalPrefix +
                         std::to_string(ProcessId()) + CInstallChanges::kJournalExtension);
    run_.Begin();
    bool started = config_.SetUserVariables();
    if (started) {
        started = run_.Launch([this] { Run(); });
        if (!started) {
            ShowMessageBox(kThreadFailed, kCaption, MessageBoxButtons::Ok, MessageBoxIcon::Error);
        }
    }
    if (!started) {
        run_.Abandon();
        page_.Finished(InstallOutcome::Failed);
    }
    return started;
}

void CInstallEngine::Wait() {
    run_.Wait();
}

bool CInstallEngine::RequestCancel() {
    return run_.RequestCancel([this] { return page_.ConfirmAbort(); });
}

InstallOutcome CInstallEngine::Outcome() const {
    return run_.Current();
}

bool CInstallEngine::Proceed() {
    return run_.Proceed();
}

bool CInstallEngine::IsRunning() {
    return run_.IsRunning();
}

void CInstallEngine::Stop() {
    run_.Stop();
}

void CInstallEngine::Advance() {
    page_.Advanced(++position_);
}

// A step that fails shows its message; one stopped by the user's answer or Cancel does not.
bool CInstallEngine::Fail(const char* message) {
    if (IsRunning() && message != nullptr) {
        ShowMessageBox(message, kCaption, MessageBoxButtons::Ok, MessageBoxIcon::Error);
    }
    Stop();
    return false;
}

void CInstallEngine::Run() {
    bool succeeded = false;
    try {
        succeeded = RunSteps();
    } catch (const std::exception&) {
        // Out of memory or a file system that throws: the run ends like a failed step.
        Fail(kPrepareFailed);
    }
    if (succeeded) {
        changes_.Keep();
        services_.NotifyInstalled(config_.Destination(), config_.Group());
    } else {
        changes_.Undo(services_);
        UndoWizardFolders();
    }
    page_.Finished(run_.Finish(succeeded));
}

bool CInstallEngine::RunStep(int step) {
    switch (step) {
        case 1:
            return PrepareStep();
        case 2:
            return FoldersStep();
        case 3:
            return FilesStep();
        case 4:
            return ShortcutsStep();
        case 5:
            return RegistryStep();
    }
    return false;
}

bool CInstallEngine::RunSteps() {
    for (int step = 1; step <= 5; ++step) {
        if (!Proceed()) {
            return false;
        }
        page_.StepStarted(step, StepLabel(step));
        if (!RunStep(step)) {
            return false;
        }
    }
    return true;
}

// The folders the wizard's pages made for this run go when the run is taken back.
void CInstallEngine::UndoWizardFolders() {
    const auto undo = [](bool created, const std::string& folder,
                         const std::vector<std::string>& made) {
        if (!created) {
            return;
        }
        std::error_code ec;
        fs::remove(folder, ec);
        for (auto it = made.rbegin(); it != made.rend(); ++it) {
            fs::remove(*it, ec);  // a parent that holds something else stays
        }
    };
    undo(choices_.createdLogDirectory, config_.LogDirectory(), choices_.madeLogDirectory);
    undo(choices_.createdGroup, config_.Group(), choices_.madeGroup);
    undo(choices_.createdDestination, config_.Destination(), choices_.madeDestination);
}

bool CInstallEngine::PrepareStep() {
    struct Folder {
        const std::string& path;
        bool& created;
        bool wanted;
        std::vector<std::string> made;  // with the missing parents, parents first
    };
    // What the pages made is logged as what this step makes.
    Folder folders[] = {
        {config_.Destination(), choices_.createdDestination, true, choices_.madeDestination},
        {config_.Group(), choices_.createdGroup, true, choices_.madeGroup},
        {config_.LogDirectory(), choices_.createdLogDirectory, uninstall_,
         choices_.madeLogDirectory}};
    for (Folder& folder : folders) {
        if (!folder.wanted || IsDirectory(folder.path)) {
            continue;
        }
        if (!changes_.CreateDirectories(folder.path, &folder.made)) {
            return Fail(kPrepareFailed);
        }
        folder.created = true;
    }
    // The folders Setup made beyond those it was asked for (the stand-ins of system folders,
    // missing parents) are logged too, parents first, so that Uninstall leaves none of them
    // behind once they are empty.
    for (const std::string& made : config_.CreatedSystemFolders()) {
        AppendLogEntry(log_, "Folders", made);
    }
    for (const Folder& folder : folders) {
        if (folder.wanted && folder.created) {
            LogMadeParents(folder.made);
            AppendLogEntry(log_, "Folders", folder.path);
        }
    }
    const std::string logFile = config_.GetExpanded("Uninstall", "LogFile");
    if (logFile.empty()) {
        uninstall_ = false;
    } else {
        logPath_ = ResolvePath(config_.LogDirectory(), logFile);
    }
    return true;
}

void CInstallEngine::LogMadeParents(const std::vector<std::string>& made) {
    for (std::size_t i = 0; i + 1 < made.size(); ++i) {
        AppendLogEntry(log_, "Folders", made[i]);
    }
}

bool CInstallEngine::FoldersStep() {
    const int count = config_.Count("Folders");
    for (int i = 1; i <= count; ++i) {
        if (!Proceed()) {
            return false;
        }
        const std::string value = config_.GetExpanded("Folders", suite::NumberedKey(i));
        Advance();
        if (value.empty()) {
            continue;
        }
        const std::string folder =
            WithTrailingSeparator(ResolvePath(config_.Destination(), WithTrailingSeparator(value)));
        std::vector<std::string> made;
        if (!changes_.CreateDirectories(folder, &made)) {
            return Fail(kFoldersFailed);
        }
        LogMadeParents(made);
        AppendLogEntry(log_, "Folders", folder);
    }
    return true;
}

bool CInstallEngine::FilesStep() {
    if (uninstall_) {
        const std::string app = config_.GetString("Uninstall", "LogApp");
        const std::string source = NativePath(JoinToBase(config_.CurrentDirectory(), app));
        const std::string to = config_.GetExpanded("Uninstall", "LogAppTo");
        const std::string destination = to.empty()
                                            ? NativePath(JoinToBase(config_.Folders().windows, app))
                                            : ResolvePath(config_.Folders().windows, to);
        if (CopyFileByRule(source, destination)) {
            uninstallerPath_ = destination;
        } else {
            uninstall_ = false;
        }
    }
    if (!CopyList("CopyFiles", "Files", false) || !CopyList("CopyNoLog", nullptr, false)) {
        return false;
    }
    if (uninstall_) {
        const int count = config_.Count("LogNoCopy");
        for (int i = 1; i <= count; ++i) {
            if (!Proceed()) {
                return false;
            }
            const std::string value = config_.GetExpanded("LogNoCopy", suite::NumberedKey(i));
            if (!value.empty()) {
                AppendLogEntry(log_, "Files", ResolvePath(config_.Destination(), value));
            }
            Advance();
        }
    }
    return CopyList("SharedFiles", "SharedFiles", true);
}

bool CInstallEngine::CopyList(const char* section, const char* logSection, bool shared) {
    const int count = config_.Count(section);
    for (int i = 1; i <= count; ++i) {
        if (!Proceed()) {
            return false;
        }
        const std::string sourceValue = config_.GetExpanded(section, suite::NumberedKey(i, 'S'));
        const std::string destinationValue =
            config_.GetExpanded(section, suite::NumberedKey(i, 'D'));
        const std::string source = ResolvePath(config_.CurrentDirectory(), sourceValue);
        if (source.empty()) {
            Advance();
            continue;
        }
        const std::string destination =
            destinationValue.empty()
                ? NativePath(JoinToBase(config_.Destination(), FileNamePart(source)))
                : ResolvePath(config_.Destination(), destinationValue);
        const bool copied = CopyFileByRule(source, destination);
        Advance();
        if (!copied) {
            return Fail(kFilesFailed);
        }
        if (shared) {
            RaiseReferenceCount(destination);
        }
        if (logSection != nullptr) {
            AppendLogEntry(log_, logSection, destination);
        }
    }
    return true;
}

void CInstallEngine::RaiseReferenceCount(const std::string& path) {
    constexpr auto root = RegistryRoot::LocalMachine;
    if (!RegistryKeyExists(root, kSharedDllsKey)) {
#if defined(_WIN32)
        return;  // the system keeps this key; without it there is nothing to count in
#else
        // No system keeps this key here; the suite's own store starts it.
        if (!changes_.CreateKey(root, kSharedDllsKey)) {
            return;
        }
#endif
    }
    const auto count = RegistryGetDword(root, kSharedDllsKey, path);
    changes_.SetDword(root, kSharedDllsKey, path, count ? *count + 1 : 1);
}

bool CInstallEngine::AskToContinue(const std::string& text) {
    if (ShowMessageBox(text, kCaption, MessageBoxButtons::YesNo, MessageBoxIcon::Question) ==
        MessageBoxResult::Yes) {
        return true;
    }
    Stop();
    return false;
}

bool CInstallEngine::CopyFileByRule(const std::string& source, const std::string& destination) {
    if (source.empty() || destination.empty()) {
        return true;
    }
    switch (CopyNewFile(source, destination)) {
        case CopyResult::Copied:
            changes_.FileCreated(destination);
            return true;
        case CopyResult::SourceMissing:
            return AskToContinue(WithFileName(kSourceMissing, source));
        case CopyResult::DestinationExists:
        case CopyResult::Failed:
            break;
    }
    if (!PathExists(source)) {
        return AskToContinue(WithFileName(kSourceMissing, source));
    }
    if (!PathExists(destination)) {
        const auto free = services_.FreeSpace(fs::path(destination).parent_path().string());
        const auto size = FileSize(source);
        if (free && size && *free < *size && !AskToContinue(kNotEnoughSpace)) {
            return false;
        }
        return ReplaceFile(source, destination);
    }
    const auto newVersion = services_.Version(source);
    const auto oldVersion = newVersion ? services_.Version(destination) : std::nullopt;
    if (newVersion && oldVersion) {
        if (newVersion->version > oldVersion->version) {
            return ReplaceFile(source, destination);
        }
        if (newVersion->version < oldVersion->version) {
            return AskAboutInstalledFile(KeepFileReason::OlderFile, source, destination);
        }
        if (newVersion->translation != oldVersion->translation) {
            return AskAboutInstalledFile(KeepFileReason::OtherLanguage, source, destination);
        }
    }
    const auto newTime = LastWriteTime(source);
    const auto oldTime = LastWriteTime(destination);
    if (!newTime || !oldTime || *newTime >= *oldTime) {
        return ReplaceFile(source, destination);
    }
    return AskAboutInstalledFile(KeepFileReason::OlderFile, source, destination);
}

bool CInstallEngine::ReplaceFile(const std::string& source, const std::string& destination) {
    const bool existed = PathExists(destination);
    if (existed && !changes_.SetAside(destination)) {
        return false;
    }
    if (CopyNewFile(source, destination) == CopyResult::Copied) {
        if (!existed) {
            changes_.FileCreated(destination);
        }
        return true;
    }
    if (existed) {
        changes_.PutBackLast();
    }
    return false;
}

bool CInstallEngine::AskAboutInstalledFile(KeepFileReason reason, const std::string& source,
                                           const std::string& destination) {
    Remembered& memory = reason == KeepFileReason::OlderFile ? olderChoice_ : otherLanguageChoice_;
    if (memory == Remembered::KeepAll) {
        return true;
    }
    if (memory == Remembered::ReplaceAll) {
        return ReplaceFile(source, destination);
    }
    switch (page_.AskKeepFile(FileNamePart(destination), reason)) {
        case KeepFileAnswer::YesToAll:
            memory = Remembered::KeepAll;
            [[fallthrough]];
        case KeepFileAnswer::Yes:
            return true;
        case KeepFileAnswer::NoToAll:
            memory = Remembered::ReplaceAll;
            [[fallthrough]];
        case KeepFileAnswer::No:
            return ReplaceFile(source, destination);
        case KeepFileAnswer::Cancel:
            break;
    }
    Stop();
    return false;
}

bool CInstallEngine::CreateShortcut(const std::string& link, const std::string& target,
                                    const std::vector<std::string>& arguments) {
    return changes_.WriteFile(
        link, DesktopEntryText(StemOf(link), target, arguments, IsRunnable(target)), kShortcutMode);
}

void CInstallEngine::LogShortcut(const std::string& link) {
    if (fs::path(link).parent_path() == fs::path(config_.Group()).parent_path()) {
        groupEntries_.push_back(FileNamePart(link));
    }
    if (uninstall_) {
        AppendLogEntry(log_, "Shortcuts", link);
    }
}

// The group's entries become one submenu of the desktop's menu. The menu file is logged
// like the entries, so that the uninstaller removes it with them.
void CInstallEngine::WriteProgramGroupMenu() {
    const std::string& menus = config_.Folders().menus;
    const ProgramGroupMenu menu =
        MakeProgramGroupMenu(config_.Folders().programs, config_.Group(), groupEntries_);
    std::vector<std::string> made;
    if (menu.fileName.empty() || menus.empty() || !changes_.CreateDirectories(menus, &made)) {
        return;
    }
    if (uninstall_) {
        for (const std::string& folder : made) {
            AppendLogEntry(log_, "Folders", folder);
        }
    }
    const std::string path = menus + menu.fileName;
    if (changes_.WriteFile(path, menu.text, kPlainFileMode) && uninstall_) {
        AppendLogEntry(log_, "Shortcuts", path);
    }
}

bool CInstallEngine::ShortcutsStep() {
    if (!services_.PrepareShortcuts()) {
        ShowMessageBox(kShellObjectsUnavailable, kCaption, MessageBoxButtons::Ok,
                       MessageBoxIcon::Error);
        return true;
    }
    const int count = config_.Count("Shortcuts");
    for (int i = 1; i <= count; ++i) {
        if (!Proceed()) {
            return false;
        }
        const std::string link = config_.GetExpanded("Shortcuts", suite::NumberedKey(i, 'L'));
        const std::string target = config_.GetExpanded("Shortcuts", suite::NumberedKey(i, 'T'));
        const std::string arguments = config_.GetExpanded("Shortcuts", suite::NumberedKey(i, 'C'));
        Advance();
        if (link.empty() || target.empty()) {
            continue;
        }
        const std::string path = ShortcutFileName(ResolvePath(config_.Group(), link));
        if (CreateShortcut(path, NativePath(target), SplitCommandLine(arguments))) {
            LogShortcut(path);
        }
    }
    const std::string uninstallLink = config_.GetExpanded("Uninstall", "Shortcut");
    if (uninstall_ && !uninstallerPath_.empty() && !logPath_.empty() && !uninstallLink.empty()) {
        const std::string path = ShortcutFileName(ResolvePath(config_.Group(), uninstallLink));
        if (CreateShortcut(path, uninstallerPath_, {logPath_})) {
            LogShortcut(path);
        }
    }
    WriteProgramGroupMenu();
    if (config_.HasDesktopShortcut() && choices_.desktopShortcut) {
        if (!Proceed()) {
            return false;
        }
        const std::string name = config_.GetExpanded("Desktop", "Name");
        const std::string target = config_.GetExpanded("Desktop", "Target");
        const std::string arguments = config_.GetExpanded("Desktop", "Command");
        const std::string& desktop = config_.Folders().desktop;
        if (!target.empty()) {
            const std::string path = ShortcutFileName(ResolvePath(desktop, name));
            if (CreateShortcut(path, NativePath(target), SplitCommandLine(arguments))) {
                LogShortcut(path);
            }
        } else if (const std::string path = ResolvePath(desktop, name);
                   changes_.WriteFile(path, "", kPlainFileMode)) {
            LogShortcut(path);
        }
        Advance();
    }
    return true;
}

void CInstallEngine::LogKey(const std::string& keyText) {
    AppendLogEntry(log_, "RegKeys", keyText);
}

bool CInstallEngine::RegistryStep() {
    if (const auto product = ParseRegistryKey(config_.ProductKey())) {
        if (changes_.CreateKey(product->root, product->subkey)) {
            LogKey(product->Text());
        }
    }
    const std::string winKey = config_.GetString("Uninstall", "WinKey");
    const std::string winName = config_.GetString("Uninstall", "WinName");
    if (uninstall_ && !winKey.empty() && !winName.empty()) {
        const auto key = ParseRegistryKey(winKey).value_or(
            ParseRegistryKey(kUninstallListKey + winKey).value_or(RegistryKeyName{}));
        const std::string command = uninstallerPath_ + " " + logPath_;
        if (changes_.SetString(key.root, key.subkey, "DisplayName", winName) &&
            changes_.SetString(key.root, key.subkey, "UninstallString", command)) {
            LogKey(key.Text());
        }
    }
    CreateRegistryKeys("RegKeys", true, true);
    CreateRegistryKeys("NoLogKeys", true, false);
    if (uninstall_) {
        CreateRegistryKeys("LogKeys", false, true);
    }
    WriteRegistryValues();
    RegisterServers();
    RegisterPrograms();
    if (!IsRunning()) {
        return false;
    }
    if (uninstall_ && !SaveLog()) {
        ShowMessageBox(kLogSaveFailed, kCaption, MessageBoxButtons::Ok, MessageBoxIcon::Error);
    }
    return true;
}

// The log of an earlier installation at the same place is kept aside like a replaced file,
// so that a run killed before it ends takes its own log back too.
bool CInstallEngine::SaveLog() {
    const bool existed = PathExists(logPath_);
    if (existed && !changes_.SetAside(logPath_)) {
        return log_.Save(logPath_);
    }
    if (log_.Save(logPath_)) {
        if (!existed) {
            changes_.FileCreated(logPath_);
        }
        return true;
    }
    if (existed) {
        changes_.PutBackLast();
    }
    return false;
}

void CInstallEngine::CreateRegistryKeys(const char* section, bool create, bool log) {
    const int count = config_.Count(section);
    for (int i = 1; i <= count && Proceed(); ++i) {
        const auto key = ResolveRegistryKey(config_.GetString(section, suite::NumberedKey(i)),
                                            config_.ProductKey());
        Advance();
        if (key && (!create || changes_.CreateKey(key->root, key->subkey)) && log) {
            LogKey(key->Text());
        }
    }
}

void CInstallEngine::WriteRegistryValues() {
    const int count = config_.Count("RegVals");
    for (int i = 1; i <= count && Proceed(); ++i) {
        const auto key = ResolveRegistryKey(
            config_.GetString("RegVals", suite::NumberedKey(i, 'K')), config_.ProductKey());
        const std::string name = config_.GetExpanded("RegVals", suite::NumberedKey(i, 'V'));
        Advance();
        if (!key) {
            continue;
        }
        const int type =
            name.empty() ? 0 : config_.GetInt("RegVals", suite::NumberedKey(i, 'T'), 0);
        const bool written =
            type != 0
                ? changes_.SetDword(key->root, key->subkey, name,
                                    static_cast<std::uint32_t>(
                                        config_.GetInt("RegVals", suite::NumberedKey(i, 'D'), 0)))
                : changes_.SetString(key->root, key->subkey, name,
                                     config_.GetExpanded("RegVals", suite::NumberedKey(i, 'D')));
        if (written && !name.empty()) {
            AppendLogValue(log_, key->Text(), name);
        }
    }
}

void CInstallEngine::RegisterServers() {
    const int count = config_.Count("RegisterServer");
    for (int i = 1; i <= count && Proceed(); ++i) {
        const std::string library = config_.GetExpanded("RegisterServer", suite::NumberedKey(i));
        Advance();
        if (!library.empty() &&
            services_.CallServerEntry(NativePath(library), "DllRegisterServer")) {
            changes_.ServerRegistered(NativePath(library));
            AppendLogEntry(log_, "RegisterServer", library);
        }
    }
}

void CInstallEngine::RegisterPrograms() {
    const int count = config_.Count("RegisterApp");
    for (int i = 1; i <= count && Proceed(); ++i) {
        const std::string program = config_.GetExpanded("RegisterApp", suite::NumberedKey(i));
        Advance();
        if (!program.empty() &&
            services_.StartProgram(NativePath(program), "/RegServer", kRegisterAppWait)) {
            changes_.ProgramRegistered(NativePath(program));
            AppendLogEntry(log_, "RegisterApp", program);
        }
    }
}

}  // namespace qm::setup
