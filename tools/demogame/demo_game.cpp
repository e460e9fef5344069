#include "tools/demogame/demo_game.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>

#include "packlib/packlib.h"
#include "platform/atomic_file.h"
#include "platform/file_search.h"
#include "platform/library_binding.h"
#include "texbench/imaging/rim_archive.h"
#include "tools/demogame/demo_pictures.h"
#include "tools/demogame/demo_sounds.h"

namespace demogame {
namespace {

// ---------------------------------------------------------------------------------------
// What the game holds.

struct TextureRecipe {
    const char* itemPath;
    unsigned width;
    unsigned height;
    int depth;       // 4, 8 or 16: the (first) slot's depth
    bool fillSlots;  // three slots at 16, 8 and 4 bits from one picture
    Pattern pattern;
    bool compressed;
    bool transparent;
    std::uint32_t keyColor;  // 0x00BBGGRR, with transparent
};

struct GraphicsRecipe {
    DemoFastfile entry;
    std::vector<TextureRecipe> textures;
};

struct SoundRecipe {
    const char* itemPath;
    Tone tone;
    ToneFormat format;
};

constexpr const char* kSoundFolder = "sound\\Common";
constexpr const char* kSoundDatabaseName = "Common.ffl";
constexpr const char* kDatabaseFile = "ffinfo.txt";
constexpr const char* kFastfileFolder = "fastfile";
constexpr const char* kPlaceholderFile = "AvP.exe";

const std::vector<GraphicsRecipe>& ListedGraphics() {
    static const std::vector<GraphicsRecipe> recipes = {
        {{"Aliens.ffl", "graphics\\Aliens"},
         {{"graphics\\Aliens\\skin.rim", 64, 64, 16, true, Pattern::AlienSkin, false, false, 0},
          {"graphics\\Aliens\\Queen\\crest.rim", 32, 32, 8, false, Pattern::Rings, true, false,
           0}}},
        {{"Weapons.ffl", "graphics\\Marine\\Weapons"},
         {{"graphics\\Marine\\Weapons\\pulserifle.rim", 64, 32, 8, false, Pattern::Stripes, true,
           false, 0},
          {"graphics\\Marine\\Weapons\\smartgun.rim", 32, 32, 4, false, Pattern::Checkerboard, true,
           false, 0}}},
        {{"Marine.ffl", "graphics\\Marine"},
         {{"graphics\\Marine\\armour.rim", 48, 48, 16, false, Pattern::Plates, false, false, 0},
          {"graphics\\Marine\\portrait.rim", 40, 30, 8, false, Pattern::Rings, false, false, 0}}},
        {{"Predator.ffl", "graphics\\Predator"},
         {{"graphics\\Predator\\Hud\\targeting.rim", 32, 32, 4, false, Pattern::Target, true, true,
           kTargetKeyColor},
          {"graphics\\Predator\\Hud\\vision.rim", 64, 32, 8, false, Pattern::HeatVision, false,
           false, 0},
          {"graphics\\Predator\\mask.rim", 32, 32, 8, false, Pattern::Metal, true, false, 0}}},
        {{"Menus.ffl", "graphics\\Menus"},
         {{"graphics\\Menus\\title.rim", 96, 48, 16, false, Pattern::Gradient, true, false, 0},
          {"graphics\\Menus\\cursor.rim", 16, 16, 4, false, Pattern::Cursor, false, true,
           kCursorKeyColor}}},
    };
    return recipes;
}

const GraphicsRecipe& UnlistedGraphics() {
    static const GraphicsRecipe recipe = {
        {"Extras.ffl", "graphics\\Extras"},
        {{"graphics\\Extras\\testcard.rim", 64, 48, 8, false, Pattern::TestCard, true, false, 0}}};
    return recipe;
}

constexpr const char* kUnlistedOtherItem = "graphics\\Extras\\readme.txt";
constexpr const char* kUnlistedOtherText =
    "Extras.ffl is not listed in ffinfo.txt: open it as a single Fastfile.\r\n";

const std::vector<SoundRecipe>& SoundRecipes() {
    static const std::vector<SoundRecipe> recipes = {
        {"sound\\Common\\beep.wav", Tone::Beep, {11025, 1, 8, 4410}},
        {"sound\\Common\\chirp.wav", Tone::Chirp, {22050, 1, 16, 22050}},
        {"sound\\Common\\hiss.wav", Tone::Hiss, {22050, 2, 8, 13230}},
        {"sound\\Common\\alarm.wav", Tone::Alarm, {44100, 2, 16, 22050}},
        {"sound\\Common\\hum.wav", Tone::Hum, {11025, 1, 16, 22050}},
        {"sound\\Common\\click.wav", Tone::Click, {44100, 1, 8, 4410}},
    };
    return recipes;
}

DemoTexture Describe(const TextureRecipe& r) {
    return {r.itemPath, static_cast<int>(r.width), static_cast<int>(r.height), r.depth,
            r.transparent};
}

// ---------------------------------------------------------------------------------------
// Writing it.

class Archive {
  public:
    Archive(const PACKLIBEXPORT& lib, FFLARCHIVE* archive) : lib_(lib), archive_(archive) {}
    ~Archive() {
        if (archive_ != nullptr) {
            lib_.FFLCloseArchive(archive_);
        }
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;
    FFLARCHIVE* get() const { return archive_; }

  private:
    const PACKLIBEXPORT& lib_;
    FFLARCHIVE* archive_;
};

class Database {
  public:
    Database(const PACKLIBEXPORT& lib, FFLDB* db) : lib_(lib), db_(db) {}
    ~Database() {
        if (db_ != nullptr) {
            lib_.FFLCloseDatabase(db_);
        }
    }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    FFLDB* get() const { return db_; }

  private:
    const PACKLIBEXPORT& lib_;
    FFLDB* db_;
};

bool Fail(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text;
    }
    return false;
}

bool WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    qm::AtomicFile file(path);
    return file.Open() &&
           std::fwrite(bytes.data(), 1, bytes.size(), file.Stream()) == bytes.size() &&
           file.Commit();
}

std::span<const std::uint8_t> TextBytes(const char* text) {
    return {reinterpret_cast<const std::uint8_t*>(text), std::char_traits<char>::length(text)};
}

// Brings a true-colour picture down to the recipe's single depth.
bool ReduceTo(IMAGEDATA* picture, int depth) {
    switch (depth) {
        case 4:
            return ImgTo4Bit(picture, 8);
        case 8:
            return ImgTo8Bit(picture, 8);
        case 16:
            return ImgToIndexed(picture, 8) && picture->header.bDepth == 16;
        default:
            return false;
    }
}

bool AddSingleSlot(const TextureRecipe& r, IMAGEDATA* picture, CRimArchive& rim) {
    CRimImage image;
    if (!ReduceTo(picture, r.depth) || !image.ImportFrom(picture) ||
        !image.SetCompression(r.compressed)) {
        return false;
    }
    return rim.AddSlotForm(image.BuildForm());
}

int SlotDepth(const CRimArchive& rim, unsigned slot) {
    CRimImage image;
    if (!image.ParseForm(rim.GetSlot(slot))) {
        return 0;
    }
    const unsigned planes = image.GetPlanes();
    return planes <= 4 ? 4 : planes <= 8 ? 8 : 16;
}

// A picture with too few colours would be stored at a smaller depth than the catalogue
// says; the catalogue is checked against what was really made.
bool HasRecipeDepths(const TextureRecipe& r, const CRimArchive& rim) {
    const std::vector<int> depths = DemoTextureSlotDepths(Describe(r));
    for (unsigned slot = 0; slot < CRimArchive::kSlots; ++slot) {
        const int expected = slot < depths.size() ? depths[slot] : 0;
        const int actual = rim.IsSlotEmpty(slot) ? 0 : SlotDepth(rim, slot);
        if (actual != expected) {
            return false;
        }
    }
    return true;
}

std::vector<std::uint8_t> BuildTexture(const TextureRecipe& r) {
    Picture picture;
    if (!DrawPicture(r.pattern, r.width, r.height, picture.get())) {
        return {};
    }
    CRimArchive rim;
    const bool filled =
        r.fillSlots ? rim.FillSlots(picture.get()) : AddSingleSlot(r, picture.get(), rim);
    if (!filled || !HasRecipeDepths(r, rim)) {
        return {};
    }
    if (r.transparent && !rim.SetTransparency(true, r.keyColor)) {
        return {};
    }
    return rim.Compile();
}

bool AddItem(const PACKLIBEXPORT& lib, FFLARCHIVE* archive, const char* itemPath,
             std::span<const std::uint8_t> bytes) {
    return !bytes.empty() && lib.FFLAddItem(archive, itemPath, bytes.data(),
                                            static_cast<std::uint32_t>(bytes.size())) != nullptr;
}

bool WriteGraphics(const PACKLIBEXPORT& lib, const std::string& fastfileDir,
                   const GraphicsRecipe& recipe, bool withOtherItem, std::string* error) {
    const std::string path = qm::JoinPath(fastfileDir, recipe.entry.fileName);
    Archive archive(lib, lib.FFLCreateArchive(path.c_str()));
    if (archive.get() == nullptr) {
        return Fail(error, "cannot create the Fastfile " + path);
    }
    for (const TextureRecipe& texture : recipe.textures) {
        if (!AddItem(lib, archive.get(), texture.itemPath, BuildTexture(texture))) {
            return Fail(error, std::string("cannot make the texture ") + texture.itemPath);
        }
    }
    if (withOtherItem &&
        !AddItem(lib, archive.get(), kUnlistedOtherItem, TextBytes(kUnlistedOtherText))) {
        return Fail(error, std::string("cannot add ") + kUnlistedOtherItem);
    }
    if (!lib.FFLSaveArchive(archive.get(), nullptr)) {
        return Fail(error, "cannot write " + path);
    }
    return true;
}

// One record of the sound layout: item tag, path and its terminator, the RIFF chunk, then
// the end mark.
std::vector<std::uint8_t> SoundArchiveSeed(const char* itemPath,
                                           std::span<const std::uint8_t> wave) {
    std::vector<std::uint8_t> seed = {0, 0};
    const auto path = TextBytes(itemPath);
    seed.insert(seed.end(), path.begin(), path.end());
    seed.push_back(0);
    seed.insert(seed.end(), wave.begin(), wave.end());
    seed.push_back(0xFF);
    seed.push_back(0xFF);
    return seed;
}

// PackLib writes the sound layout only for an archive it read in that layout (a new archive
// is always written as "RFFL"), so the archive starts as a one-record seed that PackLib reads
// back, and PackLib adds the other sounds and writes the whole file.
bool WriteSounds(const PACKLIBEXPORT& lib, const std::string& fastfileDir, std::string* error) {
    const std::string path = qm::JoinPath(fastfileDir, kDemoSoundArchiveFile);
    const auto& sounds = SoundRecipes();
    std::vector<std::vector<std::uint8_t>> waves;
    for (const SoundRecipe& sound : sounds) {
        waves.push_back(SynthesizeWave(sound.tone, sound.format));
        if (waves.back().empty()) {
            return Fail(error, std::string("cannot make the sound ") + sound.itemPath);
        }
    }
    if (!WriteFile(path, SoundArchiveSeed(sounds.front().itemPath, waves.front()))) {
        return Fail(error, "cannot write " + path);
    }
    Archive archive(lib, lib.FFLOpenArchive(path.c_str()));
    if (archive.get() == nullptr || lib.FFLGetItemCount(archive.get()) != 1) {
        return Fail(error, "cannot read back " + path);
    }
    for (std::size_t i = 1; i < sounds.size(); ++i) {
        if (!AddItem(lib, archive.get(), sounds[i].itemPath, waves[i])) {
            return Fail(error, std::string("cannot add ") + sounds[i].itemPath);
        }
    }
    if (!lib.FFLSaveArchive(archive.get(), nullptr)) {
        return Fail(error, "cannot write " + path);
    }
    return true;
}

bool WriteDatabase(const PACKLIBEXPORT& lib, const std::string& fastfileDir, bool withSounds,
                   std::string* error) {
    const std::string path = qm::JoinPath(fastfileDir, kDatabaseFile);
    Database db(lib, lib.FFLCreateDatabase(path.c_str()));
    if (db.get() == nullptr) {
        return Fail(error, "cannot create the database " + path);
    }
    for (const DemoFastfile& entry : DemoFastfiles()) {
        if (!withSounds && entry.folder == kSoundFolder) {
            continue;
        }
        if (lib.FFLAddDbItem(db.get(), entry.folder.c_str(), entry.fileName.c_str()) == nullptr) {
            return Fail(error, "cannot add the database entry " + entry.folder);
        }
    }
    if (!lib.FFLSaveDatabase(db.get(), nullptr)) {
        return Fail(error, "cannot write " + path);
    }
    return true;
}

constexpr const char* kPlaceholderText =
    "AvP.exe - a stand-in for the game's program, written by make-demo-game\r\n"
    "(Quillmark Fastfile Tools). It is not a program: the tools only need the game's\r\n"
    "directory and its \"fastfile\" folder.\r\n";

bool MakeDirectories(const std::string& fastfileDir, std::string* error) {
    std::error_code code;
    std::filesystem::create_directories(fastfileDir, code);
    if (code || !std::filesystem::is_directory(fastfileDir, code)) {
        return Fail(error, "cannot create the directory " + fastfileDir);
    }
    return true;
}

bool RemoveStaleSounds(const std::string& fastfileDir, std::string* error) {
    const std::string path = qm::JoinPath(fastfileDir, kDemoSoundArchiveFile);
    std::error_code code;
    std::filesystem::remove(path, code);
    return !code || Fail(error, "cannot remove " + path);
}

}  // namespace

bool MakeDemoGame(const std::string& directory, const DemoGameOptions& options,
                  std::string* error) {
    if (directory.empty()) {
        return Fail(error, "no directory given");
    }
    // PackLib looks a relative Fastfile name up in the game's directory first, so every path
    // handed to it is absolute.
    std::error_code code;
    const std::string root = std::filesystem::absolute(directory, code).string();
    if (code) {
        return Fail(error, "cannot resolve the directory " + directory);
    }
    const std::string fastfileDir = qm::JoinPath(root, kFastfileFolder);
    if (!MakeDirectories(fastfileDir, error)) {
        return false;
    }
    qm::LibraryBinding<PACKLIBEXPORT> packLib;
    std::string bindError;
    if (!packLib.Bind("PackLib.dll", "PackLibInit", &bindError)) {
        return Fail(error, bindError);
    }
    const PACKLIBEXPORT& lib = packLib.Record();
    const std::string placeholder = qm::JoinPath(root, kPlaceholderFile);
    if (!WriteFile(placeholder, TextBytes(kPlaceholderText))) {
        return Fail(error, "cannot write " + placeholder);
    }
    for (const GraphicsRecipe& recipe : ListedGraphics()) {
        if (!WriteGraphics(lib, fastfileDir, recipe, false, error)) {
            return false;
        }
    }
    if (!WriteGraphics(lib, fastfileDir, UnlistedGraphics(), true, error)) {
        return false;
    }
    const bool soundsDone = options.withSounds ? WriteSounds(lib, fastfileDir, error)
                                               : RemoveStaleSounds(fastfileDir, error);
    return soundsDone && WriteDatabase(lib, fastfileDir, options.withSounds, error);
}

const std::vector<DemoFastfile>& DemoFastfiles() {
    static const std::vector<DemoFastfile> fastfiles = [] {
        std::vector<DemoFastfile> list;
        for (const GraphicsRecipe& recipe : ListedGraphics()) {
            list.push_back(recipe.entry);
        }
        list.push_back({kSoundDatabaseName, kSoundFolder});
        return list;
    }();
    return fastfiles;
}

const std::vector<DemoTexture>& DemoTextures() {
    static const std::vector<DemoTexture> textures = [] {
        std::vector<DemoTexture> list;
        for (const GraphicsRecipe& recipe : ListedGraphics()) {
            for (const TextureRecipe& texture : recipe.textures) {
                list.push_back(Describe(texture));
            }
        }
        return list;
    }();
    return textures;
}

const std::vector<DemoSound>& DemoSounds() {
    static const std::vector<DemoSound> sounds = [] {
        std::vector<DemoSound> list;
        for (const SoundRecipe& sound : SoundRecipes()) {
            const ToneFormat& f = sound.format;
            list.push_back({sound.itemPath, f.rate, f.channels, f.bits,
                            static_cast<double>(f.frames) / f.rate});
        }
        return list;
    }();
    return sounds;
}

std::vector<int> DemoTextureSlotDepths(const DemoTexture& texture) {
    auto slotDepths = [&texture](const std::vector<TextureRecipe>& recipes) -> std::vector<int> {
        for (const TextureRecipe& r : recipes) {
            if (texture.itemPath == r.itemPath) {
                return r.fillSlots ? std::vector<int>{16, 8, 4} : std::vector<int>{r.depth};
            }
        }
        return {};
    };
    for (const GraphicsRecipe& recipe : ListedGraphics()) {
        if (auto depths = slotDepths(recipe.textures); !depths.empty()) {
            return depths;
        }
    }
    return slotDepths(UnlistedGraphics().textures);
}

const DemoFastfile& DemoUnlistedFastfile() {
    return UnlistedGraphics().entry;
}

const std::vector<DemoTexture>& DemoUnlistedTextures() {
    static const std::vector<DemoTexture> textures = [] {
        std::vector<DemoTexture> list;
        for (const TextureRecipe& texture : UnlistedGraphics().textures) {
            list.push_back(Describe(texture));
        }
        return list;
    }();
    return textures;
}

const std::string& DemoUnlistedOtherItem() {
    static const std::string item = kUnlistedOtherItem;
    return item;
}

}  // namespace demogame
