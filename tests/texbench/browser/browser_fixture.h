// A game directory for the browser's tests, made once per test process: PackLib computes its
// Fastfile directory when it is loaded, so the registry entry is written first and the
// library bound once. Each test writes the database and Fastfiles it needs into it.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "packlib/packlib.h"
#include "platform/library_binding.h"
#include "platform/registry.h"
#include "tests/support/files.h"
#include "tests/support/private_environment.h"
#include "tests/support/private_game.h"
#include "texbench/imaging/image_data.h"
#include "texbench/imaging/rim_archive.h"
#include "tools/demogame/demo_game.h"

namespace browser_test {

using Bytes = std::vector<unsigned char>;

class GameDirectory {
  public:
    GameDirectory() {
        fastfiles_ = Root() + "/game/fastfile/";
        std::filesystem::create_directories(fastfiles_);
        qm_test::Touch(Root() + "/game/AvP.exe", "stand-in");
        qm_test::SetGamePathInRegistry(Root() + "/game");
        bound_ = packLib_.Bind("PackLib.dll", "PackLibInit", &error_);
    }
    ~GameDirectory() { packLib_.Unbind(); }

    bool Bound() const { return bound_; }
    const std::string& BindError() const { return error_; }
    const PACKLIBEXPORT& Lib() const { return packLib_.Record(); }
    const std::string& Root() const { return environment_.Path(); }
    // The Fastfile directory, with its trailing separator.
    const std::string& Fastfiles() const { return fastfiles_; }

    // Removes every file of the Fastfile directory, so that each test starts bare.
    void Empty() const {
        for (const auto& entry : std::filesystem::directory_iterator(fastfiles_)) {
            std::filesystem::remove_all(entry.path());
        }
    }

  private:
    qm_test::PrivateEnvironment environment_;
    std::string fastfiles_;
    qm::LibraryBinding<PACKLIBEXPORT> packLib_;
    bool bound_ = false;
    std::string error_;
};

inline GameDirectory& Game() {
    static GameDirectory game;
    return game;
}

// Starts a test on the demo game alone: the Fastfile directory emptied, then written afresh.
inline bool FreshDemoGame(std::string* error) {
    Game().Empty();
    return demogame::MakeDemoGame(Game().Root() + "/game", {}, error);
}

using qm_test::WriteText;
inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    qm_test::WriteFile(path, bytes);
}

// Writes a directory-layout Fastfile through PackLib itself.
inline bool MakeFastfile(const std::string& path,
                         const std::vector<std::pair<std::string, Bytes>>& items) {
    const PACKLIBEXPORT& lib = Game().Lib();
    FFLARCHIVE* archive = lib.FFLCreateArchive(path.c_str());
    bool ok = archive != nullptr;
    for (const auto& [itemPath, data] : items) {
        ok = ok && lib.FFLAddItem(archive, itemPath.c_str(), data.data(),
                                  static_cast<std::uint32_t>(data.size())) != nullptr;
    }
    ok = ok && lib.FFLSaveArchive(archive, nullptr);
    lib.FFLCloseArchive(archive);
    return ok;
}

inline void PutU16(Bytes& out, unsigned value) {
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

inline void PutU32(Bytes& out, std::uint32_t value) {
    PutU16(out, value & 0xFFFFu);
    PutU16(out, value >> 16);
}

inline void PutText(Bytes& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

// A PCM WAV file of `seconds` of silence.
inline Bytes Wav(unsigned rate, unsigned channels, unsigned bits, double seconds) {
    const auto dataBytes = static_cast<std::uint32_t>(rate * channels * (bits / 8) * seconds);
    Bytes out;
    PutText(out, "RIFF");
    PutU32(out, 36 + dataBytes);
    PutText(out, "WAVEfmt ");
    PutU32(out, 16);
    PutU16(out, 1);
    PutU16(out, channels);
    PutU32(out, rate);
    PutU32(out, rate * channels * bits / 8);
    PutU16(out, channels * bits / 8);
    PutU16(out, bits);
    PutText(out, "data");
    PutU32(out, dataBytes);
    out.resize(out.size() + dataBytes, 0);
    return out;
}

// A sound archive (no header): records of tag, path and RIFF chunk, then the end mark.
inline Bytes SoundArchive(const std::vector<std::pair<std::string, Bytes>>& items) {
    Bytes out;
    unsigned tag = 1;
    for (const auto& [path, wav] : items) {
        PutU16(out, tag++);
        PutText(out, path);
        out.push_back(0);
        out.insert(out.end(), wav.begin(), wav.end());
    }
    PutU16(out, 0xFFFF);
    return out;
}

// A texture item of width x height in four colours, optionally with transparency on.
inline Bytes Texture(unsigned width, unsigned height, bool transparent) {
    IMAGEDATA image{};
    image.header.wWidth = static_cast<std::uint16_t>(width);
    image.header.wHeight = static_cast<std::uint16_t>(height);
    image.header.bDepth = 8;
    image.header.bAlign = 32;
    image.header.dwColorsUsed = 4;
    image.lpPalette = ImgCreatePalette(8, false);
    image.dwPaletteEntries = 256;
    const std::uint8_t colors[4][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {255, 255, 255}};
    for (unsigned i = 0; i < 4; ++i) {
        for (unsigned c = 0; c < 3; ++c) {
            image.lpPalette[i * 3 + c] = colors[i][c];
        }
    }
    const auto stride = static_cast<std::uint32_t>(ImgStride(width, 8, 32));
    image.dwPixelBytes = stride * height;
    image.lpPixels = static_cast<std::uint8_t*>(std::calloc(image.dwPixelBytes, 1));
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            image.lpPixels[y * stride + x] = static_cast<std::uint8_t>((x / 4 + y / 4) % 4);
        }
    }
    CRimArchive archive;
    Bytes bytes;
    if (archive.FillSlots(&image) && archive.SetTransparency(transparent, 0x000000FFu)) {
        const std::vector<std::uint8_t> compiled = archive.Compile();
        bytes.assign(compiled.begin(), compiled.end());
    }
    ImgFree(&image);
    return bytes;
}

}  // namespace browser_test
