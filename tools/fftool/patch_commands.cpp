// fftool's patch command: patch new|info|list|add|extract|set-info on a Fastfile patch (.kdz).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "tools/fftool/fftool.h"

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

std::string Absolute(const std::string& path) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
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
    const std::string file = Absolute(parsed.positional[0]);
    std::error_code exists;
    if (std::filesystem::exists(file, exists)) {
        return Failure("'" + parsed.positional[0] + "' already exists");
    }
    OpenPatch patch(lib, lib->KDZCreatePatch(file.c_str()));
    if (patch.get() == nullptr) {
        return Failure("cannot create patch '" + parsed.positional[0] + "'");
    }
    std::string error;
    if (!ApplyHeader(patch.get(), parsed, &error)) {
        return UsageError(error);
    }
    if (patch.get()->szTitle[0] == '\0') {
        return UsageError("the title must not be empty");
    }
    if (!lib->KDZSavePatch(patch.get(), file.c_str())) {
        return Failure("cannot save patch '" + parsed.positional[0] + "'");
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
    const std::string file = Absolute(parsed.positional[0]);
    OpenPatch patch(lib, lib->KDZOpenPatch(file.c_str()));
    if (patch.get() == nullptr) {
        return Failure("cannot open patch '" + parsed.positional[0] + "'");
    }
    std::string error;
    if (!ApplyHeader(patch.get(), parsed, &error)) {
        return UsageError(error);
    }
    if (!lib->KDZSavePatch(patch.get(), file.c_str())) {
        return Failure("cannot save patch '" + parsed.positional[0] + "'");
    }
    std::printf("updated %s\n", parsed.positional[0].c_str());
    return kExitOk;
}

int Info(const PATCHLIBEXPORT* lib, const std::vector<std::string>& args) {
    if (args.size() != 2) {
        return UsageError("usage: patch info FILE");
    }
    OpenPatch patch(lib, lib->KDZOpenPatch(Absolute(args[1]).c_str()));
    if (patch.get() == nullptr) {
        return Failure("cannot open patch '" + args[1] + "'");
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
    OpenPatch patch(lib, lib->KDZOpenPatch(Absolute(args[1]).c_str()));
    if (patch.get() == nullptr) {
        return Failure("cannot open patch '" + args[1] + "'");
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

bool ReadWholeFile(const std::string& path, std::vector<char>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
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
    std::vector<char> data;
    if (!ReadWholeFile(source, &data)) {
        return Failure("cannot read '" + source + "'");
    }
    if (data.empty()) {
        return Failure("'" + source + "' is empty; a patch item needs data");
    }
    if (data.size() > UINT32_MAX) {
        return Failure("'" + source + "' is too large for a patch item");
    }
    const std::string file = Absolute(parsed.positional[0]);
    OpenPatch patch(lib, lib->KDZOpenPatch(file.c_str()));
    if (patch.get() == nullptr) {
        return Failure("cannot open patch '" + parsed.positional[0] + "'");
    }
    KDZITEM* item = lib->KDZAddItem(patch.get(), targets.c_str(), data.data(),
                                    static_cast<std::uint32_t>(data.size()));
    if (item == nullptr || !lib->KDZSetItemName(item, name.c_str())) {
        return Failure("cannot add the item to '" + parsed.positional[0] + "'");
    }
    if (!lib->KDZSavePatch(patch.get(), file.c_str())) {
        return Failure("cannot save patch '" + parsed.positional[0] + "'");
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

bool WriteItemFile(const std::filesystem::path& target, const void* data, std::uint32_t size) {
    qm::AtomicFile file(target.string());
    if (!file.Open()) {
        return false;
    }
    if (size != 0 && std::fwrite(data, 1, size, file.Stream()) != size) {
        return false;
    }
    return file.Commit();
}

int Extract(const PATCHLIBEXPORT* lib, const std::vector<std::string>& args) {
    if (args.size() != 3) {
        return UsageError("usage: patch extract FILE DIR");
    }
    OpenPatch patch(lib, lib->KDZOpenPatch(Absolute(args[1]).c_str()));
    if (patch.get() == nullptr) {
        return Failure("cannot open patch '" + args[1] + "'");
    }
    const std::filesystem::path dir(args[2]);
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (!std::filesystem::is_directory(dir, error)) {
        return Failure("cannot create directory '" + args[2] + "'");
    }
    // Two items of one name would overwrite each other; the later one gets its number.
    std::set<std::string> used;
    int number = 0;
    for (KDZITEM* item = lib->KDZGetFirstItem(patch.get()); item != nullptr;
         item = lib->KDZGetNextItem(item), ++number) {
        std::string name = lib->KDZGetItemName(item);
        if (!SafeFileName(name) || used.count(name) != 0) {
            name = "item" + std::to_string(number) + ".bin";
        }
        used.insert(name);
        std::uint32_t size = 0;
        const void* data = lib->KDZGetItemData(item, &size);
        if (!WriteItemFile(dir / name, data, size)) {
            return Failure("cannot write '" + (dir / name).string() + "'");
        }
        std::printf("extracted %s\n", name.c_str());
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
