// The demo game read back as the tools read it: the database through PackLib with the game
// found from its registry entry, the textures through the imaging classes, the sounds as WAV
// headers. Also what make-demo-game does with its command line.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "packlib/packlib.h"
#include "platform/library_binding.h"
#include "platform/registry.h"
#include "tests/support/private_game.h"
#include "texbench/imaging/rim_archive.h"
#include "tools/demogame/demo_game.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kGameKey = "Software\\Fox Interactive\\Aliens versus Predator";

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::uint32_t U16(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | (b[at + 1] << 8);
}

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
    return U16(b, at) | (U16(b, at + 2) << 16);
}

bool TagAt(std::span<const std::uint8_t> b, std::size_t at, const char* tag) {
    return b.size() >= at + 4 && std::memcmp(b.data() + at, tag, 4) == 0;
}

// Every regular file below a directory with its bytes, by relative path.
std::map<std::string, Bytes> Snapshot(const fs::path& root) {
    std::map<std::string, Bytes> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), root).string()] = ReadFile(entry.path());
        }
    }
    return files;
}

// One demo game for the whole suite. The game's registry entry is written before PackLib is
// first loaded, since the library takes the Fastfile directory from it once, when loaded.
class DemoGame : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        privateGame_ = std::make_unique<qm_test::PrivateGame>();
        ASSERT_TRUE(privateGame_->Made()) << privateGame_->Error();
        root_ = privateGame_->Environment().Path();
        game_ = privateGame_->Directory();
        std::string error;
        packLib_ = std::make_unique<qm::LibraryBinding<PACKLIBEXPORT>>();
        ASSERT_TRUE(packLib_->Bind("PackLib.dll", "PackLibInit", &error)) << error;
    }
    static void TearDownTestSuite() {
        packLib_.reset();
        privateGame_.reset();
    }

    static const PACKLIBEXPORT& Lib() { return packLib_->Record(); }
    static std::string Fastfile(const std::string& name) { return game_ + "/fastfile/" + name; }

    // Archives and databases opened by a test are closed when it ends.
    FFLARCHIVE* Open(const std::string& name) {
        FFLARCHIVE* archive = Lib().FFLOpenArchive(name.c_str());
        if (archive != nullptr) {
            archives_.push_back(archive);
        }
        return archive;
    }
    FFLDB* OpenDefaultDatabase() {
        db_ = Lib().FFLOpenDatabase(nullptr);
        return db_;
    }
    void TearDown() override {
        for (FFLARCHIVE* archive : archives_) {
            Lib().FFLCloseArchive(archive);
        }
        if (db_ != nullptr) {
            Lib().FFLCloseDatabase(db_);
        }
    }

    // The texture item of that path, found through the database as the tools find it.
    std::span<const std::uint8_t> TextureData(const std::string& itemPath) {
        FFLDBITEM* entry = Lib().FFLFindDbItem(db_, itemPath.c_str(), nullptr);
        if (entry == nullptr) {
            ADD_FAILURE() << "no database entry for " << itemPath;
            return {};
        }
        FFLARCHIVE* archive = Open(Lib().FFLGetDbItemFile(entry));
        FFLITEM* item = archive ? Lib().FFLFindItem(archive, itemPath.c_str(), false) : nullptr;
        if (item == nullptr) {
            ADD_FAILURE() << itemPath << " is not in " << Lib().FFLGetDbItemFile(entry);
            return {};
        }
        return {item->lpData, item->dwSize};
    }

    inline static std::unique_ptr<qm_test::PrivateGame> privateGame_;
    inline static std::string root_;
    inline static std::string game_;
    inline static std::unique_ptr<qm::LibraryBinding<PACKLIBEXPORT>> packLib_;
    std::vector<FFLARCHIVE*> archives_;
    FFLDB* db_ = nullptr;
};

TEST_F(DemoGame, DefaultDatabaseListsEveryFastfileInOrderAndEachOpensByItsName) {
    ASSERT_NE(OpenDefaultDatabase(), nullptr);
    const auto& expected = demogame::DemoFastfiles();
    ASSERT_EQ(Lib().FFLGetDbItemCount(db_), expected.size());
    FFLDBITEM* entry = Lib().FFLGetFirstDbItem(db_);
    for (const demogame::DemoFastfile& fastfile : expected) {
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(Lib().FFLGetDbItemPath(entry), fastfile.folder);
        EXPECT_EQ(Lib().FFLGetDbItemFile(entry), fastfile.fileName);
        // Bare names are resolved in the game's Fastfile directory, "Common.ffl" included,
        // whose file on disk is in capitals.
        FFLARCHIVE* archive = Open(fastfile.fileName);
        ASSERT_NE(archive, nullptr) << fastfile.fileName;
        EXPECT_GT(Lib().FFLGetItemCount(archive), 0u) << fastfile.fileName;
        for (FFLITEM* item = Lib().FFLGetFirstItem(archive); item != nullptr;
             item = Lib().FFLGetNextItem(item)) {
            EXPECT_EQ(std::string(item->szPath).rfind(fastfile.folder + "\\", 0), 0u)
                << item->szPath << " lies outside " << fastfile.folder;
        }
        entry = Lib().FFLGetNextDbItem(entry);
    }
    EXPECT_EQ(entry, nullptr);
    EXPECT_TRUE(fs::exists(game_ + "/AvP.exe"));
}

TEST_F(DemoGame, GraphicsFastfilesHoldExactlyTheListedTexturesInTheDirectoryLayout) {
    ASSERT_NE(OpenDefaultDatabase(), nullptr);
    std::size_t items = 0;
    for (const demogame::DemoFastfile& fastfile : demogame::DemoFastfiles()) {
        if (fastfile.folder.rfind("graphics", 0) != 0) {
            continue;
        }
        EXPECT_TRUE(TagAt(ReadFile(Fastfile(fastfile.fileName)), 0, "RFFL")) << fastfile.fileName;
        FFLARCHIVE* archive = Open(fastfile.fileName);
        ASSERT_NE(archive, nullptr);
        items += Lib().FFLGetItemCount(archive);
    }
    EXPECT_EQ(items, demogame::DemoTextures().size());
}

// The stated depth, size, slots and transparency of one texture, checked on its bytes.
void ExpectTexture(const demogame::DemoTexture& texture, std::span<const std::uint8_t> data) {
    SCOPED_TRACE(texture.itemPath);
    ASSERT_TRUE(TagAt(data, 0, "LIST") && TagAt(data, 8, "ILBM"));
    CRimArchive rim;
    ASSERT_TRUE(rim.Parse(data));
    EXPECT_EQ(rim.GetTransparencyMode(), texture.transparent ? 6u : 0u);
    const std::vector<int> depths = demogame::DemoTextureSlotDepths(texture);
    ASSERT_FALSE(depths.empty());
    EXPECT_EQ(depths.front(), texture.bitsPerPixel);
    for (unsigned slot = 0; slot < CRimArchive::kSlots; ++slot) {
        SCOPED_TRACE("slot " + std::to_string(slot));
        if (slot >= depths.size()) {
            EXPECT_TRUE(rim.IsSlotEmpty(slot));
            continue;
        }
        IMAGEDATA picture{};
        ASSERT_TRUE(rim.ExportSlot(slot, &picture));
        EXPECT_EQ(picture.header.wWidth, texture.width);
        EXPECT_EQ(picture.header.wHeight, texture.height);
        EXPECT_EQ(picture.header.bDepth, depths[slot]);
        if (texture.transparent) {
            // The key colour must be the palette entry that the slot marks transparent.
            const std::uint32_t color = rim.GetTransparentColorWord() >> 8;
            ASSERT_EQ(picture.header.bMasking, 2);
            ASSERT_LT(picture.header.dwTransparent, picture.dwPaletteEntries);
            const std::uint8_t* bgr = picture.lpPalette + 3 * picture.header.dwTransparent;
            EXPECT_EQ(bgr[2], color & 0xFF);
            EXPECT_EQ(bgr[1], (color >> 8) & 0xFF);
            EXPECT_EQ(bgr[0], (color >> 16) & 0xFF);
        } else {
            EXPECT_EQ(picture.header.bMasking, 0);
        }
        ImgFree(&picture);
    }
}

TEST_F(DemoGame, EveryTextureIsFoundThroughTheDatabaseWithItsStatedFormat) {
    ASSERT_NE(OpenDefaultDatabase(), nullptr);
    for (const demogame::DemoTexture& texture : demogame::DemoTextures()) {
        ExpectTexture(texture, TextureData(texture.itemPath));
    }
}

TEST_F(DemoGame, TexturesCoverEveryDepthTransparencyAndTheOddSize) {
    std::map<int, int> depths;
    int transparent = 0;
    int filled = 0;
    bool odd = false;
    for (const demogame::DemoTexture& texture : demogame::DemoTextures()) {
        for (int depth : demogame::DemoTextureSlotDepths(texture)) {
            ++depths[depth];
        }
        transparent += texture.transparent ? 1 : 0;
        filled += demogame::DemoTextureSlotDepths(texture).size() == 3 ? 1 : 0;
        odd = odd || (texture.width == 40 && texture.height == 30);
    }
    EXPECT_GT(depths[4], 0);
    EXPECT_GT(depths[8], 0);
    EXPECT_GT(depths[16], 0);
    EXPECT_GT(transparent, 0);
    EXPECT_EQ(filled, 1);
    EXPECT_TRUE(odd);
}

// The WAV fields that the tools read, checked against what the catalogue states.
void ExpectSound(const demogame::DemoSound& sound, std::span<const std::uint8_t> data) {
    SCOPED_TRACE(sound.itemPath);
    ASSERT_GE(data.size(), 44u);
    ASSERT_TRUE(TagAt(data, 0, "RIFF") && TagAt(data, 8, "WAVE") && TagAt(data, 12, "fmt "));
    EXPECT_EQ(U32(data, 4), data.size() - 8);
    EXPECT_EQ(U32(data, 16), 16u);
    EXPECT_EQ(U16(data, 20), 1u);  // PCM
    EXPECT_EQ(U16(data, 22), static_cast<std::uint32_t>(sound.channels));
    EXPECT_EQ(U32(data, 24), static_cast<std::uint32_t>(sound.rate));
    const std::uint32_t block = static_cast<std::uint32_t>(sound.channels * sound.bits / 8);
    EXPECT_EQ(U32(data, 28), sound.rate * block);
    EXPECT_EQ(U16(data, 32), block);
    EXPECT_EQ(U16(data, 34), static_cast<std::uint32_t>(sound.bits));
    ASSERT_TRUE(TagAt(data, 36, "data"));
    const double frames = sound.seconds * sound.rate;
    EXPECT_EQ(frames, static_cast<double>(static_cast<std::uint32_t>(frames)));
    const std::uint32_t length = static_cast<std::uint32_t>(frames) * block;
    EXPECT_EQ(U32(data, 40), length);
    EXPECT_EQ(data.size(), 44u + length + length % 2);
    // Something must be audible: the loudest sample well away from silence.
    int peak = 0;
    for (std::size_t at = 44; at + block <= 44 + length; at += sound.bits / 8) {
        const int value =
            sound.bits == 8 ? data[at] - 128 : static_cast<std::int16_t>(U16(data, at));
        peak = std::max(peak, std::abs(value));
    }
    EXPECT_GT(peak, sound.bits == 8 ? 40 : 10000);
}

TEST_F(DemoGame, SoundArchiveIsInTheSoundLayoutWithTheStatedSoundsInOrder) {
    const Bytes file = ReadFile(Fastfile(demogame::kDemoSoundArchiveFile));
    ASSERT_GE(file.size(), 2u);
    EXPECT_FALSE(TagAt(file, 0, "RFFL"));
    EXPECT_EQ(U16(file, file.size() - 2), 0xFFFFu);  // the end mark
    FFLARCHIVE* archive = Open("Common.ffl");
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->bSound, 1);
    const auto& sounds = demogame::DemoSounds();
    ASSERT_EQ(Lib().FFLGetItemCount(archive), sounds.size());
    FFLITEM* item = Lib().FFLGetFirstItem(archive);
    for (const demogame::DemoSound& sound : sounds) {
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->szPath, sound.itemPath);
        ExpectSound(sound, {item->lpData, item->dwSize});
        item = Lib().FFLGetNextItem(item);
    }
}

TEST_F(DemoGame, SoundsCoverEveryRateDepthAndChannelCount) {
    std::map<int, int> rates, bits, channels;
    for (const demogame::DemoSound& sound : demogame::DemoSounds()) {
        ++rates[sound.rate];
        ++bits[sound.bits];
        ++channels[sound.channels];
        EXPECT_GT(sound.seconds, 0.0);
        EXPECT_LE(sound.seconds, 2.0);
    }
    EXPECT_EQ(rates.size(), 3u);
    EXPECT_EQ(bits.size(), 2u);
    EXPECT_EQ(channels.size(), 2u);
}

TEST_F(DemoGame, UnlistedFastfileOpensByItselfAndHoldsAnItemOfAnotherKind) {
    ASSERT_NE(OpenDefaultDatabase(), nullptr);
    const demogame::DemoFastfile& unlisted = demogame::DemoUnlistedFastfile();
    EXPECT_EQ(Lib().FFLFindDbItem(db_, nullptr, unlisted.fileName.c_str()), nullptr);
    EXPECT_EQ(Lib().FFLFindDbItem(db_, unlisted.folder.c_str(), nullptr), nullptr);
    FFLARCHIVE* archive = Open(unlisted.fileName);
    ASSERT_NE(archive, nullptr);
    const auto& textures = demogame::DemoUnlistedTextures();
    ASSERT_FALSE(textures.empty());
    EXPECT_EQ(Lib().FFLGetItemCount(archive), textures.size() + 1);
    // The first item decides the archive's kind, so it must be a texture.
    FFLITEM* first = Lib().FFLGetFirstItem(archive);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->szPath, textures.front().itemPath);
    for (const demogame::DemoTexture& texture : textures) {
        FFLITEM* item = Lib().FFLFindItem(archive, texture.itemPath.c_str(), false);
        ASSERT_NE(item, nullptr);
        ExpectTexture(texture, {item->lpData, item->dwSize});
    }
    FFLITEM* other = Lib().FFLFindItem(archive, demogame::DemoUnlistedOtherItem().c_str(), false);
    ASSERT_NE(other, nullptr);
    const std::span<const std::uint8_t> data(other->lpData, other->dwSize);
    ASSERT_GE(data.size(), 12u);
    EXPECT_FALSE(TagAt(data, 0, "LIST") || TagAt(data, 0, "RIFF"));
}

TEST_F(DemoGame, WritingAgainGivesTheSameBytesAndReplacesChangedFiles) {
    const std::string again = root_ + "/again";
    std::string error;
    ASSERT_TRUE(demogame::MakeDemoGame(again, {}, &error)) << error;
    // Spoil two files; the next run must put them right.
    std::ofstream(again + "/fastfile/ffinfo.txt") << "graphics;Nothing.ffl\n";
    std::ofstream(again + "/fastfile/Aliens.ffl") << "not a Fastfile";
    ASSERT_TRUE(demogame::MakeDemoGame(again, {}, &error)) << error;
    const auto first = Snapshot(game_);
    const auto second = Snapshot(again);
    ASSERT_EQ(first.size(), second.size());
    for (const auto& [name, bytes] : first) {
        ASSERT_TRUE(second.count(name)) << name;
        EXPECT_TRUE(second.at(name) == bytes) << name << " differs";
    }
    std::uintmax_t total = 0;
    for (const auto& [name, bytes] : first) {
        total += bytes.size();
    }
    EXPECT_LT(total, 2u * 1024 * 1024);
}

TEST_F(DemoGame, WithoutSoundsNeitherTheSoundArchiveNorItsEntryIsWritten) {
    const std::string quiet = root_ + "/quiet";
    std::string error;
    ASSERT_TRUE(demogame::MakeDemoGame(quiet, {}, &error)) << error;
    ASSERT_TRUE(demogame::MakeDemoGame(quiet, {.withSounds = false}, &error)) << error;
    EXPECT_FALSE(fs::exists(quiet + "/fastfile/" + demogame::kDemoSoundArchiveFile));
    FFLDB* db = Lib().FFLOpenDatabase((quiet + "/fastfile/ffinfo.txt").c_str());
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(Lib().FFLGetDbItemCount(db), demogame::DemoFastfiles().size() - 1);
    EXPECT_EQ(Lib().FFLFindDbItem(db, "sound\\Common\\beep.wav", nullptr), nullptr);
    Lib().FFLCloseDatabase(db);
}

TEST_F(DemoGame, RefusesADirectoryThatCannotBeMade) {
    const std::string blocker = root_ + "/blocker";
    std::ofstream(blocker) << "a file where the game would go";
    for (const std::string& directory : {std::string(), blocker, blocker + "/game"}) {
        std::string error;
        EXPECT_FALSE(demogame::MakeDemoGame(directory, {}, &error)) << directory;
        EXPECT_FALSE(error.empty()) << directory;
    }
}

int RunProgram(const std::string& arguments) {
    const std::string command =
        std::string(QM_BIN_DIR) + "/make-demo-game " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(DemoGame, ProgramExitStatusesFollowTheCommandLine) {
    const std::string blocker = root_ + "/program-blocker";
    std::ofstream(blocker) << "x";
    const struct {
        std::string arguments;
        int status;
    } cases[] = {
        {"--help", 0},
        {"", 2},
        {"--bogus " + root_ + "/p1", 2},
        {root_ + "/p1 " + root_ + "/p2", 2},
        {blocker + "/game", 1},
        {root_ + "/p3", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunProgram(c.arguments), c.status) << c.arguments;
    }
    EXPECT_TRUE(fs::exists(root_ + "/p3/fastfile/ffinfo.txt"));
    EXPECT_FALSE(fs::exists(root_ + "/p1"));
}

TEST_F(DemoGame, ProgramRegistersTheGameWhenAsked) {
    const std::string registered = root_ + "/registered";
    ASSERT_EQ(RunProgram("--register " + registered), 0);
    EXPECT_EQ(qm::RegistryGetString(qm::RegistryRoot::LocalMachine, kGameKey, "Path"), registered);
    // Put the suite's own entry back for the tests that follow.
    qm::RegistrySetString(qm::RegistryRoot::LocalMachine, kGameKey, "Path", game_);
}

}  // namespace
