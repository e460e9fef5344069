#include "tests/support/private_game.h"

#include "platform/registry.h"
#include "suite/game.h"
#include "tools/demogame/demo_game.h"

namespace qm_test {

PrivateGame::PrivateGame(bool withSounds) {
    made_ = demogame::MakeDemoGame(Directory(), {.withSounds = withSounds}, &error_) &&
            SetGamePathInRegistry(Directory());
    if (!made_ && error_.empty()) {
        error_ = "cannot write the game's location to the registry store";
    }
}

bool SetGamePathInRegistry(const std::string& directory) {
    return qm::RegistrySetString(qm::RegistryRoot::LocalMachine, suite::kGameRegistryKey,
                                 suite::kGamePathValue, directory);
}

std::string GamePathInRegistry() {
    return qm::RegistryGetString(qm::RegistryRoot::LocalMachine, suite::kGameRegistryKey,
                                 suite::kGamePathValue)
        .value_or("<missing>");
}

}  // namespace qm_test
