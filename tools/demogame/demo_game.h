#pragma once

// A small, complete game directory for trying the tools and for tests that need a real game:
// a stand-in program, the Fastfile database, a few graphics Fastfiles of procedural textures
// and the sound archive of synthesised tones.

#include <string>
#include <vector>

namespace demogame {

struct DemoGameOptions {
    bool withSounds = true;
};

// Writes a complete small game directory at `directory` (created when missing; existing demo
// files are replaced): "AvP.exe" placeholder, "fastfile/ffinfo.txt", graphics Fastfiles,
// "fastfile/COMMON.FFL" sounds. Binds PackLib by name ("PackLib.dll"/"PackLibInit") itself.
// False with *error on failure.
bool MakeDemoGame(const std::string& directory, const DemoGameOptions& options, std::string* error);

// What was written, so that tests can check against it without hard-coding names.
struct DemoTexture {
    std::string itemPath;
    int width;
    int height;
    int bitsPerPixel;
    bool transparent;
};
struct DemoSound {
    std::string itemPath;
    int rate;
    int channels;
    int bits;
    double seconds;
};
struct DemoFastfile {  // one database entry
    std::string fileName;
    std::string folder;
};

const std::vector<DemoFastfile>& DemoFastfiles();  // in ffinfo.txt order, including the sound entry
const std::vector<DemoTexture>& DemoTextures();
const std::vector<DemoSound>& DemoSounds();

}  // namespace demogame
