// What a program left behind: a snapshot of folders (every path with its kind, permissions and
// content) and of the registry store (every key with its values), and the differences between
// two snapshots as lines a failing test prints.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace qm_test {

struct TreeSnapshot {
    // "<root name>/<relative path>" -> kind, permissions and a hash of the content.
    std::map<std::string, std::string> files;
    // "[key] value=data" lines, one per value; "[key]" alone for a key without values.
    std::map<std::string, std::string> registry;
};

// The folders are named in the snapshot by the names given with them, so that snapshots of
// two different private folders still compare.
TreeSnapshot TakeTreeSnapshot(const std::map<std::string, std::string>& folders,
                              const std::string& registryStore);

// "+ path (what)" for what is new, "- path" for what went, "~ path" for what changed; empty
// when the snapshots are equal.
std::vector<std::string> SnapshotDifferences(const TreeSnapshot& before, const TreeSnapshot& after);
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace qm_test
