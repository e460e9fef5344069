// Points every per-user store of the platform layer into a fresh directory for the lifetime
// of the object: the registry store, the desktop's data directory (desktop entries, MIME
// types), the endpoint directory of the running tools, and $HOME (Wine prefixes, Steam).
// $WINEPREFIX is cleared, so that the user's own prefix is never searched. Every variable
// gets its old value back afterwards.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

namespace qm_test {

class PrivateEnvironment {
  public:
    PrivateEnvironment();
    ~PrivateEnvironment();
    PrivateEnvironment(const PrivateEnvironment&) = delete;
    PrivateEnvironment& operator=(const PrivateEnvironment&) = delete;

    // `name` below the private directory.
    std::string File(const std::string& name) const { return dir_.File(name); }
    const std::string& Path() const { return dir_.Path(); }
    std::string RegistryStore() const { return File("registry.ini"); }

    // Sets one more variable for the object's lifetime (or clears it: nullopt).
    void Set(const std::string& name, const std::optional<std::string>& value);

  private:
    TempDir dir_{"quillmark-env"};
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace qm_test
