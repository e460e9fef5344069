// fftool's Fastfile commands: list, extract, add, replace, delete and new.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/fftool/extraction_directory.h"
#include "tools/fftool/fftool.h"
#include "tools/fftool/file_arguments.h"

namespace fftool {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxItemPath = FFL_MAX_PATH - 1;

// An archive opened through PackLib, closed when the command ends.
class OpenArchive {
  public:
    OpenArchive(const PACKLIBEXPORT* lib, FFLARCHIVE* archive) : lib_(lib), archive_(archive) {}
    ~OpenArchive() {
        if (archive_ != nullptr) {
            lib_->FFLCloseArchive(archive_);
        }
    }
    OpenArchive(const OpenArchive&) = delete;
    OpenArchive& operator=(const OpenArchive&) = delete;

    FFLARCHIVE* get() const { return archive_; }
    explicit operator bool() const { return archive_ != nullptr; }

  private:
    const PACKLIBEXPORT* lib_;
    FFLARCHIVE* archive_;
};

OpenArchive Open(const PACKLIBEXPORT* lib, const std::string& file) {
    return OpenArchive(lib, lib->FFLOpenArchive(ArchiveFileArgument(file).c_str()));
}

// Names and listed sizes only: the data block is never read, so listing a large Fastfile
// costs its directory, and one whose data part is damaged or cut off still lists.
OpenArchive Parse(const PACKLIBEXPORT* lib, const std::string& file) {
    return OpenArchive(lib, lib->FFLParseArchive(ArchiveFileArgument(file).c_str()));
}

int Unreadable(const std::string& file) {
    return Failure(ReadFailureMessage(file, "Fastfile"));
}

// The item a command-line path names: as typed, else with "/" read as "\".
FFLITEM* FindItem(const PACKLIBEXPORT* lib, FFLARCHIVE* archive, const std::string& typed) {
    FFLITEM* item = lib->FFLFindItem(archive, typed.c_str(), false);
    if (item == nullptr && typed.find('/') != std::string::npos) {
        item = lib->FFLFindItem(archive, ItemPathArgument(typed).c_str(), false);
    }
    return item;
}

// Why the library refused an item for this archive, when the reason lies in the archive.
std::string RefusalReason(const FFLARCHIVE* archive) {
    return archive->bSound != 0 ? ": the sound Fastfile takes only items that are exactly one "
                                  "RIFF chunk (a WAV file with nothing before or after it)"
                                : "";
}

bool ValidItemPath(const std::string& path) {
    return !path.empty() && path.size() <= kMaxItemPath;
}

// Saves the archive and only then prints what the command did, so that nothing is reported
// done that a failed save took back.
int Save(const PACKLIBEXPORT* lib, FFLARCHIVE* archive, const std::vector<std::string>& done) {
    errno = 0;
    if (!lib->FFLSaveArchive(archive, nullptr)) {
        const int error = errno;
        return Failure(std::string("cannot write ") + lib->FFLGetPath(archive) + ": " +
                       WriteFailureReason(error) + "; the Fastfile was not changed");
    }
    for (const std::string& line : done) {
        std::printf("%s\n", line.c_str());
    }
    return kExitOk;
}

int RunList(Context& context) {
    const auto& args = context.Args();
    if (args.size() != 1) {
        return UsageError("list takes one Fastfile");
    }
    const PACKLIBEXPORT* lib = context.PackLib();
    if (lib == nullptr) {
        return kExitFailure;
    }
    OpenArchive archive = Parse(lib, args[0]);
    if (!archive) {
        return Unreadable(args[0]);
    }
    for (FFLITEM* item = lib->FFLGetFirstItem(archive.get()); item != nullptr;
         item = lib->FFLGetNextItem(item)) {
        // A parsed item has no data; its record holds the length the file lists.
        std::printf("%10u  %s\n", static_cast<unsigned>(item->dwSize), lib->FFLGetItemPath(item));
    }
    std::printf("%u item(s)\n", static_cast<unsigned>(lib->FFLGetItemCount(archive.get())));
    return kExitOk;
}

// Extract: every item that can be written is written, or, when a write fails, the files and
// folders this run created are removed again. Links below DIR are refused before anything
// is written.
int RunExtract(Context& context) {
    const auto& args = context.Args();
    if (args.size() < 2) {
        return UsageError("extract takes a Fastfile, a directory and optionally item paths");
    }
    const PACKLIBEXPORT* lib = context.PackLib();
    if (lib == nullptr) {
        return kExitFailure;
    }
    OpenArchive archive = Open(lib, args[0]);
    if (!archive) {
        return Unreadable(args[0]);
    }
    std::vector<FFLITEM*> items;
    int status = kExitOk;
    if (args.size() == 2) {
        for (FFLITEM* item = lib->FFLGetFirstItem(archive.get()); item != nullptr;
             item = lib->FFLGetNextItem(item)) {
            items.push_back(item);
        }
    }
    for (std::size_t i = 2; i < args.size(); ++i) {
        FFLITEM* item = FindItem(lib, archive.get(), args[i]);
        if (item == nullptr) {
            status = Failure("no item '" + args[i] + "' in " + args[0]);
        } else {
            items.push_back(item);
        }
    }
    ExtractionDirectory directory{fs::path(args[1])};
    std::vector<std::pair<FFLITEM*, fs::path>> targets;
    for (FFLITEM* item : items) {
        const std::string itemPath = lib->FFLGetItemPath(item);
        const auto relative = SafeRelativePath(itemPath);
        if (!relative) {
            status = Failure("skipped item '" + itemPath + "': its path leads outside " + args[1]);
            continue;
        }
        if (const std::string refused = directory.Check(*relative); !refused.empty()) {
            return Failure(refused + "; nothing was extracted");
        }
        targets.emplace_back(item, *relative);
    }
    std::vector<std::string> written;
    for (const auto& [item, relative] : targets) {
        uint32_t size = 0;
        const void* data = lib->FFLGetItemData(item, &size);
        std::string why;
        if (!directory.Write(relative, data, size, &why)) {
            directory.RemoveCreated();
            return Failure(why + "; the files this extract had written were removed");
        }
        written.push_back(directory.PathOf(relative).string());
    }
    for (const std::string& path : written) {
        std::printf("%s\n", path.c_str());
    }
    return status;
}

// Pairs of item path and source file, read before anything changes.
struct NewData {
    std::string itemPath;
    std::string source;
    std::vector<char> bytes;
};

std::optional<std::vector<NewData>> ReadPairs(const std::vector<std::string>& args) {
    std::vector<NewData> pairs;
    for (std::size_t i = 1; i + 1 < args.size(); i += 2) {
        NewData pair{args[i], args[i + 1], {}};
        if (!ValidItemPath(pair.itemPath)) {
            Failure("item path '" + pair.itemPath + "' must have 1 to 259 characters");
            return std::nullopt;
        }
        std::string why;
        auto bytes = ReadSourceFile(pair.source, &why);
        if (!bytes) {
            Failure("cannot read " + pair.source + ": " + why);
            return std::nullopt;
        }
        pair.bytes = std::move(*bytes);
        pairs.push_back(std::move(pair));
    }
    return pairs;
}

// Add and replace: a Fastfile and pairs of item path and source file. Every source is read
// before the Fastfile is touched; one failed pair leaves the file as it was.
// Each pair's action returns kExitOk and appends the line that reports it to `done`.
using PairAction = int (*)(const PACKLIBEXPORT* lib, FFLARCHIVE* archive, const NewData& pair,
                           std::vector<std::string>& done);

int EditPairs(Context& context, const char* usage, PairAction apply) {
    const auto& args = context.Args();
    if (args.size() < 3 || args.size() % 2 == 0) {
        return UsageError(usage);
    }
    const PACKLIBEXPORT* lib = context.PackLib();
    if (lib == nullptr) {
        return kExitFailure;
    }
    const auto pairs = ReadPairs(args);
    if (!pairs) {
        return kExitFailure;
    }
    OpenArchive archive = Open(lib, args[0]);
    if (!archive) {
        return Unreadable(args[0]);
    }
    std::vector<std::string> done;
    for (const NewData& pair : *pairs) {
        if (const int status = apply(lib, archive.get(), pair, done); status != kExitOk) {
            return status;
        }
    }
    return Save(lib, archive.get(), done);
}

int AddPair(const PACKLIBEXPORT* lib, FFLARCHIVE* archive, const NewData& pair,
            std::vector<std::string>& done) {
    const std::string itemPath = ItemPathArgument(pair.itemPath);
    if (lib->FFLFindItem(archive, itemPath.c_str(), false) != nullptr) {
        return Failure("item '" + itemPath + "' already exists; use replace");
    }
    if (lib->FFLAddItem(archive, itemPath.c_str(), pair.bytes.data(),
                        static_cast<uint32_t>(pair.bytes.size())) == nullptr) {
        return Failure("cannot add item '" + itemPath + "'" + RefusalReason(archive));
    }
    done.push_back("added " + itemPath + " (" + std::to_string(pair.bytes.size()) + " bytes)");
    return kExitOk;
}

int ReplacePair(const PACKLIBEXPORT* lib, FFLARCHIVE* archive, const NewData& pair,
                std::vector<std::string>& done) {
    FFLITEM* item = FindItem(lib, archive, pair.itemPath);
    if (item == nullptr) {
        return Failure("no item '" + pair.itemPath + "' to replace; use add");
    }
    if (pair.bytes.empty()) {
        return Failure("cannot replace '" + pair.itemPath + "' with the empty file " + pair.source);
    }
    if (!lib->FFLSetItemData(item, pair.bytes.data(), static_cast<uint32_t>(pair.bytes.size()))) {
        return Failure("cannot replace item '" + pair.itemPath + "'" + RefusalReason(archive));
    }
    done.push_back(std::string("replaced ") + lib->FFLGetItemPath(item) + " (" +
                   std::to_string(pair.bytes.size()) + " bytes)");
    return kExitOk;
}

int RunAdd(Context& context) {
    return EditPairs(context, "add takes a Fastfile and pairs of item path and source file",
                     AddPair);
}

int RunReplace(Context& context) {
    return EditPairs(context, "replace takes a Fastfile and pairs of item path and source file",
                     ReplacePair);
}

int RunDelete(Context& context) {
    const auto& args = context.Args();
    if (args.size() < 2) {
        return UsageError("delete takes a Fastfile and one or more item paths");
    }
    const PACKLIBEXPORT* lib = context.PackLib();
    if (lib == nullptr) {
        return kExitFailure;
    }
    OpenArchive archive = Open(lib, args[0]);
    if (!archive) {
        return Unreadable(args[0]);
    }
    std::vector<std::string> done;
    for (std::size_t i = 1; i < args.size(); ++i) {
        FFLITEM* item = FindItem(lib, archive.get(), args[i]);
        if (item == nullptr) {
            return Failure("no item '" + args[i] + "' in " + args[0]);
        }
        done.push_back(std::string("deleted ") + lib->FFLGetItemPath(item));
        lib->FFLDeleteItem(archive.get(), item);
    }
    return Save(lib, archive.get(), done);
}

int RunNew(Context& context) {
    const auto& args = context.Args();
    if (args.size() != 1) {
        return UsageError("new takes one Fastfile");
    }
    std::error_code error;
    if (fs::exists(args[0], error)) {
        return Failure(args[0] + " already exists");
    }
    const PACKLIBEXPORT* lib = context.PackLib();
    if (lib == nullptr) {
        return kExitFailure;
    }
    errno = 0;
    OpenArchive archive(lib, lib->FFLCreateArchive(ArchiveFileArgument(args[0]).c_str()));
    if (!archive) {
        return Failure("cannot create " + args[0] + ": " + WriteFailureReason(errno));
    }
    return Save(lib, archive.get(), {"created empty Fastfile " + args[0]});
}

const Command kCommands[] = {
    {"list", "FILE", "List the items of a Fastfile with their sizes.", RunList},
    {"extract", "FILE DIR [ITEM...]",
     "Write all items, or the named ones, to files below DIR (item folders become directories).",
     RunExtract},
    {"add", "FILE ITEMPATH SRCFILE [ITEMPATH SRCFILE...]",
     "Add new items with the contents of the source files; an existing item path is refused.",
     RunAdd},
    {"replace", "FILE ITEMPATH SRCFILE [ITEMPATH SRCFILE...]",
     "Replace the data of existing items with the contents of the source files.", RunReplace},
    {"delete", "FILE ITEM...", "Delete the named items from a Fastfile.", RunDelete},
    {"new", "FILE", "Create an empty Fastfile (refuses an existing file).", RunNew},
};

}  // namespace

std::span<const Command> ArchiveCommands() {
    return kCommands;
}

}  // namespace fftool
