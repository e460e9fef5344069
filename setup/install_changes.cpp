#include "setup/install_changes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "setup/file_copy.h"
#include "setup/setup_paths.h"
#include "setup/setup_services.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace qm::setup {

namespace {

namespace fs = std::filesystem;

constexpr auto kUnregisterWait = std::chrono::milliseconds(500);

std::string TrimmedKey(std::string key) {
    while (!key.empty() && key.back() == '\\') {
        key.pop_back();
    }
    while (!key.empty() && key.front() == '\\') {
        key.erase(0, 1);
    }
    return key;
}

std::string EscapedField(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '\t') {
            escaped += "\\t";
        } else if (c == '\n') {
            escaped += "\\n";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string UnescapedField(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            plain += next == 't' ? '\t' : next == 'n' ? '\n' : next;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

// A free name beside the file: ".name.setup-saved", ".name.setup-saved2", ...
std::string SavedName(const std::string& path) {
    const fs::path original(path);
    for (int n = 1;; ++n) {
        std::string name = "." + original.filename().string() + ".setup-saved";
        if (n > 1) {
            name += std::to_string(n);
        }
        const std::string candidate = (original.parent_path() / name).string();
        if (!PathExists(candidate)) {
            return candidate;
        }
    }
}

}  // namespace

CInstallChanges::~CInstallChanges() {
    if (journal_ >= 0) {
        close(journal_);  // an unfinished run: the journal stays for the next Setup
    }
}

bool CInstallChanges::OpenJournal(const std::string& path) {
#if !defined(_WIN32)
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    // Held while the run goes on, so that recovery leaves a running Setup's journal alone.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    journal_ = fd;
    journalPath_ = path;
    return true;
#else
    (void)path;
    return false;
#endif
}

void CInstallChanges::CloseJournal() {
    if (journal_ >= 0) {
        std::error_code ec;
        fs::remove(journalPath_, ec);
        close(journal_);
        journal_ = -1;
    }
}

void CInstallChanges::Journal(const std::vector<std::string>& fields) {
    if (journal_ < 0) {
        return;
    }
    std::string line;
    for (const std::string& field : fields) {
        if (!line.empty()) {
            line += '\t';
        }
        line += EscapedField(field);
    }
    line += '\n';
    // One write per change: a killed run leaves whole lines and at most one cut-off last one.
    [[maybe_unused]] const ssize_t written = write(journal_, line.data(), line.size());
}

void CInstallChanges::Record(Change change) {
    if (journal_ >= 0) {
        if (const auto* dir = std::get_if<DirectoryMade>(&change)) {
            Journal({"dir", dir->path});
        } else if (const auto* file = std::get_if<FileMade>(&change)) {
            Journal({"file", file->path});
        } else if (const auto* key = std::get_if<KeyMade>(&change)) {
            Journal({"key", std::to_string(static_cast<int>(key->root)), key->key});
        } else if (const auto* value = std::get_if<ValueWritten>(&change)) {
            const std::string kind = value->oldDword    ? "dword"
                                     : value->oldString ? "string"
                                                        : "none";
            const std::string old = value->oldDword    ? std::to_string(*value->oldDword)
                                    : value->oldString ? *value->oldString
                                                       : "";
            Journal({"value", std::to_string(static_cast<int>(value->root)), value->key,
                     value->name, kind, old});
        } else if (const auto* server = std::get_if<ServerCalled>(&change)) {
            Journal({"server", server->library});
        } else if (const auto* program = std::get_if<ProgramStarted>(&change)) {
            Journal({"program", program->program});
        }
    }
    changes_.push_back(std::move(change));
}

bool CInstallChanges::ReadJournalLine(const std::string& line) {
    std::vector<std::string> f;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        f.push_back(UnescapedField(line.substr(start, tab - start)));
        if (tab == std::string::npos) {
            break;
        }
        start = tab + 1;
    }
    const auto root = [](const std::string& text) {
        return static_cast<RegistryRoot>(std::clamp(std::atoi(text.c_str()), 0, 4));
    };
    const std::string& kind = f[0];
    if (kind == "dir" && f.size() == 2) {
        changes_.push_back(DirectoryMade{f[1]});
    } else if (kind == "file" && f.size() == 2) {
        changes_.push_back(FileMade{f[1]});
    } else if (kind == "aside" && f.size() == 3) {
        changes_.push_back(FileSetAside{f[1], f[2]});
    } else if (kind == "back" && f.size() == 2) {
        for (auto it = changes_.rbegin(); it != changes_.rend(); ++it) {
            if (const auto* aside = std::get_if<FileSetAside>(&*it); aside && aside->path == f[1]) {
                changes_.erase(std::next(it).base());
                break;
            }
        }
    } else if (kind == "key" && f.size() == 3) {
        changes_.push_back(KeyMade{root(f[1]), f[2]});
    } else if (kind == "value" && f.size() == 6) {
        ValueWritten value{root(f[1]), f[2], f[3], std::nullopt, std::nullopt};
        if (f[4] == "dword") {
            value.oldDword = static_cast<std::uint32_t>(std::strtoul(f[5].c_str(), nullptr, 10));
        } else if (f[4] == "string") {
            value.oldString = f[5];
        }
        changes_.push_back(std::move(value));
    } else if (kind == "server" && f.size() == 2) {
        changes_.push_back(ServerCalled{f[1]});
    } else if (kind == "program" && f.size() == 2) {
        changes_.push_back(ProgramStarted{f[1]});
    } else {
        return false;
    }
    return true;
}

int CInstallChanges::RecoverInterrupted(const std::string& folder, SetupServices& services) {
    int recovered = 0;
#if !defined(_WIN32)
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(kJournalPrefix, 0) != 0 || entry.path().extension() != kJournalExtension) {
            continue;
        }
        const int fd = open(entry.path().c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            close(fd);  // its Setup is still running
            continue;
        }
        CInstallChanges changes;
        std::ifstream stream(entry.path());
        for (std::string line; std::getline(stream, line) && changes.ReadJournalLine(line);) {
        }
        changes.Undo(services);
        fs::remove(entry.path(), ec);
        close(fd);
        ++recovered;
    }
#else
    (void)folder;
    (void)services;
#endif
    return recovered;
}

bool CInstallChanges::CreateDirectories(const std::string& path, std::vector<std::string>* made) {
    std::error_code ec;
    fs::path target = fs::path(path);
    if (!target.has_filename()) {
        target = target.parent_path();  // a trailing separator
    }
    std::vector<fs::path> missing;
    for (fs::path p = target; !p.empty() && !fs::exists(p, ec); p = p.parent_path()) {
        missing.push_back(p);
        if (p == p.parent_path()) {
            break;
        }
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (!fs::create_directory(*it, ec) && !fs::is_directory(*it, ec)) {
            return false;
        }
        Record(DirectoryMade{it->string()});
        if (made != nullptr) {
            made->push_back(WithTrailingSeparator(it->string()));
        }
    }
    return fs::is_directory(target, ec);
}

void CInstallChanges::FileCreated(const std::string& path) {
    Record(FileMade{path});
}

bool CInstallChanges::SetAside(const std::string& path) {
    const std::string saved = SavedName(path);
    // Journaled first: a run killed right after the rename must still find the file.
    Journal({"aside", path, saved});
    std::error_code ec;
    fs::rename(path, saved, ec);
    if (ec) {
        Journal({"back", path});
        return false;
    }
    changes_.push_back(FileSetAside{path, saved});
    return true;
}

void CInstallChanges::PutBackLast() {
    for (auto it = changes_.rbegin(); it != changes_.rend(); ++it) {
        if (auto* aside = std::get_if<FileSetAside>(&*it)) {
            std::error_code ec;
            fs::remove(aside->path, ec);
            fs::rename(aside->saved, aside->path, ec);
            Journal({"back", aside->path});
            changes_.erase(std::next(it).base());
            return;
        }
    }
}

bool CInstallChanges::WriteFile(const std::string& path, const std::string& content,
                                unsigned mode) {
    const bool existed = PathExists(path);
    if (existed && !SetAside(path)) {
        return false;
    }
    bool written = false;
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        if (file) {
            file.write(content.data(), static_cast<std::streamsize>(content.size()));
            file.close();
            written = !file.fail();
        }
    }
    std::error_code ec;
    if (written) {
        fs::permissions(path, static_cast<fs::perms>(mode), ec);
        if (!existed) {
            Record(FileMade{path});
        }
        return true;
    }
    // What was there before comes back at once: the run goes on without this file.
    if (existed) {
        PutBackLast();
    } else {
        fs::remove(path, ec);
    }
    return false;
}

void CInstallChanges::NoteKeyParents(RegistryRoot root, const std::string& key,
                                     std::vector<std::string>& missing) {
    const std::string trimmed = TrimmedKey(key);
    for (std::size_t end = 0; end != std::string::npos;) {
        end = trimmed.find('\\', end + 1);
        const std::string prefix = trimmed.substr(0, end);
        if (!prefix.empty() && !RegistryKeyExists(root, prefix)) {
            missing.push_back(prefix);
        }
    }
}

bool CInstallChanges::CreateKey(RegistryRoot root, const std::string& key) {
    std::vector<std::string> missing;
    NoteKeyParents(root, key, missing);
    if (!RegistryCreateKey(root, TrimmedKey(key))) {
        return false;
    }
    for (const std::string& made : missing) {
        Record(KeyMade{root, made});
    }
    return true;
}

CInstallChanges::ValueWritten CInstallChanges::Before(RegistryRoot root, const std::string& key,
                                                      const std::string& name) {
    ValueWritten before{root, key, name, std::nullopt, RegistryGetDword(root, key, name)};
    if (!before.oldDword) {
        before.oldString = RegistryGetString(root, key, name);
    }
    return before;
}

bool CInstallChanges::SetString(RegistryRoot root, const std::string& key, const std::string& name,
                                const std::string& value) {
    if (!CreateKey(root, key)) {
        return false;
    }
    ValueWritten before = Before(root, key, name);
    if (!RegistrySetString(root, key, name, value)) {
        return false;
    }
    Record(std::move(before));
    return true;
}

bool CInstallChanges::SetDword(RegistryRoot root, const std::string& key, const std::string& name,
                               std::uint32_t value) {
    if (!CreateKey(root, key)) {
        return false;
    }
    ValueWritten before = Before(root, key, name);
    if (!RegistrySetDword(root, key, name, value)) {
        return false;
    }
    Record(std::move(before));
    return true;
}

void CInstallChanges::ServerRegistered(const std::string& library) {
    Record(ServerCalled{library});
}

void CInstallChanges::ProgramRegistered(const std::string& program) {
    Record(ProgramStarted{program});
}

void CInstallChanges::Undo(SetupServices& services) {
    std::error_code ec;
    for (auto it = changes_.rbegin(); it != changes_.rend(); ++it) {
        if (const auto* dir = std::get_if<DirectoryMade>(&*it)) {
            fs::remove(dir->path, ec);  // only when empty: it may hold what others put there
        } else if (const auto* file = std::get_if<FileMade>(&*it)) {
            fs::remove(file->path, ec);
        } else if (const auto* aside = std::get_if<FileSetAside>(&*it)) {
            // A journaled rename that never happened leaves the file where it is.
            if (PathExists(aside->saved)) {
                fs::remove(aside->path, ec);
                fs::rename(aside->saved, aside->path, ec);
            }
        } else if (const auto* made = std::get_if<KeyMade>(&*it)) {
            RegistryDeleteKey(made->root, made->key);
        } else if (const auto* value = std::get_if<ValueWritten>(&*it)) {
            if (value->oldDword) {
                RegistrySetDword(value->root, value->key, value->name, *value->oldDword);
            } else if (value->oldString) {
                RegistrySetString(value->root, value->key, value->name, *value->oldString);
            } else {
                RegistryDeleteValue(value->root, value->key, value->name);
            }
        } else if (const auto* server = std::get_if<ServerCalled>(&*it)) {
            services.CallServerEntry(server->library, "DllUnregisterServer");
        } else if (const auto* program = std::get_if<ProgramStarted>(&*it)) {
            services.StartProgram(program->program, "/UnRegServer", kUnregisterWait);
        }
    }
    changes_.clear();
    CloseJournal();
}

void CInstallChanges::Keep() {
    // The journal goes first: from here on the run stands, even if Setup dies before the
    // saved copies are gone.
    CloseJournal();
    std::error_code ec;
    for (const Change& change : changes_) {
        if (const auto* aside = std::get_if<FileSetAside>(&change)) {
            fs::remove(aside->saved, ec);
        }
    }
    changes_.clear();
}

}  // namespace qm::setup
