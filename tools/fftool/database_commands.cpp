// fftool's database command: db list|find|add|delete on a Fastfile database (ffinfo.txt).
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/fftool/fftool.h"
#include "tools/fftool/file_arguments.h"

namespace fftool {
namespace {

// A database opened through PackLib, closed when the command ends.
class OpenDatabase {
  public:
    OpenDatabase(const PACKLIBEXPORT* lib, FFLDB* db) : lib_(lib), db_(db) {}
    ~OpenDatabase() {
        if (db_ != nullptr) {
            lib_->FFLCloseDatabase(db_);
        }
    }
    OpenDatabase(const OpenDatabase&) = delete;
    OpenDatabase& operator=(const OpenDatabase&) = delete;
    FFLDB* get() const { return db_; }

  private:
    const PACKLIBEXPORT* lib_;
    FFLDB* db_;
};

// Database names are handed to PackLib as typed: it does not search for them, and a relative
// name made absolute could grow past what a path may hold.
int CannotSave(const std::string& file) {
    const int error = errno;
    return Failure("cannot save database '" + file + "': " + WriteFailureReason(error));
}

int List(const PACKLIBEXPORT* lib, const std::vector<std::string>& args) {
    if (args.size() > 2) {
        return UsageError("db list takes at most one database file");
    }
    // Without a file: the game's own database, as the programs of the suite open it.
    const std::string file = args.size() == 2 ? args[1] : "";
    OpenDatabase db(lib, lib->FFLOpenDatabase(file.empty() ? nullptr : file.c_str()));
    if (db.get() == nullptr) {
        return Failure(file.empty() ? "cannot open the game's Fastfile database"
                                    : "cannot open database '" + args[1] + "'");
    }
    for (FFLDBITEM* entry = lib->FFLGetFirstDbItem(db.get()); entry != nullptr;
         entry = lib->FFLGetNextDbItem(entry)) {
        std::printf("%s\t%s\n", lib->FFLGetDbItemPath(entry), lib->FFLGetDbItemFile(entry));
    }
    return kExitOk;
}

int Find(const PACKLIBEXPORT* lib, const std::vector<std::string>& args) {
    if (args.size() != 3 || args[2].empty()) {
        return UsageError("usage: db find FILE ITEMPATH");
    }
    OpenDatabase db(lib, lib->FFLOpenDatabase(args[1].c_str()));
    if (db.get() == nullptr) {
        return Failure("cannot open database '" + args[1] + "'");
    }
    FFLDBITEM* entry = lib->FFLFindDbItem(db.get(), args[2].c_str(), nullptr);
    if (entry == nullptr) {
        return Failure("no Fastfile holds '" + args[2] + "'");
    }
    std::printf("%s\n", lib->FFLGetDbItemFile(entry));
    return kExitOk;
}

bool ValidField(const std::string& text) {
    return !text.empty() && text.size() < FFL_MAX_PATH;
}

int Add(const PACKLIBEXPORT* lib, const std::vector<std::string>& args) {
    if (args.size() != 4) {
        return UsageError("usage: db add FILE PREFIX FASTFILE");
    }
    const std::string& prefix = args[2];
    if (!ValidField(prefix) || prefix.find(';') != std::string::npos) {
        return UsageError("the prefix must have 1 to 259 characters and no ';'");
    }
    if (!ValidField(args[3]) || args[3].find_first_of("\r\n") != std::string::npos) {
        return UsageError("the Fastfile name must have 1 to 259 characters on one line");
    }
    const std::string file = args[1];
    // A database that does not exist yet is created.
    std::error_code error;
    FFLDB* opened = std::filesystem::exists(file, error) ? lib->FFLOpenDatabase(file.c_str())
                                                         : lib->FFLCreateDatabase(file.c_str());
    OpenDatabase db(lib, opened);
    if (db.get() == nullptr) {
        return Failure("cannot open database '" + args[1] + "'");
    }
    for (FFLDBITEM* entry = lib->FFLGetFirstDbItem(db.get()); entry != nullptr;
         entry = lib->FFLGetNextDbItem(entry)) {
        if (lib->FFLGetDbItemPath(entry) == prefix) {
            return Failure("the database already has the prefix '" + prefix + "'");
        }
    }
    if (lib->FFLAddDbItem(db.get(), prefix.c_str(), args[3].c_str()) == nullptr ||
        !lib->FFLSaveDatabase(db.get(), nullptr)) {
        return CannotSave(args[1]);
    }
    std::printf("added %s -> %s\n", prefix.c_str(), args[3].c_str());
    return kExitOk;
}

int Delete(const PACKLIBEXPORT* lib, const std::vector<std::string>& args) {
    if (args.size() != 3) {
        return UsageError("usage: db delete FILE PREFIX");
    }
    OpenDatabase db(lib, lib->FFLOpenDatabase(args[1].c_str()));
    if (db.get() == nullptr) {
        return Failure("cannot open database '" + args[1] + "'");
    }
    FFLDBITEM* found = nullptr;
    for (FFLDBITEM* entry = lib->FFLGetFirstDbItem(db.get()); entry != nullptr && !found;
         entry = lib->FFLGetNextDbItem(entry)) {
        if (lib->FFLGetDbItemPath(entry) == args[2]) {
            found = entry;
        }
    }
    if (found == nullptr) {
        return Failure("the database has no prefix '" + args[2] + "'");
    }
    lib->FFLDeleteDbItem(db.get(), found);
    if (!lib->FFLSaveDatabase(db.get(), nullptr)) {
        return CannotSave(args[1]);
    }
    std::printf("deleted %s\n", args[2].c_str());
    return kExitOk;
}

int RunDatabase(Context& context) {
    const auto& args = context.Args();
    if (args.empty()) {
        return UsageError("db needs a subcommand: list, find, add or delete");
    }
    const std::string& verb = args[0];
    if (verb != "list" && verb != "find" && verb != "add" && verb != "delete") {
        return UsageError("unknown db subcommand '" + verb + "'");
    }
    const PACKLIBEXPORT* lib = context.PackLib();
    if (lib == nullptr) {
        return kExitFailure;
    }
    if (verb == "list") {
        return List(lib, args);
    }
    if (verb == "find") {
        return Find(lib, args);
    }
    return verb == "add" ? Add(lib, args) : Delete(lib, args);
}

const Command kCommands[] = {
    {"db", "list [FILE] | find FILE ITEMPATH | add FILE PREFIX FASTFILE | delete FILE PREFIX",
     "read and edit a Fastfile database (without FILE, list the game's ffinfo.txt)", RunDatabase},
};

}  // namespace

std::span<const Command> DatabaseCommands() {
    return kCommands;
}

}  // namespace fftool
