#include "tests/support/temp_dir.h"

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace qm_test {

TempDir::TempDir(std::string_view stem) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / (std::string(stem) + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) {
        // Without its own directory a test would write into a shared one: stop here.
        std::perror("mkdtemp");
        std::abort();
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // A test may have taken the write right away to provoke a failure.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace qm_test
