#include "setup/install_changes.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "setup/file_copy.h"
#include "setup/setup_services.h"

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

CInstallChanges::~CInstallChanges() = default;

bool CInstallChanges::CreateDirectories(const std::string& path) {
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
        changes_.push_back(DirectoryMade{it->string()});
    }
    return fs::is_directory(target, ec);
}

void CInstallChanges::FileCreated(const std::string& path) {
    changes_.push_back(FileMade{path});
}

bool CInstallChanges::SetAside(const std::string& path) {
    const std::string saved = SavedName(path);
    std::error_code ec;
    fs::rename(path, saved, ec);
    if (ec) {
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
            changes_.push_back(FileMade{path});
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
        changes_.push_back(KeyMade{root, made});
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
    changes_.push_back(std::move(before));
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
    changes_.push_back(std::move(before));
    return true;
}

void CInstallChanges::ServerRegistered(const std::string& library) {
    changes_.push_back(ServerCalled{library});
}

void CInstallChanges::ProgramRegistered(const std::string& program) {
    changes_.push_back(ProgramStarted{program});
}

void CInstallChanges::Undo(SetupServices& services) {
    std::error_code ec;
    for (auto it = changes_.rbegin(); it != changes_.rend(); ++it) {
        if (const auto* dir = std::get_if<DirectoryMade>(&*it)) {
            fs::remove(dir->path, ec);  // only when empty: it may hold what others put there
        } else if (const auto* file = std::get_if<FileMade>(&*it)) {
            fs::remove(file->path, ec);
        } else if (const auto* aside = std::get_if<FileSetAside>(&*it)) {
            fs::remove(aside->path, ec);
            fs::rename(aside->saved, aside->path, ec);
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
}

void CInstallChanges::Keep() {
    std::error_code ec;
    for (const Change& change : changes_) {
        if (const auto* aside = std::get_if<FileSetAside>(&change)) {
            fs::remove(aside->saved, ec);
        }
    }
    changes_.clear();
}

}  // namespace qm::setup
