#include "patchapply/uninstall_engine.h"

#include "patchapply/installer_texts.h"
#include "platform/library_binding.h"
#include "platform/message_box.h"
#include "suite/uninstall.h"

namespace patchapply {
namespace {

bool Fail(const std::string& details) {
    qm::ShowMessageBox(kUninstallFailed, kUninstallTitle, qm::MessageBoxButtons::Ok,
                       qm::MessageBoxIcon::Error, details);
    return false;
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += (text.empty() ? "" : "\n") + line;
    }
    return text;
}

}  // namespace

bool RunUninstall(const PACKLIBEXPORT& packLib, const PATCHLIBEXPORT& patchLib,
                  const CommandLine& command, InstallFrontEnd& frontEnd) {
    const std::string folder = suite::ResolveRecordFolder(command.fileName);
    auto record = suite::ReadInstallRecord(folder);
    if (command.fileName.empty() || !record) {
        return Fail("\"" + folder + "\" holds no record of an installed patch");
    }
    suite::Uninstaller uninstaller(packLib, patchLib, std::move(*record));
    std::string error;
    if (!uninstaller.Load(&error)) {
        return Fail(error);
    }
    bool force = command.force;
    if (!uninstaller.ChangedItems().empty() && !force) {
        const auto answer =
            qm::ShowMessageBox(kUninstallChanged, kUninstallTitle, qm::MessageBoxButtons::YesNo,
                               qm::MessageBoxIcon::Question, Lines(uninstaller.ChangedItems()));
        if (answer != qm::MessageBoxResult::Yes) {
            frontEnd.NothingInstalled("items changed since the installation; nothing was undone");
            return false;
        }
        force = true;
    }
    if (!uninstaller.Restore(force, &error)) {
        return Fail(error);
    }
    if (!command.quiet) {
        qm::ShowMessageBox(kUninstalled, kUninstallTitle, qm::MessageBoxButtons::Ok,
                           qm::MessageBoxIcon::Information);
    }
    frontEnd.Broadcast();
    return true;
}

int ListInstalledPatches(std::FILE* out) {
    const std::vector<suite::InstallRecord> records = suite::ListInstallRecords();
    if (records.empty()) {
        std::fprintf(out, "No Fastfile patches are installed.\n");
        return 0;
    }
    for (const suite::InstallRecord& record : records) {
        std::fprintf(out, "%s  %s\n    patchapply -uninstall %s\n", record.time.c_str(),
                     record.title.c_str(), record.folder.c_str());
    }
    return 0;
}

bool RunUninstaller(const CommandLine& command, InstallFrontEnd& frontEnd) {
    qm::LibraryBinding<PACKLIBEXPORT> packLib;
    qm::LibraryBinding<PATCHLIBEXPORT> patchLib;
    if (!packLib.Bind("PackLib.dll", "PackLibInit") ||
        !patchLib.Bind("PatchLib.dll", "PatchLibInit")) {
        return Fail(kNoLibrary);
    }
    return RunUninstall(packLib.Record(), patchLib.Record(), command, frontEnd);
}

}  // namespace patchapply
