// What one patch installation replaced, kept so that the installation can be taken back out.
// A record is a folder below InstallRecordsFolder() holding "replaced.kdz" (a Fastfile patch
// of the old bytes of every replaced item, one target path an item) and "record.txt" (the
// title, the time, and every target with the Fastfile it lives in, whether it was replaced
// or added, and the size and hash of the bytes the installation wrote there).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "patchlib/patchlib.h"

namespace suite {

inline constexpr const char* kRecordPatchFile = "replaced.kdz";
inline constexpr const char* kRecordListFile = "record.txt";

struct RecordedTarget {
    bool added = false;    // the installation added the item; else it replaced one
    std::string fastfile;  // the Fastfile's name as PackLib opens it
    std::string path;      // the item's path inside the Fastfile
    uint32_t installedSize = 0;
    uint64_t installedHash = 0;
};

struct InstallRecord {
    std::string folder;  // the record's own folder
    std::string title;   // the patch's title
    std::string time;    // when it was installed, "YYYY-MM-DD HH:MM:SS UTC"
    int64_t stamp = 0;   // the same moment in nanoseconds, to order records made in one second
    std::vector<RecordedTarget> targets;
};

// A hash of the bytes an installation wrote, to tell later whether an item still holds them.
uint64_t HashBytes(std::span<const unsigned char> bytes);

// $XDG_DATA_HOME/quillmark/installed (XDG_DATA_HOME defaulting to ~/.local/share).
std::string InstallRecordsFolder();

// A folder name made of the title's letters, digits, '-' and '_' (others become '_') and
// the time, safe on every file system.
std::string RecordFolderName(const std::string& title, int64_t stamp);

// Collects what an installation is about to change, then writes the record in one step.
class InstallRecordWriter {
  public:
    explicit InstallRecordWriter(std::string title);

    // The item at `path` in `fastfile` now holds `old` and will get `installed`.
    void Replacing(const std::string& fastfile, const std::string& path,
                   std::span<const unsigned char> old, std::span<const unsigned char> installed);
    // The item at `path` does not exist yet; the installation adds it with `installed`.
    void Adding(const std::string& fastfile, const std::string& path,
                std::span<const unsigned char> installed);

    bool Empty() const { return targets_.empty(); }

    // Writes the record into a hidden folder, then renames that folder into place, so that a
    // record is either whole or absent. Returns the folder, or nullopt with `error` set.
    std::optional<std::string> Write(const PATCHLIBEXPORT& patchLib, std::string* error) const;

  private:
    struct Target {
        RecordedTarget recorded;
        std::vector<unsigned char> old;
    };
    Target* Find(const std::string& fastfile, const std::string& path);
    bool WritePatch(const PATCHLIBEXPORT& patchLib, const std::string& file,
                    std::string* error) const;
    bool WriteList(const std::string& file, std::string* error) const;

    std::string title_;
    int64_t stamp_;
    std::vector<Target> targets_;
};

// Reads a record's list (not its patch). Nullopt when the folder holds no readable record.
std::optional<InstallRecord> ReadInstallRecord(const std::string& folder);

// Every record below InstallRecordsFolder(), newest first.
std::vector<InstallRecord> ListInstallRecords();

}  // namespace suite
