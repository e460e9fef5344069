#include "patchbench/engine/tool_launcher.h"

#include "patchbench/engine/editor_texts.h"
#include "patchbench/engine/patch_editor.h"
#include "platform/ipc.h"
#include "platform/message_box.h"
#include "platform/registry.h"

namespace patchbench {
namespace {

void Inform(const char* text, qm::MessageBoxIcon icon) {
    qm::ShowMessageBox(text, kProgramTitle, qm::MessageBoxButtons::Ok, icon);
}

}  // namespace

bool RestoreTool(const std::string& endpoint, std::chrono::milliseconds timeout) {
    const std::string restore = suite::kRestoreCommand;
    return qm::IpcSend(endpoint, {suite::kSysCommandMessage, {restore.begin(), restore.end()}},
                       timeout);
}

bool BringUpSibling(const SiblingTool& tool, std::chrono::milliseconds startWait) {
    if (suite::FindOrStartTool(tool.tool, startWait) &&
        RestoreTool(tool.tool.windowClass, std::chrono::milliseconds(500))) {
        return true;
    }
    Inform(tool.missingText, qm::MessageBoxIcon::Information);
    return false;
}

InstallOutcome InstallPatch(PatchEditor& editor) {
    if (!editor.AskToSave() || editor.Patch() == nullptr || editor.Path().empty()) {
        return InstallOutcome::Declined;
    }
    std::string installer =
        qm::RegistryGetString(qm::RegistryRoot::LocalMachine, kInstallerKey, "").value_or("");
    if (installer.empty()) {
        installer = FindOnSearchPath(kInstallerProgram).value_or("");
    }
    if (installer.empty()) {
        Inform(kInstallerMissingText, qm::MessageBoxIcon::Information);
        return InstallOutcome::NotFound;
    }
    if (!StartProgram(installer, {editor.Path()})) {
        Inform(kInstallerFailedText, qm::MessageBoxIcon::Error);
        return InstallOutcome::Failed;
    }
    return InstallOutcome::Started;
}

}  // namespace patchbench
