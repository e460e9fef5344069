#include "uninstall/uninstall_engine.h"

#include <filesystem>
#include <system_error>

#include "platform/message_box.h"
#include "platform/registry.h"
#include "suite/numbered_key.h"
#include "uninstall/removal_log.h"
#include "uninstall/uninstall_services.h"
#include "uninstall/uninstall_strings.h"

namespace qm::uninstall {

namespace {

namespace fs = std::filesystem;

constexpr const char* kSharedDllsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr auto kUnregisterWait = std::chrono::milliseconds(500);

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

bool IsDirectory(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

}  // namespace

std::function<bool()> CUninstallEngine::threadFailureForTesting;

UninstallPage::~UninstallPage() = default;
void UninstallPage::StepStarted(int, const char*) {}
void UninstallPage::Advanced(int) {}
void UninstallPage::Finished(UninstallOutcome) {}

CUninstallEngine::CUninstallEngine(const CIniDocument& log, UninstallServices& services,
                                   UninstallPage& page)
    : log_(log), services_(services), page_(page) {
    for (const char* list : {"Folders", "Files", "SharedFiles", "Shortcuts", "RegKeys", "RegVals",
                             "RegisterServer", "RegisterApp"}) {
        progressRange_ += ListCount(log_, list);
    }
}

CUninstallEngine::~CUninstallEngine() {
    Wait();
}

const char* CUninstallEngine::StepLabel(int step) {
    static constexpr const char* kLabels[] = {"1. Preparing Uninstallation", "2. Deleting Files",
                                              "3. Deleting Shortcuts", "4. Removing Folders",
                                              "5. Updating Registry"};
    return step >= 1 && step <= 5 ? kLabels[step - 1] : "";
}

bool CUninstallEngine::Start() {
    if (!run_.Begin()) {
        return false;  // one engine removes once
    }
    bool started = !(threadFailureForTesting && threadFailureForTesting());
    if (started) {
        started = run_.Launch([this] { Run(); });
    }
    if (!started) {
        ShowMessageBox(kThreadFailed, kCaption, MessageBoxButtons::Ok, MessageBoxIcon::Error);
        run_.Abandon();
        page_.Finished(UninstallOutcome::Failed);
    }
    return started;
}

void CUninstallEngine::Wait() {
    run_.Wait();
}

bool CUninstallEngine::RequestCancel() {
    return run_.RequestCancel([this] { return page_.ConfirmAbort(); });
}

UninstallOutcome CUninstallEngine::Outcome() const {
    return run_.Current();
}

bool CUninstallEngine::EverythingRemoved() const {
    std::lock_guard lock(resultMutex_);
    return everythingRemoved_;
}

bool CUninstallEngine::RestartNeeded() const {
    std::lock_guard lock(resultMutex_);
    return restartNeeded_;
}

bool CUninstallEngine::Proceed() {
    return run_.Proceed();
}

void CUninstallEngine::Advance() {
    page_.Advanced(++position_);
}

void CUninstallEngine::Run() {
    bool succeeded = false;
    try {
        succeeded = RunSteps();
    } catch (const std::exception&) {
        // Out of memory or a file system that throws: the run ends like a failed step.
        ShowMessageBox(kPrepareFailed, kCaption, MessageBoxButtons::Ok, MessageBoxIcon::Error);
    }
    if (succeeded) {
        services_.NotifyRemoved();
    }
    page_.Finished(run_.Finish(succeeded));
}

bool CUninstallEngine::RunSteps() {
    page_.StepStarted(1, StepLabel(1));
    if (!PrepareStep()) {
        return false;
    }
    const std::function<void()> steps[] = {
        [this] { DeleteFilesStep(); }, [this] { DeleteShortcutsStep(); },
        [this] { RemoveFoldersStep(); }, [this] { RegistryStep(); }};
    int step = 2;
    for (const auto& run : steps) {
        if (!Proceed()) {
            return false;
        }
        page_.StepStarted(step, StepLabel(step));
        run();
        ++step;
    }
    return Proceed();
}

bool CUninstallEngine::ForEachEntryUntil(const char* section,
                                         const std::function<bool(const std::string&)>& act,
                                         bool* failed) {
    for (int i = ListCount(log_, section); i >= 1; --i) {
        if (!Proceed()) {
            return false;
        }
        const std::string value = log_.GetString(section, suite::NumberedKey(i), "");
        const bool ok = value.empty() || act(value);
        Advance();
        if (!ok) {
            *failed = true;
            return true;
        }
    }
    return true;
}

bool CUninstallEngine::ForEachEntry(const char* section,
                                    const std::function<void(const std::string&)>& act) {
    bool failed = false;
    return ForEachEntryUntil(
        section,
        [&act](const std::string& value) {
            act(value);
            return true;
        },
        &failed);
}

bool CUninstallEngine::PrepareStep() {
    bool failed = false;
    const auto unregisterServer = [this](const std::string& library) {
        if (!Exists(library)) {
            return true;
        }
        const std::optional<long> result = services_.CallUnregisterServer(library);
        return !result || *result == 0;
    };
    const auto unregisterProgram = [this](const std::string& program) {
        return !Exists(program) || services_.StartProgram(program, "/UnRegServer", kUnregisterWait);
    };
    if (!ForEachEntryUntil("RegisterServer", unregisterServer, &failed)) {
        return false;
    }
    if (!failed && !ForEachEntryUntil("RegisterApp", unregisterProgram, &failed)) {
        return false;
    }
    if (failed) {
        ShowMessageBox(kPrepareFailed, kCaption, MessageBoxButtons::Ok, MessageBoxIcon::Error);
        return false;
    }
    return true;
}

void CUninstallEngine::RemoveOrSchedule(const std::string& path) {
    if (services_.DeleteFile(path)) {
        return;
    }
    services_.ScheduleDeletion(path);
    std::lock_guard lock(resultMutex_);
    everythingRemoved_ = false;
    restartNeeded_ = true;
}

void CUninstallEngine::RemoveSharedFile(const std::string& path) {
    constexpr auto root = RegistryRoot::LocalMachine;
    const std::optional<std::uint32_t> count = RegistryGetDword(root, kSharedDllsKey, path);
    if (count && *count > 1) {
        RegistrySetDword(root, kSharedDllsKey, path, *count - 1);
        return;
    }
    RegistryDeleteValue(root, kSharedDllsKey, path);
    RemoveOrSchedule(path);
}

void CUninstallEngine::DeleteFilesStep() {
    const auto remove = [this](const std::string& path) {
        if (Exists(path)) {
            RemoveOrSchedule(path);
        }
    };
    const auto removeShared = [this](const std::string& path) {
        if (Exists(path)) {
            RemoveSharedFile(path);
        }
    };
    if (!ForEachEntry("Files", remove) || !ForEachEntry("SharedFiles", removeShared)) {
        return;
    }
#if !defined(_WIN32)
    // No system keeps the counts here: Setup started the key in the suite's store, and the
    // last shared file takes it away again.
    constexpr auto root = RegistryRoot::LocalMachine;
    if (RegistryKeyExists(root, kSharedDllsKey) &&
        RegistryEnumValues(root, kSharedDllsKey).empty() &&
        RegistryEnumSubkeys(root, kSharedDllsKey).empty()) {
        RegistryDeleteKey(root, kSharedDllsKey);
    }
#endif
}

void CUninstallEngine::DeleteShortcutsStep() {
    const bool going = ForEachEntry("Shortcuts", [this](const std::string& path) {
        if (Exists(path)) {
            RemoveOrSchedule(path);
        }
    });
    if (going && !log_.Path().empty() && Exists(log_.Path())) {
        RemoveOrSchedule(log_.Path());
    }
}

void CUninstallEngine::RemoveFoldersStep() {
    ForEachEntry("Folders", [this](const std::string& path) {
        if (IsDirectory(path) && !services_.RemoveEmptyFolder(path)) {
            std::lock_guard lock(resultMutex_);
            everythingRemoved_ = false;
        }
    });
}

void CUninstallEngine::RegistryStep() {
    for (int i = ListCount(log_, "RegVals"); i >= 1; --i) {
        if (!Proceed()) {
            return;
        }
        const std::string key = log_.GetString("RegVals", suite::NumberedKey(i, 'K'), "");
        const std::string name = log_.GetString("RegVals", suite::NumberedKey(i, 'V'), "");
        if (const auto parsed = ParseLogRegistryKey(key); parsed && !name.empty()) {
            RegistryDeleteValue(parsed->root, parsed->subkey, name);
        }
        Advance();
    }
    ForEachEntry("RegKeys", [](const std::string& key) {
        if (const auto parsed = ParseLogRegistryKey(key)) {
            RegistryDeleteKey(parsed->root, parsed->subkey);
        }
    });
}

}  // namespace qm::uninstall
