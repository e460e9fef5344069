#include "patchapply/install_loop.h"

#include <cstring>
#include <thread>

#include "patchapply/failure_details.h"
#include "patchapply/install_recording.h"
#include "patchapply/installer_texts.h"
#include "patchapply/target_paths.h"
#include "platform/message_box.h"
#include "suite/game.h"

namespace patchapply {
namespace {

constexpr int kGoOn = 1;
constexpr int kStop = 2;

int Ask(const char* text, qm::MessageBoxButtons buttons, qm::MessageBoxIcon icon,
        const std::string& details) {
    return static_cast<int>(qm::ShowMessageBox(text, kTitle, buttons, icon, details));
}

int AskOkCancel(const char* text, const std::string& details) {
    return Ask(text, qm::MessageBoxButtons::OkCancel, qm::MessageBoxIcon::Error, details);
}

// What an item lacks, for the line under the corrupt-item question.
std::string MissingParts(const KDZITEM& item) {
    const bool noPath = item.lpszPath == nullptr || item.lpszPath[0] == '\0';
    const bool noData = item.lpData == nullptr || item.dwSize == 0;
    return noPath && noData ? "no target path and no data" : noPath ? "no target path" : "no data";
}

bool HasTargetsAndData(const KDZITEM& item) {
    return item.lpData != nullptr && item.dwSize != 0 && item.lpszPath != nullptr &&
           item.lpszPath[0] != '\0';
}

std::string ItemName(const KDZITEM& item) {
    return std::string(item.szName, strnlen(item.szName, KDZ_MAX_NAME));
}

}  // namespace

InstallLoop::InstallLoop(const PACKLIBEXPORT& packLib, FFLDB& database, InstallFrontEnd& frontEnd,
                         std::chrono::milliseconds pause)
    : lib_(packLib), database_(database), frontEnd_(frontEnd), pause_(pause) {}

int InstallLoop::Run(const KDZPATCH& patch) {
    std::size_t count = 0;
    for (const KDZITEM* item = patch.lpFirst; item != nullptr; item = item->lpNext) {
        count += CountTargetPaths(item->lpszPath);
    }
    frontEnd_.BeginProgress(count);
    status_ = kGoOn;
    for (const KDZITEM* item = patch.lpFirst; item != nullptr && status_ == kGoOn;
         item = item->lpNext) {
        InstallItem(*item);
    }
    frontEnd_.EndProgress();
    return status_;
}

void InstallLoop::InstallItem(const KDZITEM& item) {
    if (!HasTargetsAndData(item)) {
        const int answer =
            Ask(kCorruptItem, qm::MessageBoxButtons::YesNo, qm::MessageBoxIcon::Question,
                Named("Item", ItemName(item)) + ": " + MissingParts(item));
        if (answer != static_cast<int>(qm::MessageBoxResult::Yes)) {
            status_ = kStop;
        }
        return;
    }
    for (const std::string& target : SplitTargetPaths(item.lpszPath)) {
        if (status_ != kGoOn) {
            break;
        }
        frontEnd_.ShowItem(ItemName(item));
        status_ = InstallTarget(item, target);
        frontEnd_.StepProgress();
        if (status_ == kGoOn && pause_.count() > 0) {
            std::this_thread::sleep_for(pause_);
        }
    }
}

int InstallLoop::InstallTarget(const KDZITEM& item, const std::string& target) {
    bool soundArchive = false;
    int status = kGoOn;
    FFLARCHIVE* archive = OpenTargetArchive(target, &soundArchive, &status);
    if (archive == nullptr) {
        return status;
    }
    status = WriteItem(archive, item, target, soundArchive);
    lib_.FFLCloseArchive(archive);
    return status;
}

std::optional<TargetFastfile> FindTargetFastfile(const PACKLIBEXPORT& packLib, FFLDB& database,
                                                 const std::string& target) {
    const std::size_t slash = target.rfind('\\');
    if (slash == std::string::npos || slash == 0) {
        return TargetFastfile{suite::kSoundFastfile, true};
    }
    FFLDBITEM* entry = packLib.FFLFindDbItem(&database, target.substr(0, slash).c_str(), nullptr);
    if (entry == nullptr) {
        return std::nullopt;
    }
    return TargetFastfile{entry->szFile, false};
}

FFLARCHIVE* InstallLoop::OpenTargetArchive(const std::string& target, bool* soundArchive,
                                           int* status) {
    const auto found = FindTargetFastfile(lib_, database_, target);
    if (!found) {
        const std::string folder = target.substr(0, target.rfind('\\'));
        const std::string details = Named("Target", target) + ": the folder \"" + folder +
                                    "\" has no entry in the Fastfile database";
        Ask(kNotInDatabase, qm::MessageBoxButtons::OkCancel, qm::MessageBoxIcon::Information,
            details);
        *status = AskOkCancel(kNoFastfile, details);
        return nullptr;
    }
    *soundArchive = found->soundArchive;
    const std::string fileName = found->fileName;
    FailureDetails failure;
    FFLARCHIVE* archive = lib_.FFLOpenArchive(fileName.c_str());
    if (archive == nullptr) {
        *status = AskOkCancel(kNoFastfile, failure.Describe(Named("Fastfile", fileName)));
    }
    return archive;
}

// The Fastfile is saved through PackLib's atomic save, so a failure leaves it whole.
int InstallLoop::WriteItem(FFLARCHIVE* archive, const KDZITEM& item, const std::string& target,
                           bool soundArchive) {
    const std::string fastfile = Named("Fastfile", lib_.FFLGetPath(archive));
    FailureDetails failure;
    FFLITEM* existing = lib_.FFLFindItem(archive, target.c_str(), false);
    bool written = false;
    if (existing != nullptr) {
        written = lib_.FFLSetItemData(existing, item.lpData, item.dwSize);
    } else if (!soundArchive) {
        written = lib_.FFLAddItem(archive, target.c_str(), item.lpData, item.dwSize) != nullptr;
    } else {
        return AskOkCancel(kAddFailed, fastfile + ": it holds no sound \"" + target +
                                           "\", and sounds are only replaced, never added");
    }
    if (!written) {
        return AskOkCancel(kAddFailed, failure.Describe(fastfile));
    }
    if (!lib_.FFLSaveArchive(archive, nullptr)) {
        return AskOkCancel(kSaveFailed, failure.Describe(fastfile));
    }
    StopHereForTests("QUILLMARK_TEST_STOP_AFTER_SAVES", ++saves_);
    return kGoOn;
}

}  // namespace patchapply
