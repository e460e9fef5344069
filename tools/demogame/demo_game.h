#pragma once

// A small, complete game directory for trying the tools and for tests that need a real game:
// a stand-in program, the Fastfile database, a few graphics Fastfiles of procedural textures
// and the sound archive of synthesised tones. Every run writes the same bytes.

#include <string>
#include <vector>

namespace demogame {

struct DemoGameOptions {
    // Without sounds neither "COMMON.FFL" nor its database entry is written (a COMMON.FFL
    // left by an earlier run is removed).
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
    int bitsPerPixel;  // depth of the first slot ("Image 1"); see DemoTextureSlotDepths()
    bool transparent;  // transparency mode 6
};
struct DemoSound {
    std::string itemPath;
    int rate;
    int channels;
    int bits;
    double seconds;  // exact: the data chunk holds rate * seconds frames
};
struct DemoFastfile {  // one database entry
    std::string fileName;
    std::string folder;
};

// In ffinfo.txt order, including the sound entry. A more specific folder comes before the
// folder that contains it, since the database answers with the first matching entry.
const std::vector<DemoFastfile>& DemoFastfiles();
// Textures of the Fastfiles in the database; each is found through it by its item path.
const std::vector<DemoTexture>& DemoTextures();
const std::vector<DemoSound>& DemoSounds();

// Depths of the texture's slots in slot order: {16, 8, 4} for the one texture whose slots
// were made from one picture by CRimArchive::FillSlots, else {bitsPerPixel}.
std::vector<int> DemoTextureSlotDepths(const DemoTexture& texture);

// The sound archive's name on disk; the database names it "Common.ffl" on purpose, since
// Fastfile names are looked up without regard to letter case.
inline constexpr const char* kDemoSoundArchiveFile = "COMMON.FFL";

// A graphics Fastfile that the database does not list, for opening one Fastfile by itself.
// Besides its textures it holds one item that is neither a texture nor a sound.
const DemoFastfile& DemoUnlistedFastfile();
const std::vector<DemoTexture>& DemoUnlistedTextures();
// Item path of its item of another kind (a short text).
const std::string& DemoUnlistedOtherItem();

}  // namespace demogame
