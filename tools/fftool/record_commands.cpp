// The records PatchApply keeps of its installations: list them, and take one back out.
#include <cstdio>

#include "suite/install_record.h"
#include "suite/uninstall.h"
#include "tools/fftool/fftool.h"

namespace fftool {
namespace {

int RunInstalled(Context& context) {
    if (!context.Args().empty()) {
        return UsageError("installed takes no arguments");
    }
    for (const suite::InstallRecord& record : suite::ListInstallRecords()) {
        std::printf("%s\t%s\t%s\n", record.title.c_str(), record.time.c_str(),
                    record.folder.c_str());
    }
    return kExitOk;
}

int RunUninstall(Context& context) {
    bool force = false;
    std::string name;
    for (const std::string& arg : context.Args()) {
        if (arg == "--force") {
            force = true;
        } else if (name.empty()) {
            name = arg;
        } else {
            return UsageError("uninstall takes one record");
        }
    }
    if (name.empty()) {
        return UsageError("uninstall needs a record (see 'fftool installed')");
    }
    const std::string folder = suite::ResolveRecordFolder(name);
    auto record = suite::ReadInstallRecord(folder);
    if (!record) {
        return Failure("'" + folder + "' holds no record of an installed patch");
    }
    const PACKLIBEXPORT* packLib = context.PackLib();
    const PATCHLIBEXPORT* patchLib = context.PatchLib();
    if (packLib == nullptr || patchLib == nullptr) {
        return kExitFailure;
    }
    suite::Uninstaller uninstaller(*packLib, *patchLib, std::move(*record));
    std::string error;
    if (!uninstaller.Load(&error)) {
        return Failure(error);
    }
    if (!uninstaller.ChangedItems().empty() && !force) {
        for (const std::string& line : uninstaller.ChangedItems()) {
            std::fprintf(stderr, "fftool: %s\n", line.c_str());
        }
        return Failure(
            "nothing was uninstalled: items changed since the patch was installed "
            "(--force puts the old bytes back over them)");
    }
    if (!uninstaller.Restore(force, &error)) {
        return Failure(error);
    }
    return kExitOk;
}

const Command kCommands[] = {
    {"installed", "", "list the patches PatchApply installed: title, date (UTC) and record folder",
     RunInstalled},
    {"uninstall", "[--force] RECORD",
     "take an installed patch back out (RECORD: a folder or folder name 'installed' lists)",
     RunUninstall},
};

}  // namespace

std::span<const Command> RecordCommands() {
    return kCommands;
}

}  // namespace fftool
