// fftool's Fastfile commands: list, extract, add, replace, delete and new.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tools/fftool/fftool.h"

namespace fftool {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxItemPath = FFL_MAX_PATH - 1;

// PackLib looks bare names up in the game's Fastfile directory first; the tool means the
// file the user named, so it hands the library an absolute path.
std::string FileArgument(const std::string& argument) {
    std::error_code error;
    const fs::path absolute = fs::absolute(argument, error);
    return error ? argument : absolute.string();
}

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
    return OpenArchive(lib, lib->FFLOpenArchive(FileArgument(file).c_str()));
}

std::optional<std::vector<char>> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad() || bytes.size() > UINT32_MAX) {
        return std::nullopt;
    }
    return bytes;
}

bool ValidItemPath(const std::string& path) {
    return !path.empty() && path.size() <= kMaxItemPath;
}

// The item path as a relative file system path below the extraction directory, or nothing
// when it could lead outside it: absolute paths, drive letters, "." and ".." components and
// empty components are refused.
std::optional<fs::path> SafeRelativePath(const std::string& itemPath) {
    fs::path relative;
    std::string component;
    auto take = [&]() {
        if (component.empty() || component == "." || component == ".." ||
            component.find(':') != std::string::npos) {
            return false;
        }
        relative /= component;
        component.clear();
        return true;
    };
    for (char c : itemPath) {
        if (c == '\\' || c == '/') {
            if (!take()) {
                return std::nullopt;
            }
        } else {
            component += c;
        }
    }
    if (!take()) {
        return std::nullopt;
    }
    return relative;
}

bool WriteItemFile(const fs::path& target, FFLITEM* item, const PACKLIBEXPORT* lib) {
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    if (error) {
        return false;
    }
    uint32_t size = 0;
    const void* data = lib->FFLGetItemData(item, &size);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (data != nullptr) {
        out.write(static_cast<const char*>(data), size);
    }
    out.close();
    return static_cast<bool>(out);
}

int Save(const PACKLIBEXPORT* lib, FFLARCHIVE* archive) {
    if (!lib->FFLSaveArchive(archive, nullptr)) {
        return Failure(std::string("cannot write ") + lib->FFLGetPath(archive));
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
    OpenArchive archive = Open(lib, args[0]);
    if (!archive) {
        return Failure("cannot read Fastfile " + args[0]);
    }
    for (FFLITEM* item = lib->FFLGetFirstItem(archive.get()); item != nullptr;
         item = lib->FFLGetNextItem(item)) {
        uint32_t size = 0;
        lib->FFLGetItemData(item, &size);
        std::printf("%10u  %s\n", static_cast<unsigned>(size), lib->FFLGetItemPath(item));
    }
    std::printf("%u item(s)\n", static_cast<unsigned>(lib->FFLGetItemCount(archive.get())));
    return kExitOk;
}

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
        return Failure("cannot read Fastfile " + args[0]);
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
        FFLITEM* item = lib->FFLFindItem(archive.get(), args[i].c_str(), false);
        if (item == nullptr) {
            status = Failure("no item '" + args[i] + "' in " + args[0]);
        } else {
            items.push_back(item);
        }
    }
    const fs::path directory(args[1]);
    for (FFLITEM* item : items) {
        const std::string itemPath = lib->FFLGetItemPath(item);
        const auto relative = SafeRelativePath(itemPath);
        if (!relative) {
            status = Failure("skipped item '" + itemPath + "': its path leads outside " + args[1]);
            continue;
        }
        const fs::path target = directory / *relative;
        if (!WriteItemFile(target, item, lib)) {
            status = Failure("cannot write " + target.string());
            continue;
        }
        std::printf("%s\n", target.string().c_str());
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
        auto bytes = ReadWholeFile(pair.source);
        if (!bytes) {
            Failure("cannot read " + pair.source);
            return std::nullopt;
        }
        pair.bytes = std::move(*bytes);
        pairs.push_back(std::move(pair));
    }
    return pairs;
}

// Add and replace: a Fastfile and pairs of item path and source file. Every source is read
// before the Fastfile is touched; one failed pair leaves the file as it was.
using PairAction = int (*)(const PACKLIBEXPORT* lib, FFLARCHIVE* archive, const NewData& pair);

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
        return Failure("cannot read Fastfile " + args[0]);
    }
    for (const NewData& pair : *pairs) {
        if (const int status = apply(lib, archive.get(), pair); status != kExitOk) {
            return status;
        }
    }
    return Save(lib, archive.get());
}

int AddPair(const PACKLIBEXPORT* lib, FFLARCHIVE* archive, const NewData& pair) {
    if (lib->FFLFindItem(archive, pair.itemPath.c_str(), false) != nullptr) {
        return Failure("item '" + pair.itemPath + "' already exists; use replace");
    }
    if (lib->FFLAddItem(archive, pair.itemPath.c_str(), pair.bytes.data(),
                        static_cast<uint32_t>(pair.bytes.size())) == nullptr) {
        return Failure("cannot add item '" + pair.itemPath + "'");
    }
    std::printf("added %s (%zu bytes)\n", pair.itemPath.c_str(), pair.bytes.size());
    return kExitOk;
}

int ReplacePair(const PACKLIBEXPORT* lib, FFLARCHIVE* archive, const NewData& pair) {
    FFLITEM* item = lib->FFLFindItem(archive, pair.itemPath.c_str(), false);
    if (item == nullptr) {
        return Failure("no item '" + pair.itemPath + "' to replace; use add");
    }
    if (pair.bytes.empty()) {
        return Failure("cannot replace '" + pair.itemPath + "' with the empty file " + pair.source);
    }
    if (!lib->FFLSetItemData(item, pair.bytes.data(), static_cast<uint32_t>(pair.bytes.size()))) {
        return Failure("cannot replace item '" + pair.itemPath + "'");
    }
    std::printf("replaced %s (%zu bytes)\n", pair.itemPath.c_str(), pair.bytes.size());
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
        return Failure("cannot read Fastfile " + args[0]);
    }
    for (std::size_t i = 1; i < args.size(); ++i) {
        FFLITEM* item = lib->FFLFindItem(archive.get(), args[i].c_str(), false);
        if (item == nullptr) {
            return Failure("no item '" + args[i] + "' in " + args[0]);
        }
        std::printf("deleted %s\n", lib->FFLGetItemPath(item));
        lib->FFLDeleteItem(archive.get(), item);
    }
    return Save(lib, archive.get());
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
    OpenArchive archive(lib, lib->FFLCreateArchive(FileArgument(args[0]).c_str()));
    if (!archive) {
        return Failure("cannot create an archive");
    }
    if (Save(lib, archive.get()) != kExitOk) {
        return kExitFailure;
    }
    std::printf("created empty Fastfile %s\n", args[0].c_str());
    return kExitOk;
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
