// Takes one patch installation back out of the game's Fastfiles from its record: every
// replaced item gets its old bytes back, every added item is deleted, then the record goes.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "packlib/packlib.h"
#include "patchlib/patchlib.h"
#include "suite/install_record.h"

namespace suite {

class Uninstaller {
  public:
    Uninstaller(const PACKLIBEXPORT& packLib, const PATCHLIBEXPORT& patchLib, InstallRecord record);
    ~Uninstaller();
    Uninstaller(const Uninstaller&) = delete;
    Uninstaller& operator=(const Uninstaller&) = delete;

    // Reads the record's patch and opens every Fastfile it names. False with `error` set when
    // any of them cannot be read: nothing is changed then.
    bool Load(std::string* error);

    // The items that no longer hold what the installation wrote (changed since, by hand or by
    // a later installation), one line each, saying which item and why.
    const std::vector<std::string>& ChangedItems() const { return changed_; }

    // Puts the old state back and deletes the record. Items in ChangedItems() are only
    // touched when `force` is set; without it nothing at all is changed while any exist.
    // Items that already hold their old state are left alone, so that a record of an
    // installation that was cut short restores what it did write.
    bool Restore(bool force, std::string* error);

  private:
    enum class State { Installed, Restored, Changed };
    struct Target {
        RecordedTarget recorded;
        const unsigned char* old = nullptr;  // in the record's patch; null for added items
        uint32_t oldSize = 0;
        State state = State::Installed;
    };
    bool LoadPatch(std::string* error);
    FFLARCHIVE* Archive(const std::string& fastfile, std::string* error);
    void Classify(Target& target, FFLARCHIVE* archive);
    std::string WhyChanged(const Target& target) const;
    bool Put(const Target& target, std::string* error);

    const PACKLIBEXPORT& packLib_;
    const PATCHLIBEXPORT& patchLib_;
    InstallRecord record_;
    KDZPATCH* patch_ = nullptr;
    std::map<std::string, FFLARCHIVE*> archives_;
    std::vector<Target> targets_;
    std::vector<std::string> changed_;
};

// The record a command line names: a folder path, or a folder name below
// InstallRecordsFolder().
std::string ResolveRecordFolder(const std::string& name);

}  // namespace suite
