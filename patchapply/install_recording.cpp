#include "patchapply/install_recording.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <span>

#include "patchapply/install_loop.h"
#include "patchapply/target_paths.h"
#include "suite/install_record.h"

namespace patchapply {
namespace {

// Every Fastfile the patch reaches, opened once and closed together.
class OpenFastfiles {
  public:
    explicit OpenFastfiles(const PACKLIBEXPORT& packLib) : lib_(packLib) {}
    ~OpenFastfiles() {
        for (auto& [name, archive] : archives_) {
            if (archive != nullptr) {
                lib_.FFLCloseArchive(archive);
            }
        }
    }
    OpenFastfiles(const OpenFastfiles&) = delete;
    OpenFastfiles& operator=(const OpenFastfiles&) = delete;

    FFLARCHIVE* Get(const std::string& fileName) {
        auto found = archives_.find(fileName);
        if (found == archives_.end()) {
            found = archives_.emplace(fileName, lib_.FFLOpenArchive(fileName.c_str())).first;
        }
        return found->second;
    }

  private:
    const PACKLIBEXPORT& lib_;
    std::map<std::string, FFLARCHIVE*> archives_;
};

void RecordTarget(const PACKLIBEXPORT& lib, FFLDB& database, OpenFastfiles& fastfiles,
                  const KDZITEM& item, const std::string& target,
                  suite::InstallRecordWriter& writer) {
    const auto where = FindTargetFastfile(lib, database, target);
    FFLARCHIVE* archive = where ? fastfiles.Get(where->fileName) : nullptr;
    if (archive == nullptr) {
        return;
    }
    const std::span<const unsigned char> installed(item.lpData, item.dwSize);
    FFLITEM* existing = lib.FFLFindItem(archive, target.c_str(), false);
    if (existing != nullptr) {
        uint32_t size = 0;
        const auto* old = static_cast<const unsigned char*>(lib.FFLGetItemData(existing, &size));
        writer.Replacing(where->fileName, target,
                         std::span<const unsigned char>(old, old != nullptr ? size : 0), installed);
    } else if (!where->soundArchive) {
        writer.Adding(where->fileName, target, installed);
    }
}

}  // namespace

std::optional<std::string> RecordInstallation(const PACKLIBEXPORT& packLib, FFLDB& database,
                                              const PATCHLIBEXPORT& patchLib, const KDZPATCH& patch,
                                              std::string* error) {
    suite::InstallRecordWriter writer(
        std::string(patch.szTitle, strnlen(patch.szTitle, KDZ_MAX_TEXT)));
    {
        OpenFastfiles fastfiles(packLib);
        for (const KDZITEM* item = patch.lpFirst; item != nullptr; item = item->lpNext) {
            if (item->lpData == nullptr || item->dwSize == 0) {
                continue;  // the installation asks about such an item and never writes it
            }
            for (const std::string& target : SplitTargetPaths(item->lpszPath)) {
                RecordTarget(packLib, database, fastfiles, *item, target, writer);
            }
        }
    }
    if (writer.Empty()) {
        return std::string();
    }
    return writer.Write(patchLib, error);
}

void StopHereForTests(const char* variable, int count) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] != '\0' && std::atoi(value) == count) {
        std::_Exit(137);
    }
}

}  // namespace patchapply
