// fftool's patch command: patch new|info|list|add|extract|set-info on a Fastfile patch (.kdz).
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tools/fftool/extraction_directory.h"
#include "tools/fftool/fftool.h"
#include "tools/fftool/file_arguments.h"

namespace fftool {
namespace {

// A patch opened through PatchLib, closed when the command ends.
class OpenPatch {
  public:
    OpenPatch(const PATCHLIBEXPORT* lib, KDZPATCH* patch) : lib_(lib), patch_(patch) {}
    ~OpenPatch() {
        if (patch_ != nullptr) {
            lib_->KDZClosePatch(patch_);
        }
    }
    OpenPatch(const OpenPatch&) = delete;
    OpenPatch& operator=(const OpenPatch&) = delete;
    KDZPATCH* get() const { return patch_; }

  private:
    const PATCHLIBEXPORT* lib_;
    KDZPATCH* patch_;
};

int Unreadable(const std::string& file) {
    return Failure(ReadFailureMessage(file, "patch"));
}

int CannotSave(const std::string& file) {
    const int error = errno;
    return Failure("cannot write " + file + ": " + WriteFailureReason(error) +
                   "; the patch was not changed");
}

// The five header texts, in the order the patch file keeps them.
struct HeaderField {
    const char* option;
    const char* label;
};
constexpr std::size_t kTextSize = KDZ_MAX_TEXT;
const HeaderField kHeaderFields[] = {
    {"--title", "Title"},         {"--version", "Version"},         {"--author", "Author"},
    {"--copyright", "Copyright"}, {"--description", "Description"},
};

char* HeaderText(KDZPATCH* patch, std::size_t index) {
    char* fields[] = {patch->szTitle, patch->szVersion, patch->szAuthor, patch->szCopyright,
                      patch->szDescription};
    return fields[index];
}

// Positional arguments and "--option value" pairs of one subcommand.
struct ParsedArgs {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;
    std::string error;
};

ParsedArgs Parse(const std::vector<std::string>& args, const std::vector<std::string>& allowed) {
    ParsedArgs parsed;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            parsed.positional.push_back(arg);
            continue;
        }
        if (std::find(allowed.begin(), allowed.end(), arg) == allowed.end()) {
            parsed.error = "unknown option '" + arg + "'";
            return parsed;
        }
        if (i + 1 >= args.size()) {
            parsed.error = "option '" + arg + "' needs a value";
            return parsed;
        }
        parsed.options.emplace_back(arg, args[++i]);
    }
    return parsed;
}

std::vector<std::string> HeaderOptions() {
    std::vector<std::string> options;
    for (const HeaderField& field : kHeaderFields) {
        options.push_back(field.option);
    }
    return options;
}

// Applies the header options; false (with a message) when a text does not fit its field,
// since cutting it silently would store something the user did not write.
bool ApplyHeader(KDZPATCH* patch, const ParsedArgs& parsed, std::string* error) {
    for (const auto& [option, value] : parsed.options) {
        for (std::size_t i = 0; i < std::size(kHeaderFields); ++i) {
            if (option != kHeaderFields[i].option) {
                continue;
            }
            if (value.size() >= kTextSize) {
                *error = std::string(kHeaderFields[i].label) + " is longer than " +
                         std::to_string(kTextSize - 1) + " characters";
                return false;
            }
            char* text = HeaderText(patch, i);
            std::memset(text, 0, kTextSize);
            std::memcpy(text, value.data(), value.size());
        }
    }
    return true;
}

bool HasOption(const ParsedArgs& parsed, const std::string& option) {
    for (const auto& entry : parsed.options) {
        if (entry.first == option) {
            return true;
        }
    }
    return false;
}

// Patch names are handed to PatchLib as typed: it does not search, and a relative name made
// absolute could grow past what a path may hold.
int New(const PATCHLIBEXPORT* lib, const std::vector<std::string>& args) {
    const ParsedArgs parsed = Parse(args, HeaderOptions());
    if (!parsed.error.empty()) {
        return UsageError(parsed.error);
    }
    if (parsed.positional.size() != 1 || !HasOption(parsed, "--title")) {
        return UsageError(
            "usage: patch new FILE --title T [--version V --author A --copyright C "
            "--description D]");
    }
    const std::string file = parsed.positional[0];
    std::error_code exists;
    if (std::filesystem::exists(file, exists)) {
        return Failure("'" + parsed.positional[0] + "' already exists");
    }
    errno = 0;
    OpenPatch patch(lib, lib->KDZCreatePatch(file.c_str()));
    if (patch.get() == nullptr) {
        return CannotSave(parsed.positional[0]);
    }
    std::string error;
    if (!ApplyHeader(patch.get(), parsed, &error)) {
        return UsageError(error);
    }
    if (patch.get()->szTitle[0] == '\0') {
        return UsageError("the title must not be empty");
    }
    errno = 0;
    if (!lib->KDZSavePatch(patch.get(), file.c_str())) {
        return CannotSave(parsed.positional[0]);
    }
    std::printf("created %s\n", parsed.positional[0].c_str());
    return kExitOk;
}

int SetInfo(const PATCHLIBEXPORT* lib, const std::vector<std::string>& args) {
    const ParsedArgs parsed = Parse(args, HeaderOptions());
    if (!parsed.error.empty()) {
        return UsageError(parsed.error);
    }
    if (parsed.positional.size() != 1 || parsed.options.empty()) {
        return UsageError(
            "usage: patch set-info FILE [--title T --version V --author A --copyright C "
            "--description D]");
    }
    const std::string file = parsed.positional[0];
    OpenPatch patch(lib, lib->KDZOpenPatch(file.c_str()));
    if (patch.get() == nullptr) {
        return Unreadable(parsed.positional[0]);
    }
    std::string error;
    if (!ApplyHeader(patch.get(), parsed, &error)) {
        return UsageError(error);
    }
    errno = 0;
    if (!lib->KDZSavePatch(patch.get(), file.c_str())) {
        return CannotSave(parsed.positional[0]);
    }
    std::printf("updated %s\n", parsed.positional[0].c_str());
    return kExitOk;
}

int Info(const PATCHLIBEXPORT* lib, const std::vector<std::string>& args) {
    if (args.size() != 2) {
        return UsageError("usage: patch info FILE");
    }
    OpenPatch patch(lib, lib->KDZOpenPatch(args[1].c_str()));
    if (patch.get() == nullptr) {
        return Unreadable(args[1]);
    }
    for (std::size_t i = 0; i < std::size(kHeaderFields); ++i) {
        const char* text = HeaderText(patch.get(), i);
        std::printf("%s: %.*s\n", kHeaderFields[i].label, static_cast<int>(kTextSize - 1), text);
    }
    return kExitOk;
}

int List(const PATCHLIBEXPORT* lib, const std::vector<std::string>& args) {
    if (args.size() != 2) {
        return UsageError("usage: patch list FILE");
    }
    OpenPatch patch(lib, lib->KDZOpenPatch(args[1].c_str()));
    if (patch.get() == nullptr) {
        return Unreadable(args[1]);
    }
    for (KDZITEM* item = lib->KDZGetFirstItem(patch.get()); item != nullptr;
         item = lib->KDZGetNextItem(item)) {
        std::uint32_t size = 0;
        lib->KDZGetItemData(item, &size);
        const char* path = lib->KDZGetItemPath(item);
        std::printf("%s\t%u\t%s\n", lib->KDZGetItemName(item), static_cast<unsigned>(size),
                    path != nullptr ? path : "");
    }
    return kExitOk;
}

// Every non-empty position of the list must be a real path, or the patch would name nothing.
bool ValidTargets(const std::string& targets) {
    if (targets.empty() || targets.front() == '|' || targets.back() == '|') {
        return false;
    }
    return targets.find("||") == std::string::npos;
}

int Add(const PATCHLIBEXPORT* lib, const std::vector<std::string>& args) {
    const ParsedArgs parsed = Parse(args, {"--name"});
    if (!parsed.error.empty()) {
        return UsageError(parsed.error);
    }
    if (parsed.positional.size() != 3) {
        return UsageError("usage: patch add FILE SRCFILE TARGETS [--name N]");
    }
    const std::string& source = parsed.positional[1];
    const std::string& targets = parsed.positional[2];
    if (!ValidTargets(targets)) {
        return UsageError("TARGETS must be item paths separated by '|', none of them empty");
    }
    std::string name = std::filesystem::path(source).filename().string();
    if (HasOption(parsed, "--name")) {
        name = parsed.options.back().second;
    }
    if (name.size() >= KDZ_MAX_NAME) {
        return UsageError("the item name is longer than " + std::to_string(KDZ_MAX_NAME - 1) +
                          " characters");
    }
    std::string why;
    const auto read = ReadSourceFile(source, &why);
    if (!read) {
        return Failure("cannot read " + source + ": " + why);
    }
    const std::vector<char>& data = *read;
    if (data.empty()) {
        return Failure("'" + source + "' is empty; a patch item needs data");
    }
    if (data.size() > UINT32_MAX) {
        return Failure("'" + source + "' is too large for a patch item");
    }
    const std::string file = parsed.positional[0];
    OpenPatch patch(lib, lib->KDZOpenPatch(file.c_str()));
    if (patch.get() == nullptr) {
        return Unreadable(parsed.positional[0]);
    }
    KDZITEM* item = lib->KDZAddItem(patch.get(), targets.c_str(), data.data(),
                                    static_cast<std::uint32_t>(data.size()));
    if (item == nullptr || !lib->KDZSetItemName(item, name.c_str())) {
        return Failure("cannot add the item to '" + parsed.positional[0] + "'");
    }
    errno = 0;
    if (!lib->KDZSavePatch(patch.get(), file.c_str())) {
        return CannotSave(parsed.positional[0]);
    }
    std::printf("added %s -> %s\n", name.c_str(), targets.c_str());
    return kExitOk;
}

// Item names come from a stranger's file: only a plain file name stays inside the directory.
bool SafeFileName(const std::string& name) {
    if (name.empty() || name == "." || name.find("..") != std::string::npos) {
        return false;
    }
    for (const char c : name) {
        if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20) {
            return false;
        }
    }
    return true;
}

int Extract(const PATCHLIBEXPORT* lib, const std::vector<std::string>& args) {
    if (args.size() != 3) {
        return UsageError("usage: patch extract FILE DIR");
    }
    OpenPatch patch(lib, lib->KDZOpenPatch(args[1].c_str()));
    if (patch.get() == nullptr) {
        return Unreadable(args[1]);
    }
    // Two items of one name would overwrite each other; the later one gets its number.
    std::set<std::string> used;
    std::vector<std::pair<KDZITEM*, std::string>> files;
    int number = 0;
    for (KDZITEM* item = lib->KDZGetFirstItem(patch.get()); item != nullptr;
         item = lib->KDZGetNextItem(item), ++number) {
        std::string name = lib->KDZGetItemName(item);
        if (!SafeFileName(name) || used.count(name) != 0) {
            name = "item" + std::to_string(number) + ".bin";
        }
        used.insert(name);
        files.emplace_back(item, name);
    }
    // Links below DIR are refused before anything is written; a failed write takes back
    // what this run created.
    ExtractionDirectory dir{std::filesystem::path(args[2])};
    for (const auto& [item, name] : files) {
        if (const std::string refused = dir.Check(name); !refused.empty()) {
            return Failure(refused + "; nothing was extracted");
        }
    }
    for (const auto& [item, name] : files) {
        std::uint32_t size = 0;
        const void* data = lib->KDZGetItemData(item, &size);
        std::string why;
        if (!dir.Write(name, data, size, &why)) {
            dir.RemoveCreated();
            return Failure(why + "; the files this extract had written were removed");
        }
    }
    std::error_code error;
    if (files.empty() && !std::filesystem::create_directories(args[2], error) && error) {
        return Failure("cannot create directory '" + args[2] + "'");
    }
    for (const auto& file : files) {
        std::printf("extracted %s\n", file.second.c_str());
    }
    return kExitOk;
}

int RunPatch(Context& context) {
    const auto& args = context.Args();
    if (args.empty()) {
        return UsageError("patch needs a subcommand: new, info, list, add, extract or set-info");
    }
    using Handler = int (*)(const PATCHLIBEXPORT*, const std::vector<std::string>&);
    const std::pair<const char*, Handler> handlers[] = {
        {"new", New}, {"info", Info},       {"list", List},
        {"add", Add}, {"extract", Extract}, {"set-info", SetInfo},
    };
    for (const auto& [verb, handler] : handlers) {
        if (args[0] != verb) {
            continue;
        }
        const PATCHLIBEXPORT* lib = context.PatchLib();
        return lib == nullptr ? kExitFailure : handler(lib, args);
    }
    return UsageError("unknown patch subcommand '" + args[0] + "'");
}

const Command kCommands[] = {
    {"patch",
     "new FILE --title T [--version V --author A --copyright C --description D] | info FILE | "
     "list FILE | add FILE SRCFILE TARGETS [--name N] | extract FILE DIR | set-info FILE "
     "[--title T ...]",
     "create, read and edit a Fastfile patch (.kdz)", RunPatch},
};

}  // namespace

std::span<const Command> PatchCommands() {
    return kCommands;
}

}  // namespace fftool
