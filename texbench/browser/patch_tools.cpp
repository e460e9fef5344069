#include "texbench/browser/patch_tools.h"

#include <vector>

#include "platform/ipc.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "suite/program_start.h"
#include "suite/single_instance.h"
#include "texbench/startup/product_name.h"

namespace texbench {
namespace {

struct PatchToolFacts {
    const char* programKey;  // below HKEY_LOCAL_MACHINE; its default value is the program path
    const char* programName;
    const char* missing;
    const char* failed;
    const char* dialogTitle;
};

const PatchToolFacts& FactsOf(PatchTool tool) {
    static constexpr PatchToolFacts kEditor{suite::kPatchBenchTool.programKey, "PatchBench.exe",
                                            kEditorMissing, kEditorFailed, nullptr};
    static constexpr PatchToolFacts kOpen{suite::kPatchBenchTool.programKey, "PatchBench.exe",
                                          kEditorMissing, kEditorFailed, kOpenPatchTitle};
    static constexpr PatchToolFacts kInstall{"Software\\Quillmark\\FastFile Patch Installer",
                                             "PatchApply.exe", kInstallerMissing, kInstallerFailed,
                                             kInstallPatchTitle};
    switch (tool) {
        case PatchTool::New:
            return kEditor;
        case PatchTool::Open:
            return kOpen;
        case PatchTool::Install:
            break;
    }
    return kInstall;
}

void ShowError(const char* text) {
    qm::ShowMessageBox(text, kProductName, qm::MessageBoxButtons::Ok, qm::MessageBoxIcon::Error);
}

bool AskToFront(std::chrono::milliseconds timeout) {
    const std::string restore = suite::kRestoreCommand;
    return qm::IpcSend(suite::kPatchBenchWindowClass,
                       {suite::kSysCommandMessage, {restore.begin(), restore.end()}}, timeout);
}

}  // namespace

PatchHandOver AddToPatch(std::span<const std::uint8_t> block, std::chrono::milliseconds timeout) {
    if (!suite::FindOrStartTool(suite::kPatchBenchTool, timeout)) {
        return PatchHandOver::EditorMissing;
    }
    AskToFront(timeout);
    if (block.empty()) {
        return PatchHandOver::NothingSent;
    }
    const qm::IpcMessage message{suite::kTransferBlockMessage, {block.begin(), block.end()}};
    return qm::IpcSend(suite::kPatchBenchWindowClass, message, timeout)
               ? PatchHandOver::Sent
               : PatchHandOver::NotAnswered;
}

PatchHandOver PatchButton(std::span<const std::uint8_t> block, std::chrono::milliseconds timeout) {
    if (!suite::FindOrStartTool(suite::kPatchBenchTool, timeout)) {
        ShowError(kEditorFailed);
        return PatchHandOver::EditorMissing;
    }
    return AddToPatch(block, timeout);
}

const char* PatchToolDialogTitle(PatchTool tool) {
    return FactsOf(tool).dialogTitle;
}

bool RunPatchTool(PatchTool tool, const std::function<std::optional<std::string>()>& askPatch) {
    const PatchToolFacts& facts = FactsOf(tool);
    std::string program =
        qm::RegistryGetString(qm::RegistryRoot::LocalMachine, facts.programKey, "").value_or("");
    if (program.empty()) {
        program = suite::FindOnSearchPath(facts.programName).value_or("");
    }
    if (program.empty()) {
        ShowError(facts.missing);
        return false;
    }
    std::vector<std::string> arguments;
    if (facts.dialogTitle != nullptr) {
        const std::optional<std::string> patch = askPatch();
        if (!patch) {
            return false;
        }
        arguments.push_back(*patch);
    }
    if (!suite::StartProgram(program, arguments)) {
        ShowError(facts.failed);
        return false;
    }
    return true;
}

}  // namespace texbench
