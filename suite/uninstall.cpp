#include "suite/uninstall.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

#include "platform/ascii.h"

namespace suite {
namespace {

bool SamePath(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (qm::LowerAscii(a[i]) != qm::LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::string ItemText(const RecordedTarget& target) {
    return "\"" + target.path + "\" in " + target.fastfile;
}

std::string Reason(const std::string& what, int error) {
    return what + (error != 0 ? std::string(": ") + std::strerror(error) : std::string());
}

}  // namespace

Uninstaller::Uninstaller(const PACKLIBEXPORT& packLib, const PATCHLIBEXPORT& patchLib,
                         InstallRecord record)
    : packLib_(packLib), patchLib_(patchLib), record_(std::move(record)) {}

Uninstaller::~Uninstaller() {
    for (auto& [name, archive] : archives_) {
        packLib_.FFLCloseArchive(archive);
    }
    if (patch_ != nullptr) {
        patchLib_.KDZClosePatch(patch_);
    }
}

bool Uninstaller::LoadPatch(std::string* error) {
    const std::string file = (std::filesystem::path(record_.folder) / kRecordPatchFile).string();
    errno = 0;
    patch_ = patchLib_.KDZOpenPatch(file.c_str());
    if (patch_ == nullptr) {
        *error = Reason("cannot read the record's patch \"" + file + "\"", errno);
        return false;
    }
    return true;
}

FFLARCHIVE* Uninstaller::Archive(const std::string& fastfile, std::string* error) {
    std::string key = fastfile;
    for (char& c : key) {
        c = qm::LowerAscii(c);
    }
    if (auto found = archives_.find(key); found != archives_.end()) {
        return found->second;
    }
    errno = 0;
    FFLARCHIVE* archive = packLib_.FFLOpenArchive(fastfile.c_str());
    if (archive == nullptr) {
        *error = Reason("cannot open the Fastfile " + fastfile, errno);
        return nullptr;
    }
    archives_[key] = archive;
    return archive;
}

void Uninstaller::Classify(Target& target, FFLARCHIVE* archive) {
    FFLITEM* item = packLib_.FFLFindItem(archive, target.recorded.path.c_str(), false);
    if (item == nullptr) {
        target.state = target.recorded.added ? State::Restored : State::Changed;
        return;
    }
    uint32_t size = 0;
    const auto* data = static_cast<const unsigned char*>(packLib_.FFLGetItemData(item, &size));
    const std::span<const unsigned char> bytes(data, data != nullptr ? size : 0);
    if (bytes.size() == target.recorded.installedSize &&
        HashBytes(bytes) == target.recorded.installedHash) {
        target.state = State::Installed;
    } else if (!target.recorded.added && bytes.size() == target.oldSize &&
               (size == 0 || std::memcmp(bytes.data(), target.old, size) == 0)) {
        target.state = State::Restored;
    } else {
        target.state = State::Changed;
    }
}

// A later installation over the same item is the likely cause, and the one the user can act on.
std::string Uninstaller::WhyChanged(const Target& target) const {
    for (const InstallRecord& other : ListInstallRecords()) {
        if (other.stamp <= record_.stamp || other.folder == record_.folder) {
            continue;
        }
        for (const RecordedTarget& touched : other.targets) {
            if (SamePath(touched.fastfile, target.recorded.fastfile) &&
                SamePath(touched.path, target.recorded.path)) {
                return ItemText(target.recorded) + ": the later installation \"" + other.title +
                       "\" (" + other.time + ") changed it; uninstall that one first";
            }
        }
    }
    return ItemText(target.recorded) + ": changed since the patch was installed";
}

bool Uninstaller::Load(std::string* error) {
    if (!LoadPatch(error)) {
        return false;
    }
    for (const RecordedTarget& recorded : record_.targets) {
        Target target{recorded};
        if (!recorded.added) {
            KDZITEM* item = patch_->lpFirst;
            while (item != nullptr &&
                   (item->lpszPath == nullptr || !SamePath(item->lpszPath, recorded.path))) {
                item = item->lpNext;
            }
            if (item == nullptr) {
                *error = "the record's patch holds no old bytes of " + ItemText(recorded);
                return false;
            }
            target.old = item->lpData;
            target.oldSize = item->dwSize;
        }
        FFLARCHIVE* archive = Archive(recorded.fastfile, error);
        if (archive == nullptr) {
            return false;
        }
        Classify(target, archive);
        if (target.state == State::Changed) {
            changed_.push_back(WhyChanged(target));
        }
        targets_.push_back(target);
    }
    return true;
}

bool Uninstaller::Put(const Target& target, std::string* error) {
    FFLARCHIVE* archive = Archive(target.recorded.fastfile, error);
    const char* path = target.recorded.path.c_str();
    FFLITEM* item = packLib_.FFLFindItem(archive, path, false);
    if (target.recorded.added) {
        if (item != nullptr) {
            packLib_.FFLDeleteItem(archive, item);
        }
        return true;
    }
    const bool put =
        item != nullptr ? packLib_.FFLSetItemData(item, target.old, target.oldSize)
                        : packLib_.FFLAddItem(archive, path, target.old, target.oldSize) != nullptr;
    if (!put) {
        *error = "cannot put the old bytes of " + ItemText(target.recorded) + " back";
    }
    return put;
}

bool Uninstaller::Restore(bool force, std::string* error) {
    if (!changed_.empty() && !force) {
        *error = "items changed since the patch was installed";
        return false;
    }
    std::set<FFLARCHIVE*> touched;
    for (const Target& target : targets_) {
        if (target.state == State::Restored) {
            continue;
        }
        if (!Put(target, error)) {
            return false;
        }
        touched.insert(Archive(target.recorded.fastfile, error));
    }
    // Each Fastfile is saved atomically; should one fail, the record stays, and running the
    // uninstall again restores the rest while leaving the items already restored alone.
    for (FFLARCHIVE* archive : touched) {
        errno = 0;
        if (!packLib_.FFLSaveArchive(archive, nullptr)) {
            *error = Reason(std::string("cannot save the Fastfile ") + packLib_.FFLGetPath(archive),
                            errno);
            return false;
        }
    }
    std::error_code failure;
    std::filesystem::remove_all(record_.folder, failure);
    if (failure) {
        *error = "the Fastfiles are restored, but the record \"" + record_.folder +
                 "\" could not be deleted: " + failure.message();
        return false;
    }
    return true;
}

std::string ResolveRecordFolder(const std::string& name) {
    std::error_code failure;
    if (std::filesystem::is_directory(name, failure)) {
        return name;
    }
    return (std::filesystem::path(InstallRecordsFolder()) / name).string();
}

}  // namespace suite
