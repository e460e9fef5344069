#include "patchapply/install_engine.h"

#include <cstring>
#include <filesystem>
#include <memory>

#include "patchapply/failure_details.h"
#include "patchapply/install_loop.h"
#include "patchapply/install_recording.h"
#include "patchapply/installer_texts.h"
#include "platform/library_binding.h"
#include "platform/message_box.h"

namespace patchapply {
namespace {

void ShowStop(const char* text, const std::string& details = "") {
    qm::ShowMessageBox(text, kTitle, qm::MessageBoxButtons::Ok, qm::MessageBoxIcon::Error, details);
}

std::string CutText(const char* field) {
    std::string text(field, strnlen(field, KDZ_MAX_TEXT));
    return text.substr(0, 256);
}

// A patch name names a file we can read when it exists and is not a directory.
bool NamesReadableFile(const std::string& name) {
    if (name.empty()) {
        return false;
    }
    std::error_code error;
    const auto status = std::filesystem::status(name, error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

}  // namespace

PatchTexts ReadPatchTexts(const KDZPATCH& patch) {
    return PatchTexts{CutText(patch.szTitle), CutText(patch.szVersion), CutText(patch.szAuthor),
                      CutText(patch.szCopyright), CutText(patch.szDescription)};
}

RunOutcome RunInstallation(const PACKLIBEXPORT& packLib, const PATCHLIBEXPORT& patchLib,
                           const CommandLine& command, InstallFrontEnd& frontEnd,
                           const InstallOptions& options) {
    if (!packLib.DoReadOnlyCheck(kTitle)) {
        frontEnd.NothingInstalled(
            "read-only Fastfiles were not made writable (the question was declined, or there "
            "was nobody to answer it)");
        return RunOutcome::Ended;
    }
    auto closeDatabase = [&](FFLDB* db) { packLib.FFLCloseDatabase(db); };
    FailureDetails databaseFailure;
    std::unique_ptr<FFLDB, decltype(closeDatabase)> database(packLib.FFLOpenDatabase(nullptr),
                                                             closeDatabase);
    if (!database) {
        ShowStop(kNoDatabase, databaseFailure.Describe(Named("Fastfile database", "ffinfo.txt")));
        return RunOutcome::Ended;
    }
    std::string fileName = command.fileName;
    if (!NamesReadableFile(fileName)) {
        auto chosen = frontEnd.ChooseFile(fileName);
        if (!chosen) {
            frontEnd.NothingInstalled("no patch file was chosen");
            return RunOutcome::Ended;
        }
        fileName = *chosen;
    }
    auto closePatch = [&](KDZPATCH* patch) { patchLib.KDZClosePatch(patch); };
    FailureDetails patchFailure;
    std::unique_ptr<KDZPATCH, decltype(closePatch)> patch(patchLib.KDZOpenPatch(fileName.c_str()),
                                                          closePatch);
    if (!patch) {
        ShowStop(kNoPatch, patchFailure.Describe(Named("Patch", fileName)));
        return RunOutcome::Ended;
    }
    if (!command.quiet && !frontEnd.ConfirmPatch(ReadPatchTexts(*patch))) {
        frontEnd.NothingInstalled("the installation was not confirmed");
        return RunOutcome::Ended;
    }
    std::string recordFailure;
    if (!RecordInstallation(packLib, *database, patchLib, *patch, &recordFailure)) {
        ShowStop(kNoRecord, recordFailure);
        frontEnd.NothingInstalled("the record of what the patch replaces could not be written");
        return RunOutcome::Ended;
    }
    StopHereForTests("QUILLMARK_TEST_STOP_AFTER_SAVES", 0);
    InstallLoop loop(packLib, *database, frontEnd, options.pause);
    const int status = loop.Run(*patch);
    if (!command.quiet) {
        if (status == kStatusGoOn) {
            qm::ShowMessageBox(kSucceeded, kTitle, qm::MessageBoxButtons::Ok,
                               qm::MessageBoxIcon::Information);
        }
        frontEnd.Broadcast();
    }
    return status == kStatusGoOn ? RunOutcome::Installed : RunOutcome::Stopped;
}

RunOutcome RunInstaller(const CommandLine& command, InstallFrontEnd& frontEnd,
                        const InstallOptions& options) {
    qm::LibraryBinding<PACKLIBEXPORT> packLib;
    qm::LibraryBinding<PATCHLIBEXPORT> patchLib;
    if (!packLib.Bind("PackLib.dll", "PackLibInit") ||
        !patchLib.Bind("PatchLib.dll", "PatchLibInit")) {
        ShowStop(kNoLibrary);
        return RunOutcome::Ended;
    }
    return RunInstallation(packLib.Record(), patchLib.Record(), command, frontEnd, options);
}

}  // namespace patchapply
