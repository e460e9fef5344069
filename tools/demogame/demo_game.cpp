#include "tools/demogame/demo_game.h"

namespace demogame {

bool MakeDemoGame(const std::string& directory, const DemoGameOptions& options,
                  std::string* error) {
    (void)directory;
    (void)options;
    if (error != nullptr) {
        *error = "not written yet";
    }
    return false;
}

const std::vector<DemoFastfile>& DemoFastfiles() {
    static const std::vector<DemoFastfile> fastfiles;
    return fastfiles;
}

const std::vector<DemoTexture>& DemoTextures() {
    static const std::vector<DemoTexture> textures;
    return textures;
}

const std::vector<DemoSound>& DemoSounds() {
    static const std::vector<DemoSound> sounds;
    return sounds;
}

}  // namespace demogame
