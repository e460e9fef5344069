// A complete demo game in a private environment: the demo-game generator writes it below the
// private directory and the private registry store names it as the game's location, so that
// PackLib and the programs find it as they would find an installed game.
#pragma once

#include <string>

#include "tests/support/private_environment.h"

namespace qm_test {

class PrivateGame {
  public:
    // False from Made() with the reason in Error() when the game could not be written.
    explicit PrivateGame(bool withSounds = true);

    bool Made() const { return made_; }
    const std::string& Error() const { return error_; }
    // The game directory and its Fastfile directory, each without a trailing separator.
    std::string Directory() const { return environment_.File("game"); }
    std::string Fastfiles() const { return Directory() + "/fastfile"; }
    PrivateEnvironment& Environment() { return environment_; }

  private:
    PrivateEnvironment environment_;
    bool made_ = false;
    std::string error_;
};

// Sets or reads the game's location in the registry store that is in effect.
bool SetGamePathInRegistry(const std::string& directory);
std::string GamePathInRegistry();  // "<missing>" when not set

}  // namespace qm_test
