#include "tests/support/tree_snapshot.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "inidoc/ini_document.h"

namespace qm_test {

namespace {

namespace fs = std::filesystem;

std::string ContentHash(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::uint64_t hash = 1469598103934665603ull;
    char c;
    while (in.get(c)) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    std::ostringstream text;
    text << std::hex << hash;
    return text.str();
}

std::string Describe(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    std::ostringstream text;
    text << std::oct << static_cast<unsigned>(status.permissions()) << ' ';
    if (fs::is_symlink(status)) {
        text << "link to " << fs::read_symlink(path, ec).string();
    } else if (fs::is_directory(status)) {
        text << "folder";
    } else {
        text << "file " << fs::file_size(path, ec) << " bytes #" << ContentHash(path);
    }
    return text.str();
}

}  // namespace

TreeSnapshot TakeTreeSnapshot(const std::map<std::string, std::string>& folders,
                              const std::string& registryStore) {
    TreeSnapshot snapshot;
    for (const auto& [name, folder] : folders) {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(folder, ec);
             it != fs::recursive_directory_iterator(); it.increment(ec)) {
            const std::string relative = fs::relative(it->path(), folder, ec).string();
            snapshot.files[name + "/" + relative] = Describe(it->path());
        }
    }
    CIniDocument store;
    store.Load(registryStore);
    for (const CIniDocument::Section& section : store.Sections()) {
        const std::string key = "[" + section.name + "]";
        bool any = false;
        for (const CIniDocument::Entry& entry : section.entries) {
            if (entry.key) {
                snapshot.registry[key + " " + *entry.key] = entry.value.value_or("");
                any = true;
            }
        }
        if (!any) {
            snapshot.registry[key] = "";
        }
    }
    return snapshot;
}

std::vector<std::string> SnapshotDifferences(const TreeSnapshot& before,
                                             const TreeSnapshot& after) {
    std::vector<std::string> lines;
    const auto compare = [&lines](const std::map<std::string, std::string>& a,
                                  const std::map<std::string, std::string>& b) {
        for (const auto& [path, what] : b) {
            const auto old = a.find(path);
            if (old == a.end()) {
                lines.push_back("+ " + path + " (" + what + ")");
            } else if (old->second != what) {
                lines.push_back("~ " + path + " (" + old->second + " -> " + what + ")");
            }
        }
        for (const auto& [path, what] : a) {
            if (b.count(path) == 0) {
                lines.push_back("- " + path + " (" + what + ")");
            }
        }
    };
    compare(before.files, after.files);
    compare(before.registry, after.registry);
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

}  // namespace qm_test
